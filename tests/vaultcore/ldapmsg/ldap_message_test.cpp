// LDAP message classes: validation of hand-made messages, building messages
// member by member, the accessors and the "der not valid" failures.
#include <gtest/gtest.h>

#include <string>

#include "ldap_test_support.h"

using namespace ldaptest;

namespace {

struct MessageCase {
    const char* reason;
    const char* hex;
    bool valid;
    const char* operation;  // alternative name when valid
};

const MessageCase kMessageCases[] = {
    {"unbind, message ID 5", "30 05 02 01 05 42 00", true, "unbindRequest"},
    {"version 2 anonymous bind", "30 0C 02 01 01 60 07 02 01 02 04 00 80 00", true, "bindRequest"},
    {"bind with SASL credentials",
     "30 15 02 01 01 60 10 02 01 03 04 00 A3 09 04 04 50 4C 41 49 04 01 78", true, "bindRequest"},
    {"bind with an unknown authentication tag", "30 0C 02 01 01 60 07 02 01 02 04 00 81 00", false, nullptr},
    {"search for present objectClass",
     "30 25 02 01 02 63 20 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00"
     " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 30 00",
     true, "searchRequest"},
    {"search with pageSizeLimit after the attribute list",
     "30 28 02 01 02 63 23 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00"
     " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 30 00 80 01 32",
     true, "searchRequest"},
    {"search with pageSizeLimit before the attribute list",
     "30 28 02 01 02 63 23 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00"
     " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 80 01 32 30 00",
     false, nullptr},
    {"search with pageSizeLimit and sortKeys",
     "30 30 02 01 02 63 2B 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00"
     " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 30 00 80 01 32 A1 06 30 04 04 02 63 6E",
     true, "searchRequest"},
    {"search without typesOnly",
     "30 22 02 01 02 63 1D 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00"
     " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 30 00",
     false, nullptr},
    {"cldapUserName between message ID and operation", "30 09 02 01 01 04 02 61 62 42 00", true, "unbindRequest"},
    {"trailing controls component", "30 0B 02 01 01 04 02 61 62 42 00 A0 00", false, nullptr},
    {"two operations", "30 07 02 01 01 42 00 42 00", false, nullptr},
    {"no operation", "30 03 02 01 01", false, nullptr},
    {"operation before message ID", "30 05 42 00 02 01 01", false, nullptr},
    {"unused application tag 22", "30 05 02 01 01 76 00", false, nullptr},
    {"search done with totalCount", "30 0F 02 01 03 65 0A 0A 01 00 04 00 04 00 88 01 05", true, "searchResDone"},
    {"search done with [9] instead of totalCount", "30 0F 02 01 03 65 0A 0A 01 00 04 00 04 00 89 01 05", false,
     nullptr},
    {"search done with a referral", "30 13 02 01 03 65 0E 0A 01 0A 04 00 04 00 A3 05 04 03 61 62 63", true,
     "searchResDone"},
    {"search done whose referral holds an INTEGER", "30 11 02 01 03 65 0C 0A 01 0A 04 00 04 00 A3 03 02 01 00",
     false, nullptr},
    {"delete request", "30 08 02 01 04 4A 03 63 6E 3D", true, "delRequest"},
    {"modify response", "30 0C 02 01 04 67 07 0A 01 00 04 00 04 00", true, "modifyResponse"},
    {"modify response without errorMessage", "30 0A 02 01 04 67 05 0A 01 00 04 00", false, nullptr},
    {"empty session request", "30 05 02 01 01 71 00", true, "sessionRequest"},
    {"session request with one control",
     "30 10 02 01 01 71 0B 30 09 04 01 31 01 01 FF 04 01 76", true, "sessionRequest"},
    {"control without its controlValue", "30 0D 02 01 01 71 08 30 06 04 01 31 01 01 FF", false, nullptr},
    {"session response with unsupported controls",
     "30 13 02 01 01 72 0E 0A 01 00 04 00 04 00 AC 05 04 03 31 2E 32", true, "sessionResponse"},
    {"session response without unsupportedCtls", "30 0C 02 01 01 72 07 0A 01 00 04 00 04 00", false, nullptr},
    {"resume request", "30 0E 02 01 01 74 09 80 01 01 81 01 00 82 01 0A", true, "resumeRequest"},
    {"resume error", "30 0C 02 01 01 75 07 0A 01 01 04 00 04 00", true, "resumeError"},
    {"abandon request", "30 06 02 01 01 50 01 02", true, "abandonRequest"},
    {"whole search result: entry, reference, done",
     "30 1A 02 01 07 30 15 64 04 04 00 30 00 73 04 04 02 75 31 65 07 0A 01 00 04 00 04 00", true, "searchResFull"},
    {"whole search result: done, entry, reference",
     "30 1A 02 01 07 30 15 65 07 0A 01 00 04 00 04 00 64 04 04 00 30 00 73 04 04 02 75 31", true, "searchResFull"},
    {"whole search result with an invalid entry (attribute without values)",
     "30 11 02 01 07 30 0C 64 0A 04 00 30 06 30 04 04 02 63 6E", false, nullptr},
    {"whole search result, empty", "30 05 02 01 07 30 00", true, "searchResFull"},
    {"whole search result, entries and done in any order",
     "30 1A 02 01 07 30 15 65 07 0A 01 00 04 00 04 00 64 04 04 00 30 00 64 04 04 00 30 00", true, "searchResFull"},
    {"whole search result, a reference",
     "30 0B 02 01 07 30 06 73 04 04 02 75 31", true, "searchResFull"},
    {"whole search result with a bind response inside",
     "30 0E 02 01 07 30 09 61 07 0A 01 00 04 00 04 00", false, nullptr},
    {"extended response, RFC 4511 names",
     "30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 8A 05 31 2E 32 2E 33 8B 05 68 65 6C 6C 6F", true, "extendedResp"},
    {"extended response, [0] and [1] names",
     "30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 80 05 31 2E 32 2E 33 81 05 68 65 6C 6C 6F", true, "extendedResp"},
    {"extended response with [11] before [10]",
     "30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 8B 05 68 65 6C 6C 6F 8A 05 31 2E 32 2E 33", false, nullptr},
    {"extended request", "30 0E 02 01 01 77 09 80 03 31 2E 32 81 02 68 69", true, "extendedReq"},
    {"extended request without a value", "30 0A 02 01 01 77 05 80 03 31 2E 32", true, "extendedReq"},
    {"extended request without a name", "30 09 02 01 01 77 04 81 02 68 69", false, nullptr},
};

// A filter is placed into a search request to be validated with it.
std::string searchWithFilter(const std::string& filterHex)
{
    std::vector<unsigned char> filter = fromHex(filterHex);
    std::vector<unsigned char> body = fromHex("04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00");
    body.insert(body.end(), filter.begin(), filter.end());
    body.push_back(0x30);
    body.push_back(0x00);
    std::vector<unsigned char> op = {0x63, (unsigned char)body.size()};
    op.insert(op.end(), body.begin(), body.end());
    std::vector<unsigned char> message = {0x30, (unsigned char)(op.size() + 3), 0x02, 0x01, 0x09};
    message.insert(message.end(), op.begin(), op.end());
    return toHex(message.data(), message.size());
}

struct FilterCase {
    const char* reason;
    const char* hex;
    bool valid;
};

const FilterCase kFilterCases[] = {
    {"not present cn", "A2 04 87 02 63 6E", true},
    {"two filters inside not", "A2 08 87 02 63 6E 87 02 73 6E", false},
    {"empty not", "A2 00", false},
    {"equality without assertion value", "A3 04 04 02 63 6E", true},
    {"equality with assertion value", "A3 07 04 02 63 6E 04 01 78", true},
    {"equality with three members", "A3 0A 04 02 63 6E 04 01 78 04 01 79", false},
    {"empty and", "A0 00", true},
    {"and of present and not", "A0 0A 87 02 63 6E A2 04 87 02 73 6E", true},
    {"or with an invalid operand", "A1 07 87 02 63 6E 02 01 00", false},
    {"and with an invalid nested operand", "A0 09 A2 07 A3 05 02 01 00 04 00", false},
    {"substrings initial any final",
     "A4 11 04 02 63 6E 30 0B 80 02 41 6C 81 01 63 82 02 65 65", true},
    {"substrings with no pieces", "A4 06 04 02 63 6E 30 00", true},
    {"substrings with an unknown piece", "A4 0A 04 02 63 6E 30 04 83 02 41 6C", false},
    {"greaterOrEqual", "A5 07 04 02 63 6E 04 01 78", true},
    {"lessOrEqual", "A6 07 04 02 63 6E 04 01 78", true},
    {"approxMatch", "A8 07 04 02 63 6E 04 01 78", true},
    {"extensibleMatch with every member", "A9 0F 81 03 31 2E 32 82 02 63 6E 83 01 78 84 01 FF", true},
    {"extensibleMatch with only matchValue", "A9 03 83 01 78", true},
    {"extensibleMatch without matchValue", "A9 04 82 02 63 6E", false},
    {"unknown filter tag", "8A 02 63 6E", false},
};

TEST(LdapMessage, ValidatesMessages)
{
    for (const MessageCase& c : kMessageCases) {
        std::vector<unsigned char> bytes = fromHex(c.hex);
        auto generic = decodeGeneric(bytes);
        EXPECT_EQ(c.valid, CASN1_LDAPMessage::isValid(generic.get(), 0) != FALSE) << c.reason;
        auto message = decode<CASN1_LDAPMessage>(bytes);
        EXPECT_EQ(c.valid, message != nullptr) << c.reason;
        if (message) {
            EXPECT_STREQ(c.operation, message->get_protocolOp().alternativeName()) << c.reason;
            EXPECT_EQ(toHex(bytes.data(), bytes.size()), encodeHex(*message)) << c.reason << ": re-encoding";
        }
    }
}

TEST(LdapMessage, ValidatesFilters)
{
    for (const FilterCase& c : kFilterCases) {
        auto message = decode<CASN1_LDAPMessage>(fromHex(searchWithFilter(c.hex)));
        EXPECT_EQ(c.valid, message != nullptr) << c.reason;
        auto filter = decodeGeneric(fromHex(c.hex));
        EXPECT_EQ(c.valid, CASN1_Filter::isValid(filter.get(), 0) != FALSE) << c.reason;
    }
}

TEST(LdapMessage, DeeplyNestedFiltersValidate)
{
    // not(not(...(present cn)...)), 200 levels: within the decoder's depth limit.
    std::vector<unsigned char> filter = fromHex("87 02 63 6E");
    for (int level = 0; level < 200; ++level) {
        std::vector<unsigned char> outer;
        outer.push_back(0xA2);
        size_t length = filter.size();
        if (length < 128) {
            outer.push_back((unsigned char)length);
        } else {
            outer.push_back(0x82);
            outer.push_back((unsigned char)(length >> 8));
            outer.push_back((unsigned char)length);
        }
        outer.insert(outer.end(), filter.begin(), filter.end());
        filter.swap(outer);
    }
    auto value = decodeGeneric(filter);
    EXPECT_TRUE(CASN1_Filter::isValid(value.get(), 0));
    CASN1_Filter view(*value);
    EXPECT_TRUE(view.is_not());
    EXPECT_FALSE(view.is_present());
}

TEST(LdapMessage, ConstructorRejectsInvalidMessagesWithTheClassName)
{
    struct Case {
        const char* hex;
        const char* message;
    } cases[] = {
        {"30 0B 02 01 01 04 02 61 62 42 00 A0 00", "CASN1_LDAPMessage::(CDEREncoding& der) - der not valid"},
        {"31 05 02 01 05 42 00", "CASN1_LDAPMessage::(CDEREncoding& der) - der not valid"},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes = fromHex(c.hex);
        Encoding encoding(bytes);
        bool thrown = false;
        try {
            CASN1_LDAPMessage message(*encoding);
        } catch (CDERDecodingException* e) {
            e->Delete();
            thrown = true;
            // The identifier check of the decoder comes first for a SET.
            if (bytes[0] == 0x30) {
                EXPECT_STREQ(c.message, ___lastDERDecodingMessage());
            }
        }
        EXPECT_TRUE(thrown) << c.hex;
    }

    std::vector<unsigned char> password = fromHex("30 03 80 01 00");
    Encoding encoding(password);
    try {
        CASN1_ProtectedPassword value(*encoding);
        FAIL() << "protected member missing";
    } catch (CDERDecodingException* e) {
        e->Delete();
        EXPECT_STREQ("CASN1_ProtectedPassword::(CDEREncoding& der) - der not valid", ___lastDERDecodingMessage());
    }
}

TEST(LdapMessage, HostileBytesNeverCrash)
{
    // Every prefix of a valid message, and every single-octet corruption of it,
    // is either decoded and valid or refused with the decoding exception.
    std::vector<unsigned char> base = fromHex(
        "30 30 02 01 02 63 2B 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00"
        " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 30 00 80 01 32 A1 06 30 04 04 02 63 6E");
    for (size_t n = 0; n < base.size(); ++n) {
        std::vector<unsigned char> prefix(base.begin(), base.begin() + (long)n);
        EXPECT_EQ(nullptr, decode<CASN1_LDAPMessage>(prefix)) << "prefix of " << n << " octets";
    }
    for (size_t i = 0; i < base.size(); ++i) {
        for (unsigned char flip : {0x01, 0x20, 0x80, 0xFF}) {
            std::vector<unsigned char> corrupt = base;
            corrupt[i] ^= flip;
            decode<CASN1_LDAPMessage>(corrupt);
        }
    }
}

TEST(LdapMessage, WorkedResultExample)
{
    std::vector<unsigned char> bytes = fromHex("30 0E 0A 01 00 04 00 04 00 A3 05 04 03 61 62 63");
    auto result = decode<CASN1_LDAPResult>(bytes);
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->is_referral());
    CASN1_TAGGED& referral = result->get_referral();
    EXPECT_EQ(0x83, referral.getIdentifier());
    CASN1_Referral urls;
    ASSERT_TRUE(urls.fromImplicit(referral));
    ASSERT_EQ(1, urls.getComponentCount());
    EXPECT_EQ("abc", text(urls.getComponent(0)));

