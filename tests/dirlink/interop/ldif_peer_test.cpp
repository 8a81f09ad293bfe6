// LDIF both ways through the OpenLDAP tools: what ldapsearch -LLL writes
// reads back to the entries the server sends, and what we write loads with
// ldapadd and ldapmodify (slapadd loads the fixture's own entries).
#include "slapd_peer.h"

namespace {

using LdifPeer = SlapdPeer;

std::vector<CLdifRecord> readLdif(const std::string& text, std::string* error)
{
    std::vector<CLdifRecord> records;
    CLdifReader reader{CString(text)};
    CLdifRecord record;
    int status;
    while ((status = reader.ReadRecord(record)) == CLdifReader::ldifRecord)
        records.push_back(record);
    if (status == CLdifReader::ldifError)
        *error = "line " + std::to_string(reader.m_errorLine) + ": " + str(reader.m_error);
    return records;
}

TEST_F(LdifPeer, LdapsearchOutputReadsBackToTheSameEntries)
{
    int status = -1;
    std::string ldif = s_server->tool("ldapsearch", std::string("-LLL -s one -b ") + kFilters + " '(objectClass=*)'", &status);
    ASSERT_EQ(0, status) << ldif;
    ASSERT_NE(std::string::npos, ldif.find("description:: ")) << "base64 values expected:\n" << ldif;
    ASSERT_NE(std::string::npos, ldif.find("\n ")) << "folded lines expected:\n" << ldif;

    std::string error;
    std::vector<CLdifRecord> records = readLdif(ldif, &error);
    ASSERT_EQ("", error);
    SearchAnswer answer = searchFilter("(objectClass=*)", 1);
    ASSERT_EQ(answer.entries.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(CLdifRecord::changeNone, records[i].m_changeType);
        EXPECT_EQ(hexOf(storedBytes(answer.entries[i])), hexOf(storedBytes(records[i].m_entry))) << str(records[i].m_entry.m_dn);
    }
}

TEST_F(LdifPeer, OurContentAndChangeRecordsLoadWithTheTools)
{
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += (char)i;
    CEntryData entry;
    entry.m_dn = "cn=Dan \xc3\x98stby,ou=people,dc=example,dc=com";  // a UTF-8 DN goes in base64
    entry.m_attributes.Add(attributeOf("objectClass", {"inetOrgPerson"}));
    entry.m_attributes.Add(attributeOf("cn", {"Dan \xc3\x98stby"}));
    entry.m_attributes.Add(attributeOf("sn", {"\xc3\x98stby"}));
    entry.m_attributes.Add(attributeOf("description", {std::string(300, 'd'), ":starts with a colon", "<less", "end "}));
    entry.m_attributes.Add(attributeOf("jpegPhoto", {binary}));
    CString ldif;
    WriteLdifEntry(entry, ldif);
    int status = -1;
    std::string out = s_server->tool("ldapadd", "-f '" + s_server->writeFile("add.ldif", str(ldif)) + "' 2>&1", &status);
    ASSERT_EQ(0, status) << out;

    bindAsRoot(3);
    SearchAnswer added = searchFilter("(sn=\xc3\x98stby)", 1, kPeople);
    ASSERT_EQ(1u, added.entries.size());
    EXPECT_EQ(hexOf(storedBytes(entry)), hexOf(storedBytes(added.entries[0])));

    // A modify, a rename and a delete, written by us, applied by ldapmodify.
    CLdifRecord modify;
    modify.m_changeType = CLdifRecord::changeModify;
    modify.m_entry.m_dn = entry.m_dn;
    modify.m_modifications.Add(new CModification);
    modify.m_modifications[0]->m_operation = CModification::opReplace;
    modify.m_modifications[0]->m_attribute.m_name = "description";
    modify.m_modifications[0]->m_attribute.AddValue(" replaced");
    modify.m_modifications.Add(new CModification);
    modify.m_modifications[1]->m_operation = CModification::opDelete;
    modify.m_modifications[1]->m_attribute.m_name = "jpegPhoto";
    CLdifRecord rename;
    rename.m_changeType = CLdifRecord::changeModDn;
    rename.m_entry.m_dn = entry.m_dn;
    rename.m_newRdn = "cn=Dan O";
    rename.m_deleteOldRdn = 1;
    rename.m_newSuperior = new CString("dc=example,dc=com");
    CLdifRecord add;
    add.m_changeType = CLdifRecord::changeAdd;
    add.m_entry.m_dn = "cn=Eve,ou=people,dc=example,dc=com";
    add.m_entry.m_attributes.Add(attributeOf("objectClass", {"person"}));
    add.m_entry.m_attributes.Add(attributeOf("cn", {"Eve"}));
    add.m_entry.m_attributes.Add(attributeOf("sn", {"Eve"}));
    CLdifRecord remove;
    remove.m_changeType = CLdifRecord::changeDelete;
    remove.m_entry.m_dn = "cn=Eve,ou=people,dc=example,dc=com";
    CString changes;
    for (const CLdifRecord* record : {&modify, &rename, &add, &remove})
        ASSERT_TRUE(WriteLdifRecord(*record, changes));
    out = s_server->tool("ldapmodify", "-f '" + s_server->writeFile("changes.ldif", str(changes)) + "' 2>&1", &status);
    ASSERT_EQ(0, status) << out << str(changes);

    SearchAnswer moved = searchFilter("(cn=Dan O)", 1, SlapdServer::kSuffix);
    ASSERT_EQ(1u, moved.entries.size());
    const CEntryData& dan = moved.entries[0];
    EXPECT_EQ("cn=Dan O,dc=example,dc=com", str(dan.m_dn));
    EXPECT_LT(dan.FindNextAttribute(-1, "jpegPhoto"), 0);
    int description = dan.FindNextAttribute(-1, "description");
    ASSERT_GE(description, 0);
    EXPECT_EQ(" replaced", std::string((const char*)dan.m_attributes[description]->m_values[0]->GetData(),
                                       dan.m_attributes[description]->m_values[0]->GetSize()));
    EXPECT_TRUE(searchFilter("(cn=Eve)", 1, kPeople).entries.empty());
}

}  // namespace
