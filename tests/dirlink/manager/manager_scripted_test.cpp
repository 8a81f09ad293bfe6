// The directory manager's edge cases that need exact bytes from the server:
// a scripted loopback server plays each case. Also what the manager answers
// without any server.
#include <chrono>
#include <thread>

#include "manager_test_support.h"
#include "support/scripted_server.h"

namespace {

using Step = ScriptedServer::Step;

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes bytesOf(const CByteArray& array)
{
    return Bytes(array.GetData(), array.GetData() + array.GetSize());
}

// The anonymous bind with message ID 1 in the version given.
Bytes bindRequest(int version)
{
    return hexBytes(version == 3 ? "30 0C 02 01 01 60 07 02 01 03 04 00 80 00" : "30 0C 02 01 01 60 07 02 01 02 04 00 80 00");
}
const Bytes kBindOk = hexBytes("30 0C 02 01 01 61 07 0A 01 00 04 00 04 00");
// delRequest "cn=x" with message ID 2, and its successful answer.
const Bytes kDeleteX = hexBytes("30 09 02 01 02 4A 04 63 6E 3D 78");
const Bytes kDeleteOk = hexBytes("30 0C 02 01 02 6B 07 0A 01 00 04 00 04 00");

// A manager logged in to a scripted server whose script starts after the bind.
struct ScriptedSession {
    explicit ScriptedSession(std::vector<Step> afterBind, DWORD version = 2)
        : server(withBind(std::move(afterBind), version))
    {
        manager.settings(server.port(), version);
        connected = manager->Connect(0);
    }
    static std::vector<Step> withBind(std::vector<Step> rest, DWORD version)
    {
        std::vector<Step> script{ScriptedServer::Read((int)bindRequest((int)version).size()),
                                 ScriptedServer::Send(kBindOk)};
        script.insert(script.end(), rest.begin(), rest.end());
        return script;
    }
    // The bytes the server took in, once it has played its script.
    Bytes received()
    {
        for (int waited = 0; !server.finished() && waited < 5000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return server.finished() ? server.received() : Bytes();
    }

    ScriptedServer server;
    Manager manager;
    unsigned short connected;
};

TEST(ManagerScripted, CancelWhileTheSearchWaitsSendsTheAbandonAtOnce)
{
    CSearchFilter filter;
    ASSERT_TRUE(ParseSearchFilter("(cn=*)", filter));
    CStringArray all;
    CByteArray search;
    ldapCreateSearchRequest(2, "o=x", 2, 0, 0, 0, 0, 0, filter, all, search, 0);
    // abandonRequest (APPLICATION 16, primitive) with ID 3 naming the search's ID 2.
    const Bytes abandon = hexBytes("30 06 02 01 03 50 01 02");
    const Bytes deleteX4 = hexBytes("30 09 02 01 04 4A 04 63 6E 3D 78");
    const Bytes lateEntry = hexBytes("30 0A 02 01 02 64 05 04 01 78 30 00");
    const Bytes deleteOk4 = hexBytes("30 0C 02 01 04 6B 07 0A 01 00 04 00 04 00");
    ScriptedSession session({ScriptedServer::Read(search.GetSize()), ScriptedServer::Read((int)abandon.size()),
                             ScriptedServer::Read((int)deleteX4.size()), ScriptedServer::Send(cat({lateEntry, deleteOk4}))});
    ASSERT_EQ(0, session.connected) << session.manager.message();
    Manager& manager = session.manager;

    unsigned short nested = 0;
    BOOL blocking = FALSE;
    PumpAction cancel(100, [&] {
        blocking = manager->IsBlocking();
        nested = manager->Delete("cn=x");
        EXPECT_EQ(0, manager->Cancel());
        return false;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DCODE_INTERRUPTED, manager->Search("o=x", 2, 0, 0, 0, 0, filter, all, 0));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(blocking);
    EXPECT_EQ(DCODE_E_IN_PROGRESS, nested);
    EXPECT_EQ(1, manager.sink.count(DNOTIFY_ABANDON_STARTED));
    // The same connection goes on; the search's late entry is dropped.
    EXPECT_EQ(0, manager->Delete("cn=x")) << manager.message();
    EXPECT_EQ(0, manager.sink.count(DNOTIFY_SEARCH_RESULT));
    EXPECT_EQ(hexOf(cat({bindRequest(2), bytesOf(search), abandon, deleteX4})), hexOf(session.received()));
}

TEST(ManagerScripted, CancelOutsideASearchDropsTheConnection)
{
    ScriptedSession session({ScriptedServer::Read((int)kDeleteX.size())});
    ASSERT_EQ(0, session.connected);
    Manager& manager = session.manager;
    PumpAction cancel(100, [&] {
        manager->Cancel();
        return false;
    });
    manager.sink.codes.clear();
    EXPECT_EQ(DCODE_INTERRUPTED, manager->Delete("cn=x"));
    EXPECT_EQ((std::vector<unsigned long>{119, 103, 104, 120}), manager.sink.codes);
    EXPECT_FALSE(manager->IsConnected());
}

TEST(ManagerScripted, AnswersTheManagerRefuses)
{
    struct Case {
        const char* reason;
        std::vector<Step> answer;
        const char* message;
        bool stillConnected;
    } cases[] = {
        {"another operation's response", {ScriptedServer::Send(hexBytes("30 0C 02 01 02 69 07 0A 01 00 04 00 04 00"))},
         "Unexpected response received.", true},
        {"a result code beyond 32 bits", {ScriptedServer::Send(hexBytes("30 14 02 01 02 6B 0F 0A 09 01 00 00 00 00 00 00 00 00 04 00 04 00"))},
         "Invalid response received.", true},
        {"a result part without its members", {ScriptedServer::Send(hexBytes("30 05 02 01 02 6B 00"))},
         "Failed to receive Delete response.", true},
        {"a message that is not LDAP", {ScriptedServer::Send(hexBytes("30 03 04 01 02"))},
         "Failed to receive Delete response.", true},
        {"a rejection", {ScriptedServer::Send(hexBytes("30 0E 02 01 02 6B 09 0A 01 32 04 00 04 02 6E 6F"))},
         "Delete failed (server rejected: \"no\", code: 50 (0x32) - insufficientAccessRights).", true},
        {"the server closes", {ScriptedServer::Close()}, "Failed to receive Delete response.", false},
        {"a length above the size limit", {ScriptedServer::Send(hexBytes("30 84 7F FF FF F0 02 01 02"))},
         "Failed to receive Delete response.", false},
    };
    for (Case& c : cases) {
        std::vector<Step> script{ScriptedServer::Read((int)kDeleteX.size())};
        script.insert(script.end(), c.answer.begin(), c.answer.end());
        ScriptedSession session(script);
        ASSERT_EQ(0, session.connected) << c.reason;
        EXPECT_EQ(DCODE_E_FAIL, session.manager->Delete("cn=x")) << c.reason;
        EXPECT_EQ(c.message, session.manager.message()) << c.reason;
        EXPECT_EQ(c.stillConnected, (bool)session.manager->IsConnected()) << c.reason;
        if (!c.stillConnected) {
            // A dead connection does not block a new Connect (which this
            // server, done with its one client, never answers).
            const DWORD shortWait = 100;
            EXPECT_EQ(0, session.manager->SetOption(LDAP_DIR_OPTION_RECEIVE_TIMEOUT, &shortWait, 0));
            EXPECT_EQ(DCODE_E_LOGONFAIL, session.manager->Connect(0)) << c.reason;
            EXPECT_EQ("Failed to receive login information.", session.manager.message()) << c.reason;
        }
    }
}

TEST(ManagerScripted, LoginAnswers)
{
    struct Case {
        const char* reason;
        DWORD version;
        Bytes answer;
        unsigned short code;
        const char* message;
        const char* serverUrl;
    } cases[] = {
        {"a server URL (version 2)", 2, hexBytes("30 1A 02 01 01 61 15 0A 01 00 04 00 04 00 86 0C 6C 64 61 70 3A 2F 2F 6F 74 68 65 72"),
         0, "", "ldap://other"},
        {"version 3", 3, kBindOk, 0, "", ""},
        {"rejected with a text", 2, hexBytes("30 0F 02 01 01 61 0A 0A 01 31 04 00 04 03 62 61 64"), 2,
         "Login failed (server rejected: \"bad\", code: 49 (0x31) - invalidCredentials).", ""},
        {"another operation", 2, hexBytes("30 0C 02 01 01 65 07 0A 01 00 04 00 04 00"), 2,
         "Unexpected response received.", ""},
        {"a result code beyond 32 bits", 2, hexBytes("30 14 02 01 01 61 0F 0A 09 01 00 00 00 00 00 00 00 00 04 00 04 00"), 2,
         "Invalid response received.", ""},
    };
    for (const Case& c : cases) {
        ScriptedServer server({ScriptedServer::Read(14), ScriptedServer::Send(c.answer)});
        Manager manager;
        manager.settings(server.port(), c.version);
        EXPECT_EQ(c.code, manager->Connect(0)) << c.reason;
        EXPECT_EQ(c.message, manager.message()) << c.reason;
        CString url;
        manager->GetServerUrl(url);
        EXPECT_EQ(c.serverUrl, str(url)) << c.reason;
        EXPECT_EQ(c.code == 0, (bool)manager->IsConnected()) << c.reason;
        if (c.code == 0) {
            const DWORD port = 1;
            EXPECT_EQ(DCODE_E_FAIL, manager->SetOption(0, &port, 0));
            EXPECT_EQ("Cannot set options when connected.", manager.message());
        }
        for (int waited = 0; !server.finished() && waited < 5000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(hexOf(bindRequest((int)c.version)), hexOf(server.received())) << c.reason;
    }
}

TEST(ManagerScripted, CompareKeepsTheMatchedSubtype)
{
    const Bytes compareTrue = hexBytes("30 10 02 01 02 6F 0B 0A 01 06 04 00 04 00 89 02 63 6E");
    const CAttributeValueAssertion ava = assertionOf("cn", "a");
    CByteArray request;
    ldapCompareRequest(2, "cn=x", ava, request, 0);
    ScriptedSession session({ScriptedServer::Read(request.GetSize()), ScriptedServer::Send(compareTrue)});
    int compared = -1;
    CString subtype;
    EXPECT_EQ(0, session.manager->Compare("cn=x", ava, compared, subtype)) << session.manager.message();
    EXPECT_EQ(1, compared);
    EXPECT_EQ("cn", str(subtype));
}

TEST(ManagerScripted, ConfigurationGoesThroughTheManager)
{
    // Stored by one manager, loaded by another that then logs in with it.
    ScriptedServer server({ScriptedServer::Read(14), ScriptedServer::Send(kBindOk)});
    Manager first, second;
    first.settings(server.port(), 2);
    CMemFile stored;
    ASSERT_EQ(0, first->SaveConfiguration(&stored));
    stored.SeekToBegin();
    ASSERT_EQ(0, second->LoadConfiguration(&stored)) << second.message();
    CString one, two;
    first->GetDescription(one);
    second->GetDescription(two);
    EXPECT_EQ(str(one), str(two));
    ASSERT_EQ(0, second->Connect(0)) << second.message();

    stored.SeekToBegin();
    EXPECT_EQ(1, second->LoadConfiguration(&stored));
    EXPECT_EQ("Cannot load configurations when connected.", second.message());
    EXPECT_EQ(1, second->Configure(nullptr));
    EXPECT_EQ("Cannot configure when connected.", second.message());
    EXPECT_EQ(1, second->LoadConfiguration(nullptr));
    second->Disconnect();
    EXPECT_EQ(1, second->LoadConfiguration(nullptr));
    EXPECT_EQ("Failed to load configurations.", second.message());
}

TEST(ManagerOffline, AnswersWithoutAServer)
{
    Manager manager;
    EXPECT_EQ(DCODE_E_NOT_CONNECTED, manager->Delete("cn=x"));
    EXPECT_EQ("Not connected.", manager.message());
    EXPECT_EQ(DCODE_NOT_BLOCKING, manager->Cancel());
    EXPECT_EQ("Not currently blocking.", manager.message());

    struct Option {
        int number;
        DWORD value;
        unsigned short code;
        const char* message;
    } options[] = {
        {7, 0, 1, "Unknown option: 7(0x7)."},
        {LDAP_DIR_OPTION_PROTOCOL_VERSION, 4, 1, "Unsupported protocol version: 4."},
        {LDAP_DIR_OPTION_PROTOCOL_VERSION, 3, 0, ""},
        {LDAP_DIR_OPTION_MAX_MESSAGE_SIZE, 0, 1, "Message size limit out of range: 0."},
    };
    for (const Option& o : options) {
        EXPECT_EQ(o.code, manager->SetOption(o.number, &o.value, 0)) << o.number;
        EXPECT_EQ(o.message, manager.message()) << o.number;
    }
    EXPECT_EQ(1, manager->SetOption(5, nullptr, 0));
    EXPECT_EQ("No value given for option 5.", manager.message());

    EXPECT_EQ(DCODE_E_NOT_SUPPORTED, manager->UnsupportedOperation());
    EXPECT_EQ("Not supported.", manager.message());

    CString text;
    ASSERT_EQ(0, manager->SetOption(5, "", 0));
    manager->GetDescription(text);
    EXPECT_EQ("X.500 Directory LDAP-server: \"<none>\".\r\nUser name: \"\".\r\nPort number: \"389\".", str(text));
    manager->SetDefaults();
    manager->GetDescription(text);
    EXPECT_EQ("X.500 Directory LDAP-server: \"localhost\".\r\nUser name: \"\".\r\nPort number: \"389\".", str(text));

    // Nobody listens on the port of a server that has gone.
    unsigned port;
    {
        ScriptedServer gone({});
        port = gone.port();
    }
    manager.settings(port, 2);
    manager.sink.codes.clear();
    EXPECT_EQ(DCODE_E_FAIL, manager->Connect(0));
    EXPECT_EQ("Cannot connect to \"127.0.0.1\".", manager.message());
    EXPECT_EQ((std::vector<unsigned long>{101, 105}), manager.sink.codes);

    EXPECT_STREQ("DCODE_E_NOT_CONNECTED", DirManCodeToString(9));
    for (unsigned short unnamed : {4, 6, 10, 0xFFFF})
        EXPECT_STREQ("<unknown>", DirManCodeToString(unnamed)) << unnamed;
}

}  // namespace
