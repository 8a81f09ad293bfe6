#include <pthread.h>
#include <sys/resource.h>

#include "connection_test_support.h"

namespace {
using Clock = std::chrono::steady_clock;

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::atomic<IProcessorControl*> g_cancelOnSignal{nullptr};

void cancelOnSignal(int)
{
    if (IProcessorControl* processor = g_cancelOnSignal.load())
        processor->CancelBlockingCall();
}

BOOL collect(CProcessorEx* processor, void* context)
{
    static_cast<std::vector<CProcessorEx*>*>(context)->push_back(processor);
    return TRUE;
}

bool registered(CProcessorEx* processor)
{
    std::vector<CProcessorEx*> all;
    CProcessorEx::EnumProcessors(collect, &all);
    return std::find(all.begin(), all.end(), processor) != all.end();
}

const Bytes kMessage300 = sequenceOf(296, 2);
const Bytes kNext = hexBytes("30 03 02 01 05");
}  // namespace

// Each case: what the server sends, the whole messages the client must read
// from it one by one, and, when a failure must follow them, its text.
TEST(LdapClient, ReadsWholeMessagesAndFailsSafelyOnBadInput)
{
    const Bytes big = sequenceOf(200000, 3);  // several receive chunks
    struct Case {
        const char* reason;
        std::vector<Step> script;
        std::vector<Bytes> messages;
        const char* failure;  // nullptr: none after the messages
        DWORD maxMessageSize;
        DWORD receiveTimeout;
    } cases[] = {
        {"a 300-octet message and the next one in one segment",
         {ScriptedServer::Send(concat({kMessage300, kNext}))}, {kMessage300, kNext}, nullptr, 0, 0},
        {"a long-form length arriving two octets at a time",
         {ScriptedServer::Send(hexBytes("30 84")), ScriptedServer::Pause(15), ScriptedServer::Send(hexBytes("00 00")),
          ScriptedServer::Pause(15), ScriptedServer::Send(hexBytes("00 05")), ScriptedServer::Pause(15),
          ScriptedServer::Send(hexBytes("02 01 07 42 00"))},
         {hexBytes("30 84 00 00 00 05 02 01 07 42 00")}, nullptr, 0, 0},
        {"one length octet announcing empty contents: the next message is not touched",
         {ScriptedServer::Send(concat({hexBytes("30 81 00"), kNext}))}, {hexBytes("30 81 00"), kNext}, nullptr, 0, 0},
        {"three length octets announcing empty contents",
         {ScriptedServer::Send(concat({hexBytes("30 83 00 00 00"), kNext}))}, {hexBytes("30 83 00 00 00"), kNext},
         nullptr, 0, 0},
        {"a message larger than one receive chunk", {ScriptedServer::Send(big)}, {big}, nullptr, 0, 0},
        {"a message exactly at the size limit", {ScriptedServer::Send(kMessage300)}, {kMessage300}, nullptr, 300, 0},
        {"indefinite length", {ScriptedServer::Send(hexBytes("30 80 02 01 01 00 00"))}, {},
         "::DER_Receive: BAD DER Encoding", 0, 0},
        {"high tag number", {ScriptedServer::Send(hexBytes("1F 81 00 00"))}, {}, "::DER_Receive: BAD DER Encoding", 0, 0},
        {"five length octets", {ScriptedServer::Send(hexBytes("30 85 00 00 00 00 01 00"))}, {},
         "::DER_Receive: BAD DER Encoding", 0, 0},
        {"one octet above the size limit", {ScriptedServer::Send(kMessage300)}, {}, "::DER_Receive: Message too large",
         299, 0},
        {"a hostile length of nearly 2 GiB", {ScriptedServer::Send(hexBytes("30 84 7F FF FF F0 01 02 03"))}, {},
         "::DER_Receive: Message too large", 0, 0},
        {"the same with the limit lifted: nothing is allocated for bytes that never come",
         {ScriptedServer::Send(hexBytes("30 84 7F FF FF F0 01 02 03")), ScriptedServer::Close()}, {},
         "::DER_Receive: Winsock Receive Error", 0x7FFFFFFF, 0},
        {"the server closes in mid-message",
         {ScriptedServer::Send(kNext), ScriptedServer::Send(hexBytes("30 0A 02 01")), ScriptedServer::Close()}, {kNext},
         "::DER_Receive: Winsock Receive Error", 0, 0},
        {"the receive time-out", {ScriptedServer::Send(hexBytes("30 05 02"))}, {}, "::DER_Receive: Winsock Receive Error",
         0, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Session session(c.script);
        ASSERT_TRUE(session.connect());
        CLdapClient& client = *session.client;
        if (c.maxMessageSize)
            client.SetMaxMessageSize(c.maxMessageSize);
        client.SetReceiveTimeout(c.receiveTimeout ? c.receiveTimeout : 3000);
        long peakBefore = peakResidentKb();
        Clock::time_point start = Clock::now();

        for (const Bytes& expected : c.messages) {
            CByteArray response;
            ASSERT_TRUE(client.ReceiveResponse(response)) << (const char*)client.GetLastFailure();
            EXPECT_EQ(hexOf(expected).substr(0, 300), hexOf(response).substr(0, 300));
            EXPECT_TRUE(bytesOf(response) == expected);
        }
        EXPECT_TRUE(client.GetLastFailure().IsEmpty());
        if (c.failure) {
            CByteArray response;
            EXPECT_FALSE(client.ReceiveResponse(response));
            EXPECT_EQ(0, response.GetSize());
            EXPECT_FALSE(client.IsOpen());
            EXPECT_EQ(clientDone, session.events.codes.back());
            EXPECT_EQ(0, std::string(client.GetLastFailure()).find("THREAD_CATCH:CLdapClient::ReceiveResponse: "
                                                                   "File-specific exception"));
            EXPECT_NE(std::string::npos, std::string(client.GetLastFailure()).find(c.failure))
                << (const char*)client.GetLastFailure();
            EXPECT_FALSE(client.ReceiveResponse(response));  // stays done
        } else {
            EXPECT_TRUE(client.IsOpen());
        }
        EXPECT_LT(millisecondsSince(start), 2000);
        EXPECT_LT(peakResidentKb() - peakBefore, 256 * 1024);
    }
}

TEST(LdapClient, CancelEndsABlockingReceiveFromThePumpAThreadOrASignal)
{
    ScopedSigint sigint(cancelOnSignal);
    enum Trigger { postedCancel, otherThread, signal };
    struct Case {
        const char* reason;
        Trigger trigger;
        std::vector<unsigned long> events;
    } cases[] = {
        {"a posted window message calls Cancel", postedCancel,
         {clientConnecting, clientConnected, clientCancel, clientDone}},
        {"another thread calls CancelBlockingCall", otherThread, {clientConnecting, clientConnected, clientDone}},
        {"a SIGINT handler calls CancelBlockingCall", signal, {clientConnecting, clientConnected, clientDone}},
    };
    pthread_t waiter = pthread_self();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Session session({ScriptedServer::Send(hexBytes("30 05 02 01"))});
        ASSERT_TRUE(session.connect());
        CLdapClient* client = session.client;
        client->SetReceiveTimeout(3000);  // the case fails, rather than hangs, without the cancel
        g_cancelOnSignal = client;
        TestWindow window;
        window.onMessage = [&](UINT, WPARAM) { EXPECT_EQ(1, client->Cancel()); };
        HWND hwnd = window.hwnd;

        Clock::time_point start = Clock::now();
        CByteArray response;
        BOOL received;
        {
            Later trigger(40, [&] {
                if (c.trigger == postedCancel)
                    PostMessage(hwnd, WM_USER, 0, 0);
                if (c.trigger == otherThread)
                    client->CancelBlockingCall();
                if (c.trigger == signal)
                    pthread_kill(waiter, SIGINT);
            });
            received = client->ReceiveResponse(response);
        }
        g_cancelOnSignal = nullptr;
        EXPECT_FALSE(received);
        EXPECT_LT(millisecondsSince(start), 2000);
        EXPECT_EQ(1, client->m_breakRequested.load());
        EXPECT_FALSE(client->IsOpen());
        EXPECT_EQ(c.events, session.events.codes);
    }
}

