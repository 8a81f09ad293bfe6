// Object-class lookups, permitted attributes and class-set verification.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dirlink/dirlink.h"

namespace {
CStringArray makeArray(const std::vector<std::string>& items)
{
    CStringArray array;
    for (const std::string& item : items)
        array.Add(CString(item.c_str()));
    return array;
}

std::vector<std::string> toVector(const CStringArray& array)
{
    std::vector<std::string> items;
    for (int i = 0; i < array.GetSize(); ++i)
        items.emplace_back((const char*)array[i]);
    return items;
}
}  // namespace

TEST(ObjectClasses, GetNextObjectClass)
{
    EXPECT_EQ(20, GetNextObjectClass(-1, "inetorgperson"));
    EXPECT_EQ(19, GetNextObjectClass(-1, "0.9.2342.19200300.100.4.4"));
    EXPECT_EQ(20, GetNextObjectClass(19, "0.9.2342.19200300.100.4.4"));
    EXPECT_EQ(-1, GetNextObjectClass(20, "0.9.2342.19200300.100.4.4"));
    EXPECT_EQ(0, GetNextObjectClass(-1, "TOP"));
    EXPECT_EQ(-1, GetNextObjectClass(-1, "nosuchclass"));
    EXPECT_EQ(-1, GetNextObjectClass(-1, nullptr));
    EXPECT_EQ(-1, GetNextObjectClass(2147483647, "top"));
}

TEST(ObjectClasses, GetObjectClassInfoOutsideRegistry)
{
    const char* oid = "x";
    int super1 = 5;
    const char** may = reinterpret_cast<const char**>(&oid);
    EXPECT_EQ(0, GetObjectClassInfo(39, &oid, nullptr, &super1, nullptr, &may, nullptr));
    EXPECT_EQ(nullptr, oid);
    EXPECT_EQ(-1, super1);
    EXPECT_EQ(nullptr, may);
    EXPECT_EQ(0, GetObjectClassInfo(-1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(ObjectClasses, IsAttributeAllowed)
{
    struct Case {
        int classIndex;
        const char* type;
        BOOL allowed;
    } cases[] = {
        {7, "2.5.4.3", TRUE},                      // cn, through person
        {7, "cn", FALSE},                          // the lists hold OIDs
        {7, "2.5.4.0", TRUE},                      // objectClass, through person and top
        {7, "2.5.4.12", TRUE},                     // title, its own MAY list
        {6, "2.5.4.12", FALSE},                    // person has no title
        {31, "2.5.4.11", TRUE},                    // ou, through the second superclass
        {31, "0.9.2342.19200300.100.1.48", TRUE},  // buildingName
        {35, "2.5.4.0", FALSE},                    // no superclass, no lists
        {39, "2.5.4.0", FALSE},                    // outside the registry
        {-1, "2.5.4.0", FALSE},
        {6, nullptr, FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.allowed, IsAttributeAllowed(c.classIndex, c.type)) << c.classIndex << " " << (c.type ? c.type : "");
}

TEST(ObjectClasses, VerifyAttributeSet)
{
    struct Case {
        const char* reason;
        std::vector<std::string> in;
        std::vector<std::string> out;
    } cases[] = {
        {"ancestors of a later class go", {"top", "person", "organizationalPerson"}, {"2.5.6.7"}},
        {"the first class is never the reference", {"person", "top"}, {"2.5.6.6", "2.5.6.0"}},
        {"one class is kept as it is", {"Person"}, {"2.5.6.6"}},
        {"an OID names a class", {"2.5.6.6", "2.5.6.7"}, {"2.5.6.7"}},
        {"two names of one class", {"person", "newPilotPerson", "inetOrgPerson"}, {"0.9.2342.19200300.100.4.4"}},
        {"the same class twice", {"country", "country"}, {"2.5.6.2"}},
        {"both superclasses", {"top", "organization", "organizationalUnit", "pilotOrganization"},
         {"0.9.2342.19200300.100.4.20"}},
        {"unrelated classes stay", {"top", "person", "device"}, {"2.5.6.6", "2.5.6.14"}},
        {"empty set", {}, {}},
    };
    for (const Case& c : cases) {
        CStringArray classes = makeArray(c.in);
        CStringArray attributes;
        CString error;
        EXPECT_EQ(1, VerifyAttributeSet(classes, attributes, error)) << c.reason;
        EXPECT_EQ(c.out, toVector(classes)) << c.reason;
        EXPECT_TRUE(error.IsEmpty()) << c.reason;
    }
}

TEST(ObjectClasses, VerifyAttributeSetUnknownClass)
{
    CStringArray classes = makeArray({"person", "fooBar", "top"});
    CStringArray attributes;
    CString error;
    EXPECT_EQ(0, VerifyAttributeSet(classes, attributes, error));
    EXPECT_STREQ("Object class \"fooBar\" is not known", error);
    // Nothing was rewritten on the way to the failure.
    EXPECT_EQ((std::vector<std::string>{"person", "fooBar", "top"}), toVector(classes));
}