    auto shorter = decode<CASN1_LDAPResult>(fromHex("30 07 0A 01 00 04 00 04 00"));
    ASSERT_TRUE(shorter);
    EXPECT_FALSE(shorter->is_referral());
}

TEST(LdapMessage, AbsentMemberAccessThrowsInsteadOfCrashing)
{
    auto result = decode<CASN1_LDAPResult>(fromHex("30 07 0A 01 00 04 00 04 00"));
    ASSERT_TRUE(result);
    EXPECT_THROW(
        {
            try {
                result->get_referral();
            } catch (CDERDecodingException* e) {
                e->Delete();
                throw 1;
            }
        },
        int);
    CASN1_Referral empty;
    EXPECT_THROW(
        {
            try {
                empty.getComponent(0);
            } catch (CDERDecodingException* e) {
                e->Delete();
                throw 1;
            }
        },
        int);
}

TEST(LdapMessage, BuildsUnbindAndBind)
{
    CASN1_LDAPMessage unbind;
    unbind.AddObject(new CASN1_INTEGER(5));
    CASN1_TAGGED* op = new CASN1_TAGGED(0x42, 0);
    CASN1_NULL().buildImplicitTAGGED(*op);
    unbind.AddObject(op);
    EXPECT_EQ("30 05 02 01 05 42 00", encodeHex(unbind));
    EXPECT_TRUE(CASN1_LDAPMessage::isValid(&unbind, 0));

    CASN1_BindRequest* bind = new CASN1_BindRequest;
    bind->AddObject(new CASN1_INTEGER(2));
    bind->AddObject(new CASN1_OCTET_STRING((const unsigned char*)"", 0));
    CASN1_TAGGED* simple = new CASN1_TAGGED(0x80, 0);
    CASN1_OCTET_STRING password((const unsigned char*)"", 0);
    password.OnOffClearAfterGet(1);
    password.buildImplicitTAGGED(*simple);
    bind->AddObject(simple);
    CASN1_LDAPMessage message;
    message.AddObject(new CASN1_INTEGER(1));
    message.AddObject(bind);
    EXPECT_EQ("30 0C 02 01 01 60 07 02 01 02 04 00 80 00", encodeHex(message));
    EXPECT_TRUE(CASN1_LDAPMessage::isValid(&message, 0));
    EXPECT_TRUE(message.get_protocolOp().is_bindRequest());
    EXPECT_TRUE(bind->get_authentication().is_simple());
    EXPECT_FALSE(bind->get_authentication().is_sasl());
}

