// vcore dump [--ldap] FILE: the diagnostic listing of every DER value in a
// file (PEM armour is taken off first); with --ldap, whether the file holds
// one valid LDAP message and which operation it carries.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/command.h"
#include "common/input_file.h"
#include "vaultcore/vaultcore.h"

namespace {
// Dumps every top-level value into listing; false with a reason on bad DER.
bool dumpAll(std::vector<unsigned char>& der, CMemFile& listing, std::string& error)
{
    CDEREncoding* encoding = new CDEREncoding(TRUE, der.data(), der.size(), FALSE, FALSE);
    encoding->AddRef();
    bool ok = true;
    try {
        unsigned long end = (unsigned long)der.size();
        for (int index = 0; (unsigned long)encoding->Seek(0, CFile::current) < end; ++index) {
            std::unique_ptr<CASN1Type> value(___buildFromEncoding(*encoding));
            if (index > 0)
                ___WriteFormatted(&listing, "\r\n");
            value->Dump(0, &listing);
        }
    } catch (CDERDecodingException* e) {
        e->Delete();
        char where[64] = "";
        if (___lastDERDecodingOffset() >= 0)
            std::snprintf(where, sizeof where, " (at offset %ld)", ___lastDERDecodingOffset());
        error = std::string("not valid DER: ") + ___lastDERDecodingMessage() + where;
        ok = false;
    }
    encoding->Release();
    return ok;
}

int describeLdap(const std::string& path, std::vector<unsigned char>& der)
{
    CDEREncoding* encoding = new CDEREncoding(TRUE, der.data(), der.size(), FALSE, FALSE);
    encoding->AddRef();
    BOOL valid = FALSE;
    CString description = DescribeLdapMessage(*encoding, &valid);
    encoding->Release();
    if (!valid)
        return fail(path + ": " + (const char*)description);
    std::printf("%s\n", (const char*)description);
    return 0;
}

int dump(const std::vector<std::string>& args)
{
    bool ldap = !args.empty() && args[0] == "--ldap";
    if (args.size() != (ldap ? 2u : 1u))
        return fail("usage: vcore dump [--ldap] FILE");
    const std::string& path = args.back();
    std::vector<unsigned char> der;
    std::string error;
    if (!readWholeFile(path, der, error) || !unwrapPem(der, error))
        return fail(error);
    if (der.empty())
        return fail(path + ": empty file");
    if (ldap)
        return describeLdap(path, der);
    CMemFile listing;
    bool ok = dumpAll(der, listing, error);
    // The listing's lines end in CR LF; a shell wants LF.
    const unsigned char* text = listing.GetBufferPointer();
    for (unsigned long i = 0; i < listing.GetLength(); ++i)
        if (!(text[i] == '\r' && i + 1 < listing.GetLength() && text[i + 1] == '\n'))
            std::putchar(text[i]);
    std::fflush(stdout);
    return ok ? 0 : fail(path + ": " + error);
}

const Command dumpCommand("dump", "dump [--ldap] FILE diagnostic listing of a DER or PEM file; --ldap: check one LDAP message",
                          dump);
}  // namespace
