// DES-CBC, 3DES-CBC and RC2-CBC (40, 64 and 128 effective bits) against the
// openssl command, both directions, with the processor's final padding
// (the same as openssl's): whole messages through EncryptFinal/DecryptFinal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <unistd.h>

#include "cipher_test_util.h"

#ifdef VC_HAVE_OPENSSL
#include <openssl/evp.h>
#include <openssl/provider.h>
#endif

namespace {

struct Peer {
    const char* name;     // openssl cipher name
    unsigned keyLength;
    std::function<std::unique_ptr<CCryptoProcessor>(const Bytes& key, const Bytes& iv)> make;
};

std::unique_ptr<CCryptoProcessor> makeDES(const Bytes& key, const Bytes& iv)
{
    CDESkey k;
    k.Set(key.data(), key.size());
    return std::make_unique<CDESAlgorithm>(k, 0, iv.data());
}

std::unique_ptr<CCryptoProcessor> make3DES(const Bytes& key, const Bytes& iv)
{
    CTripleDESkey k;
    k.Set(key.data(), key.size());
    return std::make_unique<CTripleDESAlgorithm>(k, 0, iv.data());
}

std::function<std::unique_ptr<CCryptoProcessor>(const Bytes&, const Bytes&)> makeRC2(unsigned short bits)
{
    return [bits](const Bytes& key, const Bytes& iv) -> std::unique_ptr<CCryptoProcessor> {
        CRC2key k(bits);
        k.Set(key.data(), key.size());
        return std::make_unique<CRC2Algorithm>(k, 0, iv.data());
    };
}

const Peer kPeers[] = {
    {"des-cbc", 8, makeDES},
    {"des-ede3-cbc", 24, make3DES},
    {"rc2-40-cbc", 5, makeRC2(40)},
    {"rc2-64-cbc", 8, makeRC2(64)},
    {"rc2-cbc", 16, makeRC2(128)},
};

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/vc_cipherXXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf " + m_path).c_str()); }
    std::string file(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void writeFile(const std::string& path, const Bytes& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write((const char*)data.data(), (std::streamsize)data.size());
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs openssl enc; false when the command failed.
bool opensslEnc(const Peer& peer, bool decrypt, const Bytes& key, const Bytes& iv, const std::string& in,
                const std::string& out)
{
    std::ostringstream cmd;
    cmd << "openssl enc -" << peer.name << (decrypt ? " -d" : "") << " -K " << toHex(key) << " -iv " << toHex(iv)
        << " -in " << in << " -out " << out << " -provider legacy -provider default 2>/dev/null";
    return std::system(cmd.str().c_str()) == 0;
}

bool haveOpenssl()
{
    return std::system("openssl version >/dev/null 2>&1") == 0;
}

}  // namespace

TEST(OpensslCommand, BothDirectionsAgree)
{
    if (!haveOpenssl())
        GTEST_SKIP() << "no openssl command";
    std::mt19937 rng(1998);
    TempDir dir;
    const size_t sizes[] = {0, 1, 7, 8, 9, 100, 4099};
    for (const Peer& peer : kPeers) {
        for (size_t size : sizes) {
            Bytes key(peer.keyLength), iv(8), plain(size);
            for (auto& b : key)
                b = (unsigned char)rng();
            for (auto& b : iv)
                b = (unsigned char)rng();
            for (auto& b : plain)
                b = (unsigned char)rng();
            SCOPED_TRACE(std::string(peer.name) + " size " + std::to_string(size));

            // Ours -> bytes of openssl.
            auto p = peer.make(key, iv);
            Bytes ours(p->EncrFinalOutMaxSize(size));
            const unsigned long n = p->EncryptFinal(plain.data(), size, ours.data(), nullptr);
            ours.resize(n);
            writeFile(dir.file("plain"), plain);
            ASSERT_TRUE(opensslEnc(peer, false, key, iv, dir.file("plain"), dir.file("theirs")));
            const Bytes theirs = readFile(dir.file("theirs"));
            EXPECT_EQ(toHex(ours), toHex(theirs));

            // openssl decrypts ours.
            writeFile(dir.file("ours"), ours);
            ASSERT_TRUE(opensslEnc(peer, true, key, iv, dir.file("ours"), dir.file("back")));
            EXPECT_EQ(toHex(readFile(dir.file("back"))), toHex(plain));

            // We decrypt theirs, on a fresh processor.
            auto q = peer.make(key, iv);
            Bytes back(q->DecrFinalOutMaxSize(theirs.size()) + 1);
            const unsigned long m = q->DecryptFinal(theirs.data(), theirs.size(), back.data(), nullptr);
            back.resize(m);
            EXPECT_EQ(toHex(back), toHex(plain));
        }
    }
}

#ifdef VC_HAVE_OPENSSL
// Many lengths and keys against libcrypto, with the message cut into
// EncryptBlock pieces of varying size (chaining continues across calls).
TEST(OpensslLibrary, ChunkedCBCAgreesWithEvp)
{
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* deflt = OSSL_PROVIDER_load(nullptr, "default");
    std::mt19937 rng(20);
    for (const Peer& peer : kPeers) {
        EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, peer.name, nullptr);
        if (!cipher) {
            ADD_FAILURE() << "libcrypto lacks " << peer.name;
            continue;
        }
        for (int round = 0; round < 40; ++round) {
            Bytes key(peer.keyLength), iv(8), plain(8 * (rng() % 64));
            for (auto& b : key)
                b = (unsigned char)rng();
            for (auto& b : iv)
                b = (unsigned char)rng();
            for (auto& b : plain)
                b = (unsigned char)rng();
            EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
            ASSERT_EQ(EVP_EncryptInit_ex2(ctx, cipher, key.data(), iv.data(), nullptr), 1);
            EVP_CIPHER_CTX_set_padding(ctx, 0);
            Bytes theirs(plain.size() + 8);
            int len = 0;
            EVP_EncryptUpdate(ctx, theirs.data(), &len, plain.data(), (int)plain.size());
            theirs.resize((size_t)len);
            EVP_CIPHER_CTX_free(ctx);

            auto p = peer.make(key, iv);
            Bytes ours(plain.size());
            for (size_t at = 0; at < plain.size();) {
                const size_t piece = std::min(plain.size() - at, (size_t)8 * (1 + rng() % 5));
                p->EncryptBlock(plain.data() + at, piece, ours.data() + at, nullptr);
                at += piece;
            }
            ASSERT_EQ(toHex(ours), toHex(theirs)) << peer.name;
            p->DecryptBlock(ours.data(), ours.size(), ours.data(), nullptr);
            ASSERT_EQ(toHex(ours), toHex(plain)) << peer.name;
        }
        EVP_CIPHER_free(cipher);
    }
    OSSL_PROVIDER_unload(legacy);
    OSSL_PROVIDER_unload(deflt);
}
#endif
