// vcore keygen: a new RSA key pair, generated on a worker thread while a
// progress bar on the terminal follows the generator; Ctrl-C cancels it.
#include <cstring>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"
#include "vcore/pki_files.h"

namespace {
const char kHelp[] =
    "Writes a new RSA private key (with its public half) to FILE, created with\n"
    "mode 0600; an existing FILE is replaced only with --force. \"--out -\" writes\n"
    "to standard output. Keys have 512 to 2048 bits, the library's limit.\n"
    "Formats: pem, PKCS#1 \"RSA PRIVATE KEY\" in PEM (openssl reads it: openssl\n"
    "rsa -check -in FILE); der, the same PKCS#1 structure in DER; archive, this\n"
    "library's own stored form of CRSAPrivateKey, which other tools do not read.\n"
    "FILE is checked before the key is generated, and written only once the\n"
    "key has passed its self-test. Ctrl-C cancels.";

void writeKey(CRSAPrivateKey& key, const std::string& format, OutputFile& out)
{
    if (format == "archive") {
        try {
            CArchive archive(&out.file(), CArchive::store);
            key.Serialize(archive);
            archive.Close();
        } catch (CFileException* e) {
            throw Failure(takeReason(e));
        }
        return;
    }
    std::vector<unsigned char> der = PrivateKeyDer(key);
    if (format == "pem")
        out.write(WritePem("RSA PRIVATE KEY", der));
    else
        out.write(der.data(), der.size());
    explicit_bzero(der.data(), der.size());
}

int keygen(const Args& args)
{
    long bits = 0;
    std::string exponent = "65537", out, format = "pem";
    bool force = false;
    OptionSet options;
    options.number("--bits", &bits, 512, 2048, "N", "modulus size in bits");
    options.choice("--exponent", &exponent, {"3", "65537"}, "public exponent (default 65537)");
    options.text("-o,--out", &out, "FILE", "where the key goes (\"-\": standard output)");
    options.choice("--format", &format, {"pem", "der", "archive"}, "PKCS#1 PEM (default), PKCS#1 DER, or archive");
    options.flag("--force", &force, "replace an existing FILE");
    options.parse(args, 0, 0);
    if (!options.given("--bits") || out.empty())
        throw UsageError("--bits and --out are required");

    OutputFile output(out, OutputFile::PrivateKey, force);
    TerminalProgress bar("generating");
    CRSAPrivateKey key;
    bool selfTestFailed = false;
    bool finished = false;
    try {
        finished = runCancellable(
            [&](CProgress* progress) {
                CRSAKeyPair pair((unsigned short)bits, exponent == "65537" ? 1 : 0, nullptr, 0, progress);
                selfTestFailed = pair.TestKeys(4, nullptr, 1) != 0;
                key = pair;
            },
            &bar);
    } catch (CUnlockException* e) {
        e->Delete();
        throw Failure("the prime search failed; nothing was written");
    }
    if (!finished)
        throw Failure("cancelled", 130);
    if (selfTestFailed)
        throw Failure("the new key failed its self-test; nothing was written");
    writeKey(key, format, output);
    output.commit();
    return 0;
}

const Command keygenCommand("keygen", "--bits N [--exponent 3|65537] --out FILE [--format pem|der|archive] [--force]",
                            "a new RSA key pair", kHelp, keygen);
}  // namespace
