// Consistency of the built-in tables as a whole: what every row must satisfy
// for the lookups built on them to answer sensibly.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "dirlink/dirlink.h"

namespace {
struct Row {
    const char *name, *oid, *syntax, *supertype, *alias;
};

Row row(int index)
{
    Row r{};
    EXPECT_EQ(1, GetAttributeInfo(index, &r.name, &r.oid, &r.syntax, &r.supertype, &r.alias)) << index;
    return r;
}

int objectClassCount()
{
    int count = 0;
    while (GetObjectClassInfo(count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
        ++count;
    return count;
}
}  // namespace

TEST(SchemaTables, AttributeTableHas257Rows)
{
    EXPECT_EQ(1, GetAttributeInfo(0, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, GetAttributeInfo(256, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0, GetAttributeInfo(257, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0, GetAttributeInfo(-1, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(SchemaTables, EveryRowIsWellFormed)
{
    std::set<std::string> names;
    for (int i = 0; i < 257; ++i) {
        Row r = row(i);
        ASSERT_TRUE(r.name && r.oid) << i;
        EXPECT_TRUE(IsDottedDecimalAttrType(r.oid)) << i;
        EXPECT_TRUE(IsTextualAttrType(r.name)) << i;
        // Exactly one of an own syntax and a supertype.
        EXPECT_NE(r.syntax == nullptr, r.supertype == nullptr) << i;
        if (r.supertype) {
            EXPECT_GE(GetNextByName(-1, r.supertype), 0) << i << " " << r.supertype;
        }
        // Every type resolves to a syntax, possibly through its supertypes.
        EXPECT_NE(nullptr, GetAttributeSyntaxName(r.name)) << i;
        // Names are unique (case-insensitively), so name -> OID -> name round-trips.
        std::string lower(r.name);
        for (char& c : lower)
            c = (char)std::tolower((unsigned char)c);
        EXPECT_TRUE(names.insert(lower).second) << "duplicate name " << r.name;
        EXPECT_EQ(i, GetNextByName(-1, r.name));
    }
}

TEST(SchemaTables, OwnAttributeTypes)
{
    struct Case {
        int row;
        const char *name, *oid, *syntax, *alias;
    } cases[] = {
        {140, "x-Configuration", "1.1.111.222.444.888.1", "XConfiguration", "X-Configuration (Quarndel proprietary)"},
        {151, "x-MessageSizeLimit", "1.1.111.222.444.888.12", "INTEGER", "X-MessageSizeLimit (Quarndel proprietary)"},
        {156, "x-Note", "1.1.111.222.444.888.17", "DirectoryString", "X-Note (Quarndel proprietary)"},
        {170, "x-EncryptCertificateNum", "1.1.111.222.444.888.31", "INTEGER", "X-EncryptCertificateNum (Quarndel proprietary)"},
        {171, "x-GeneralStatus", "1.1.111.222.444.888.50", "DirectoryString", "X-GeneralStatus (Quarndel proprietary)"},
        {148, "x-AutoResponseMessage", "1.1.111.222.444.888.9", "DirectoryString", "X-AutoResponeMessage (Quarndel proprietary)"},
        {183, "x-AR-Configuration", "1.1.111.222.444.889.1", "DirectoryString", "X-AR-Configuration (Quarndel proprietary)"},
        {191, "x-AR-AutoResponseMessage", "1.1.111.222.444.889.9", "DirectoryString", "X-AR-AutoResponeMessage (Quarndel proprietary)"},
        {199, "x-AR-Note", "1.1.111.222.444.889.17", "DirectoryString", "X-AR-Note (Quarndel proprietary)"},
        {232, "x-AR-POP3Delete", "1.1.111.222.444.889.68", "DirectoryString", "X-AR-Delete (Quarndel proprietary)"},
        {256, "x-AR-GroupList", "1.1.111.222.444.889.92", "DirectoryString", "X-AR-GroupList (Quarndel proprietary)"},
    };
    for (const Case& c : cases) {
        Row r = row(c.row);
        EXPECT_STREQ(c.name, r.name) << c.row;
        EXPECT_STREQ(c.oid, r.oid) << c.row;
        EXPECT_STREQ(c.syntax, r.syntax) << c.row;
        EXPECT_EQ(nullptr, r.supertype) << c.row;
        EXPECT_STREQ(c.alias, r.alias) << c.row;
    }
    // Apart from the three misspelt ones, every alias is derived from the name.
    for (int i = 140; i < 257; ++i) {
        if (i == 148 || i == 191 || i == 232)
            continue;
        Row r = row(i);
        ASSERT_EQ(0, std::strncmp(r.name, "x-", 2));
        EXPECT_EQ("X-" + std::string(r.name + 2) + " (Quarndel proprietary)", r.alias) << i;
    }
}

TEST(SchemaTables, SyntaxTableFlags)
{
    const char* binary[] = {"Certificate", "CertificateList", "CertificatePair", "Audio", "JPEG", "Fax",
                            "XConfiguration"};
    for (const char* s : binary) {
        EXPECT_EQ(1, IsBinarySyntax(s)) << s;
        EXPECT_EQ(0, IsTextualSyntax(s)) << s;
    }
    const char* textual[] = {"BitString", "DirectoryString", "DN", "OID", "TelexTerminalIdentifier", "UTCTime",
                             "BOOLEAN", "IA5String", "INTEGER", "ObjectClassDescription", "GeneralizedTime"};
    for (const char* s : textual) {
        EXPECT_EQ(0, IsBinarySyntax(s)) << s;
        EXPECT_EQ(1, IsTextualSyntax(s)) << s;
    }
}

TEST(SchemaTables, ObjectClassRegistryIsResolved)
{
    ASSERT_EQ(39, objectClassCount());
    for (int i = 0; i < 39; ++i) {
        const char *oid = nullptr, *name = nullptr;
        int super1 = -2, super2 = -2;
        const char **may = nullptr, **must = nullptr;
        ASSERT_EQ(1, GetObjectClassInfo(i, &oid, &name, &super1, &super2, &may, &must));
        EXPECT_TRUE(IsDottedDecimalAttrType(oid)) << name;
        EXPECT_EQ(i, GetNextObjectClass(-1, name)) << name;
        // Superclasses are registered classes, registered earlier.
        for (int super : {super1, super2})
            EXPECT_TRUE(super == -1 || (super >= 0 && super < i)) << name;
        if (super2 >= 0) {
            EXPECT_GE(super1, 0) << name;
        }
        // Every list entry became the OID of a known attribute type.
        for (const char** list : {may, must})
            for (const char** entry = list; entry && *entry; ++entry) {
                EXPECT_TRUE(IsDottedDecimalAttrType(*entry)) << name << " " << *entry;
                EXPECT_NE(nullptr, DecimalAttrTypeToTextual(*entry)) << name << " " << *entry;
            }
    }
}

TEST(SchemaTables, ObjectClassRecords)
{
    const char *oid, *name;
    int super1, super2;
    const char **may, **must;
    ASSERT_EQ(1, GetObjectClassInfo(31, &oid, &name, &super1, &super2, &may, &must));
    EXPECT_STREQ("pilotOrganization", name);
    EXPECT_EQ(4, super1);
    EXPECT_EQ(5, super2);
    EXPECT_EQ(nullptr, must);
    ASSERT_NE(nullptr, may);
    EXPECT_STREQ("0.9.2342.19200300.100.1.48", may[0]);
    EXPECT_EQ(nullptr, may[1]);

    ASSERT_EQ(1, GetObjectClassInfo(6, &oid, &name, &super1, &super2, &may, &must));
    EXPECT_STREQ("person", name);
    EXPECT_STREQ("2.5.6.6", oid);
    EXPECT_STREQ("2.5.4.4", must[0]);
    EXPECT_STREQ("2.5.4.3", must[1]);
    EXPECT_EQ(nullptr, must[2]);

    // Lists keep their stored duplicates (organizationalRole lists
    // preferredDeliveryMethod twice).
    ASSERT_EQ(1, GetObjectClassInfo(8, nullptr, &name, nullptr, nullptr, &may, nullptr));
    int seen = 0;
    for (const char** entry = may; *entry; ++entry)
        seen += std::strcmp(*entry, "2.5.4.28") == 0;
    EXPECT_EQ(2, seen);

    // newPilotPerson and inetOrgPerson are one class under two names.
    const char *oid19, *oid20;
    GetObjectClassInfo(19, &oid19, nullptr, nullptr, nullptr, nullptr, nullptr);
    GetObjectClassInfo(20, &oid20, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(oid19, oid20);
}
