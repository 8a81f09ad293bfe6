// Distinguished names as text: parsing, validity, forms, comparison and the
// RDN/AVA helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dirlink/dirlink.h"

namespace {
std::vector<std::string> toVector(const CStringArray& array)
{
    std::vector<std::string> items;
    for (int i = 0; i < array.GetSize(); ++i)
        items.emplace_back((const char*)array[i]);
    return items;
}
}  // namespace

TEST(DnText, Validity)
{
    struct Case {
        const char* dn;
        int valid;
        const char* reason;
    } cases[] = {
        {"cn=John Smith, o=Firm, c=US", 1, "plain names"},
        {" cn=John Smith, o=Firm, c=US", 0, "the first type keeps its leading blank"},
        {"2.5.4.3=John", 0, "bare OID type"},
        {"OID.2.5.4.3=John", 1, "prefixed OID type"},
        {"oid.1.2.840.113549.1.9.1=a@b", 1, "unknown OID with the prefix"},
        {"Oid.2.5.4.3=John", 0, "only oid. or OID."},
        {"OID.3.5=x", 0, "first arc above 2"},
        {"OID.2.40=x", 0, "second arc above 39"},
        {"OID.2=x", 0, "one arc"},
        {"OID.2.5.=x", 0, "final dot"},
        {"OID.2..5=x", 0, "two dots"},
        {"OID.2.99999999999999999999=x", 0, "huge second arc"},
        {"cn=a,", 0, "trailing comma"},
        {"cn=a, ", 0, "separator followed by blanks"},
        {"cn=a<b", 0, "less-than"},
        {"cn=a>b", 0, "greater-than"},
        {"cn=a=b", 0, "second equals sign"},
        {"nosuchtype=a", 0, "unknown name"},
        {"", 1, "the empty DN"},
        {",cn=a", 0, "leading separator"},
        {"=a", 0, "first AVA without type"},
        {"cn=a+sn=b;o=x", 1, "plus and semicolon"},
        {"cn=a+", 0, "nothing after plus"},
        {"cn=a+ ,o=b", 0, "empty AVA after plus"},
        {"cn=a+b", 1, "second AVA takes the type before it"},
        {"cn=a+=b", 1, "empty type after the first AVA"},
        {"cn=a+\"\"", 0, "empty quoted AVA after plus"},
        {"cn=#0A1B", 1, "hex value"},
        {"cn=#0A1", 0, "odd hex digits"},
        {"cn=#", 1, "number sign alone"},
        {"cn=#0Ax", 0, "text after a hex value"},
        {"cn=a#b", 0, "number sign inside a value"},
        {"cn=\"a, b\"", 1, "quoted value"},
        {"cn=\"a", 0, "unclosed quote"},
        {"cn=\"a\\\"", 0, "the only quote after the opening one is escaped"},
        {"cn=\"a\" x", 0, "text after a quoted value"},
        {"cn=a\"b", 0, "quote inside a value"},
        {"c\"n=a", 0, "quote inside a type"},
        {"cn=a\\,b", 1, "escaped comma"},
        {"cn=a\\", 0, "dangling backslash"},
        {"cn\\=a", 0, "an escape in the type makes it a value"},
        {"\"quoted\"", 0, "a quoted value without a type"},
        {"CN = abc , O=X", 1, "blanks around types and values"},
        {"cn=\r", 1, "carriage return is a blank"},
        {"E-MAILADDRESS=a@b,x-AR-Note=y", 1, "names with dashes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, IsValidDn(c.dn)) << c.reason << ": " << c.dn;
    EXPECT_EQ(1, IsValidDn(nullptr));
}

TEST(DnText, ConvertForms)
{
    struct Case {
        const char* dn;
        const char* plain;
        const char* canonical;
    } cases[] = {
        {"CN=Smith + ou=Sales,O=Firm", "CN=Smith+ou=Sales,O=Firm",
         "oid.2.5.4.11=Sales+oid.2.5.4.3=Smith,oid.2.5.4.10=Firm"},
        {"cn=John Smith", "cn=\"John Smith\"", "oid.2.5.4.3=\"John Smith\""},
        {"cn=\"say \\\"hi\\\"\"", "cn=\"say \\\"hi\\\"\"", "oid.2.5.4.3=\"say \\\"hi\\\"\""},
        {"cn=#0A1B", "cn=#0A1B", "oid.2.5.4.3=#0A1B"},
        {"cn=\"#0A1\"", "cn=\"#0A1\"", "oid.2.5.4.3=\"#0A1\""},
        {"cn=\"#\"", "cn=#", "oid.2.5.4.3=#"},
        {"cn=\"#zz\"", "cn=\"#zz\"", "oid.2.5.4.3=\"#zz\""},
        {"OID.2.5.4.3=x", "cn=x", "oid.2.5.4.3=x"},
        {"OID.0.9.2342.19200300.100.1.3=a", "mail=a", "oid.0.9.2342.19200300.100.1.3=a"},
        {"OID.1.2.3=x", "OID.1.2.3=x", "oid.1.2.3=x"},
        {"cn=b+a", "cn=b+a", "oid.2.5.4.3=a+oid.2.5.4.3=b"},
        {"cn=a\\,b", "cn=\"a,b\"", "oid.2.5.4.3=\"a,b\""},
        {"cn=a\\\\b", "cn=\"a\\\\b\"", "oid.2.5.4.3=\"a\\\\b\""},
        {"cn=  spaced  ", "cn=spaced", "oid.2.5.4.3=spaced"},
        {"cn=\\ kept\\ ", "cn=\" kept \"", "oid.2.5.4.3=\" kept \""},
        {"cn=", "cn=", "oid.2.5.4.3="},
        {"cn=a;o=b", "cn=a,o=b", "oid.2.5.4.3=a,oid.2.5.4.10=b"},
        {"cn=x=y", nullptr, nullptr},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        CString plain("untouched"), canonical("untouched");
        int ok = ConvertDn(c.dn, 0, plain);
        EXPECT_EQ(ConvertDn(c.dn, 1, canonical), ok) << c.dn;
        if (!c.plain) {
            EXPECT_EQ(0, ok) << c.dn;
            EXPECT_STREQ("untouched", plain) << c.dn;
            continue;
        }
        ASSERT_EQ(1, ok) << c.dn;
        EXPECT_STREQ(c.plain, plain) << c.dn;
        EXPECT_STREQ(c.canonical, canonical) << c.dn;
        // Either form reads back as the same name.
        if (*c.dn) {
            EXPECT_EQ(1, AreEqualDn(c.dn, plain)) << c.dn;
            EXPECT_EQ(1, AreEqualDn(c.dn, canonical)) << c.dn;
        }
    }
}

TEST(DnText, Equality)
{
    struct Case {
        const char* a;
        const char* b;
        int equal;
        const char* reason;
    } cases[] = {
        {"cn=ABC,o=x", "CN = abc , O=X", 1, "case and blanks"},
        {"mail=a", "rfc822Mailbox=A", 1, "aliases of one OID"},
        {"E-MAILADDRESS=a", "OID.0.9.2342.19200300.100.1.3=a", 1, "name and OID"},
        {"cn=a+sn=b,o=x", "sn=b+cn=a,o=x", 1, "AVA order"},
        {"cn=a,o=x", "o=x,cn=a", 0, "RDN order"},
        {"cn=a,o=x", "cn=a", 0, "RDN count"},
        {"cn=a+sn=b", "cn=a", 0, "AVA count"},
        {"cn=a+cn=a", "cn=a+cn=b", 0, "each AVA needs a counterpart of its own"},
        {"cn=a+b", "cn=b+cn=a", 1, "inherited type"},
        {"cn=a", "sn=a", 0, "type"},
        {"cn=#0a", "cn=#0A", 1, "hex case"},
        {"OID.1.2.3=x", "oid.1.2.3=X", 1, "unknown OID, either prefix"},
        {"cn=a b", "cn=\"a b\"", 1, "quoting"},
        {"", "cn=a", -1, "empty"},
        {"cn=a", "", -1, "empty"},
        {nullptr, "cn=a", -1, "null"},
        {"cn=a", "cn=a,", -1, "invalid"},
        {"2.5.4.3=a", "cn=a", -1, "bare OID type"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.equal, AreEqualDn(c.a, c.b)) << c.reason;
        EXPECT_EQ(c.equal, AreEqualDn(c.b, c.a)) << c.reason << " (swapped)";
    }
}

TEST(DnText, RdnHelpers)
{
    const char* dn = "cn=a,ou=b,o=c";
    EXPECT_EQ(3, GetRDnCount(dn));
    EXPECT_EQ(0, GetRDnCount(""));
    EXPECT_EQ(-1, GetRDnCount("cn=a,"));

    CString rdn("untouched");
    EXPECT_EQ(1, GetRDn(1, dn, rdn));
    EXPECT_STREQ("o=c", rdn);
    EXPECT_EQ(1, GetRDn(3, dn, rdn));
    EXPECT_STREQ("cn=a", rdn);
    EXPECT_EQ(0, GetRDn(0, dn, rdn));
    EXPECT_EQ(0, GetRDn(4, dn, rdn));
    EXPECT_EQ(0, GetRDn(1, "cn=a<", rdn));
    EXPECT_STREQ("cn=a", rdn);

    CStringArray all;
    EXPECT_EQ(1, GetAllRDns(dn, all, 0));
    EXPECT_EQ((std::vector<std::string>{"o=c", "ou=b", "cn=a"}), toVector(all));
    EXPECT_EQ(1, GetAllRDns("cn=b+cn=a,o=c", all, 1));
    EXPECT_EQ((std::vector<std::string>{"oid.2.5.4.10=c", "oid.2.5.4.3=a+oid.2.5.4.3=b"}), toVector(all));
    EXPECT_EQ(0, GetAllRDns("cn=a,", all, 0));
    EXPECT_EQ(2, all.GetSize());

    EXPECT_STREQ("cn=a", AddRDn("cn=a", ""));
    EXPECT_STREQ("cn=a", AddRDn("cn=a", nullptr));
    EXPECT_STREQ("cn=a,o=b", AddRDn("cn=a", "o=b"));
}

TEST(DnText, AvaHelpers)
{
    EXPECT_EQ(2, GetAvaCount("cn=a+sn=b,o=c"));
    EXPECT_EQ(1, GetAvaCount("cn=a"));
    EXPECT_EQ(0, GetAvaCount(""));
    EXPECT_EQ(-1, GetAvaCount("cn=a+"));

    CString ava("untouched");
    EXPECT_EQ(1, GetAva(1, "cn=a+OID.2.5.4.4=b,o=c", ava));
    EXPECT_STREQ("sn=b", ava);
    EXPECT_EQ(1, GetAva(1, "cn=a+b", ava));
    EXPECT_STREQ("b", ava);  // an AVA without a type is its value
    EXPECT_EQ(0, GetAva(2, "cn=a+sn=b", ava));
    EXPECT_EQ(0, GetAva(-1, "cn=a", ava));
    EXPECT_EQ(0, GetAva(0, "", ava));

    CStringArray avas;
    avas.Add("kept");
    EXPECT_EQ(1, GetAllAvas("cn=x y+sn=b,o=c", avas));
    EXPECT_EQ((std::vector<std::string>{"kept", "cn=\"x y\"", "sn=b"}), toVector(avas));
    EXPECT_EQ(0, GetAllAvas("cn=a<", avas));

    EXPECT_STREQ("cn=a+sn=b", AddAva("cn=a", "sn=b"));

    struct Case {
        const char* ava;
        int valid;
    } cases[] = {
        {"cn=a", 1},     {"cn=a+sn=b", 1}, {"cn=a+b", 1}, {"OID.2.5.4.3=a", 1}, {"", 0},
        {"a", 0},        {"foo=a", 0},     {"cn=a,o=b", 0}, {",cn=a", 0},        {"cn=a+", 0},
        {"cn=a+foo=b", 0}, {nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, IsValidAva(c.ava)) << (c.ava ? c.ava : "(null)");
}
