// Lookups, name/OID translation, syntaxes and attribute descriptions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dirlink/dirlink.h"

TEST(AttributeLookup, GetNextByColumns)
{
    EXPECT_EQ(55, GetNextByName(-1, "mail"));
    EXPECT_EQ(55, GetNextByName(-1, "MAIL"));
    EXPECT_EQ(-1, GetNextByName(55, "mail"));
    EXPECT_EQ(3, GetNextByName(-5, "cn"));  // any negative index starts at row 0
    EXPECT_EQ(-1, GetNextByName(1000000, "cn"));
    EXPECT_EQ(-1, GetNextByName(2147483647, "cn"));

    // Rows 55-57 share one OID; the search walks them one after the other.
    const char* oid = "0.9.2342.19200300.100.1.3";
    EXPECT_EQ(55, GetNextByOid(-1, oid));
    EXPECT_EQ(56, GetNextByOid(55, oid));
    EXPECT_EQ(57, GetNextByOid(56, oid));
    EXPECT_EQ(-1, GetNextByOid(57, oid));

    EXPECT_EQ(1, GetNextBySyntax(-1, "dn"));  // case-insensitive
    EXPECT_EQ(3, GetNextBySupertype(-1, "NAME"));
    EXPECT_EQ(4, GetNextBySupertype(3, "name"));
    EXPECT_EQ(0, GetNextByAlias(-1, "Object class"));
    EXPECT_EQ(-1, GetNextByAlias(-1, "object class"));  // exact
    // A null pattern finds rows whose column is null.
    EXPECT_EQ(3, GetNextBySyntax(-1, nullptr));
    EXPECT_EQ(0, GetNextBySupertype(-1, nullptr));
    EXPECT_EQ(19, GetNextByAlias(-1, nullptr));
}

TEST(AttributeLookup, Translations)
{
    EXPECT_STREQ("mail", DecimalAttrTypeToTextual("0.9.2342.19200300.100.1.3"));
    EXPECT_STREQ("0.9.2342.19200300.100.1.3", TextualAttrTypeToDecimal("RFC822MAILBOX"));
    EXPECT_STREQ("uid", DecimalAttrTypeToTextual("0.9.2342.19200300.100.1.1"));
    EXPECT_EQ(nullptr, DecimalAttrTypeToTextual("1.2.3"));
    EXPECT_EQ(nullptr, TextualAttrTypeToDecimal("nosuchattribute"));
    EXPECT_EQ(nullptr, DecimalAttrTypeToTextual(nullptr));
    EXPECT_EQ(nullptr, TextualAttrTypeToDecimal(nullptr));
}

