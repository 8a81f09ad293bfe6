// vcore digest [--md2|--md5|--sha1] [FILE...]: one line per file, in the
// form sha1sum and md5sum print and check.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"

namespace {
const char kHelp[] =
    "Prints \"DIGEST  NAME\" for each FILE, SHA-1 unless told otherwise; \"-\" or\n"
    "no FILE reads standard input. Names holding a backslash or a line break\n"
    "are escaped and the line starts with a backslash, as sha1sum does, so\n"
    "\"sha1sum -c\" and \"md5sum -c\" check the output. A file that cannot be\n"
    "read is reported and the others are still digested (exit status 1).";

// Files from this size on get a progress bar on a terminal.
const long long kProgressThreshold = 8ll << 20;

std::unique_ptr<CDigestMaker> makeDigest(EDigestAlgorithm algorithm)
{
    switch (algorithm) {
    case eMD2:
        return std::make_unique<CMD2DigestMaker>();
    case eMD5:
        return std::make_unique<CMD5DigestMaker>();
    default:
        return std::make_unique<CSHA1DigestMaker>();
    }
}

std::string digestOf(const std::string& name, EDigestAlgorithm algorithm)
{
    InputFile input(name);
    std::unique_ptr<CDigestMaker> maker = makeDigest(algorithm);
    TerminalProgress bar(name);
    const long long total = input.knownSize() >= kProgressThreshold ? input.knownSize() : 0;
    std::vector<unsigned char> block(InputFile::kBlockSize);
    unsigned long long done = 0;
    for (size_t n; (n = input.read(block.data(), block.size())) > 0; done += n) {
        maker->UpdateBlock(block.data(), (int)n);
        bar.show(done + n, (unsigned long long)total);
    }
    maker->UpdateBlock(nullptr, 0, nullptr, 1);
    unsigned char out[20];
    maker->GetCurrentDigest(out);
    std::string hex(OctetsToHexChars(out, DigestLength(algorithm)));
    for (char& c : hex)
        c = (char)std::tolower((unsigned char)c);
    return hex;
}

// The name as sha1sum writes it: with a backslash, a line feed or a
// carriage return escaped, and whether the line needs its leading backslash.
std::string escapedName(const std::string& name, bool& escaped)
{
    std::string text;
    escaped = false;
    for (char c : name) {
        const char* escape = c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : nullptr;
        escaped = escaped || escape;
        text += escape ? std::string(escape) : std::string(1, c);
    }
    return text;
}

int digest(const Args& args)
{
    bool md2 = false, md5 = false, sha1 = false;
    OptionSet options;
    options.flag("--md2", &md2, "MD2");
    options.flag("--md5", &md5, "MD5 (as md5sum)");
    options.flag("--sha1", &sha1, "SHA-1 (as sha1sum; the default)");
    Args files = options.parse(args, 0, (size_t)-1);
    if (md2 + md5 + sha1 > 1)
        throw UsageError("give one of --md2, --md5 and --sha1");
    const EDigestAlgorithm algorithm = md2 ? eMD2 : md5 ? eMD5 : eSHA1;
    if (files.empty())
        files.push_back("-");

    int status = 0;
    for (const std::string& name : files) {
        try {
            const std::string hex = digestOf(name, algorithm);
            bool escaped = false;
            const std::string shown = escapedName(name, escaped);
            std::printf("%s%s  %s\n", escaped ? "\\" : "", hex.c_str(), shown.c_str());
        } catch (const Failure& e) {
            status = fail(e.what());
        }
    }
    return status;
}

const Command digestCommand("digest", "[--md2|--md5|--sha1] [FILE...]", "digests, one line per file as sha1sum prints",
                            kHelp, digest);
}  // namespace
