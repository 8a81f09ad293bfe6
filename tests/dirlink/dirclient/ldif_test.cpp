// LDIF: the text we write (safe strings, base64, folding), reading it and
// the OpenLDAP tools' forms back, change records, and bad text with its line.
#include <gtest/gtest.h>

#include "dirclient_test_support.h"

namespace {

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

// ldapsearch's and ldapmodify's own forms are read in the real-peer tests;
// these are the lenient corners the tools do not write.
TEST(Ldif, ReadsTheLenientForms)
{
    std::vector<CLdifRecord> records;
    ASSERT_EQ("", readAll("version: 1\r\n\r\n# a\r\n#  folded comment\r\ndn: o=x\r\ncn: a\r\nsn:\r\ncn: b\r\n\r\n\r\n"
                          "dn: o=x\nchangetype: modify\nadd: cn\ncn: a\n\n"
                          "dn: o=y\nchangetype: moddn\nnewrdn: o=z\ndeleteoldrdn: 0\n",
                          records));
    ASSERT_EQ(3u, records.size());
    const CEntryData& entry = records[0].m_entry;
    ASSERT_EQ(2, entry.m_attributes.GetSize()) << "values of one attribute are gathered";
    EXPECT_EQ("b", textOf(entry.m_attributes[0]->m_values[1]));
    EXPECT_EQ("", textOf(entry.m_attributes[1]->m_values[0]));
    EXPECT_EQ("a", textOf(records[1].m_modifications[0]->m_attribute.m_values[0])) << "the last '-' may be missing";
    EXPECT_EQ(CLdifRecord::changeModDn, records[2].m_changeType);
    EXPECT_EQ(nullptr, records[2].m_newSuperior);

    CLdifRecord bad;
    bad.m_changeType = CLdifRecord::changeModify;
    bad.m_modifications.Add(new CModification);
    bad.m_modifications[0]->m_operation = 7;
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
