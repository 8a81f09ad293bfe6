// dlink add|modify [-f FILE]: the records of an LDIF file applied to a
// directory, one request each, in order, as ldapadd and ldapmodify do.
#include <cstdio>
#include <string>
#include <vector>

#include "directory_session.h"

namespace {

const char kAddHelp[] =
    "Applies the LDIF records of FILE (\"-\" or no -f: standard input) in order. A record\n"
    "without a changetype adds its entry; change records (add, delete, modify, modrdn)\n"
    "do what they say. The whole file is read and checked before the first request goes\n"
    "out. Stops at the first record the server refuses; the exit status is its LDAP\n"
    "result code (68 entry already exists ...).";

const char kModifyHelp[] =
    "Applies the LDIF change records of FILE (\"-\" or no -f: standard input) in order:\n"
    "changetype add, delete, modify (add:/delete:/replace: groups ended by \"-\") and\n"
    "modrdn. The whole file is read and checked before the first request goes out.\n"
    "Stops at the first record the server refuses; the exit status is its LDAP result code.";

std::vector<CLdifRecord> readRecords(const std::string& file, bool contentAdds)
{
    std::vector<unsigned char> bytes = InputFile(file).readAll();
    CLdifReader reader(CString((const char*)bytes.data(), (int)bytes.size()));
    std::vector<CLdifRecord> records;
    CLdifRecord record;
    for (;;) {
        const int read = reader.ReadRecord(record);
        if (read == CLdifReader::ldifEnd)
            return records;
        if (read == CLdifReader::ldifError)
            throw Failure(file + ":" + std::to_string(reader.m_errorLine) + ": " + (const char*)reader.m_error);
        if (record.m_changeType == CLdifRecord::changeNone && !contentAdds)
            throw Failure(file + ": the record of \"" + (const char*)record.m_entry.m_dn +
                          "\" has no changetype (dlink add adds such records)");
        records.push_back(record);
    }
}

// What the OpenLDAP tools print before each request.
const char* announcement(int changeType)
{
    switch (changeType) {
    case CLdifRecord::changeDelete:
        return "deleting entry";
    case CLdifRecord::changeModify:
        return "modifying entry";
    case CLdifRecord::changeModDn:
        return "modifying rdn of entry";
    default:
        return "adding new entry";
    }
}

unsigned short apply(IX500DirManager& manager, const CLdifRecord& record)
{
    const char* dn = record.m_entry.m_dn;
    switch (record.m_changeType) {
    case CLdifRecord::changeDelete:
        return manager.Delete(dn);
    case CLdifRecord::changeModify:
        return manager.Modify(dn, record.m_modifications);
    case CLdifRecord::changeModDn:
        return manager.ModifyDn(dn, record.m_newRdn, record.m_deleteOldRdn,
                                record.m_newSuperior ? (const char*)*record.m_newSuperior : nullptr);
    default:
        return manager.Add(dn, record.m_entry.m_attributes);
    }
}

int change(const Args& args, bool contentAdds)
{
    ConnectionOptions connection;
    std::string file = "-";
    OptionSet options;
    connection.declare(options);
    options.text("-f,--file", &file, "FILE", "the LDIF to apply (default: standard input)");
    options.parse(args, 0, 0);

    const std::vector<CLdifRecord> records = readRecords(file, contentAdds);
    if (records.empty())
        return 0;  // nothing to do: no connection either
    DirectorySession session(connection);
    for (const CLdifRecord& record : records) {
        std::printf("%s \"%s\"\n", announcement(record.m_changeType), (const char*)record.m_entry.m_dn);
        std::fflush(stdout);
        session.run([&](IX500DirManager& manager) { return apply(manager, record); });
        std::printf("\n");
    }
    return 0;
}

int add(const Args& args)
{
    return change(args, true);
}

int modify(const Args& args)
{
    return change(args, false);
}

const char kSynopsis[] = "[--config FILE] [-H URL] [-D DN] [-w PW | -W | -y FILE] [-P 2|3] [-f FILE]";
const Command addCommand("add", kSynopsis, "add entries (and apply change records) from LDIF", kAddHelp, add);
const Command modifyCommand("modify", kSynopsis, "apply LDIF change records", kModifyHelp, modify);

}  // namespace
