// Response parsers over slapd's recorded answers (tests/data/ldap) and
// hand-made or corrupted messages.
#include <gtest/gtest.h>

#include "ber_text.h"

namespace {

Bytes recorded(const std::string& name)
{
    return readFileBytes(std::string(VC_TEST_DATA) + "/ldap/" + name + ".der");
}

// Parses the bytes as one message; -1 when they do not decode at all.
int parse(const Bytes& bytes, CSearchResult& result)
{
    std::unique_ptr<CASN1Type> message = decodeGeneric(bytes);
    return message ? ldapParseSearchResponse(*message, result) : -1;
}

struct ResultPtr {
    ResultPtr() : result(CSearchResult::Create()) {}
    ~ResultPtr() { result->Release(); }
    CSearchResult* operator->() { return result; }
    CSearchResult* result;
};

TEST(ResponseParsers, RecordedSearchAnswers)
{
    ResultPtr entry;
    ASSERT_EQ(1, parse(recorded("search_entry"), *entry.result));
    ASSERT_NE(nullptr, entry->GetEntry());
    const CEntryData& data = *entry->GetEntry();
    EXPECT_EQ("ou=people,dc=example,dc=com", str(data.m_dn));
    ASSERT_EQ(2, data.m_attributes.GetSize());
    EXPECT_EQ("objectClass", str(data.m_attributes[0]->m_name));
    EXPECT_EQ("organizationalUnit", textOf(data.m_attributes[0]->m_values[0]));
    EXPECT_EQ("people", textOf(data.m_attributes[1]->m_values[0]));

    ResultPtr reference;
    ASSERT_EQ(1, parse(recorded("search_reference"), *reference.result));
    ASSERT_NE(nullptr, reference->GetReferences());
    EXPECT_EQ("ldap://other.example.com/ou=elsewhere,dc=example,dc=com??sub",
              str(reference->GetReferences()->GetAt(0)));

    ResultPtr noSuch;
    ASSERT_EQ(1, parse(recorded("search_done_no_such_object"), *noSuch.result));
    ASSERT_NE(nullptr, noSuch->GetResultInfo());
    EXPECT_EQ(32U, noSuch->GetResultInfo()->m_resultCode);
    EXPECT_EQ("32 (0x20) - noSuchObject", str(noSuch->GetResultInfo()->m_resultText));
    EXPECT_EQ("dc=example,dc=com", str(noSuch->GetResultInfo()->m_matchedDN));
    EXPECT_EQ(nullptr, noSuch->GetResultInfo()->m_totalCount);

    // A bind response is not a search answer: 0, and the result cleared.
    ResultPtr bind;
    bind->m_payload = new CEntryData;
    EXPECT_EQ(0, parse(recorded("bind_v2_success"), *bind.result));
    EXPECT_EQ(nullptr, bind->m_payload);
}

TEST(ResponseParsers, NonStandardAndHostileSearchAnswers)
{
    using namespace ber;
    const std::string result = num(32, 0x0A) + ostr("o=x") + ostr("gone");
    struct Case {
        const char* reason;
        std::string bytes;
        int expected;
    } cases[] = {
        {"total count and referral",
         message(2, tlv(0x65, result + tlv(0xA3, ostr("ldap://a") + ostr("ldap://b")) + num(5, 0x88))), 1},
        {"total count wider than 32 bits", message(2, tlv(0x65, result + num(0x1FFFFFFFFUL, 0x88))), 0},
        {"entry with an empty value set",
         message(2, tlv(0x64, ostr("cn=a") + tlv(0x30, tlv(0x30, ostr("cn") + tlv(0x31, ""))))), 1},
        {"entry whose attribute list is missing", message(2, tlv(0x64, ostr("cn=a"))), 0},
        {"controls after the operation", tlv(0x30, num(2) + tlv(0x65, result) + tlv(0xA0, "")), 0},
        {"result code not a number", message(2, tlv(0x65, ostr("x") + ostr("") + ostr(""))), 0},
    };
    for (const Case& c : cases) {
        Bytes bytes(c.bytes.begin(), c.bytes.end());
        ResultPtr parsed;
        int got = parse(bytes, *parsed.result);
        EXPECT_EQ(c.expected, got) << c.reason;
    }
    ResultPtr full;
    std::string withTotal = message(2, tlv(0x65, result + tlv(0xA3, ostr("ldap://a") + ostr("ldap://b")) + num(5, 0x88)));
    ASSERT_EQ(1, parse(Bytes(withTotal.begin(), withTotal.end()), *full.result));
    const CResultInfo& info = *full->GetResultInfo();
    ASSERT_NE(nullptr, info.m_totalCount);
    EXPECT_EQ(5U, *info.m_totalCount);
    ASSERT_EQ(2, info.m_referral.GetSize());
    EXPECT_EQ("ldap://b", str(info.m_referral[1]));
    EXPECT_EQ("gone", str(info.m_errorMessage));

    // Every prefix and single-byte corruption of a recorded entry: 0 or 1, never a crash.
    Bytes entry = recorded("search_entry");
    for (size_t i = 0; i < entry.size(); ++i) {
        for (unsigned char flip : {0x01, 0x20, 0x80, 0xFF}) {
            Bytes corrupt = entry;
            corrupt[i] ^= flip;
            ResultPtr parsed;
            parse(corrupt, *parsed.result);
        }
        ResultPtr parsed;
        parse(Bytes(entry.begin(), entry.begin() + (long)i), *parsed.result);
    }
}

TEST(ResponseParsers, ExtendedAnswers)
{
    struct Case {
        const char* reason;
        Bytes bytes;
        DWORD code;
        const char* name;
        const char* value;
    } cases[] = {
        {"slapd's who-am-I answer under [11]", recorded("extended_whoami"), 0, "",
         "dn:cn=admin,dc=example,dc=com"},
        {"slapd refusing an unknown operation", recorded("extended_unknown"), 2, "", nullptr},
        {"[0] and [1] members",
         hexBytes("30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 80 05 31 2E 32 2E 33 81 05 68 65 6C 6C 6F"), 0, "1.2.3",
         "hello"},
        {"[10] and [11] members",
         hexBytes("30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 8A 05 31 2E 32 2E 33 8B 05 68 65 6C 6C 6F"), 0, "1.2.3",
         "hello"},
    };
    for (const Case& c : cases) {
        EncodingOf encoding(c.bytes);
        CASN1_LDAPMessage message(*encoding);
        CASN1_ExtendedResponse response;
        ASSERT_TRUE(response.fromImplicit(dynamic_cast<CASN1_TAGGED&>(message.get_protocolOp().value()))) << c.reason;
        CExtResponse parsed;
        CUniDataHolder* stale = newValue("stale");
        parsed = stale;
        stale->Release();
        ASSERT_EQ(1, ldapParseExtResponse(response, parsed)) << c.reason;
        EXPECT_EQ(c.code, parsed.m_resultCode) << c.reason;
        EXPECT_EQ(c.name, str(parsed.m_responseName)) << c.reason;
        EXPECT_EQ(c.value ? c.value : "<null>", textOf(parsed.m_response)) << c.reason;
    }
}

TEST(ResponseParsers, ResultNames)
{
    struct Case {
        unsigned long code;
        const char* text;
    } cases[] = {
        {9, "9 (0x9) - <reserved code>"},
        {49, "49 (0x31) - invalidCredentials"},
        {99, "99 (0x63) - <unknown code>"},
        {4294967295UL, "4294967295 (0xffffffff) - <unknown code>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, str(ldapResultToString(c.code)));
}

}  // namespace
