// dlink delete DN: removes one entry, as ldapdelete does.
#include <string>

#include "directory_session.h"

namespace {

const char kHelp[] =
    "Deletes the entry DN (it must have no children). The exit status is the LDAP result\n"
    "code (32 no such object, 66 not allowed on non-leaf ...).";

int remove(const Args& args)
{
    ConnectionOptions connection;
    OptionSet options;
    connection.declare(options);
    const std::string dn = options.parse(args, 1, 1)[0];
    DirectorySession session(connection);
    session.run([&](IX500DirManager& manager) { return manager.Delete(dn.c_str()); });
    return 0;
}

const Command command("delete", "[--config FILE] [-H URL] [-D DN] [-w PW | -W | -y FILE] [-P 2|3] DN", "delete an entry", kHelp,
                      remove);

}  // namespace
