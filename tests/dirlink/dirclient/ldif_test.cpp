// LDIF: the text we write (safe strings, base64, folding), reading it and
// the OpenLDAP tools' forms back, change records, and bad text with its line.
#include <gtest/gtest.h>

#include "dirclient_test_support.h"

namespace {

CAttribute* attributeOf(const char* name, std::initializer_list<std::string> values)
{
    auto* attribute = new CAttribute;
    attribute->m_name = name;
    for (const std::string& v : values)
        attribute->AddValue(v.data(), (unsigned long)v.size());
    return attribute;
}

std::string written(const CEntryData& entry)
{
    CString out;
    WriteLdifEntry(entry, out);
    return str(out);
}

// Reads all records; the error text ("line N: message") when there is one.
std::string readAll(const std::string& text, std::vector<CLdifRecord>& records)
{
    CLdifReader reader{CString(text)};
    for (;;) {
        CLdifRecord record;
        int status = reader.ReadRecord(record);
        if (status == CLdifReader::ldifEnd)
            return "";
        if (status == CLdifReader::ldifError)
            return "line " + std::to_string(reader.m_errorLine) + ": " + str(reader.m_error);
        records.push_back(record);
    }
}

TEST(Ldif, WritesSafeStringsPlainAndTheRestInBase64)
{
    CEntryData entry;
    entry.m_dn = "cn=Ann,o=Ex";
    entry.m_attributes.Add(attributeOf("cn", {"Ann", ""}));
    entry.m_attributes.Add(nullptr);
    entry.m_attributes.Add(attributeOf("description", {" lead", ":colon", "<less", "trail ", "caf\xc3\xa9",
                                                       std::string("a\0b", 3), "two\nlines", "mid:dle<ok"}));
    EXPECT_EQ("dn: cn=Ann,o=Ex\n"
              "cn: Ann\n"
              "cn:\n"
              "description:: IGxlYWQ=\n"
              "description:: OmNvbG9u\n"
              "description:: PGxlc3M=\n"
              "description:: dHJhaWwg\n"
              "description:: Y2Fmw6k=\n"
              "description:: YQBi\n"
              "description:: dHdvCmxpbmVz\n"
              "description: mid:dle<ok\n"
              "\n",
              written(entry));

    CEntryData longer;
    longer.m_dn = "cn=caf\xc3\xa9";
    longer.m_attributes.Add(attributeOf("description", {std::string(100, 'x')}));
    EXPECT_EQ("dn:: Y249Y2Fmw6k=\n"
              "description: " + std::string(65, 'x') + "\n " + std::string(35, 'x') + "\n\n",
              written(longer));
    std::string text = written(longer);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 78u);
}