TEST(LdapMessage, BuildsSearchWithPageSizeLimit)
{
    CASN1_SearchRequest* search = new CASN1_SearchRequest;
    search->AddObject(new CASN1_OCTET_STRING((const unsigned char*)"", 0));
    search->AddObject(new CASN1_ENUMERATED(0UL));
    search->AddObject(new CASN1_ENUMERATED(0UL));
    search->AddObject(new CASN1_INTEGER(0UL));
    search->AddObject(new CASN1_INTEGER(0UL));
    search->AddObject(new CASN1_BOOLEAN(FALSE));
    CASN1_TAGGED* present = new CASN1_TAGGED(0x87, 0);
    CASN1_OCTET_STRING attribute(CString("objectClass"));
    attribute.buildImplicitTAGGED(*present);
    search->AddObject(present);
    search->AddObject(new CASN1_LDAPAttributeDescriptionList);
    CASN1_TAGGED* page = new CASN1_TAGGED(0x80, 0);
    CASN1_INTEGER(50).buildImplicitTAGGED(*page);
    search->AddObject(page);
    CASN1_LDAPMessage message;
    message.AddObject(new CASN1_INTEGER(2));
    message.AddObject(search);
    EXPECT_EQ("30 28 02 01 02 63 23 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00"
              " 87 0B 6F 62 6A 65 63 74 43 6C 61 73 73 30 00 80 01 32",
              encodeHex(message));
    EXPECT_TRUE(CASN1_LDAPMessage::isValid(&message, 0));
    ASSERT_TRUE(search->is_pageSizeLimit());
    EXPECT_FALSE(search->is_sortKeys());
    EXPECT_TRUE(search->get_filter().is_present());
    CASN1_INTEGER pageSize;
    ASSERT_TRUE(pageSize.fromImplicit(search->get_pageSizeLimit()));
    EXPECT_EQ(50UL, integer(pageSize));
}

