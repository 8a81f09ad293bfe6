#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <string>

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

bool registered(CProcessorEx* processor)
{
    std::vector<CProcessorEx*> all;
    CProcessorEx::EnumProcessors(
        [](CProcessorEx* p, void* list) {
            static_cast<std::vector<CProcessorEx*>*>(list)->push_back(p);
            return TRUE;
        },
        &all);
    return std::count(all.begin(), all.end(), processor) == 1;
}

bool startsWith(const CString& text, const char* prefix)
{
    return std::string(text).rfind(prefix, 0) == 0;
}

const Bytes kMessage300 = sequenceOf(296, 2);
const Bytes kNext = hexBytes("30 03 02 01 05");
}  // namespace

// Each case: what the server sends, the messages the client must read one by
// one, and the failure that must follow them (nullptr: none).
TEST(LdapClient, ReadsWholeMessagesAndFailsSafelyOnBadInput)
{
    const Bytes big = sequenceOf(200000, 3);  // several receive chunks
    const Bytes hostile = hexBytes("30 84 7F FF FF F0 01 02 03");
    struct Case {
        const char* reason;
        std::vector<Step> script;
        std::vector<Bytes> messages;
        const char* failure;
        DWORD maxMessageSize;  // 0: the default
        DWORD receiveTimeout;  // 0: long enough to fail the case rather than hang it
    } cases[] = {
        {"a 300-octet message and the next one in one segment", {ScriptedServer::Send(concat({kMessage300, kNext}))},
         {kMessage300, kNext}, nullptr, 0, 0},
        {"a long-form length arriving two octets at a time",
         {ScriptedServer::Send(hexBytes("30 84")), ScriptedServer::Pause(15), ScriptedServer::Send(hexBytes("00 00")),
          ScriptedServer::Pause(15), ScriptedServer::Send(hexBytes("00 05")), ScriptedServer::Pause(15),
          ScriptedServer::Send(hexBytes("02 01 07 42 00"))},
         {hexBytes("30 84 00 00 00 05 02 01 07 42 00")}, nullptr, 0, 0},
        {"one length octet announcing no contents: the next message stays whole",
         {ScriptedServer::Send(concat({hexBytes("30 81 00"), kNext}))}, {hexBytes("30 81 00"), kNext}, nullptr, 0, 0},
        {"three length octets announcing no contents",
         {ScriptedServer::Send(concat({hexBytes("30 83 00 00 00"), kNext}))}, {hexBytes("30 83 00 00 00"), kNext},
         nullptr, 0, 0},
        {"a message larger than one receive chunk", {ScriptedServer::Send(big)}, {big}, nullptr, 0, 0},
        {"a message exactly at the size limit", {ScriptedServer::Send(kMessage300)}, {kMessage300}, nullptr, 300, 0},
        {"indefinite length", {ScriptedServer::Send(hexBytes("30 80 02 01 01 00 00"))}, {}, "BAD DER Encoding", 0, 0},
        {"high tag number", {ScriptedServer::Send(hexBytes("1F 81 00 00"))}, {}, "BAD DER Encoding", 0, 0},
        {"five length octets", {ScriptedServer::Send(hexBytes("30 85 00 00 00 00 01 00"))}, {}, "BAD DER Encoding", 0, 0},
        {"one octet above the size limit", {ScriptedServer::Send(kMessage300)}, {}, "Message too large", 299, 0},
        {"a hostile length of nearly 2 GiB", {ScriptedServer::Send(hostile)}, {}, "Message too large", 0, 0},
        {"the same with the limit lifted: nothing is allocated for octets that never come",
         {ScriptedServer::Send(hostile), ScriptedServer::Close()}, {}, "Winsock Receive Error", 0x7FFFFFFF, 0},
        {"the server closes in mid-message",
         {ScriptedServer::Send(kNext), ScriptedServer::Send(hexBytes("30 0A 02 01")), ScriptedServer::Close()}, {kNext},
         "Winsock Receive Error", 0, 0},
        {"the receive time-out", {ScriptedServer::Send(hexBytes("30 05 02"))}, {}, "Winsock Receive Error", 0, 60},
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
            EXPECT_TRUE(Bytes(response.GetData(), response.GetData() + response.GetSize()) == expected);
        }
        if (c.failure) {
            CByteArray response;
            EXPECT_FALSE(client.ReceiveResponse(response));
            EXPECT_EQ(0, response.GetSize());
            EXPECT_FALSE(client.IsOpen());
            EXPECT_EQ(clientDone, session.events.codes.back());
            EXPECT_TRUE(startsWith(client.GetLastFailure(),
                                   "THREAD_CATCH:CLdapClient::ReceiveResponse: File-specific exception"));
            EXPECT_NE(std::string::npos, std::string(client.GetLastFailure()).find(std::string("::DER_Receive: ") +
                                                                                  c.failure))
                << (const char*)client.GetLastFailure();
        }
        EXPECT_EQ(!c.failure, client.IsOpen() != FALSE);
        EXPECT_LT(millisecondsSince(start), 2000);
        EXPECT_LT(peakResidentKb() - peakBefore, 256 * 1024);
    }
}