TEST(Ldif, ReadsWhatItWritesAndWhatLdapsearchWrites)
{
    CEntryData entry;
    entry.m_dn = "cn=Ann,o=Ex";
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += (char)i;
    entry.m_attributes.Add(attributeOf("userCertificate;binary", {binary}));
    entry.m_attributes.Add(attributeOf("cn", {"Ann", std::string(200, 'y'), ""}));
    std::vector<CLdifRecord> records;
    ASSERT_EQ("", readAll(written(entry) + written(entry), records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(hexOf(storedBytes(entry)), hexOf(storedBytes(records[1].m_entry)));

    // The OpenLDAP tools' form: version line, comments (folded too), CR LF,
    // folded base64, an attribute whose values are not adjacent.
    const std::string ldapsearch =
        "version: 1\r\n"
        "\r\n"
        "# Ann, people\r\n"
        "#  folded comment\r\n"
        "dn: cn=Ann,ou=peo\r\n"
        " ple,dc=example,dc=com\r\n"
        "objectClass: person\r\n"
        "cn: Ann\r\n"
        "description:: Y2Fmw6kgYXUgbG\r\n"
        " FpdA==\r\n"
        "objectClass: top\r\n"
        "sn:\r\n"
        "\r\n"
        "\r\n"
        "dn: cn=Bo,dc=example,dc=com\r\n"
        "cn: Bo\r\n";
    records.clear();
    ASSERT_EQ("", readAll(ldapsearch, records));
    ASSERT_EQ(2u, records.size());
    const CEntryData& ann = records[0].m_entry;
    EXPECT_EQ(CLdifRecord::changeNone, records[0].m_changeType);
    EXPECT_EQ("cn=Ann,ou=people,dc=example,dc=com", str(ann.m_dn));
    ASSERT_EQ(4, ann.m_attributes.GetSize());
    EXPECT_EQ("objectClass", str(ann.m_attributes[0]->m_name));
    ASSERT_EQ(2, ann.m_attributes[0]->m_values.GetSize());
    EXPECT_EQ("top", textOf(ann.m_attributes[0]->m_values[1]));
    EXPECT_EQ("caf\xc3\xa9 au lait", textOf(ann.m_attributes[2]->m_values[0]));
    EXPECT_EQ("", textOf(ann.m_attributes[3]->m_values[0]));
    EXPECT_EQ("cn=Bo,dc=example,dc=com", str(records[1].m_entry.m_dn));
}

TEST(Ldif, ChangeRecords)
{
    CLdifRecord modify;
    modify.m_changeType = CLdifRecord::changeModify;
    modify.m_entry.m_dn = "cn=Ann,o=Ex";
    const DWORD operations[] = {CModification::opReplace, CModification::opAdd, CModification::opDelete};
    const char* names[] = {"description", "mail", "telephoneNumber"};
    for (int i = 0; i < 3; ++i) {
        auto* item = new CModification;
        item->m_operation = operations[i];
        item->m_attribute.m_name = names[i];
        if (i < 2)
            item->m_attribute.AddValue(i == 0 ? "first user" : "ann@example.com");
        modify.m_modifications.Add(item);
    }
    CLdifRecord add;
    add.m_changeType = CLdifRecord::changeAdd;
    add.m_entry.m_dn = "cn=Bo,o=Ex";
    add.m_entry.m_attributes.Add(attributeOf("objectClass", {"person"}));
    CLdifRecord remove;
    remove.m_changeType = CLdifRecord::changeDelete;
    remove.m_entry.m_dn = "cn=Cy,o=Ex";
    CLdifRecord rename;
    rename.m_changeType = CLdifRecord::changeModDn;
    rename.m_entry.m_dn = "cn=Bo,o=Ex";
    rename.m_newRdn = "cn=Bob";
    rename.m_deleteOldRdn = 1;
    rename.m_newSuperior = new CString("ou=x,o=Ex");

    CString out;
    for (const CLdifRecord* record : {&modify, &add, &remove, &rename})
        ASSERT_TRUE(WriteLdifRecord(*record, out));
    EXPECT_EQ("dn: cn=Ann,o=Ex\nchangetype: modify\nreplace: description\ndescription: first user\n-\n"
              "add: mail\nmail: ann@example.com\n-\ndelete: telephoneNumber\n-\n\n"
              "dn: cn=Bo,o=Ex\nchangetype: add\nobjectClass: person\n\n"
              "dn: cn=Cy,o=Ex\nchangetype: delete\n\n"
              "dn: cn=Bo,o=Ex\nchangetype: modrdn\nnewrdn: cn=Bob\ndeleteoldrdn: 1\nnewsuperior: ou=x,o=Ex\n\n",
              str(out));

    std::vector<CLdifRecord> records;
    ASSERT_EQ("", readAll(str(out), records));
    ASSERT_EQ(4u, records.size());
    CString again;
    for (const CLdifRecord& record : records)
        WriteLdifRecord(record, again);
    EXPECT_EQ(str(out), str(again));

    // The last "-" of a modify record may be missing; "moddn" is "modrdn".
    records.clear();
    ASSERT_EQ("", readAll("dn: o=x\nchangetype: modify\nadd: cn\ncn: a\n\ndn: o=y\nchangetype: moddn\n"
                          "newrdn: o=z\ndeleteoldrdn: 0\n",
                          records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("a", textOf(records[0].m_modifications[0]->m_attribute.m_values[0]));
    EXPECT_EQ(nullptr, records[1].m_newSuperior);

    CLdifRecord bad = modify;
    bad.m_modifications[1]->m_operation = 7;
    CString untouched("kept");
    EXPECT_FALSE(WriteLdifRecord(bad, untouched));
    EXPECT_EQ("kept", str(untouched));
}

TEST(Ldif, BadTextWithItsLine)
{
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"cn: a\n", "line 1: a record must start with \"dn:\""},
        {"version: 2\ndn: o=x\n", "line 1: unsupported LDIF version"},
        {"dn: o=x\ncn a\n", "line 2: expected \"name: value\""},
        {"dn: o=x\nc n: a\n", "line 2: bad character in an attribute name"},
        {"dn: o=x\n: a\n", "line 2: missing attribute name before ':'"},
        {"dn: o=x\ncn:: ***\n", "line 2: bad base64 value"},
        {"dn: o=x\ncn:: YQ\n", "line 2: bad base64 value"},
        {"dn: o=x\njpegPhoto:< file:///etc/passwd\n", "line 2: values given by URL are not supported"},
        {"dn: o=x\ncontrol: 1.2.3 true\nchangetype: delete\n", "line 2: controls are not supported"},
        {"dn: o=x\nchangetype: rename\n", "line 2: unknown change type"},
        {"dn: o=x\nchangetype: add\n", "line 1: an add record needs attributes"},
        {"dn: o=x\nchangetype: delete\ncn: a\n", "line 3: a delete record has no further lines"},
        {"dn: o=x\nchangetype: modify\nincrement: n\nn: 1\n-\n", "line 3: expected \"add:\", \"delete:\" or \"replace:\""},
        {"dn: o=x\nchangetype: modify\nadd: cn\nsn: a\n-\n", "line 4: value of another attribute inside a change"},
        {"dn: o=x\nchangetype: modify\nadd: c n\n-\n",
         "line 3: expected an attribute name after the change's \"add:\", \"delete:\" or \"replace:\""},
        {"dn: o=x\nchangetype: modrdn\nnewrdn: o=y\n", "line 1: a modrdn record needs \"newrdn:\" and \"deleteoldrdn:\""},
        {"dn: o=x\nchangetype: modrdn\nnewrdn: o=y\ndeleteoldrdn: yes\n",
         "line 4: expected \"newrdn:\", \"deleteoldrdn: 0|1\" or \"newsuperior:\""},
        {"\n\n# only a comment\ndn: o=x\n\ndn: o=y\n bad\nfolded\n", "line 8: expected \"name: value\""},
    };
    for (const Case& c : cases) {
        std::vector<CLdifRecord> records;
        EXPECT_EQ(c.error, readAll(c.text, records)) << c.text;
    }
}

}  // namespace