TEST(LdapMessage, AccessorsReturnRealObjectsOfTheDeclaredClass)
{
    // An add request read back: the nested lists come out of the generic
    // decoder as plain SEQUENCE / SET values and are handed out as their
    // schema classes; the encoding stays the same.
    const char* hex =
        "30 2A 02 01 06 68 25 04 06 6F 75 3D 78 79 7A 30 1B 30 19 04 0B 6F 62 6A 65 63 74 43 6C 61 73 73"
        " 31 0A 04 03 74 6F 70 04 03 66 6F 6F";
    auto message = decode<CASN1_LDAPMessage>(fromHex(hex));
    ASSERT_TRUE(message);
    CASN1_ProtocolOpChoice op = message->get_protocolOp();
    ASSERT_TRUE(op.is_addRequest());
    CASN1_AddRequest add;
    ASSERT_TRUE(add.fromImplicit(dynamic_cast<CASN1_TAGGED&>(op.value())));
    EXPECT_TRUE(CASN1_AddRequest::isValid(&add, 0));
    EXPECT_EQ("ou=xyz", text(add.get_entry()));
    CASN1_LDAPAttributeList& attributes = add.get_attributes();
    EXPECT_EQ(typeid(CASN1_LDAPAttributeList), typeid(attributes));
    ASSERT_EQ(1, attributes.getComponentCount());
    const CASN1_LDAPAttributeTypeAndValues& attribute = attributes.getComponent(0);
    EXPECT_EQ(typeid(CASN1_LDAPAttributeTypeAndValues), typeid(attribute));
    EXPECT_EQ("objectClass", text(attribute.get_type()));
    const CASN1_SetOfLDAPAttributeValue& values = attribute.get_vals();
    ASSERT_EQ(2, values.getComponentCount());
    EXPECT_EQ("top", text(values.getComponent(0)));
    EXPECT_EQ("foo", text(values.getComponent(1)));
    // Same object on the second access, and the tree still encodes the same.
    EXPECT_EQ(&attributes, &add.get_attributes());
    EXPECT_EQ(hex, encodeHex(*message));
}

