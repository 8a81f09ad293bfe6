// The directory manager against a real slapd, with LDAP versions 2 and 3:
// login, searches with every kind of ending, updates and compares, Who am
// I, a cancel in the middle of a 10,000-entry search, and a server that
// goes away during a search.
#include <csignal>
#include <sys/wait.h>

#include "manager_test_support.h"
#include "support/slapd_suite.h"

namespace {

const char kBase[] = "dc=example,dc=com";
const char kPeople[] = "ou=people,dc=example,dc=com";
const char kMany[] = "ou=many,dc=example,dc=com";
const int kManyEntries = 10000;

// Persons below ou=many, each with a description of descriptionSize octets.
std::string manyPersons(int count, size_t descriptionSize)
{
    std::string ldif = "dn: ou=many,dc=example,dc=com\nobjectClass: organizationalUnit\nou: many\n\n";
    const std::string description(descriptionSize, 'd');
    for (int i = 0; i < count; ++i) {
        const std::string uid = "user" + std::to_string(i);
        ldif += "dn: uid=" + uid + ",ou=many,dc=example,dc=com\nobjectClass: inetOrgPerson\nuid: " + uid +
                "\ncn: User " + std::to_string(i) + "\nsn: Number\nmail: " + uid + "@example.com\ndescription: " +
                description + "\n\n";
    }
    return ldif;
}

std::string directory()
{
    return SlapdServer::baseEntries() +
           "dn: cn=Alice,ou=people,dc=example,dc=com\nobjectClass: inetOrgPerson\ncn: Alice\nsn: Smith\n\n"
           "dn: cn=Bob,ou=people,dc=example,dc=com\nobjectClass: inetOrgPerson\ncn: Bob\nsn: Jones\n\n"
           "dn: ou=elsewhere,dc=example,dc=com\nobjectClass: referral\nobjectClass: extensibleObject\n"
           "ou: elsewhere\nref: ldap://other.example.com/ou=elsewhere,dc=example,dc=com\n\n" +
           manyPersons(kManyEntries, 20);
}

class ManagerPeer : public SlapdSuite<::testing::TestWithParam<DWORD>, directory> {
protected:
    void login(const char* password = SlapdServer::kRootPassword)
    {
        manager.settings((unsigned)server().port(), version(), SlapdServer::kRootDn, password);
        ASSERT_EQ(0, manager->Connect(0)) << manager.message();
    }
    DWORD version() const { return GetParam(); }
    // "cn=Temp2,ou=people,..." : the versions run side by side in one directory.
    std::string temporary(const char* name) const
    {
        return std::string("cn=") + name + std::to_string(version()) + "," + kPeople;
    }

