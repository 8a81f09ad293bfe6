// dlink compare DN attr:value: asks the server whether an entry holds a
// value, as ldapcompare does.
#include <cstdio>
#include <string>

#include "directory_session.h"

namespace {

const char kHelp[] =
    "Asks whether the entry DN holds the value (\"attr:value\", or \"attr::BASE64\" for a value\n"
    "that is not text). Prints TRUE (exit status 6, compareTrue) or FALSE (exit status 5,\n"
    "compareFalse); any other answer prints UNDEFINED and exits with its LDAP result code.";

int compare(const Args& args)
{
    ConnectionOptions connection;
    OptionSet options;
    connection.declare(options);
    const Args operands = options.parse(args, 2, 2);
    const std::string& assertion = operands[1];
    const size_t colon = assertion.find(':');
    if (colon == std::string::npos || colon == 0)
        throw UsageError("'" + assertion + "' is not attr:value");
    std::string value = assertion.substr(colon + 1);
    if (!value.empty() && value[0] == ':') {
        // The LDIF reader decodes base64 the way LDIF files carry it.
        CLdifReader reader(CString(("dn:\nvalue::" + value.substr(1) + "\n").c_str()));
        CLdifRecord record;
        if (reader.ReadRecord(record) != CLdifReader::ldifRecord || record.m_entry.m_attributes.GetSize() != 1)
            throw UsageError("'" + value.substr(1) + "' is not base64");
        const CUniDataHolder* decoded = record.m_entry.m_attributes[0]->m_values[0];
        value.assign((const char*)decoded->GetData(), decoded->GetSize());
    }
    CUniDataHolder* holder = CUniDataHolder::Create(0);
    holder->Put(value.data(), (unsigned long)value.size());
    CAttributeValueAssertion ava(assertion.substr(0, colon).c_str(), holder);
    holder->Release();

    DirectorySession session(connection);
    int compared = -1;
    CString matchedSubtype;
    const unsigned short code = session.attempt([&](IX500DirManager& manager) {
        return manager.Compare(operands[0].c_str(), ava, compared, matchedSubtype);
    });
    std::printf("%s\n", compared == 1 ? "TRUE" : compared == 0 ? "FALSE" : "UNDEFINED");
    session.check(code);
    return compared == 1 ? 6 : 5;
}

const Command command("compare", "[--config FILE] [-H URL] [-D DN] [-w PW | -W | -y FILE] [-P 2|3] DN attr:value",
                      "whether an entry holds a value", kHelp, compare);

}  // namespace
