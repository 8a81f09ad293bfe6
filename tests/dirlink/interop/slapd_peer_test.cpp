// The request builders, response parsers, filters and LDIF against a real
// slapd: every request kind it understands gets the answer it should, the
// answers parse, and LDIF goes both ways through the OpenLDAP tools.
#include <cstdio>
#include <functional>

#include "slapd_peer.h"

namespace {

TEST_F(SlapdPeer, BindAnswers)
{
    struct Case {
        const char* reason;
        unsigned long version;
        const char* name;
        const char* password;
        DWORD code;
    } cases[] = {
        {"version 2, root", 2, SlapdServer::kRootDn, SlapdServer::kRootPassword, 0},
        {"version 2, wrong password", 2, SlapdServer::kRootDn, "wrong", 49},
        {"version 2, anonymous (null name and password)", 2, nullptr, nullptr, 0},
        {"version 3, root", 3, SlapdServer::kRootDn, SlapdServer::kRootPassword, 0},
    };
    for (const Case& c : cases) {
        CByteArray request;
        ldapCreateBindRequest(m_id++, c.version, c.name, c.password, request);
        CResultInfo info = result(request);
        EXPECT_EQ(c.code, info.m_resultCode) << c.reason;
        EXPECT_EQ(str(ldapResultToString(c.code)), str(info.m_resultText)) << c.reason;
    }
    // An unbind has no answer: the server closes the connection.
    CByteArray unbind;
    ldapCreateUnbindRequest(m_id++, unbind);
    ASSERT_TRUE(m_socket.send(unbind));
    EXPECT_TRUE(m_socket.closedByServer());
}

TEST_F(SlapdPeer, EverySearchFilterKind)
{
    struct Case {
        const char* filter;
        std::set<std::string> found;
    } cases[] = {
        {"(cn=Alice Smith)", {"Alice Smith"}},
        {"(cn=*o*)", {"Bob Jones", "Carol White"}},
        {"(cn=Al*)", {"Alice Smith"}},
        {"(cn=*White)", {"Carol White"}},
        {"(cn=B*b*s)", {"Bob Jones"}},
        {"(mail=*)", {"Alice Smith", "Bob Jones"}},
        {"(!(mail=*))", {"Carol White"}},
        {"(&(sn=Smith)(mail=alice@example.com))", {"Alice Smith"}},
        {"(|(sn=Jones)(sn=White))", {"Bob Jones", "Carol White"}},
        {"(sn~=Smith)", {"Alice Smith"}},
        {"(createTimestamp>=19700101000000Z)", {"Alice Smith", "Bob Jones", "Carol White"}},
        {"(createTimestamp<=19700101000000Z)", {}},
        {"(cn:caseExactMatch:=Alice Smith)", {"Alice Smith"}},
        {"(cn:caseExactMatch:=alice smith)", {}},
        {"(ou:dn:=filters)", {"Alice Smith", "Bob Jones", "Carol White"}},
        {"(description=caf\\c3\\a9 au lait)", {"Alice Smith"}},
        {"(description= leading space)", {"Carol White"}},
        {"(&)", {"Alice Smith", "Bob Jones", "Carol White"}},
        {"(|)", {}},
    };
    for (int nameForm : {0, 1}) {
        for (const Case& c : cases) {
            SearchAnswer answer = searchFilter(c.filter, nameForm);
            ASSERT_TRUE(answer.complete) << c.filter;
            EXPECT_EQ(0U, answer.done.m_resultCode) << c.filter << " " << str(answer.done.m_errorMessage);
            EXPECT_EQ(c.found, answer.names()) << c.filter << " with name form " << nameForm;
        }
    }
    // The values come back as they were loaded (base64 and folded in the LDIF).
    SearchAnswer bob = searchFilter("(sn=Jones)", 1);
    ASSERT_EQ(1u, bob.entries.size());
    int description = bob.entries[0].FindNextAttribute(-1, "description");
    ASSERT_GE(description, 0);
    EXPECT_EQ(150UL, bob.entries[0].m_attributes[description]->m_values[0]->GetSize());
}

TEST_F(SlapdPeer, ConvenienceSearchesAndSizeLimit)
{
    CByteArray request;
    ldapCreateSearchWithPresentAttrRequest(m_id++, kFilters, 1, 0, 0, 0, 0, "mail", 0, request);
    EXPECT_EQ((std::set<std::string>{"Alice Smith", "Bob Jones"}), search(request).names());
    ldapCreateSearchWithEqualityRequest(m_id++, kFilters, 1, 0, 0, 0, 0, "sn", "White", 0, 0, request);
    EXPECT_EQ((std::set<std::string>{"Carol White"}), search(request).names());
    CStringArray any;
    any.Add("");
    any.Add("o");
    ldapCreateSearchSubstringRequest(m_id++, kFilters, 1, 0, 0, 0, 0, 0, "cn", "", any, "s", request);
    EXPECT_EQ((std::set<std::string>{"Bob Jones"}), search(request).names());
    ldapCreateSearchWithPresentAttrRequest(m_id++, kFilters, 1, 0, 1, 0, 0, "objectClass", 0, request);
    SearchAnswer limited = search(request);
    EXPECT_EQ(4U, limited.done.m_resultCode) << "size limit 1";
    EXPECT_EQ(1u, limited.entries.size());
}

TEST_F(SlapdPeer, AddCompareModifyRenameDelete)
{
    bindAsRoot(3);
    const char* dn = "cn=Ann Lee,ou=people,dc=example,dc=com";
    CAttributeArray attributes;
    attributes.Add(attributeOf("objectClass", {"top", "person", "inetOrgPerson"}));
    attributes.Add(attributeOf("cn", {"Ann Lee"}));
    attributes.Add(attributeOf("sn", {"Lee"}));
    attributes.Add(nullptr);
    attributes.Add(attributeOf("mail", {"ann@example.com"}));
    CByteArray request;
    ldapCreateAddRequest(m_id++, dn, attributes, request, 0);  // types as object identifiers
    EXPECT_EQ(0U, code(request));
    ldapCreateAddRequest(m_id++, dn, attributes, request, 1);
    EXPECT_EQ(68U, code(request)) << "entryAlreadyExists";

    for (const char* sn : {"Lee", "Jones"}) {
        CUniDataHolder* value = CUniDataHolder::Create(0);
        value->Put(sn);
        CAttributeValueAssertion assertion("sn", value);
        value->Release();
        ldapCompareRequest(m_id++, dn, assertion, request, 0);
        EXPECT_EQ(sn[0] == 'L' ? 6U : 5U, code(request)) << "compareTrue / compareFalse for " << sn;
    }

    CModificationArray changes;
    const DWORD operations[] = {CModification::opReplace, CModification::opAdd, CModification::opDelete};
    const char* names[] = {"description", "telephoneNumber", "mail"};
    for (int i = 0; i < 3; ++i) {
        changes.Add(new CModification);
        changes[i]->m_operation = operations[i];
        changes[i]->m_attribute.m_name = names[i];
        if (i < 2)
            changes[i]->m_attribute.AddValue(i == 0 ? "first user" : "+1 555 0100");
    }
    ldapCreateModifyRequest(m_id++, dn, changes, request, 0);
    EXPECT_EQ(0U, code(request));
    SearchAnswer after = searchFilter("(cn=Ann Lee)", 1, kPeople);
    ASSERT_EQ(1u, after.entries.size());
    EXPECT_LT(after.entries[0].FindNextAttribute(-1, "mail"), 0);
    EXPECT_GE(after.entries[0].FindNextAttribute(-1, "telephoneNumber"), 0);

    ldapModifyDnRequest(m_id++, dn, "cn=Ann Lee-Smith", 0, "dc=example,dc=com", request);
    EXPECT_EQ(0U, code(request));
    ldapModifyDnRequest(m_id++, dn, "cn=Ann Lee-Smith", 0, nullptr, request);
    EXPECT_EQ(32U, code(request)) << "the old name is gone";

    const char* moved = "cn=Ann Lee-Smith,dc=example,dc=com";
    ldapCreateDeleteRequest(m_id++, moved, request);
    EXPECT_EQ(0U, code(request));
    ldapCreateDeleteRequest(m_id++, moved, request);
    CResultInfo again = result(request);
    EXPECT_EQ(32U, again.m_resultCode);
    EXPECT_EQ("dc=example,dc=com", str(again.m_matchedDN));
}

// Attribute options travel as written: a value added with a language tag
// keeps it, a filter on the tagged type matches only tagged values, and
// deleting the tagged type leaves the untagged values alone.
TEST_F(SlapdPeer, LanguageTaggedValuesKeepTheirTags)
{
    bindAsRoot(3);
    const char* dn = "cn=Tagged,ou=people,dc=example,dc=com";
    CAttributeArray attributes;
    attributes.Add(attributeOf("objectClass", {"inetOrgPerson"}));
    attributes.Add(attributeOf("cn", {"Tagged"}));
    attributes.Add(attributeOf("sn", {"Tagged"}));
    attributes.Add(attributeOf("description", {"plain"}));
    attributes.Add(attributeOf("description;lang-de", {"Beschreibung"}));
    CByteArray request;
    ldapCreateAddRequest(m_id++, dn, attributes, request, 0);
    ASSERT_EQ(0U, code(request));

    struct Case {
        const char* filter;
        size_t found;
    } before[] = {{"(description;lang-de=Beschreibung)", 1}, {"(description;lang-de=plain)", 0}};
    for (const Case& c : before)
        for (int nameForm : {0, 1})
            EXPECT_EQ(c.found, searchFilter(c.filter, nameForm, kPeople).entries.size()) << c.filter;

    CModificationArray changes;
    changes.Add(new CModification);
    changes[0]->m_operation = CModification::opDelete;
    changes[0]->m_attribute.m_name = "description;lang-de";
    ldapCreateModifyRequest(m_id++, dn, changes, request, 1);
    EXPECT_EQ(0U, code(request));
    EXPECT_EQ(1u, searchFilter("(description=plain)", 1, kPeople).entries.size());
    EXPECT_EQ(0u, searchFilter("(description=Beschreibung)", 1, kPeople).entries.size());

    ldapCreateDeleteRequest(m_id++, dn, request);
    EXPECT_EQ(0U, code(request));
}

// What slapd makes of the system's version 2 sessions: operations of
// version 3 are refused with protocolError and the connection is closed.
TEST_F(SlapdPeer, VersionTwoSessionRefusesVersionThreeOperations)
{
    struct Case {
        const char* reason;
        std::function<void(CByteArray&, unsigned long)> build;
        const char* message;
    } cases[] = {
        {"modify DN with a new superior",
         [](CByteArray& r, unsigned long id) { ldapModifyDnRequest(id, "cn=x,dc=example,dc=com", "cn=y", 0, "dc=example,dc=com", r); },
         "newSuperior requires LDAPv3"},
        {"who am I", [](CByteArray& r, unsigned long id) { ldapExtendedRequest(id, "1.3.6.1.4.1.4203.1.11.3", nullptr, 0, r); },
         "requires LDAPv3"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_socket.connect(s_server->port()));
        bindAsRoot(2);
        CByteArray request;
        c.build(request, m_id++);
        CResultInfo info = result(request);
        EXPECT_EQ(2U, info.m_resultCode) << c.reason;
        EXPECT_EQ(c.message, str(info.m_errorMessage)) << c.reason;
        EXPECT_TRUE(m_socket.closedByServer()) << c.reason;
    }
}

// A filter tree that converts to nothing gives a search request without a
// filter component: slapd answers protocolError and closes the connection.
TEST_F(SlapdPeer, SearchWithoutFilterComponent)
{
    bindAsRoot(2);
    CSearchFilter empty;
    CStringArray all;
    CByteArray request;
    ldapCreateSearchRequest(m_id++, kFilters, 1, 0, 0, 0, 0, 0, empty, all, request, 1);
    SearchAnswer answer = search(request);
    ASSERT_TRUE(answer.complete);
    EXPECT_TRUE(answer.entries.empty());
    EXPECT_EQ(2U, answer.done.m_resultCode);
    EXPECT_EQ("decoding attrs error", str(answer.done.m_errorMessage));
    EXPECT_TRUE(m_socket.closedByServer());
}

// The non-standard page-size component is ignored: every entry comes, the
// search succeeds and the connection stays open.
TEST_F(SlapdPeer, SearchWithPageSizeComponent)
{
    bindAsRoot(2);
    SearchAnswer answer = searchFilter("(objectClass=*)", 1, kFilters, 2);
    ASSERT_TRUE(answer.complete);
    EXPECT_EQ(3u, answer.entries.size());
    EXPECT_EQ(0U, answer.done.m_resultCode);
    EXPECT_EQ(nullptr, answer.done.m_totalCount);
    EXPECT_FALSE(m_socket.closedByServer(200));
}

TEST_F(SlapdPeer, WhoAmI)
{
    bindAsRoot(3);
    CByteArray request;
    ldapExtendedRequest(m_id++, "1.3.6.1.4.1.4203.1.11.3", nullptr, 0, request);
    std::unique_ptr<CASN1Type> message = exchange(request);
    ASSERT_TRUE(message);
    CASN1_ExtendedResponse response;
    auto& envelope = dynamic_cast<CASN1_CONSTRUCTED_TYPE&>(*message);
    ASSERT_TRUE(response.fromImplicit(dynamic_cast<CASN1_TAGGED&>(*envelope.getComponentAt(1))));
    CExtResponse answer;
    ASSERT_EQ(1, ldapParseExtResponse(response, answer));
    EXPECT_EQ(0U, answer.m_resultCode);
    ASSERT_NE(nullptr, answer.m_response);
    EXPECT_EQ("dn:cn=admin,dc=example,dc=com",
              std::string((const char*)answer.m_response->GetData(), answer.m_response->GetSize()));

    // What sending an empty requestValue instead would have earned.
    CUniDataHolder* empty = CUniDataHolder::Create(0);
    ldapExtendedRequest(m_id++, "1.3.6.1.4.1.4203.1.11.3", empty, 0, request);
    empty->Release();
    CResultInfo refused = result(request);
    EXPECT_EQ(2U, refused.m_resultCode);
    EXPECT_EQ("no request data expected", str(refused.m_errorMessage));
}

}  // namespace

namespace {

TEST(SlapdServerFixture, StopsByProcessIdAndLeavesNothing)
{
    SlapdServer server;
    std::string error;
    ASSERT_TRUE(server.start("", &error)) << error;
    const pid_t pid = server.pid();
    const std::string folder = server.folder();
    EXPECT_EQ(0, ::kill(pid, 0));
    server.stop();
    EXPECT_NE(0, ::kill(pid, 0)) << "slapd still running";
    EXPECT_NE(0, ::access(folder.c_str(), F_OK)) << folder;
}

}  // namespace
