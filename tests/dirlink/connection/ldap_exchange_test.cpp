#include "connection_test_support.h"

namespace {
// Holds what WaitForResponse hands out.
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
                                                  deleteResponse(7), deleteResponse(8)}))});
    ASSERT_TRUE(session.connect());
    CLdapClient* client = session.client;
    client->SetReceiveTimeout(3000);
    CLdapExchange exchange;
    ASSERT_TRUE(exchange.AddPendingRequest(7));
    ASSERT_TRUE(exchange.AddPendingRequest(8));

    Response answer8;
    ASSERT_TRUE(exchange.WaitForResponse(client, 8, answer8.message));
    EXPECT_EQ(8u, answer8.id());
    EXPECT_EQ(2, exchange.GetQueuedCount(7));  // 99 and the unsolicited 0 went

    // Queued responses come out oldest first, without reading the socket.
    ULONGLONG received = client->m_bytesReceived.Get();
    for (int i = 0; i < 2; ++i) {
        Response answer7;
        ASSERT_TRUE(exchange.WaitForResponse(client, 7, answer7.message));
        EXPECT_EQ(7u, answer7.id());
    }
    EXPECT_EQ(received, client->m_bytesReceived.Get());
    EXPECT_EQ(0, exchange.GetQueuedCount(7));

    // Nobody waits for 9: no read, no answer.
    Response none;
    EXPECT_FALSE(exchange.WaitForResponse(client, 9, none.message));
    EXPECT_EQ(nullptr, none.message);
    EXPECT_EQ(received, client->m_bytesReceived.Get());
    EXPECT_TRUE(client->IsOpen());
}

TEST(LdapExchange, RemovingAndClearingFreeQueuedResponses)
{
    Session session({ScriptedServer::Send(concat({deleteResponse(3), deleteResponse(4), deleteResponse(5)}))});
    ASSERT_TRUE(session.connect());
    CLdapExchange exchange;
    for (DWORD id : {3, 4, 5})
        ASSERT_TRUE(exchange.AddPendingRequest(id));
    Response answer5;
    ASSERT_TRUE(exchange.WaitForResponse(session.client, 5, answer5.message));
    EXPECT_EQ(1, exchange.GetQueuedCount(3));

    // Registering again keeps the record and its queue.
    ASSERT_TRUE(exchange.AddPendingRequest(3));
    EXPECT_EQ(1, exchange.GetQueuedCount(3));

    exchange.RemovePendingRequest(3);
    EXPECT_FALSE(exchange.IsPending(3));
    EXPECT_TRUE(exchange.IsPending(4));
    Response gone;
    EXPECT_FALSE(exchange.WaitForResponse(session.client, 3, gone.message));
    exchange.Clear();  // frees the response queued for 4 (the leak checker watches)
    EXPECT_FALSE(exchange.IsPending(4));
}

TEST(LdapExchange, InvalidMessagesAndReceiveFailuresEndTheWait)
{
    struct Case {
        const char* reason;
        Bytes sent;
        bool stillOpen;  // framing intact: the connection goes on
    } cases[] = {
        {"not an LDAP message", hexBytes("30 03 01 01 FF"), true},
        {"message ID of more than 32 bits", hexBytes("30 10 02 05 01 00 00 00 07 6B 07 0A 01 00 04 00 04 00"), true},
        {"the server closes", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::vector<Step> script;
        if (!c.sent.empty())
            script.push_back(ScriptedServer::Send(concat({c.sent, deleteResponse(7)})));
        else
            script.push_back(ScriptedServer::Close());
        Session session(script);
        ASSERT_TRUE(session.connect());
        CLdapExchange exchange;
        exchange.AddPendingRequest(7);
        Response failed;
        EXPECT_FALSE(exchange.WaitForResponse(session.client, 7, failed.message));
        EXPECT_EQ(nullptr, failed.message);
        EXPECT_EQ(c.stillOpen, session.client->IsOpen() != FALSE);
        if (c.stillOpen) {
            Response next;
            ASSERT_TRUE(exchange.WaitForResponse(session.client, 7, next.message));
            EXPECT_EQ(7u, next.id());
        }
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
