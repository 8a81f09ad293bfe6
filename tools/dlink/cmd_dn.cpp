// dlink dn check|plain|canon|split DN: the distinguished-name text functions.
#include <cstdio>
#include <string>

#include "common/command.h"
#include "dirlink/dirlink.h"

namespace {
int dn(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return fail("usage: dlink dn check|plain|canon|split DN");
    const std::string& action = args[0];
    const char* text = args[1].c_str();
    if (action == "check") {
        bool valid = IsValidDn(text) == 1;
        std::printf("%s\n", valid ? "valid" : "invalid");
        return valid ? 0 : 1;
    }
    if (action == "plain" || action == "canon") {
        CString out;
        if (!ConvertDn(text, action == "canon", out))
            return fail("not a valid DN: " + args[1]);
        std::printf("%s\n", (const char*)out);
        return 0;
    }
    if (action == "split") {
        // One RDN per line, leftmost first, each with its AVAs.
        int count = GetRDnCount(text);
        if (count < 0)
            return fail("not a valid DN: " + args[1]);
        for (int index = count; index >= 1; --index) {
            CString rdn;
            GetRDn(index, text, rdn);
            std::printf("%s\n", (const char*)rdn);
            CStringArray avas;
            if (GetAvaCount(rdn) > 1 && GetAllAvas(rdn, avas))
                for (int i = 0; i < avas.GetSize(); ++i)
                    std::printf("  %s\n", (const char*)avas[i]);
        }
        return 0;
    }
    return fail("unknown action '" + action + "' (check, plain, canon or split)");
}

const Command command("dn", "check|plain|canon|split DN", "distinguished-name text functions", nullptr, dn);
}  // namespace
