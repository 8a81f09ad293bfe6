// vcore encrypt / vcore decrypt: whole files through EncryptFile and
// DecryptFile with DES, triple DES, IDEA, RC2 or RC5, in CBC mode (or ECB
// with --ecb), with the processor's padding (the layout of openssl enc).
#include <memory>
#include <string>
#include <vector>

#include "common/tool.h"
#include "vaultcore/vaultcore.h"

namespace {
const char kSynopsis[] = "--cipher des|3des|idea|rc2|rc5 --key HEX (--iv HEX | --ecb) [options] IN OUT";

const char kHelp[] =
    "IN and OUT are files; \"-\" is standard input or output. The cipher text is\n"
    "the padded CBC (or ECB) layout of \"openssl enc\" with -K and -iv; IDEA\n"
    "uses this library's word order (see the README), so its bytes differ\n"
    "from other IDEA implementations.\n"
    "OUT is written to a temporary file beside it and renamed only when the\n"
    "whole run succeeded, so a wrong key never touches an existing OUT. When\n"
    "OUT is standard output, a device or a pipe it is written directly, and a\n"
    "failure (such as a wrong key on decryption) leaves partial output there.\n"
    "IN and OUT may not be the same file.";

struct Settings {
    std::string cipher = "";
    std::vector<unsigned char> key, iv;
    bool ecb = false;
    long bits = 0, rounds = 12, chunk = 64 * 1024;
    std::string block = "8";
};

// The options a cipher does not use are usage errors, not silently ignored.
void refuseUnused(const OptionSet& options, const Settings& s)
{
    if (s.cipher != "rc2")
        options.refuse("--bits", "applies to rc2 only");
    if (s.cipher != "rc5") {
        options.refuse("--rounds", "applies to rc5 only");
        options.refuse("--block", "applies to rc5 only");
    }
    if (s.ecb)
        options.refuse("--iv", "is not used with --ecb");
    else if (!options.given("--iv"))
        throw UsageError("--iv is required in CBC mode (or give --ecb)");
    if (!options.given("--cipher") || !options.given("--key"))
        throw UsageError("--cipher and --key are required");
}

void requireKeySize(const Settings& s, size_t least, size_t most)
{
    if (s.key.size() < least || s.key.size() > most)
        throw UsageError(s.cipher + " needs a key of " + std::to_string(least) +
                         (least == most ? "" : " to " + std::to_string(most)) + " bytes, got " +
                         std::to_string(s.key.size()));
}

std::unique_ptr<CCryptoProcessor> makeProcessor(const Settings& s)
{
    const unsigned long block = s.cipher == "rc5" ? std::stoul(s.block) : 8;
    if (!s.ecb && s.iv.size() != block)
        throw UsageError("--iv must be " + std::to_string(block) + " bytes (" + std::to_string(2 * block) +
                         " hexadecimal digits) for " + s.cipher);
    const int mode = s.ecb ? 1 : 0;
    const unsigned char* iv = s.ecb ? nullptr : s.iv.data();
    if (s.cipher == "des") {
        requireKeySize(s, 8, 8);
        CDESkey k;
        k.Set(s.key.data(), 8);  // parity bits are ignored, as by openssl
        return std::make_unique<CDESAlgorithm>(k, mode, iv);
    }
    if (s.cipher == "3des") {
        requireKeySize(s, 24, 24);
        CTripleDESkey k;
        k.Set(s.key.data(), 24);
        return std::make_unique<CTripleDESAlgorithm>(k, mode, iv);
    }
    if (s.cipher == "idea") {
        requireKeySize(s, 16, 16);
        CIDEAkey k;
        k.Set(s.key.data(), 16);
        return std::make_unique<CIDEAAlgorithm>(k, mode, iv);
    }
    if (s.cipher == "rc2") {
        requireKeySize(s, 1, 128);
        CRC2key k((unsigned short)(s.bits ? s.bits : (long)s.key.size() * 8));
        k.Set(s.key.data(), s.key.size());
        return std::make_unique<CRC2Algorithm>(k, mode, iv);
    }
    requireKeySize(s, 0, 255);
    CRC5key k;
    k.Set(s.key.data(), s.key.size());
    return std::make_unique<CRC5PadAlgorithm>(k, (unsigned long)s.rounds, block, mode, iv);
}

int run(const Args& args, bool encrypt)
{
    Settings s;
    OptionSet options;
    options.choice("--cipher", &s.cipher, {"des", "3des", "idea", "rc2", "rc5"}, "the block cipher");
    options.hex("--key", &s.key, "the key (des 8 bytes, 3des 24, idea 16, rc2 1-128, rc5 0-255)");
    options.hex("--iv", &s.iv, "the initial vector, one block (CBC mode)");
    options.flag("--ecb", &s.ecb, "ECB mode: no initial vector");
    options.number("--bits", &s.bits, 1, 1024, "N", "rc2: effective key bits (default: 8 per key byte)");
    options.number("--rounds", &s.rounds, 0, 255, "R", "rc5: rounds (default 12)");
    options.choice("--block", &s.block, {"2", "4", "8", "16"}, "rc5: block size in bytes (default 8)");
    options.number("--chunk", &s.chunk, 1, 16 << 20, "BYTES", "bytes per processing step (default 65536)");
    const Args files = options.parse(args, 2, 2);
    refuseUnused(options, s);
    std::unique_ptr<CCryptoProcessor> processor = makeProcessor(s);

    InputFile in(files[0]);
    OutputFile out(files[1]);
    out.refuseSameFileAs(in);
    // A regular file is read in place; anything else is read to its end first,
    // since the encryption needs the length in advance.
    std::vector<unsigned char> piped;
    std::unique_ptr<CFile> source;
    if (in.knownSize() >= 0) {
        source = std::make_unique<CFile>(in.descriptor());
    } else {
        piped = in.readAll();
        if (piped.size() > 0xFFFFFFFFu)
            throw Failure(in.name() + ": more than 4 GiB from a pipe; give a file instead");
        source = std::make_unique<CMemFile>(piped.data(), (UINT)piped.size());
    }
    source->SetFilePath(in.name().c_str());
    // From the current position: standard input may be part-read already.
    const unsigned long length = source->GetLength() - source->GetPosition();
    const unsigned long block = processor->GetBlockSize();
    if (!encrypt && (length == 0 || length % block != 0))
        throw Failure(in.name() + ": " + std::to_string(length) + " bytes is not a whole number of " +
                      std::to_string(block) + "-byte blocks (truncated, or not encrypted with this cipher)");
    try {
        if (encrypt)
            EncryptFile(*processor, *source, length, out.file(), (unsigned long)s.chunk, nullptr, 0);
        else
            DecryptFile(*processor, *source, length, out.file(), (unsigned long)s.chunk, nullptr, 0);
    } catch (CUnlockException* e) {
        e->Delete();
        throw Failure(encrypt ? in.name() + ": encryption failed"
                              : in.name() + ": decryption failed: wrong key, iv or cipher, or corrupted data (bad padding)");
    } catch (CFileException* e) {
        throw Failure(takeReason(e));
    }
    out.commit();
    return 0;
}

int encryptCommand(const Args& args)
{
    return run(args, true);
}

int decryptCommand(const Args& args)
{
    return run(args, false);
}

const Command encryptCmd("encrypt", kSynopsis, "encrypts a file", kHelp, encryptCommand);
const Command decryptCmd("decrypt", kSynopsis, "decrypts a file", kHelp, decryptCommand);
}  // namespace
