// Responses recorded from a real directory server (slapd) by
// scripts/record_ldap_responses.py, with the requests that produced them:
// every one validates as an LDAP message, carries the operation and result
// code the index names, and re-encodes to the same octets.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ldap_test_support.h"

using namespace ldaptest;

namespace {

struct Recorded {
    std::string file;
    std::string operation;
    std::string resultCode;  // "-" when the operation carries none
};

std::string dataDir() { return std::string(VC_TEST_DATA) + "/ldap/"; }

std::vector<Recorded> readIndex()
{
    std::vector<Recorded> rows;
    std::ifstream in(dataDir() + "index.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Recorded row;
        fields >> row.file >> row.operation >> row.resultCode;
        rows.push_back(row);
    }
    return rows;
}

std::unique_ptr<CASN1_LDAPMessage> load(const std::string& name)
{
    std::vector<unsigned char> bytes = readFile(dataDir() + name + ".der");
    EXPECT_FALSE(bytes.empty()) << name;
    return decode<CASN1_LDAPMessage>(bytes);
}

// The operation's body read through a schema class by implicit tagging.
template <class T>
bool bodyAs(CASN1_LDAPMessage& message, T& body)
{
    CASN1_TAGGED* tagged = dynamic_cast<CASN1_TAGGED*>(&message.get_protocolOp().value());
    return tagged && body.fromImplicit(*tagged) && T::isValid(&body, 1);
}

TEST(RecordedResponses, EveryResponseValidatesAsItsOperation)
{
    std::vector<Recorded> rows = readIndex();
    ASSERT_GE(rows.size(), 21u);
    for (const Recorded& row : rows) {
        std::vector<unsigned char> bytes = readFile(dataDir() + row.file + ".der");
        auto message = decode<CASN1_LDAPMessage>(bytes);
        ASSERT_TRUE(message) << row.file;
        CASN1_ProtocolOpChoice op = message->get_protocolOp();
        EXPECT_EQ(row.operation, op.alternativeName()) << row.file;
        EXPECT_EQ(toHex(bytes.data(), bytes.size()), encodeHex(*message)) << row.file;
        if (row.resultCode != "-") {
            // Every response with a result code starts with the LDAPResult members,
            // so the result table finds the code whatever follows it.
            CASN1_LDAPResult result;
            CASN1_TAGGED& tagged = dynamic_cast<CASN1_TAGGED&>(op.value());
            ASSERT_TRUE(result.fromImplicit(tagged)) << row.file;
            EXPECT_EQ(std::stoul(row.resultCode), integer(result.get_resultCode())) << row.file;
        }
    }
}

TEST(RecordedResponses, RequestsThatMadeThemValidate)
{
    for (const Recorded& row : readIndex()) {
        std::vector<unsigned char> bytes = readFile(dataDir() + row.file + ".request.der");
        // The Who am I request has no requestValue at all: valid as well.
        auto message = decode<CASN1_LDAPMessage>(bytes);
        EXPECT_TRUE(message) << row.file;
    }
}

TEST(RecordedResponses, BindResponses)
{
    auto message = load("bind_v2_invalid_credentials");
    ASSERT_TRUE(message);
    CASN1_BindResponse bind;
    ASSERT_TRUE(bodyAs(*message, bind));
    EXPECT_EQ(49UL, integer(bind.get_resultCode()));
    EXPECT_FALSE(bind.is_referral());
    EXPECT_FALSE(bind.is_serverCreds());
    EXPECT_FALSE(bind.is_supportedVersion());
    EXPECT_TRUE(message->get_protocolOp().is_bindResponse());
}

TEST(RecordedResponses, SearchEntryAttributes)
{
    auto message = load("search_filter_entry");
    ASSERT_TRUE(message);
    CASN1_SearchResultEntry entry;
    ASSERT_TRUE(bodyAs(*message, entry));
    EXPECT_EQ("cn=Alice Smith,ou=people,dc=example,dc=com", text(entry.get_objectName()));
    const CASN1_PartialAttributeList& attributes = entry.get_attributes();
    ASSERT_EQ(2, attributes.getComponentCount());
    EXPECT_EQ("cn", text(attributes.getComponent(0).get_type()));
    EXPECT_EQ("Alice Smith", text(attributes.getComponent(0).get_vals().getComponent(0)));
    EXPECT_EQ("mail", text(attributes.getComponent(1).get_type()));
    EXPECT_EQ("alice@example.com", text(attributes.getComponent(1).get_vals().getComponent(0)));
}

TEST(RecordedResponses, SearchReferenceAndDone)
{
    auto reference = load("search_reference");
    ASSERT_TRUE(reference);
    CASN1_Referral urls;
    ASSERT_TRUE(bodyAs(*reference, urls));
    ASSERT_EQ(1, urls.getComponentCount());
    EXPECT_EQ(0u, text(urls.getComponent(0)).find("ldap://other.example.com/"));

    auto done = load("search_done_no_such_object");
    ASSERT_TRUE(done);
    CASN1_SearchResultDone result;
    ASSERT_TRUE(bodyAs(*done, result));
    EXPECT_EQ(32UL, integer(result.get_resultCode()));
    EXPECT_EQ("dc=example,dc=com", text(result.get_matchedDN()));
    EXPECT_FALSE(result.is_totalCount());
}

TEST(RecordedResponses, CompareAndExtendedResponses)
{
    auto compare = load("compare_true");
    ASSERT_TRUE(compare);
    CASN1_CompareResponse response;
    ASSERT_TRUE(bodyAs(*compare, response));
    EXPECT_EQ(6UL, integer(response.get_resultCode()));
    EXPECT_FALSE(response.is_matchedSubtype());

    auto whoami = load("extended_whoami");
    ASSERT_TRUE(whoami);
    CASN1_ExtendedResponse extended;
    ASSERT_TRUE(bodyAs(*whoami, extended));
    EXPECT_EQ(0UL, integer(extended.get_resultCode()));
    ASSERT_TRUE(extended.is_responseValue());
    EXPECT_EQ("dn:cn=admin,dc=example,dc=com", text(extended.get_responseValue()));
    EXPECT_FALSE(extended.is_response());

    auto unknown = load("extended_unknown");
    ASSERT_TRUE(unknown);
    CASN1_ExtendedResponse refused;
    ASSERT_TRUE(bodyAs(*unknown, refused));
    EXPECT_EQ(2UL, integer(refused.get_resultCode()));
    EXPECT_FALSE(refused.is_responseName());
    EXPECT_FALSE(refused.is_responseValue());
}

}  // namespace
