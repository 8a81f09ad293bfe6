#include "connection_test_support.h"

namespace {
// Owns what WaitForResponse hands out.
struct Response {
    CASN1_LDAPMessage* message = nullptr;
    ~Response() { delete message; }
    unsigned long id() const
    {
        unsigned long value = ~0UL;
        message->get_messageID().GetInteger(value);
        return value;
    }
};
}  // namespace

TEST(LdapExchange, SortsResponsesIntoTheirRequestsQueuesAndDropsTheRest)
{
    Session session({ScriptedServer::Send(concat({deleteResponse(7), deleteResponse(99), deleteResponse(0),
                                                  deleteResponse(7), deleteResponse(8), deleteResponse(7),
                                                  deleteResponse(3)}))});
    ASSERT_TRUE(session.connect());
    CLdapClient* client = session.client;
    CLdapExchange exchange;
    for (DWORD id : {7, 8, 3})
        ASSERT_TRUE(exchange.AddPendingRequest(id));
    Response answer8;
    ASSERT_TRUE(exchange.WaitForResponse(client, 8, answer8.message));
    EXPECT_EQ(8u, answer8.id());
    EXPECT_EQ(2, exchange.GetQueuedCount(7));  // 99 and the unsolicited 0 went
    ASSERT_TRUE(exchange.AddPendingRequest(7));
    EXPECT_EQ(2, exchange.GetQueuedCount(7));  // registering again keeps the queue

    // Queued responses come out without reading the socket.
    ULONGLONG received = client->m_bytesReceived.Get();
    for (int i = 0; i < 2; ++i) {
        Response answer7;
        ASSERT_TRUE(exchange.WaitForResponse(client, 7, answer7.message));
        EXPECT_EQ(7u, answer7.id());
    }
    Response none;
    EXPECT_FALSE(exchange.WaitForResponse(client, 9, none.message));  // nobody waits for 9
    EXPECT_EQ(nullptr, none.message);
    EXPECT_EQ(received, client->m_bytesReceived.Get());

    // Removing a request frees what is queued for it (the leak checker watches).
    Response answer3;
    ASSERT_TRUE(exchange.WaitForResponse(client, 3, answer3.message));
    EXPECT_EQ(1, exchange.GetQueuedCount(7));
    exchange.RemovePendingRequest(7);
    EXPECT_FALSE(exchange.IsPending(7));
    EXPECT_TRUE(exchange.IsPending(8));
    exchange.Clear();
    EXPECT_FALSE(exchange.IsPending(8));
}

TEST(LdapExchange, InvalidMessagesAndReceiveFailuresEndTheWait)
{
    struct Case {
        const char* reason;
        Bytes sent;  // empty: the server closes
    } cases[] = {
        {"not an LDAP message", hexBytes("30 03 01 01 FF")},
        {"message ID of more than 32 bits", hexBytes("30 10 02 05 01 00 00 00 07 6B 07 0A 01 00 04 00 04 00")},
        {"the server closes", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        bool framed = !c.sent.empty();
        Session session({framed ? ScriptedServer::Send(concat({c.sent, deleteResponse(7)})) : ScriptedServer::Close()});
        ASSERT_TRUE(session.connect());
        CLdapExchange exchange;
        exchange.AddPendingRequest(7);
        Response failed;
        EXPECT_FALSE(exchange.WaitForResponse(session.client, 7, failed.message));
        EXPECT_EQ(nullptr, failed.message);
        // A well-framed bad message leaves the stream in step.
        EXPECT_EQ(framed, session.client->IsOpen() != FALSE);
        Response next;
        EXPECT_EQ(framed, exchange.WaitForResponse(session.client, 7, next.message) != FALSE);
    }
}

TEST(LdapExchange, MessageIdsSkipZeroAndStayInTheProtocolRange)
{
    struct Case {
        DWORD counter;
        std::vector<DWORD> handedOut;
    } cases[] = {
        {0, {1, 2, 3}},
        {41, {41, 42}},
        {0x7FFFFFFE, {0x7FFFFFFE, 0x7FFFFFFF, 1}},
        {0xFFFFFFFF, {1, 2}},
    };
    for (const Case& c : cases) {
        CLdapExchange exchange;
        exchange.m_nextMessageId = c.counter;
        std::vector<DWORD> ids;
        for (size_t i = 0; i < c.handedOut.size(); ++i)
            ids.push_back(exchange.NextMessageId());
        EXPECT_EQ(c.handedOut, ids) << c.counter;
    }
}
