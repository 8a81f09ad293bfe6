// vcore dump [--ldap] FILE: the diagnostic listing of every DER value in a
// file, or of every block of a PEM file in turn; with --ldap, whether each
// value is one valid LDAP message and which operation it carries.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"
#include "vcore/der_fault.h"

namespace {
const char kHelp[] =
    "Lists every DER value of FILE (\"-\" reads standard input). A PEM file may\n"
    "hold several blocks; each is listed in turn. Encrypted PEM is refused.\n"
    "Input that is not valid DER is reported with the offset of the fault.";

// Holds an encoding over the caller's bytes for as long as it lives.
class Encoding {
public:
    explicit Encoding(std::vector<unsigned char>& der)
        : m_encoding(new CDEREncoding(TRUE, der.data(), der.size(), FALSE, FALSE))
    {
        m_encoding->AddRef();
    }
    ~Encoding() { m_encoding->Release(); }
    CDEREncoding& operator*() { return *m_encoding; }
    size_t position() { return (size_t)m_encoding->Seek(0, CFile::current); }

private:
    CDEREncoding* m_encoding;
};

// Lists every top-level value; throws Failure on bad DER after printing
// the values before it.
void dumpValues(std::vector<unsigned char>& der, const std::string& where)
{
    Encoding encoding(der);
    CMemFile listing;
    std::string failure;
    try {
        for (int index = 0; encoding.position() < der.size(); ++index) {
            std::unique_ptr<CASN1Type> value(___buildFromEncoding(*encoding));
            if (index > 0)
                ___WriteFormatted(&listing, "\r\n");
            value->Dump(0, &listing);
        }
    } catch (CDERDecodingException* e) {
        e->Delete();
        failure = where + ": " +
                  DescribeDecodingFailure(der.data(), der.size(), encoding.position(), ___lastDERDecodingMessage());
    }
    // The listing's lines end in CR LF; a shell wants LF.
    const unsigned char* text = listing.GetBufferPointer();
    const unsigned long length = listing.GetLength();
    for (unsigned long i = 0; i < length; ++i)
        if (!(text[i] == '\r' && i + 1 < length && text[i + 1] == '\n'))
            std::putchar(text[i]);
    if (!failure.empty())
        throw Failure(failure);
}

void describeLdap(std::vector<unsigned char>& der, const std::string& where)
{
    Encoding encoding(der);
    BOOL valid = FALSE;
    CString description = DescribeLdapMessage(*encoding, &valid);
    if (!valid) {
        DerFault fault;
        std::string detail;
        if (FindDerFault(der.data(), der.size(), fault))
            detail = " (not valid DER at offset " + std::to_string(fault.offset) + ": " + fault.what + ")";
        throw Failure(where + ": " + (const char*)description + detail);
    }
    std::printf("%s\n", (const char*)description);
}

int dump(const Args& args)
{
    bool ldap = false;
    OptionSet options;
    options.flag("--ldap", &ldap, "check that each value is one valid LDAP message and name its operation");
    const std::string path = options.parse(args, 1, 1)[0];

    std::vector<std::vector<unsigned char>> values = DerValues(InputFile(path).readAll(), path);
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string where = values.size() > 1 ? path + ", PEM block " + std::to_string(i + 1) : path;
        if (values[i].empty())
            throw Failure(where + ": empty input");
        if (i > 0 && !ldap)
            std::putchar('\n');
        if (ldap)
            describeLdap(values[i], where);
        else
            dumpValues(values[i], where);
    }
    return 0;
}

const Command dumpCommand("dump", "[--ldap] FILE", "diagnostic listing of a DER or PEM file", kHelp, dump);
}  // namespace
