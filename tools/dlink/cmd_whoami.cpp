// dlink whoami: the name the server knows this connection by (the "Who am
// I?" extended operation), as ldapwhoami prints it.
#include <cstdio>
#include <string>

#include "directory_session.h"

namespace {

const char kHelp[] =
    "Binds and asks the server who it takes the connection for: prints its answer\n"
    "(\"dn:cn=...\") or \"anonymous\". Servers answer this only on a version 3 session.";

const char kWhoAmI[] = "1.3.6.1.4.1.4203.1.11.3";

int whoami(const Args& args)
{
    ConnectionOptions connection;
    OptionSet options;
    connection.declare(options);
    options.parse(args, 0, 0);
    DirectorySession session(connection);
    std::string identity;
    session.onExtendedResponse = [&](const CExtResponse& response) {
        if (response.m_response)
            identity.assign((const char*)response.m_response->GetData(), response.m_response->GetSize());
    };
    session.run([&](IX500DirManager& manager) { return manager.Extended(kWhoAmI, nullptr); });
    std::printf("%s\n", identity.empty() ? "anonymous" : identity.c_str());
    return 0;
}

const Command command("whoami", "[--config FILE] [-H URL] [-D DN] [-w PW | -W | -y FILE] [-P 2|3]",
                      "the identity the server gives this login", kHelp, whoami);

}  // namespace
