// vcore ldapcheck FILE: validates a file holding one LDAP message and says
// which operation it carries.
#include <cstdio>
#include <string>
#include <vector>

#include "common/command.h"
#include "common/input_file.h"
#include "vaultcore/vaultcore.h"

namespace {
int ldapCheck(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return fail("usage: vcore ldapcheck FILE");
    std::vector<unsigned char> der;
    std::string error;
    if (!readWholeFile(args[0], der, error))
        return fail(error);
    if (der.empty())
        return fail(args[0] + ": empty file");
    CDEREncoding* encoding = new CDEREncoding(TRUE, der.data(), der.size(), FALSE, FALSE);
    encoding->AddRef();
    BOOL valid = FALSE;
    CString description = DescribeLdapMessage(*encoding, &valid);
    encoding->Release();
    if (!valid)
        return fail(args[0] + ": " + (const char*)description);
    std::printf("%s\n", (const char*)description);
    return 0;
}

const Command ldapCheckCommand("ldapcheck", "ldapcheck FILE     validate one LDAP message and name its operation",
                               ldapCheck);
}  // namespace
