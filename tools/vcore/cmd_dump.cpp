// vcore dump FILE: the diagnostic listing of every DER value in a file
// (PEM armour is taken off first).
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
        char where[64];
        std::snprintf(where, sizeof where, " (at offset %ld)", encoding->Seek(0, CFile::current));
        error = std::string("not valid DER: ") + ___lastDERDecodingMessage() + where;
        ok = false;
    }
    encoding->Release();
    return ok;
}

int dump(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return fail("usage: vcore dump FILE");
    std::vector<unsigned char> der;
    std::string error;
    if (!readWholeFile(args[0], der, error) || !unwrapPem(der, error))
        return fail(error);
    if (der.empty())
        return fail(args[0] + ": empty file");
    CMemFile listing;
    bool ok = dumpAll(der, listing, error);
    // The listing's lines end in CR LF; a shell wants LF.
    const unsigned char* text = listing.GetBufferPointer();
    for (unsigned long i = 0; i < listing.GetLength(); ++i)
        if (!(text[i] == '\r' && i + 1 < listing.GetLength() && text[i + 1] == '\n'))
            std::putchar(text[i]);
    std::fflush(stdout);
    return ok ? 0 : fail(args[0] + ": " + error);
}

const Command dumpCommand("dump", "dump FILE          diagnostic listing of a DER or PEM file", dump);
}  // namespace