TEST(LdapClient, CancelEndsABlockingReceiveFromThePumpOrASignalHandler)
{
    ScopedSigint sigint(cancelOnSignal);
    pthread_t waiter = pthread_self();
    for (bool fromSignal : {false, true}) {
        SCOPED_TRACE(fromSignal ? "SIGINT handler" : "posted window message");
        Session session({ScriptedServer::Send(hexBytes("30 05 02 01"))});
        ASSERT_TRUE(session.connect());
        CLdapClient* client = session.client;
        client->SetReceiveTimeout(3000);  // fails the case, rather than hangs it, without the cancel
        g_cancelOnSignal = client;
        TestWindow window;
        window.onMessage = [&](UINT, WPARAM) { EXPECT_EQ(1, client->Cancel()); };
        HWND hwnd = window.hwnd;
        Clock::time_point start = Clock::now();
        CByteArray response;
        BOOL received;
        {
            Later trigger(40, [&] {
                if (fromSignal)
                    pthread_kill(waiter, SIGINT);
                else
                    PostMessage(hwnd, WM_USER, 0, 0);
            });
            received = client->ReceiveResponse(response);
        }
        g_cancelOnSignal = nullptr;
        EXPECT_FALSE(received);
        EXPECT_LT(millisecondsSince(start), 2000);
        EXPECT_EQ(1, client->m_breakRequested.load());
        EXPECT_FALSE(client->IsOpen());
        std::vector<unsigned long> events{clientConnecting, clientConnected, clientCancel, clientDone};
        if (fromSignal)
            events.erase(events.begin() + 2);
        EXPECT_EQ(events, session.events.codes);
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
    EXPECT_TRUE(client->IsKindOf(RUNTIME_CLASS(CProcessorEx)));
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CLdapClient)->m_pfnCreateObject);
    CByteArray bytes;
    bytes.SetSize((int)request.size());
    std::copy(request.begin(), request.end(), bytes.GetData());
    EXPECT_FALSE(client->SendRequest(bytes));  // no socket yet

    ASSERT_TRUE(session.connect());
    EXPECT_STREQ("127.0.0.1", client->m_peerAddress.Get());
    EXPECT_EQ(session.server.port(), client->m_peerPort.Get());
    EXPECT_NE(0u, client->m_localPort.Get());
    ASSERT_TRUE(client->SendRequest(bytes));
    CByteArray response;
    ASSERT_TRUE(client->ReceiveResponse(response));
    EXPECT_EQ(request.size(), client->m_bytesSent.Get());
    EXPECT_EQ(kMessage300.size(), client->m_bytesReceived.Get());
    ASSERT_TRUE(eventually([&] { return session.server.finished(); }));
    EXPECT_TRUE(session.server.received() == request);

    // The server has closed: the failed receive counts no octets, the owner
    // hears of the close, and the client is done.
    EXPECT_FALSE(client->ReceiveResponse(response));
    EXPECT_EQ(kMessage300.size(), client->m_bytesReceived.Get());
    EXPECT_NE(0u, client->m_closed.Get());
    EXPECT_FALSE(client->SendRequest(bytes));
    EXPECT_EQ((std::vector<unsigned long>{clientConnecting, clientConnected, clientServerClosed, clientDone, clientDone}),
              session.events.codes);
    client->Destroy();
    session.client = nullptr;
    EXPECT_FALSE(registered(client));
}

TEST(LdapClient, ConnectFailuresAreReportedAndShutDown)
{
    LoopbackPort closed(false);
    struct Case {
        const char* host;
        UINT port;
        const char* failure;
    } cases[] = {
        {"127.0.0.1", closed.port(), "Connection to LDAP server [127.0.0.1,"},
        {"bad..name", 389, "THREAD_CATCH:CLdapClient::Connect: Dns Exception: Cannot resolve"},
    };
    for (const Case& c : cases) {
        EventLog events;
        CLdapClient* client = CLdapClient::Create(&events);
        client->SetConnectTimeout(3000);
        EXPECT_FALSE(client->Connect(c.host, c.port));
        EXPECT_TRUE(startsWith(client->GetLastFailure(), c.failure)) << (const char*)client->GetLastFailure();
        EXPECT_EQ((std::vector<unsigned long>{clientConnecting, clientDone}), events.codes);
        EXPECT_EQ(0u, client->m_connected.Get());
        client->Destroy();
    }
}
