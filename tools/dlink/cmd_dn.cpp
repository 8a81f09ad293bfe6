// dlink dn check|plain|canon|split DN: the distinguished-name text functions.
#include <cstdio>
#include <string>

#include "common/tool.h"
#include "dirlink/dirlink.h"

namespace {
const char kHelp[] =
    "DN is the name as text (\"cn=John Smith, o=Firm, c=US\"), or \"-\" to read it\n"
    "from standard input (one name; a final line break is dropped). Names use\n"
    "the older text form: a backslash keeps the character after it as it is\n"
    "(\"\\,\" is a comma, \"\\2C\" is the two characters 2C), and a type given by\n"
    "its OID needs the prefix OID. (\"OID.2.5.4.3=John\").";

// The DN operand: its text, or standard input's for "-".
std::string dnText(const Args& args)
{
    OptionSet options;
    const std::string operand = options.parse(args, 1, 1)[0];
    if (operand != "-")
        return operand;
    const std::vector<unsigned char> bytes = InputFile("-").readAll();
    std::string text(bytes.begin(), bytes.end());
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

int check(const Args& args)
{
    const bool valid = IsValidDn(dnText(args).c_str()) == 1;
    std::printf("%s\n", valid ? "valid" : "invalid");
    return valid ? 0 : 1;
}

int convert(const Args& args, bool canonical)
{
    const std::string text = dnText(args);
    CString out;
    if (!ConvertDn(text.c_str(), canonical, out))
        throw Failure("not a valid DN: " + text);
    std::printf("%s\n", (const char*)out);
    return 0;
}

int plain(const Args& args)
{
    return convert(args, false);
}

int canon(const Args& args)
{
    return convert(args, true);
}

// One RDN per line, leftmost first, each followed by its AVAs when it has several.
int split(const Args& args)
{
    const std::string text = dnText(args);
    CStringArray rdns;
    if (!GetAllRDns(text.c_str(), rdns, 0))
        throw Failure("not a valid DN: " + text);
    for (int index = rdns.GetSize() - 1; index >= 0; --index) {
        std::printf("%s\n", (const char*)rdns[index]);
        CStringArray avas;
        if (GetAvaCount(rdns[index]) > 1 && GetAllAvas(rdns[index], avas))
            for (int i = 0; i < avas.GetSize(); ++i)
                std::printf("  %s\n", (const char*)avas[i]);
    }
    return 0;
}

const Command checkCommand("dn check", "DN", "prints valid or invalid (exit status 0 or 1)", kHelp, check);
const Command plainCommand("dn plain", "DN", "the DN re-written in plain form", kHelp, plain);
const Command canonCommand("dn canon", "DN", "the DN in canonical form (OID types, sorted AVAs)", kHelp, canon);
const Command splitCommand("dn split", "DN", "one RDN per line, leftmost first, with its AVAs", kHelp, split);
}  // namespace