TEST(AttributeLookup, SyntaxThroughSupertypes)
{
    struct Case {
        const char* type;
        const char* syntax;
    } cases[] = {
        {"cn", "DirectoryString"},         {"2.5.4.3", "DirectoryString"}, {"CN", "DirectoryString"},
        {"member", "DN"},                  {"2.5.4.31", "DN"},             {"jpegPhoto", "JPEG"},
        {"teletexTerminalIdentifier", "TeletexTerminalIdentifier"},
        {"nosuchattribute", nullptr},      {"9.9.9", nullptr},             {"", nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const char* got = GetAttributeSyntaxName(c.type);
        if (c.syntax) {
            EXPECT_STREQ(c.syntax, got) << (c.type ? c.type : "(null)");
        } else {
            EXPECT_EQ(nullptr, got) << (c.type ? c.type : "(null)");
        }
    }
}

TEST(AttributeLookup, BinaryAndTextualSyntaxes)
{
    EXPECT_EQ(1, IsBinarySyntax("jpeg"));
    EXPECT_EQ(0, IsTextualSyntax("JPEG"));
    EXPECT_EQ(1, IsTextualSyntax("directorystring"));
    EXPECT_EQ(-1, IsBinarySyntax("ModifyRight"));
    EXPECT_EQ(-1, IsTextualSyntax("TeletexTerminalIdentifier"));
    EXPECT_EQ(-1, IsBinarySyntax(nullptr));
    EXPECT_EQ(-1, IsTextualSyntax(""));
}

TEST(AttributeLookup, NextAttributeTypeFilters)
{
    const char *name, *oid, *alias;
    int all = 0, textual = 0, binary = 0, derived = 0;
    for (int r = GetNextAttributeType(-1, name, oid, alias, ATTR_FILTER_ALL); r >= 0;
         r = GetNextAttributeType(r, name, oid, alias, ATTR_FILTER_ALL))
        ++all;
    for (int r = GetNextAttributeType(-1, name, oid, alias, ATTR_FILTER_TEXTUAL); r >= 0;
         r = GetNextAttributeType(r, name, oid, alias, ATTR_FILTER_TEXTUAL)) {
        const char* syntax;
        GetAttributeInfo(r, nullptr, nullptr, &syntax, nullptr, nullptr);
        ASSERT_NE(nullptr, syntax);
        EXPECT_EQ(1, IsTextualSyntax(syntax)) << r;
        ++textual;
    }
    for (int r = GetNextAttributeType(-1, name, oid, alias, ATTR_FILTER_BINARY); r >= 0;
         r = GetNextAttributeType(r, name, oid, alias, ATTR_FILTER_BINARY))
        ++binary;
    for (int r = GetNextAttributeType(-1, name, oid, alias, ATTR_FILTER_DERIVED); r >= 0;
         r = GetNextAttributeType(r, name, oid, alias, ATTR_FILTER_DERIVED))
        ++derived;
    EXPECT_EQ(257, all);
    // userCertificate, cACertificate, two CRL types, crossCertificatePair,
    // photo, personalSignature, audio, jpegPhoto, x-Configuration.
    EXPECT_EQ(10, binary);
    // cn sn c l st o ou title givenName initials generationQualifier member owner roleOccupant seeAlso.
    EXPECT_EQ(15, derived);
    // The rest have an own syntax that is textual, unknown or neither.
    EXPECT_LT(textual, all - binary - derived);

    EXPECT_EQ(36, GetNextAttributeType(-1, name, oid, alias, ATTR_FILTER_BINARY));
    EXPECT_STREQ("userCertificate", name);
    EXPECT_STREQ("2.5.4.36", oid);
    EXPECT_STREQ("User certificate", alias);
    EXPECT_EQ(-1, GetNextAttributeType(256, name, oid, alias, ATTR_FILTER_ALL));
    EXPECT_EQ(-1, GetNextAttributeType(-1, name, oid, alias, 7));
}

TEST(AttributeDescription, DottedDecimalAndTextualForms)
{
    struct Case {
        const char* text;
        BOOL dotted;
    } cases[] = {
        {"2.5.4.3", TRUE}, {"2.5.", TRUE}, {"7", TRUE},   {".2.5", FALSE}, {"2..5", FALSE},
        {"cn", FALSE},     {"", FALSE},    {"2.5a", FALSE}, {"2.5 ", FALSE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.dotted, IsDottedDecimalAttrType(c.text)) << c.text;
        EXPECT_EQ(*c.text && !c.dotted, IsTextualAttrType(c.text)) << c.text;
    }
    EXPECT_FALSE(IsDottedDecimalAttrType(nullptr));
    EXPECT_FALSE(IsTextualAttrType(nullptr));
}

TEST(AttributeDescription, ParseWithOptions)
{
    struct Case {
        const char* description;
        const char* type;
        std::vector<std::string> options;
    } cases[] = {
        {"cn;lang-en; binary ;", "cn", {"lang-en", "binary"}},
        {"  cn  ", "cn", {}},
        {" userCertificate ;binary", "userCertificate", {"binary"}},
        {";;x;", "", {"x"}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        CString type("stale");
        CStringArray options;
        options.Add("stale");
        ParseAttributeDescription(c.description, type, &options);
        EXPECT_STREQ(c.type, type) << c.description;
        ASSERT_EQ((int)c.options.size(), options.GetSize()) << c.description;
        for (size_t i = 0; i < c.options.size(); ++i)
            EXPECT_STREQ(c.options[i].c_str(), options[(int)i]) << c.description;
    }
    CString type;
    ParseAttributeDescription("mail;x", type, nullptr);
    EXPECT_STREQ("mail", type);
}

TEST(AttributeDescription, Options)
{
    EXPECT_TRUE(IsLangOption("lang=de"));
    EXPECT_FALSE(IsLangOption("LANG=DE"));
    EXPECT_TRUE(IsBinaryOption("binary"));
    EXPECT_FALSE(IsBinaryOption("Binary"));
    EXPECT_FALSE(IsBinaryOption("binary "));
    EXPECT_TRUE(IsValidOption("lang=fr"));
    EXPECT_TRUE(IsValidOption("binary"));
    EXPECT_FALSE(IsValidOption("lang-en"));
    EXPECT_FALSE(IsValidOption(nullptr));
    EXPECT_STREQ("de", GetLangCode("lang= de "));
    EXPECT_STREQ("", GetLangCode("lang="));
    EXPECT_STREQ("", GetLangCode("en"));  // too short to have a code
    EXPECT_STREQ("", GetLangCode(nullptr));
}

TEST(AttributeDescription, AdjustAttribute)
{
    struct Case {
        const char* in;
        int toTextual;
        const char* out;
        int result;
    } cases[] = {
        {"2.5.4.3", 1, "cn", 1},
        {"2.5.4.3;binary", 1, "cn", 1},
        {"9.9.9", 1, "9.9.9", 1},
        {"mail", 1, "mail", 1},
        {"cn", 0, "2.5.4.3", 1},
        {" rfc822Mailbox ;lang=en", 0, "0.9.2342.19200300.100.1.3", 1},
        {"nosuchattribute;x", 0, "nosuchattribute", 0},
        {"2.5.4.3", 0, "2.5.4.3", 1},
        {"", 0, "", 1},
    };
    for (const Case& c : cases) {
        CString type(c.in);
        EXPECT_EQ(c.result, AdjustAttribute(type, c.toTextual)) << c.in;
        EXPECT_STREQ(c.out, type) << c.in;
    }
}
