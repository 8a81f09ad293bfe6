// dlink filter [--der] [--names] TEXT: a search filter in the protocol's
// string form, shown in both text forms of the library and, with --der, as
// the search request it becomes.
#include <cstdio>
#include <string>

#include "common/tool.h"
#include "dirlink/dirlink.h"

namespace {

const char kHelp[] =
    "Parses TEXT (RFC 4515, e.g. \"(&(cn=Ann*)(!(mail=*)))\"; \"-\" reads it from standard input)\n"
    "and prints it in the protocol form and the readable form. --der adds the hex of the\n"
    "search request it becomes (message ID 1, empty base, whole subtree, no limits, all\n"
    "attributes), with attribute types as object identifiers unless --names is given.";

int filter(const Args& args)
{
    bool der = false, names = false;
    OptionSet options;
    options.flag("--der", &der, "also print the search request as hex");
    options.flag("--names", &names, "send attribute types as names, not object identifiers");
    Args operands = options.parse(args, 1, 1);
    std::string text = operands[0];
    if (text == "-") {
        std::vector<unsigned char> bytes = InputFile("-").readAll();
        text.assign(bytes.begin(), bytes.end());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
    }

    CSearchFilter parsed;
    CFilterParseError error;
    if (!ParseSearchFilter(CString(text), parsed, &error))
        throw Failure("bad filter at position " + std::to_string(error.m_position) + ": " +
                      (const char*)error.m_message);
    CString protocol, readable;
    parsed.GetString(protocol, 1);
    parsed.GetString(readable, 0);
    std::printf("protocol: %s\nreadable: %s\n", (const char*)protocol, (const char*)readable);
    if (der) {
        CByteArray request;
        CStringArray allAttributes;
        ldapCreateSearchRequest(1, "", 2, 0, 0, 0, 0, 0, parsed, allAttributes, request, names ? 1 : 0);
        std::printf("der: ");
        for (int i = 0; i < request.GetSize(); ++i)
            std::printf("%02x", request[i]);
        std::printf("\n");
    }
    return 0;
}

const Command command("filter", "[--der] [--names] TEXT", "search filter text in both forms and as a request",
                      kHelp, filter);

}  // namespace