TEST(LdapClient, ConnectionLifeEventsStatisticsAndRegistry)
{
    const Bytes request = hexBytes("30 05 02 01 01 42 00");
    Session session({ScriptedServer::Read((int)request.size()), ScriptedServer::Send(kMessage300),
                     ScriptedServer::Close()});
    CLdapClient* client = session.client;
    ASSERT_NE(nullptr, client);
    EXPECT_TRUE(registered(client));
    EXPECT_EQ(kLdapProcessor, client->GetProcessorKind());
    EXPECT_EQ(0, client->ReservedQuery());
    EXPECT_EQ(client, client->GetSocket());
    EXPECT_STREQ("CLdapClient", client->GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(client->IsKindOf(RUNTIME_CLASS(CProcessorEx)));
    EXPECT_TRUE(client->IsKindOf(RUNTIME_CLASS(CClientSocketEx)));
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CLdapClient)->m_pfnCreateObject);
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CProcessorEx)->m_pfnCreateObject);
    EXPECT_FALSE(client->IsOpen());
    CByteArray bytes;
    bytes.SetSize((int)request.size());
    std::copy(request.begin(), request.end(), bytes.GetData());
    EXPECT_FALSE(client->SendRequest(bytes));  // no socket yet

    ASSERT_TRUE(session.connect());
    EXPECT_EQ((std::vector<unsigned long>{clientConnecting, clientConnected}), session.events.codes);
    EXPECT_STREQ("127.0.0.1", client->m_peerAddress.Get());
    EXPECT_EQ(session.server.port(), client->m_peerPort.Get());
    EXPECT_STREQ("127.0.0.1", client->m_localAddress.Get());
    EXPECT_NE(0u, client->m_localPort.Get());
    EXPECT_LE(client->m_created.Get() - 0, client->m_connected.Get());

    ASSERT_TRUE(client->SendRequest(bytes));
    EXPECT_EQ(request.size(), client->m_bytesSent.Get());
    CByteArray response;
    ASSERT_TRUE(client->ReceiveResponse(response));
    EXPECT_EQ(kMessage300.size(), client->m_bytesReceived.Get());
    ASSERT_TRUE(eventually([&] { return session.server.finished(); }));
    EXPECT_TRUE(session.server.received() == request);

    // The server has closed: the failed receive counts no bytes, the owner
    // hears of the close, and the client is done.
    EXPECT_FALSE(client->ReceiveResponse(response));
    EXPECT_EQ(kMessage300.size(), client->m_bytesReceived.Get());
    EXPECT_EQ((std::vector<unsigned long>{clientConnecting, clientConnected, clientServerClosed, clientDone, clientDone}),
              session.events.codes);
    EXPECT_FALSE(client->IsOpen());
    EXPECT_NE(0u, client->m_closed.Get());
    EXPECT_FALSE(client->SendRequest(bytes));
    EXPECT_EQ(5u, session.events.codes.size());

    client->Destroy();
    session.client = nullptr;
    EXPECT_FALSE(registered(client));
    EXPECT_EQ(clientDone, session.events.codes.back());
}

TEST(LdapClient, ConnectFailuresAreReportedAndShutDown)
{
    ClosedPort closed;
    struct Case {
        const char* reason;
        const char* host;
        UINT port;
        const char* failure;
    } cases[] = {
        {"nobody listens", "127.0.0.1", closed.port(), "Connection to LDAP server [127.0.0.1,"},
        {"unknown name", "bad..name", 389, "THREAD_CATCH:CLdapClient::Connect: Dns Exception: Cannot resolve"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EventLog events;
        CLdapClient* client = CLdapClient::Create(&events);
        client->SetConnectTimeout(3000);
        EXPECT_FALSE(client->Connect(c.host, c.port));
        EXPECT_FALSE(client->IsOpen());
        EXPECT_EQ(0, std::string(client->GetLastFailure()).find(c.failure)) << (const char*)client->GetLastFailure();
        ASSERT_LE(2u, events.codes.size());
        EXPECT_EQ(clientConnecting, events.codes.front());
        EXPECT_EQ(clientDone, events.codes.back());
        EXPECT_EQ(0u, client->m_connected.Get());
        client->Destroy();
    }
}
