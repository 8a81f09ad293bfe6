// Several LDAP messages in one stream, as a connection or a capture file
// holds them: working with one decoded message never disturbs the decoding
// of the next one.
#include <gtest/gtest.h>

#include <string>

#include "ldap_test_support.h"

using namespace ldaptest;

TEST(MessageStream, NextMessageDecodesAfterThePreviousWasWorkedWith)
{
    // The search request ldapsearch sent for a filter with and, or and
    // substrings, followed by an unbind request.
    std::vector<unsigned char> bytes = readFile(std::string(VC_TEST_DATA) + "/ldap/search_filter_entry.request.der");
    const size_t searchLength = bytes.size();
    const char* const unbind = "30 05 02 01 0F 42 00";
    std::vector<unsigned char> unbindBytes = fromHex(unbind);
    bytes.insert(bytes.end(), unbindBytes.begin(), unbindBytes.end());

    Encoding stream(bytes);
    CASN1_LDAPMessage search(*stream);
    CByteArray encoded;
    search.encodeTo(encoded);
    CMemFile listing;
    search.Dump(0, &listing);
    std::unique_ptr<CASN1Type> copy(search.clone());
    EXPECT_EQ(___cmp(search, *copy), 0);
    EXPECT_TRUE(CASN1_LDAPMessage::isValid(&search, 0));
    CASN1_SearchRequest body;
    ASSERT_TRUE(body.fromImplicit(*dynamic_cast<CASN1_TAGGED*>(&search.get_protocolOp().value())));
    EXPECT_EQ(text(body.get_baseObject()), "ou=people,dc=example,dc=com");
    EXPECT_EQ(text(body.get_attributes().getComponent(1)), "mail");

    EXPECT_EQ((size_t)(*stream).Seek(0, CFile::current), searchLength);
    CASN1_LDAPMessage next(*stream);
    EXPECT_TRUE(next.get_protocolOp().is_unbindRequest());
    EXPECT_EQ(encodeHex(next), unbind);
    EXPECT_EQ(encodeHex(search), toHex(bytes.data(), searchLength));
}