    Manager manager;
};

INSTANTIATE_TEST_SUITE_P(Versions, ManagerPeer, ::testing::Values(2u, 3u),
                         [](const ::testing::TestParamInfo<DWORD>& info) { return "v" + std::to_string(info.param); });

TEST_P(ManagerPeer, LoginLogoutAndRejectedCredentials)
{
    login();
    EXPECT_TRUE(manager->IsConnected());
    EXPECT_EQ((std::vector<unsigned long>{101, 102, 127, 134, 128}), manager.sink.codes);
    EXPECT_EQ(DCODE_E_CONNECTEDYET, manager->Connect(0));
    manager.sink.codes.clear();
    EXPECT_EQ(0, manager->Disconnect());
    EXPECT_EQ((std::vector<unsigned long>{103, 129, 130, 104}), manager.sink.codes);
    EXPECT_FALSE(manager->IsConnected());
    EXPECT_EQ(DCODE_E_NOT_CONNECTED, manager->Disconnect());

    manager.sink.codes.clear();
    manager.settings((unsigned)server().port(), version(), SlapdServer::kRootDn, "wrong");
    EXPECT_EQ(DCODE_E_LOGONFAIL, manager->Connect(0));
    EXPECT_EQ("Login failed (server rejected: \"\", code: 49 (0x31) - invalidCredentials).", manager.message());
    EXPECT_EQ((std::vector<unsigned long>{101, 102, 127, 134, 105}), manager.sink.codes);
    EXPECT_FALSE(manager->IsConnected());
    login();  // the failed login left nothing behind
}

TEST_P(ManagerPeer, SearchesWithEveryEnding)
{
    // Version 2 has no references: slapd folds them into partialResults (9).
    const bool v3 = version() == 3;
    const char* referral = v3 ? "ldap://other.example.com/cn=x,ou=elsewhere,dc=example,dc=com??sub" : "";
    struct Case {
        const char* reason;
        const char* base;
        const char* filter;
        unsigned long sizeLimit;
        size_t entries;
        int references;
        DWORD code;
        const char* matchedDn;
        const char* referral;
    } cases[] = {
        {"entries", kPeople, "(sn=*)", 0, 2, 0, 0, "", ""},
        {"a referral object below the base", kBase, "(ou=elsewhere)", 0, 0, v3 ? 1 : 0, v3 ? 0u : 9u, "", ""},
        {"a base below a referral object", "cn=x,ou=elsewhere,dc=example,dc=com", "(cn=*)", 0, 0, 0, v3 ? 10u : 9u,
         "ou=elsewhere,dc=example,dc=com", referral},
        {"no such object", "ou=nothere,dc=example,dc=com", "(cn=*)", 0, 0, 0, 32, kBase, ""},
        {"size limit exceeded", kMany, "(uid=*)", 5, 5, 0, 4, "", ""},
    };
    login();
    for (const Case& c : cases) {
        ASSERT_EQ(0, searchFor(manager, c.base, c.filter, c.sizeLimit)) << c.reason << ": " << manager.message();
        const Recorder& sink = manager.sink;
        EXPECT_EQ(c.entries, sink.dns.size()) << c.reason;
        EXPECT_EQ(c.references, sink.references) << c.reason;
        EXPECT_EQ(c.code, sink.done.m_resultCode) << c.reason << " " << str(sink.done.m_errorMessage);
        EXPECT_EQ(c.matchedDn, str(sink.done.m_matchedDN)) << c.reason;
        EXPECT_EQ(c.referral, sink.done.m_referral.GetSize() ? str(sink.done.m_referral[0]) : "") << c.reason;
        ASSERT_FALSE(sink.codes.empty());
        EXPECT_EQ(111u, sink.codes.front()) << c.reason;
        EXPECT_EQ(112u, sink.codes.back()) << c.reason;
        EXPECT_EQ((int)c.entries + c.references + 1, sink.count(131)) << c.reason;
    }
}

TEST_P(ManagerPeer, UpdatesAndCompares)
{
    login();
    const std::string dn = temporary("Temp"), renamed = temporary("Renamed");
    manager->Delete(dn.c_str());  // left over by an interrupted run
    manager->Delete(renamed.c_str());

    CAttributeArray attributes;
    const std::string cn = "Temp" + std::to_string(version());
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"objectClass", "person"}, {"cn", cn},
                                      {"sn", "Before"}}) {
        attributes.Add(new CAttribute);
        attributes[attributes.GetSize() - 1]->m_name = name;
        attributes[attributes.GetSize() - 1]->AddValue(value.c_str());
    }
    CModificationArray changes;
    changes.Add(new CModification);
    changes[0]->m_operation = CModification::opReplace;
    changes[0]->m_attribute.m_name = "sn";
    changes[0]->m_attribute.AddValue("After");
    int compared = 9;
    CString subtype;
    auto compare = [&](const std::string& target, const char* value) {
        return manager->Compare(target.c_str(), assertionOf("sn", value), compared, subtype);
    };

    EXPECT_EQ(0, manager->Add(dn.c_str(), attributes)) << manager.message();
    EXPECT_EQ(1, manager->Add(dn.c_str(), attributes));
    EXPECT_EQ("Add failed (server rejected: \"\", code: 68 (0x44) - entryAlreadyExists).", manager.message());
    EXPECT_EQ(0, manager->Modify(dn.c_str(), changes)) << manager.message();
    EXPECT_EQ(0, compare(dn, "After"));
    EXPECT_EQ(1, compared);
    EXPECT_EQ(0, compare(dn, "Before"));
    EXPECT_EQ(0, compared);
    const std::string newRdn = "cn=Renamed" + std::to_string(version());
    EXPECT_EQ(0, manager->ModifyDn(dn.c_str(), newRdn.c_str(), 1, nullptr)) << manager.message();
    EXPECT_EQ(1, compare(dn, "After"));
    EXPECT_EQ(-1, compared);
    EXPECT_EQ("Compare failed (server rejected: \"\", code: 32 (0x20) - noSuchObject).", manager.message());
    EXPECT_EQ(0, manager->Delete(renamed.c_str())) << manager.message();
    EXPECT_EQ(1, manager->Delete(renamed.c_str()));
    EXPECT_EQ((std::vector<unsigned long>{119, 134, 120}),
              std::vector<unsigned long>(manager.sink.codes.end() - 3, manager.sink.codes.end()));
}

