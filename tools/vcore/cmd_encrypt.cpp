// vcore encrypt / vcore decrypt: whole files through EncryptFile and
// DecryptFile with DES, triple DES, IDEA, RC2 or RC5, in CBC mode (or ECB
// with --ecb), with the processor's padding (the layout of openssl enc).
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/command.h"
#include "vaultcore/vaultcore.h"

namespace {

const char kUsage[] =
    "usage: vcore encrypt|decrypt --cipher des|3des|idea|rc2|rc5 --key HEX [--iv HEX | --ecb]\n"
    "       [--bits N (rc2 effective key bits)] [--rounds R] [--block 2|4|8|16] (rc5) [--chunk BYTES] IN OUT";

struct Options {
    std::string cipher, keyHex, ivHex, in, out;
    bool ecb = false;
    long bits = -1, rounds = 12, block = 8, chunk = 64 * 1024;
};

bool parseHex(const std::string& text, std::vector<unsigned char>& out)
{
    if (text.size() % 2)
        return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (!isxdigit((unsigned char)pair[0]) || !isxdigit((unsigned char)pair[1]))
            return false;
        out.push_back((unsigned char)std::strtoul(pair.c_str(), nullptr, 16));
    }
    return true;
}

bool parseNumber(const std::string& text, long& value)
{
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == 0;
}

// False with a reason in error.
bool parse(const std::vector<std::string>& args, Options& o, std::string& error)
{
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        auto number = [&](long& into) {
            std::string text;
            if (!value(text))
                return false;
            if (!parseNumber(text, into)) {
                error = a + ": not a number: " + text;
                return false;
            }
            return true;
        };
        bool ok = true;
        if (a == "--cipher")
            ok = value(o.cipher);
        else if (a == "--key")
            ok = value(o.keyHex);
        else if (a == "--iv")
            ok = value(o.ivHex);
        else if (a == "--ecb")
            o.ecb = true;
        else if (a == "--bits")
            ok = number(o.bits);
        else if (a == "--rounds")
            ok = number(o.rounds);
        else if (a == "--block")
            ok = number(o.block);
        else if (a == "--chunk")
            ok = number(o.chunk);
        else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else
            files.push_back(a);
        if (!ok)
            return false;
    }
    if (files.size() != 2 || o.cipher.empty() || o.keyHex.empty()) {
        error = kUsage;
        return false;
    }
    o.in = files[0];
    o.out = files[1];
    return true;
}

// The processor for the options; null with a reason in error.
std::unique_ptr<CCryptoProcessor> makeProcessor(const Options& o, std::string& error)
{
    std::vector<unsigned char> key, iv;
    if (!parseHex(o.keyHex, key)) {
        error = "--key: not a hexadecimal byte string";
        return nullptr;
    }
    const unsigned long block = o.cipher == "rc5" ? (unsigned long)o.block : 8;
    if (o.cipher == "rc5" && !CRC5PadAlgorithm::IsValidBlockSize(block)) {
        error = "--block must be 2, 4, 8 or 16";
        return nullptr;
    }
    if (!o.ecb) {
        if (o.ivHex.empty()) {
            error = "--iv is required in CBC mode (or give --ecb)";
            return nullptr;
        }
        if (!parseHex(o.ivHex, iv) || iv.size() != block) {
            error = "--iv must be " + std::to_string(block) + " bytes in hex";
            return nullptr;
        }
    }
    const int mode = o.ecb ? 1 : 0;
    const unsigned char* ivp = o.ecb ? nullptr : iv.data();
    auto need = [&](size_t n) {
        if (key.size() == n)
            return true;
        error = o.cipher + " needs a key of " + std::to_string(n) + " bytes, got " + std::to_string(key.size());
        return false;
    };
    if (o.cipher == "des") {
        if (!need(8))
            return nullptr;
        CDESkey k;
        k.Set(key.data(), 8);  // parity bits are ignored, as by openssl
        return std::make_unique<CDESAlgorithm>(k, mode, ivp);
    }
    if (o.cipher == "3des") {
        if (!need(24))
            return nullptr;
        CTripleDESkey k;
        k.Set(key.data(), 24);
        return std::make_unique<CTripleDESAlgorithm>(k, mode, ivp);
    }
    if (o.cipher == "idea") {
        if (!need(16))
            return nullptr;
        CIDEAkey k;
        k.Set(key.data(), 16);
        return std::make_unique<CIDEAAlgorithm>(k, mode, ivp);
    }
    if (o.cipher == "rc2") {
        if (key.empty() || key.size() > 128) {
            error = "rc2 needs a key of 1 to 128 bytes";
            return nullptr;
        }
        const long bits = o.bits < 0 ? (long)key.size() * 8 : o.bits;
        if (bits < 1 || bits > 1024) {
            error = "--bits must lie between 1 and 1024";
            return nullptr;
        }
        CRC2key k((unsigned short)bits);
        k.Set(key.data(), key.size());
        return std::make_unique<CRC2Algorithm>(k, mode, ivp);
    }
    if (o.cipher == "rc5") {
        if (key.size() > 255) {
            error = "rc5 takes a key of at most 255 bytes";
            return nullptr;
        }
        if (!CRC5PadAlgorithm::IsValidRounds((unsigned long)o.rounds) || o.rounds < 0) {
            error = "--rounds must lie between 0 and 255";
            return nullptr;
        }
        CRC5key k;
        k.Set(key.data(), key.size());
        return std::make_unique<CRC5PadAlgorithm>(k, (unsigned long)o.rounds, block, mode, ivp);
    }
    error = "unknown cipher '" + o.cipher + "' (des, 3des, idea, rc2, rc5)";
    return nullptr;
}