TEST(LdapMessage, SchemaCopiesKeepTheirClass)
{
    auto message = decode<CASN1_LDAPMessage>(fromHex("30 09 02 01 01 04 02 61 62 42 00"));
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->is_cldapUserName());
    EXPECT_EQ("ab", text(message->get_cldapUserName()));
    std::unique_ptr<CASN1Type> clone(message->clone());
    EXPECT_EQ(typeid(CASN1_LDAPMessage), typeid(*clone));
    std::unique_ptr<CASN1Type> moved(message->cloneAndDie());
    EXPECT_EQ(typeid(CASN1_LDAPMessage), typeid(*moved));
    EXPECT_EQ("30 09 02 01 01 04 02 61 62 42 00", encodeHex(*moved));
    EXPECT_EQ("30 09 02 01 01 04 02 61 62 42 00", encodeHex(*clone));
    EXPECT_EQ(0, message->getComponentCount());

    CASN1_LDAPMessage fromGeneric;
    ASSERT_TRUE(fromGeneric.moveFrom(decodeGeneric(fromHex("30 05 02 01 05 42 00")).release()));
    EXPECT_TRUE(fromGeneric.get_protocolOp().is_unbindRequest());
    EXPECT_EQ(5UL, integer(fromGeneric.get_messageID()));
}

