// Search filter trees: both text forms, completeness, simplification, copies
// and the stored layout.
#include <gtest/gtest.h>

#include "filter_builders.h"

namespace {

using FilterPtr = std::unique_ptr<CSearchFilter>;

TEST(SearchFilter, TextForms)
{
    struct Case {
        const char* reason;
        CSearchFilter* filter;
        const char* protocol;
        const char* readable;
    } cases[] = {
        {"and with not present", group(frAnd, {equal("cn", "a"), negation(present("mail"))}),
         "(&(cn=a)(!(mail=*)))", "((cn = a) AND (NOT (PRESENT mail)))"},
        {"escaped value", equal("cn", "a(b)*c\\"), "(cn=a\\(b\\)\\*c\\\\)", "(cn = a\\(b\\)\\*c\\\\)"},
        {"extensible without type", extensible(nullptr, "2.5.13.2", "value text", 1),
         "(NULL:dn:2.5.13.2:=value text)", "(NULL:dn:2.5.13.2:=value text)"},
        {"extensible with type, no rule, no value", extensible("cn", "", nullptr, 0), "(cn:=)", "(cn:=)"},
        {"substrings", substrings("cn", "ab", {"cd", nullptr}, "ef"), "(cn=ab*cd*ef)", "(cn=ab*cd*ef)"},
        {"substrings, any only", substrings("cn", nullptr, {"x*"}, nullptr), "(cn=*x\\**)", "(cn=*x\\**)"},
        {"or of the ordering kinds",
         group(frOr, {assertion(frGreaterOrEqual, "age", "3"), assertion(frLessOrEqual, "age", "9"),
                      assertion(frApprox, "sn", "smith"), nullptr}),
         "(|(age>=3)(age<=9)(sn~=smith))", "((age >= 3) OR (age <= 9) OR (sn ~= smith))"},
        {"assertion without value", equal("cn", nullptr), "(cn=)", "(cn = )"},
        {"empty and", group(frAnd, {}), "(&)", "()"},
        {"and without its array", new CSearchFilter(frAnd, nullptr), "()", "()"},
        {"empty filter", new CSearchFilter, "()", "()"},
        {"unknown rule", new CSearchFilter((enumFilterRule)11, nullptr), "()", "()"},
    };
    for (const Case& c : cases) {
        FilterPtr filter(c.filter);
        EXPECT_EQ(c.protocol, protocolText(*filter)) << c.reason;
        EXPECT_EQ(c.readable, readableText(*filter)) << c.reason;
    }
}

TEST(SearchFilter, Completeness)
{
    struct Case {
        const char* reason;
        CSearchFilter* filter;
        int shallow;
        int deep;
    } cases[] = {
        {"and of an equality without description", group(frAnd, {equal("", "x")}), 1, 0},
        {"and with a null operand", group(frAnd, {equal("cn", "x"), nullptr}), 0, 0},
        {"empty and", group(frAnd, {}), 1, 1},
        {"substring with only an empty initial", substrings("cn", "", {}, nullptr), 0, 0},
        {"substring with an any piece", substrings("cn", nullptr, {"", "x"}, nullptr), 1, 1},
        {"extensible without value", extensible("cn", "1.2", nullptr, 0), 1, 0},
        {"not without operand", new CSearchFilter(frNot, nullptr), 0, 0},
        {"not of an incomplete equality", negation(equal("", "x")), 1, 0},
        {"present", present("cn"), 1, 1},
        {"empty filter", new CSearchFilter, 0, 0},
        {"equality without value", equal("cn", nullptr), 1, 1},
    };
    for (const Case& c : cases) {
        FilterPtr filter(c.filter);
        EXPECT_EQ(c.shallow, filter->IsComplete(0)) << c.reason;
        EXPECT_EQ(c.deep, filter->IsComplete(1)) << c.reason;
    }
}

TEST(SearchFilter, Simplification)
{
    struct Case {
        const char* reason;
        CSearchFilter* filter;
        const char* simplified;
    } cases[] = {
        {"double negation", negation(negation(equal("cn", "a"))), "(cn=a)"},
        {"triple negation", negation(negation(negation(equal("cn", "a")))), "(!(cn=a))"},
        {"double negation of nothing", negation(new CSearchFilter(frNot, nullptr)), "()"},
        {"and with an empty filter and a null slot", group(frAnd, {equal("cn", "a"), new CSearchFilter, nullptr}),
         "(&(cn=a))"},
        {"nested operands simplified first",
         group(frOr, {negation(negation(present("a"))), group(frAnd, {new CSearchFilter}),
                      negation(negation(new CSearchFilter))}),
         "(|(a=*)(&))"},
        {"double negation of an and", negation(negation(group(frAnd, {new CSearchFilter, present("x")}))),
         "(&(x=*))"},
    };
    for (const Case& c : cases) {
        FilterPtr filter(c.filter);
        filter->EliminateRedundancy();
        EXPECT_EQ(c.simplified, protocolText(*filter)) << c.reason;
    }
}

TEST(SearchFilter, CopiesDropNullOperands)
{
    FilterPtr original(group(frAnd, {nullptr, equal("cn", "a"), substrings("sn", "x", {nullptr, "y"}, nullptr),
                                     extensible("cn", "1.2", "v", 1)}));
    CSearchFilter copy(*original);
    ASSERT_EQ(3, copy.GetOperands()->GetSize());
    EXPECT_EQ("(&(cn=a)(sn=x*y*)(cn:dn:1.2:=v))", protocolText(copy));
    EXPECT_NE(original->GetOperands()->GetAt(1)->GetAssertion()->m_value,
              copy.GetOperands()->GetAt(0)->GetAssertion()->m_value);
}

TEST(SearchFilter, StoredLayout)
{
    FilterPtr filter(group(frAnd, {equal("cn", "a"), nullptr, present("mail")}));
    EXPECT_EQ("00 01 00 00 00 01 02 00 00 00 04 00 00 00 01 00 02 63 6E 01 00 01 00 00 00 61"
              " 00 08 00 00 00 01 04 6D 61 69 6C",
              hexOf(storedBytes(*filter)))
        << "null operands are left out of the count";
    FilterPtr rich(extensible(nullptr, "2.5.13.2", "v", 1));
    EXPECT_EQ("00 0A 00 00 00 01 00 01 01 08 32 2E 35 2E 31 33 2E 32 00 01 00 01 00 00 00 76",
              hexOf(storedBytes(*rich)));
    FilterPtr pieces(substrings("cn", "a", {"b"}, nullptr));
    EXPECT_EQ("00 05 00 00 00 01 00 02 63 6E 01 00 01 00 00 00 61 00 01 00 00 01 00 01 00 00 00 62",
              hexOf(storedBytes(*pieces)));

    FilterPtr tree(group(frOr, {negation(substrings("cn", "a", {"b", "c"}, "d")), extensible("cn", nullptr, "x", 0),
                                assertion(frApprox, "sn", "q(r)"), equal("cn", nullptr), new CSearchFilter}));
    CSearchFilter loaded(frEqual, new CAttributeValueAssertion);
    ASSERT_EQ(0, archiveLoadCause(loaded, storedBytes(*tree)));
    EXPECT_EQ(protocolText(*tree), protocolText(loaded));
    EXPECT_EQ(nullptr, loaded.GetOperands()->GetAt(3)->GetAssertion()->m_value);
}

TEST(SearchFilter, HostileArchives)
{
    const int generic = CArchiveException::genericException, eof = CArchiveException::endOfFile;
    CSearchFilter filter;
    EXPECT_EQ(generic, archiveLoadCause(filter, hexBytes("00 0B 00 00 00")));
    EXPECT_EQ(frNull, filter.m_rule) << "a rule out of range is left as rule 0";
    EXPECT_EQ(generic, archiveLoadCause(filter, hexBytes("00 08 00 00 00 02")));
    EXPECT_EQ(generic, archiveLoadCause(filter, hexBytes("01 00 00 00 00")));
    EXPECT_EQ(eof, archiveLoadCause(filter, hexBytes("00 01 00 00 00 01 FF FF 00 00 00 01 00")))
        << "an operand count beyond the data";

    // 100000 nested NOTs would exhaust the stack if followed.
    Bytes deep;
    for (int i = 0; i < 100000; ++i)
        for (unsigned char b : {0x00, 0x03, 0x00, 0x00, 0x00, 0x01})
            deep.push_back(b);
    EXPECT_EQ(generic, archiveLoadCause(filter, deep));

    FilterPtr good(group(frAnd, {substrings("cn", "a", {"b"}, "c"), extensible("x", "1.2", "v", 1)}));
    Bytes stored = storedBytes(*good);
    for (size_t n = 0; n < stored.size(); ++n)
        EXPECT_EQ(eof, archiveLoadCause(filter, Bytes(stored.begin(), stored.begin() + (long)n))) << n;
}

}  // namespace