TEST_P(ManagerPeer, WhoAmIOnlyAfterAVersion3Login)
{
    login();
    const unsigned short code = manager->Extended("1.3.6.1.4.1.4203.1.11.3", nullptr);
    if (version() == 3) {
        EXPECT_EQ(0, code) << manager.message();
        EXPECT_EQ(std::string("dn:") + SlapdServer::kRootDn, manager.sink.extendedValue);
        EXPECT_EQ(1, manager.sink.count(136));
        return;
    }
    // slapd refuses the operation on a version 2 session and may close it:
    // a failure with a message, and a manager that can connect again.
    EXPECT_EQ(1, code);
    EXPECT_FALSE(manager.message().empty());
    if (!manager->IsConnected()) {
        EXPECT_EQ(0, manager->Connect(0)) << manager.message();
    }
    EXPECT_TRUE(manager->IsConnected());
}

TEST_P(ManagerPeer, CancelFromTheSinkAbandonsTheSearchAndKeepsTheConnection)
{
    login();
    manager.sink.then = [&](unsigned long code, void*) {
        if (code == DNOTIFY_SEARCH_RESULT && manager.sink.dns.size() == 100) {
            EXPECT_EQ(0, manager->Cancel());
        }
    };
    EXPECT_EQ(DCODE_INTERRUPTED, searchFor(manager, kMany, "(uid=*)"));
    EXPECT_EQ(100u, manager.sink.dns.size());
    EXPECT_EQ(1, manager.sink.count(125));
    EXPECT_EQ(1, manager.sink.count(126));
    EXPECT_EQ(112u, manager.sink.codes.back());
    EXPECT_FALSE(manager->IsBlocking());
    manager.sink.then = nullptr;

    // What the server had sent before it saw the abandon is dropped on the way.
    int compared = -1;
    CString subtype;
    EXPECT_EQ(0, manager->Compare("uid=user1,ou=many,dc=example,dc=com", assertionOf("sn", "Number"), compared, subtype))
        << manager.message();
    EXPECT_EQ(1, compared);
    ASSERT_EQ(0, searchFor(manager, kMany, "(uid=user7)"));
    EXPECT_EQ(std::vector<std::string>{"uid=user7,ou=many,dc=example,dc=com"}, manager.sink.dns);
    EXPECT_EQ(0u, manager.sink.done.m_resultCode);
}

TEST(ManagerLostPeer, ServerGoesAwayDuringASearch)
{
    SlapdServer server;
    std::string error;
    ASSERT_TRUE(server.start(SlapdServer::baseEntries() + manyPersons(10, 20), &error)) << error;
    Manager manager;
    manager.settings((unsigned)server.port(), 3, SlapdServer::kRootDn, SlapdServer::kRootPassword);
    ASSERT_EQ(0, manager->Connect(0)) << manager.message();
    // The server stops before the request reaches it and dies while the
    // manager waits for the answer: the request it never read makes the
    // kernel reset the connection.
    manager.sink.then = [&](unsigned long code, void*) {
        if (code == DNOTIFY_SEARCH_STARTED) {
            int status;
            kill(server.pid(), SIGSTOP);
            waitpid(server.pid(), &status, WUNTRACED);  // every thread of it has stopped
        }
    };
    PumpAction dies(300, [&] {
        kill(server.pid(), SIGKILL);
        return false;
    });
    EXPECT_EQ(DCODE_INTERRUPTED, searchFor(manager, kMany, "(uid=*)"));
    EXPECT_EQ("Failed to receive search response.", manager.message());
    EXPECT_EQ(1, manager.sink.count(DNOTIFY_DISCONNECTED));
    EXPECT_EQ(112u, manager.sink.codes.back());
    EXPECT_FALSE(manager->IsConnected());
    EXPECT_EQ(DCODE_E_NOT_CONNECTED, manager->Delete("cn=x"));
    EXPECT_EQ("Not connected.", manager.message());
    server.stop();
    // The dead connection does not stand in the way of a new one.
    EXPECT_EQ(DCODE_E_FAIL, manager->Connect(0));
    EXPECT_EQ("Cannot connect to \"127.0.0.1\".", manager.message());
}

}  // namespace
