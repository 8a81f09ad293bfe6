// Request builders against hand-built DER, including the edge cases of the
// non-standard components and of filters that convert to nothing.
#include <gtest/gtest.h>

#include <functional>

#include "ber_text.h"
#include "filter_builders.h"

namespace {

using namespace ber;

std::string built(const std::function<void(CByteArray&)>& builder)
{
    CByteArray output;
    output.Add(0xEE);  // replaced, not appended to
    builder(output);
    return hexOf(output);
}

std::string searchFor(const CSearchFilter& filter, int nameForm = 1, unsigned long page = 0)
{
    CStringArray none;
    return built([&](CByteArray& out) {
        ldapCreateSearchRequest(3, "o=Ex", 2, 0, 0, 0, page, 0, filter, none, out, nameForm);
    });
}

std::string searchWith(const std::string& filter)
{
    return hex(message(3, tlv(0x63, searchHead("o=Ex", 2) + filter + tlv(0x30, ""))));
}

TEST(RequestBuilders, SimpleOperations)
{
    CModificationArray changes;
    changes.Add(new CModification);
    changes[0]->m_operation = CModification::opReplace;
    changes[0]->m_attribute.m_name = "description";
    changes[0]->m_attribute.AddValue("x");
    changes[0]->m_attribute.m_values.Add(nullptr);
    changes.Add(nullptr);
    changes.Add(new CModification);
    changes[2]->m_operation = CModification::opDelete;
    changes[2]->m_attribute.m_name = "mail;x-tag";

    CAttributeArray attributes;
    attributes.Add(nullptr);
    attributes.Add(new CAttribute);
    attributes[1]->m_name = "objectClass";
    attributes[1]->AddValue("top");
    attributes[1]->AddValue("person");

    CStringArray any;
    any.Add("");
    any.Add("x");
    HolderPtr empty(CUniDataHolder::Create(0));
    HolderPtr payload = value(std::string("\x30\x00", 2));

    struct Case {
        const char* reason;
        std::function<void(CByteArray&)> builder;
        std::string expected;
    } cases[] = {
        {"anonymous version 2 bind", [](CByteArray& o) { ldapCreateBindRequest(1, 2, nullptr, nullptr, o); },
         "30 0C 02 01 01 60 07 02 01 02 04 00 80 00"},
        {"bind with name and password", [](CByteArray& o) { ldapCreateBindRequest(1, 3, "cn=a", "pw", o); },
         hex(message(1, tlv(0x60, num(3) + ostr("cn=a") + ostr("pw", 0x80))))},
        {"unbind", [](CByteArray& o) { ldapCreateUnbindRequest(5, o); }, "30 05 02 01 05 42 00"},
        {"present objectClass",
         [](CByteArray& o) { ldapCreateSearchWithPresentAttrRequest(2, nullptr, 0, 0, 0, 0, 0, "objectClass", 0, o); },
         "30 25 02 01 02 63 20 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00 87 0B 6F 62 6A 65 63 74 43 6C 61 73"
         " 73 30 00"},
        {"page size 50 after the attribute list",
         [](CByteArray& o) { ldapCreateSearchWithPresentAttrRequest(2, "", 0, 0, 0, 0, 0, "objectClass", 50, o); },
         "30 28 02 01 02 63 23 04 00 0A 01 00 0A 01 00 02 01 00 02 01 00 01 01 00 87 0B 6F 62 6A 65 63 74 43 6C 61 73"
         " 73 30 00 80 01 32"},
        {"approximate equality, limits and typesOnly",
         [](CByteArray& o) { ldapCreateSearchWithEqualityRequest(4, "o=Ex", 1, 3, 10, 200, 1, "sn", "Smith", 0, 1, o); },
         hex(message(4, tlv(0x63, ostr("o=Ex") + num(1, 0x0A) + num(3, 0x0A) + num(10) + num(200) + boolean(true) +
                                       tlv(0xA8, ostr("sn") + ostr("Smith")) + tlv(0x30, ""))))},
        {"equality", [](CByteArray& o) { ldapCreateSearchWithEqualityRequest(3, "o=Ex", 2, 0, 0, 0, 0, "cn", "a", 0, 0, o); },
         searchWith(tlv(0xA3, ostr("cn") + ostr("a")))},
        {"substring: empty initial and empty any left out",
         [&](CByteArray& o) { ldapCreateSearchSubstringRequest(3, "o=Ex", 2, 0, 0, 0, 0, 0, "cn", "", any, nullptr, o); },
         searchWith(tlv(0xA4, ostr("cn") + tlv(0x30, ostr("x", 0x81))))},
        {"modify: null items and values skipped, options kept",
         [&](CByteArray& o) { ldapCreateModifyRequest(6, "cn=a", changes, o, 1); },
         hex(message(6, tlv(0x66, ostr("cn=a") +
                                      tlv(0x30, tlv(0x30, num(2, 0x0A) + tlv(0x30, ostr("description") +
                                                                                       tlv(0x31, ostr("x")))) +
                                                    tlv(0x30, num(1, 0x0A) + tlv(0x30, ostr("mail;x-tag") + tlv(0x31, "")))))))},
        {"add with names as object identifiers",
         [&](CByteArray& o) { ldapCreateAddRequest(7, "cn=a", attributes, o, 0); },
         hex(message(7, tlv(0x68, ostr("cn=a") + tlv(0x30, tlv(0x30, ostr("2.5.4.0") +
                                                                        tlv(0x31, ostr("top") + ostr("person")))))))},
        {"delete", [](CByteArray& o) { ldapCreateDeleteRequest(8, "cn=a", o); }, hex(message(8, ostr("cn=a", 0x4A)))},
        {"modify DN with an empty new superior",
         [](CByteArray& o) { ldapModifyDnRequest(9, "cn=a,o=x", "cn=b", 1, "", o); },
         hex(message(9, tlv(0x6C, ostr("cn=a,o=x") + ostr("cn=b") + boolean(true) + ostr("", 0x80))))},
        {"modify DN without new superior",
         [](CByteArray& o) { ldapModifyDnRequest(9, "cn=a,o=x", nullptr, 0, nullptr, o); },
         hex(message(9, tlv(0x6C, ostr("cn=a,o=x") + ostr("") + boolean(false))))},
        {"compare without value",
         [](CByteArray& o) { ldapCompareRequest(10, "cn=a", CAttributeValueAssertion("sn", nullptr), o, 1); },
         hex(message(10, tlv(0x6E, ostr("cn=a") + tlv(0x30, ostr("sn") + ostr("")))))},
        {"who am I: no value, no requestValue",
         [](CByteArray& o) { ldapExtendedRequest(11, "1.3.6.1.4.1.4203.1.11.3", nullptr, 0, o); },
         hex(message(11, tlv(0x77, ostr("1.3.6.1.4.1.4203.1.11.3", 0x80))))},
        {"extended with an empty value",
         [&](CByteArray& o) { ldapExtendedRequest(11, "1.2.3", empty.get(), 0, o); },
         hex(message(11, tlv(0x77, ostr("1.2.3", 0x80) + ostr("", 0x81))))},
        {"extended with a value", [&](CByteArray& o) { ldapExtendedRequest(11, "1.2.3", payload.get(), 0, o); },
         hex(message(11, tlv(0x77, ostr("1.2.3", 0x80) + ostr(std::string("\x30\x00", 2), 0x81))))},
        {"message ID above 2^31", [](CByteArray& o) { ldapCreateUnbindRequest(0x80000000UL, o); },
         "30 09 02 05 00 80 00 00 00 42 00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, built(c.builder)) << c.reason;
}

TEST(RequestBuilders, FilterConversion)
{
    struct Case {
        const char* reason;
        CSearchFilter* filter;
        int nameForm;
        std::string expected;
    } cases[] = {
        {"empty filter: no filter component", new CSearchFilter, 1, searchWith("")},
        {"and of equality and not present",
         group(frAnd, {equal("cn", "a"), negation(present("mail"))}), 1,
         searchWith(tlv(0xA0, tlv(0xA3, ostr("cn") + ostr("a")) + tlv(0xA2, ostr("mail", 0x87))))},
        {"names become object identifiers", group(frOr, {present("cn"), assertion(frGreaterOrEqual, "sn", "b")}), 0,
         searchWith(tlv(0xA1, ostr("2.5.4.3", 0x87) + tlv(0xA5, ostr("2.5.4.4") + ostr("b"))))},
        {"operands that convert to nothing are left out",
         group(frAnd, {new CSearchFilter, nullptr, negation(new CSearchFilter), assertion(frLessOrEqual, "x", nullptr)}),
         1, searchWith(tlv(0xA0, tlv(0xA6, ostr("x") + ostr(""))))},
        {"not of nothing is nothing", negation(new CSearchFilter), 1, searchWith("")},
        {"substrings: empty pieces left out", substrings("cn", "", {"", nullptr, "b"}, "c"), 1,
         searchWith(tlv(0xA4, ostr("cn") + tlv(0x30, ostr("b", 0x81) + ostr("c", 0x82))))},
        {"extensible with every part", extensible("cn", "2.5.13.2", "v", 1), 0,
         searchWith(tlv(0xA9, ostr("2.5.13.2", 0x81) + ostr("2.5.4.3", 0x82) + ostr("v", 0x83) + ostr("\xFF", 0x84)))},
        {"extensible without value or type: empty value, dnAttributes false", extensible(nullptr, "1.2", nullptr, 0), 1,
         searchWith(tlv(0xA9, ostr("1.2", 0x81) + ostr("", 0x83) + ostr(std::string(1, '\0'), 0x84)))},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CSearchFilter> filter(c.filter);
        EXPECT_EQ(c.expected, searchFor(*filter, c.nameForm)) << c.reason;
    }

    CStringArray attributes;
    attributes.Add("cn");
    attributes.Add("2.5.4.4");
    attributes.Add("*");
    std::unique_ptr<CSearchFilter> filter(present("objectClass"));
    EXPECT_EQ(hex(message(3, tlv(0x63, searchHead("", 0) + ostr("objectClass", 0x87) +
                                           tlv(0x30, ostr("cn") + ostr("sn") + ostr("*")) + ostr("\x07", 0x80)))),
              built([&](CByteArray& out) { ldapCreateSearchRequest(3, nullptr, 0, 0, 0, 0, 7, 0, *filter, attributes, out, 1); }));
}

}  // namespace
