// dlink moddn DN NEWRDN [--delete-old] [--superior DN]: renames or moves
// an entry, as ldapmodrdn does.
#include <string>

#include "directory_session.h"

namespace {

const char kHelp[] =
    "Gives the entry DN the relative name NEWRDN (\"cn=New Name\"). The old RDN's values stay\n"
    "in the entry unless --delete-old is given; --superior moves the entry under another\n"
    "parent. The exit status is the LDAP result code.";

int moddn(const Args& args)
{
    ConnectionOptions connection;
    bool deleteOld = false;
    std::string superior;
    OptionSet options;
    connection.declare(options);
    options.flag("-r,--delete-old", &deleteOld, "remove the old RDN's values from the entry");
    options.text("--superior", &superior, "DN", "the entry's new parent");
    const Args operands = options.parse(args, 2, 2);
    DirectorySession session(connection);
    const bool move = options.given("--superior");
    session.run([&](IX500DirManager& manager) {
        return manager.ModifyDn(operands[0].c_str(), operands[1].c_str(), deleteOld ? 1 : 0,
                                move ? superior.c_str() : nullptr);
    });
    return 0;
}

const Command command("moddn", "[--config FILE] [-H URL] [-D DN] [-w PW | -W | -y FILE] [-P 2|3] DN NEWRDN [--delete-old] "
                      "[--superior DN]",
                      "rename or move an entry", kHelp, moddn);

}  // namespace