TEST(LdapMessage, ExtendedResponseAcceptsBothNamePairs)
{
    auto rfc = decode<CASN1_LDAPMessage>(
        fromHex("30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 8A 05 31 2E 32 2E 33 8B 05 68 65 6C 6C 6F"));
    ASSERT_TRUE(rfc);
    CASN1_ExtendedResponse response;
    ASSERT_TRUE(response.fromImplicit(dynamic_cast<CASN1_TAGGED&>(rfc->get_protocolOp().value())));
    EXPECT_FALSE(response.is_requestName());
    EXPECT_FALSE(response.is_response());
    ASSERT_TRUE(response.is_responseName());
    ASSERT_TRUE(response.is_responseValue());
    EXPECT_EQ("1.2.3", text(response.get_responseName()));
    EXPECT_EQ("hello", text(response.get_responseValue()));

    auto own = decode<CASN1_LDAPMessage>(
        fromHex("30 1A 02 01 01 78 15 0A 01 00 04 00 04 00 80 05 31 2E 32 2E 33 81 05 68 65 6C 6C 6F"));
    ASSERT_TRUE(own);
    CASN1_ExtendedResponse ownResponse;
    ASSERT_TRUE(ownResponse.fromImplicit(dynamic_cast<CASN1_TAGGED&>(own->get_protocolOp().value())));
    ASSERT_TRUE(ownResponse.is_requestName());
    ASSERT_TRUE(ownResponse.is_response());
    EXPECT_FALSE(ownResponse.is_responseName());
    EXPECT_EQ("1.2.3", text(ownResponse.get_requestName()));
    EXPECT_EQ("hello", text(ownResponse.get_response()));
}

TEST(LdapMessage, SearchDoneTotalCount)
{
    auto message = decode<CASN1_LDAPMessage>(fromHex("30 0F 02 01 03 65 0A 0A 01 00 04 00 04 00 88 01 05"));
    ASSERT_TRUE(message);
    CASN1_SearchResultDone done;
    ASSERT_TRUE(done.fromImplicit(dynamic_cast<CASN1_TAGGED&>(message->get_protocolOp().value())));
    ASSERT_TRUE(done.is_totalCount());
    CASN1_INTEGER total;
    ASSERT_TRUE(total.fromImplicit(done.get_totalCount()));
    EXPECT_EQ(5UL, integer(total));
    EXPECT_EQ(0UL, integer(done.get_resultCode()));
}

TEST(LdapMessage, WholeSearchResultElements)
{
    auto message = decode<CASN1_LDAPMessage>(fromHex(
        "30 1A 02 01 07 30 15 65 07 0A 01 00 04 00 04 00 64 04 04 00 30 00 64 04 04 00 30 00"));
    ASSERT_TRUE(message);
    CASN1_ProtocolOpChoice op = message->get_protocolOp();
    ASSERT_TRUE(op.is_searchResFull());
    CASN1_SearchResultFull full;
    ASSERT_TRUE(full.moveFrom(op.value().clone()));
    ASSERT_EQ(3, full.getComponentCount());
    EXPECT_TRUE(full.getComponent(0).is_resultCode());
    EXPECT_TRUE(full.getComponent(1).is_entry());
    EXPECT_FALSE(full.getComponent(2).is_reference());
}

TEST(LdapMessage, DescribesMessagesForTheCommandLine)
{
    struct Case {
        const char* hex;
        bool valid;
        const char* text;
    } cases[] = {
        {"30 05 02 01 05 42 00", true, "messageID 5: unbindRequest"},
        {"30 0F 02 01 03 65 0A 0A 01 20 04 00 04 00 88 01 05", true, "messageID 3: searchResDone, resultCode 32"},
        {"30 05 02 01 05 42 00 00", false, "not a valid LDAP message"},
        {"30 0B 02 01 01 04 02 61 62 42 00 A0 00", false, "not a valid LDAP message"},
        {"30 07 02 01 05 42 00", false, "not a valid LDAP message"},
        {"02 01 05", false, "not a valid LDAP message"},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bytes = fromHex(c.hex);
        Encoding encoding(bytes);
        BOOL valid = !c.valid;
        CString description = DescribeLdapMessage(*encoding, &valid);
        EXPECT_EQ(c.valid, valid != FALSE) << c.hex;
        EXPECT_STREQ(c.text, (const char*)description) << c.hex;
    }
}

}  // namespace