int run(const std::vector<std::string>& args, bool encrypt)
{
    Options o;
    std::string error;
    if (!parse(args, o, error))
        return fail(error);
    if (o.chunk < 1 || o.chunk > 16 * 1024 * 1024)
        return fail("--chunk must lie between 1 and 16777216");
    std::unique_ptr<CCryptoProcessor> processor = makeProcessor(o, error);
    if (!processor)
        return fail(error);

    CFile in, out;
    CFileException openError;
    if (!in.Open(o.in.c_str(), CFile::modeRead | CFile::typeBinary, &openError))
        return fail(o.in + ": cannot open for reading");
    const unsigned long length = in.GetLength();
    const unsigned long block = processor->GetBlockSize();
    if (!encrypt && (length == 0 || length % block != 0))
        return fail(o.in + ": " + std::to_string(length) + " bytes is not a whole number of " +
                    std::to_string(block) + "-byte blocks (truncated or not encrypted with this cipher)");
    if (!out.Open(o.out.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary, &openError))
        return fail(o.out + ": cannot open for writing");
    std::string failure;
    try {
        if (encrypt)
            EncryptFile(*processor, in, 0, out, (unsigned long)o.chunk, nullptr, 0);
        else
            DecryptFile(*processor, in, 0, out, (unsigned long)o.chunk, nullptr, 0);
        out.Close();
    } catch (CUnlockException* e) {
        e->Delete();
        failure = encrypt ? "encryption failed" : "decryption failed: wrong key, iv or cipher, or corrupted data (bad padding)";
    } catch (CFileException* e) {
        char text[256] = "";
        e->GetErrorMessage(text, sizeof text);
        e->Delete();
        failure = std::string("file error: ") + text;
    }
    if (!failure.empty()) {
        out.Abort();
        std::remove(o.out.c_str());  // no half-written output is left behind
        return fail(failure);
    }
    return 0;
}

int encryptCommand(const std::vector<std::string>& args)
{
    return run(args, true);
}

int decryptCommand(const std::vector<std::string>& args)
{
    return run(args, false);
}

const Command encryptCmd("encrypt", "--cipher des|3des|idea|rc2|rc5 --key HEX --iv HEX [options] IN OUT",
                         "encrypts a file", nullptr, encryptCommand);
const Command decryptCmd("decrypt", "--cipher des|3des|idea|rc2|rc5 --key HEX --iv HEX [options] IN OUT",
                         "decrypts a file", nullptr, decryptCommand);

}  // namespace
