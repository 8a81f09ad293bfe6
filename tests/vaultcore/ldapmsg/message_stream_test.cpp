// Several LDAP messages in one stream, as a connection or a capture file
// holds them: working with one decoded message (encoding it, dumping it,
// comparing, validating, reading its members) never disturbs the decoding of
// the next one.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ldap_test_support.h"

using namespace ldaptest;

namespace {

const char* const kUnbind = "30 05 02 01 0F 42 00";

// The search request ldapsearch sent for a filter with and, or, substrings
// and an attribute list, followed by an unbind request.
std::vector<unsigned char> searchThenUnbind()
{
    std::vector<unsigned char> bytes = readFile(std::string(VC_TEST_DATA) + "/ldap/search_filter_entry.request.der");
    std::vector<unsigned char> unbind = fromHex(kUnbind);
    bytes.insert(bytes.end(), unbind.begin(), unbind.end());
    return bytes;
}

// Reads every part of a search request through the accessors.
void readSearch(CASN1_LDAPMessage& message)
{
    CASN1_SearchRequest search;
    CASN1_TAGGED* tagged = dynamic_cast<CASN1_TAGGED*>(&message.get_protocolOp().value());
    ASSERT_TRUE(tagged && search.fromImplicit(*tagged));
    EXPECT_EQ(text(search.get_baseObject()), "ou=people,dc=example,dc=com");
    EXPECT_TRUE(search.get_filter().is_and());
    EXPECT_EQ(search.get_attributes().getComponentCount(), 2);
}

TEST(MessageStream, NextMessageDecodesAsIfAloneWhateverWasDoneWithThePrevious)
{
    const std::vector<unsigned char> bytes = searchThenUnbind();
    const size_t firstLength = bytes.size() - fromHex(kUnbind).size();
    struct Operation {
        const char* name;
        std::function<void(CASN1_LDAPMessage&)> run;
    } operations[] = {
        {"nothing", [](CASN1_LDAPMessage&) {}},
        {"encodeTo", [](CASN1_LDAPMessage& m) { CByteArray out; m.encodeTo(out); }},
        {"Dump", [](CASN1_LDAPMessage& m) { CMemFile out; m.Dump(0, &out); }},
        {"___cmp", [](CASN1_LDAPMessage& m) { std::unique_ptr<CASN1Type> c(m.clone()); ___cmp(m, *c); }},
        {"isValid", [](CASN1_LDAPMessage& m) { CASN1_LDAPMessage::isValid(&m, 0); }},
        {"accessors", readSearch},
    };
    for (const Operation& operation : operations) {
        Encoding stream(bytes);
        CASN1_LDAPMessage search(*stream);
        EXPECT_EQ((size_t)(*stream).Seek(0, CFile::current), firstLength);
        operation.run(search);
        EXPECT_EQ((size_t)(*stream).Seek(0, CFile::current), firstLength) << operation.name;
        std::unique_ptr<CASN1_LDAPMessage> unbind;
        try {
            unbind.reset(new CASN1_LDAPMessage(*stream));
        } catch (CDERDecodingException* e) {
            e->Delete();
            ADD_FAILURE() << operation.name << ": " << ___lastDERDecodingMessage();
            continue;
        }
        EXPECT_EQ(encodeHex(*unbind), kUnbind) << operation.name;
        EXPECT_TRUE(unbind->get_protocolOp().is_unbindRequest()) << operation.name;
        EXPECT_EQ(encodeHex(search), toHex(bytes.data(), firstLength)) << operation.name;
    }
}

}  // namespace
