// Filter text to trees: the RFC 4515 forms, our own escapes, round trips
// through GetString, and bad text with its position.
#include <gtest/gtest.h>

#include "filter_builders.h"

namespace {

// The stored form compares every field of two trees, absent parts included.
std::string treeBytes(CSearchFilter& filter)
{
    return hexOf(storedBytes(filter));
}

TEST(FilterParser, ReadsEveryForm)
{
    struct Case {
        const char* text;
        const char* protocol;  // GetString of the tree
    } cases[] = {
        {"(cn=Babs Jensen)", "(cn=Babs Jensen)"},
        {"(!(cn=Tim Howes))", "(!(cn=Tim Howes))"},
        {"(&(objectClass=Person)(|(sn=Jensen)(cn=Babs J*)))", "(&(objectClass=Person)(|(sn=Jensen)(cn=Babs J*)))"},
        {"(o=univ*of*mich*)", "(o=univ*of*mich*)"},
        {"(seeAlso=)", "(seeAlso=)"},
        {"(cn:caseExactMatch:=Fred Flintstone)", "(cn:caseExactMatch:=Fred Flintstone)"},
        {"(cn:=Betty Rubble)", "(cn:=Betty Rubble)"},
        {"(sn:dn:2.4.6.8.10:=Barney Rubble)", "(sn:dn:2.4.6.8.10:=Barney Rubble)"},
        {"(o:dn:=Ace Industry)", "(o:dn:=Ace Industry)"},
        {"(:1.2.3:=Wilma Flintstone)", "(NULL:1.2.3:=Wilma Flintstone)"},
        {"(:DN:2.4.6.8.10:=Dino)", "(NULL:dn:2.4.6.8.10:=Dino)"},
        {"(o=Parens R Us \\28for all your parenthetical needs\\29)",
         "(o=Parens R Us \\(for all your parenthetical needs\\))"},
        {"(cn=*\\2A*)", "(cn=*\\**)"},
        {"(filename=C:\\5cMyFile)", "(filename=C:\\\\MyFile)"},
        {"(sn=Lu\\c4\\8di\\c4\\87)", "(sn=Lu\xc4\x8di\xc4\x87)"},
        {"(cn=a\\(b\\)\\*c\\\\)", "(cn=a\\(b\\)\\*c\\\\)"},
        {"(cn=*)", "(cn=*)"},
        {"(cn;lang-de>=m)", "(cn;lang-de>=m)"},
        {"(2.5.4.3<=m)", "(2.5.4.3<=m)"},
        {"(sn~=smyth)", "(sn~=smyth)"},
        {"(cn=*a)", "(cn=*a)"},
        {"(&)", "(&)"},
        {"(|)", "(|)"},
        {"cn=bare", "(cn=bare)"},
        {"cn=*", "(cn=*)"},
        {"&(a=1)(b=2)", "(&(a=1)(b=2))"},
    };
    for (const Case& c : cases) {
        CSearchFilter filter;
        CFilterParseError error;
        ASSERT_TRUE(ParseSearchFilter(c.text, filter, &error)) << c.text << ": " << str(error.m_message);
        EXPECT_EQ(c.protocol, protocolText(filter)) << c.text;
        // GetString's text parses back to an equal tree.
        CString written;
        filter.GetString(written, 1);
        CSearchFilter again;
        ASSERT_TRUE(ParseSearchFilter(written, again)) << str(written);
        EXPECT_EQ(treeBytes(filter), treeBytes(again)) << c.text;
    }
}

TEST(FilterParser, TreeShape)
{
    CSearchFilter filter;
    ASSERT_TRUE(ParseSearchFilter("(|(cn=a*b*c)(:dn:1.2:=\\00x)(NULL:=y))", filter));
    ASSERT_EQ(frOr, filter.m_rule);
    const CSearchFilterArray& operands = *filter.GetOperands();
    ASSERT_EQ(3, operands.GetSize());
    const CSubstringFilter* pieces = operands[0]->GetSubstrings();
    ASSERT_NE(nullptr, pieces);
    EXPECT_EQ("a", textOf(pieces->m_initial));
    ASSERT_EQ(1, pieces->m_any.GetSize());
    EXPECT_EQ("b", textOf(pieces->m_any[0]));
    EXPECT_EQ("c", textOf(pieces->m_final));
    const CMatchingRuleAssertion* match = operands[1]->GetMatchingRule();
    ASSERT_NE(nullptr, match);
    EXPECT_EQ(nullptr, match->m_type);
    EXPECT_EQ(1, match->m_dnAttributes);
    EXPECT_EQ(std::string("\0x", 2), textOf(match->m_matchValue));
    ASSERT_NE(nullptr, operands[2]->GetMatchingRule()->m_type) << "NULL without a rule is an attribute";
    EXPECT_EQ("NULL", str(*operands[2]->GetMatchingRule()->m_type));
}

TEST(FilterParser, BadTextWithItsPosition)
{
    struct Case {
        const char* text;
        int position;
        const char* message;
    } cases[] = {
        {"(cn=a", 5, "unexpected end of text"},
        {"(cn=a))", 6, "text after the filter"},
        {"(=a)", 1, "expected an attribute description"},
        {"()", 1, "expected an attribute description"},
        {"(cn)", 3, "expected a filter type (=, ~=, >=, <= or :=)"},
        {"(cn=a\\2)", 6, "bad escape: expected two hexadecimal digits or one of * ( ) \\"},
        {"(cn=a\\zz)", 6, "bad escape: expected two hexadecimal digits or one of * ( ) \\"},
        {"(cn>=a*)", 6, "unescaped '*' in an assertion value"},
        {"(cn=a(b)", 5, "unescaped '(' in a value"},
        {"(cn=a**b)", 6, "empty substring between two '*'"},
        {"(:=x)", 1, "an extensible match needs an attribute or a matching rule"},
        {"(cn:dn:=x", 9, "unexpected end of text"},
        {"(cn::=x)", 4, "expected a matching rule"},
        {"(cn:1.2=x)", 7, "expected ':='"},
        {"(&(a=1)x)", 7, "expected ')'"},
        {"(!)", 2, "expected '('"},
        {"", 0, "expected an attribute description"},
        {"cn=a)", 4, "text after the filter"},
        {"cn=a(", 4, "unescaped '(' in a value"},
    };
    for (const Case& c : cases) {
        CSearchFilter filter(frPresent, new CString("old"));
        CFilterParseError error;
        EXPECT_FALSE(ParseSearchFilter(c.text, filter, &error)) << c.text;
        EXPECT_EQ(c.position, error.m_position) << c.text;
        EXPECT_EQ(c.message, str(error.m_message)) << c.text;
        EXPECT_EQ(frNull, filter.m_rule) << c.text;
        EXPECT_EQ(nullptr, filter.m_data) << c.text;
    }

    // Deep nesting ends in an error, not in a blown stack.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "(!";
    CSearchFilter filter;
    CFilterParseError error;
    EXPECT_FALSE(ParseSearchFilter(deep.c_str(), filter, &error));
    EXPECT_EQ("filter nested too deeply", str(error.m_message));
    std::string allowed;
    for (int i = 0; i < CSearchFilter::kMaxFilterDepth - 1; ++i)
        allowed += "(!";
    allowed += "(a=*)" + std::string(CSearchFilter::kMaxFilterDepth - 1, ')');
    EXPECT_TRUE(ParseSearchFilter(allowed.c_str(), filter, &error)) << str(error.m_message);
}

}  // namespace
