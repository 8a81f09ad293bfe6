// The operations a key prepares on first use and keeps: the public one
// against OpenSSL for moduli and exponents of every kind; a key whose
// fields change after use (assigned, set, loaded, a component spoilt) computes
// with its new fields, copies do not disturb each other, and threads that
// share one key at once get the right results (run under ThreadSanitizer by
// scripts/tsan.sh).
#include <gtest/gtest.h>

#include <openssl/bn.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "support/archive_helpers.h"
#include "rsa_test_util.h"

#ifdef VC_HAVE_OPENSSL

namespace {

class ExposedKey : public CRSAPrivateKey {
public:
    unsigned char* exponentP() { return m_primeExponent[0]; }
    void publicProcess(const CByteArray& in, CByteArray& out) const { CRSAPublicKey::ProcessData(in, out); }
};

CByteArray arrayOf(const Bytes& b)
{
    CByteArray a;
    a.SetSize((int)b.size());
    if (!b.empty())
        std::memcpy(a.GetData(), b.data(), b.size());
    return a;
}

// x^e mod n by OpenSSL, as k bytes.
std::string opensslPower(const Bytes& x, const Bytes& e, const Bytes& n, size_t k)
{
    BN_CTX* ctx = BN_CTX_new();
    BIGNUM *bx = BN_bin2bn(x.data(), (int)x.size(), nullptr), *be = BN_bin2bn(e.data(), (int)e.size(), nullptr),
           *bn = BN_bin2bn(n.data(), (int)n.size(), nullptr), *r = BN_new();
    BN_mod_exp(r, bx, be, bn, ctx);
    Bytes out(k);
    BN_bn2binpad(r, out.data(), (int)k);
    for (BIGNUM* v : {bx, be, bn, r})
        BN_free(v);
    BN_CTX_free(ctx);
    return hexOf(out);
}

ExposedKey loadKey(const char* name)
{
    ExposedKey key;
    EXPECT_TRUE(loadOpensslKey(std::string(VC_TEST_DATA) + "/crypto/rsa/" + name + ".pem", key)) << name;
    return key;
}

const Bytes kDigest(20, 0x3c);

std::string signature(const CRSAPrivateKey& key)
{
    CByteArray out;
    key.LockDigest(eSHA1, kDigest.data(), out);
    return hexOf(out);
}

// Whether key reads kDigest back from a signature (given in hex).
bool verifies(const CRSAPublicKey& key, const std::string& hex)
{
    Bytes locked(hex.size() / 2);
    for (size_t i = 0; i < locked.size(); ++i)
        locked[i] = (unsigned char)std::stoi(hex.substr(2 * i, 2), nullptr, 16);
    unsigned char digest[20];
    try {
        key.UnlockDigest(eSHA1, locked.data(), (unsigned long)locked.size(), digest, key.GetBits());
    } catch (CUnlockException* e) {
        e->Delete();
        return false;
    }
    return std::memcmp(digest, kDigest.data(), sizeof digest) == 0;
}

}  // namespace

TEST(RSAPublicOperation, AgreesWithOpenSSLForEveryKindOfModulusAndExponent)
{
    // Odd moduli take the Montgomery path, even and one-word ones the
    // generic power; odd exponents fold the last factor into the way back
    // from the Montgomery form.
    std::mt19937 rng(99);
    auto random = [&](size_t size) {
        Bytes b(size);
        for (auto& v : b)
            v = (unsigned char)rng();
        return b;
    };
    const struct {
        size_t bytes;
        bool odd;
    } moduli[] = {{4, true}, {5, true}, {64, true}, {64, false}, {127, true}, {128, true}, {200, false}, {256, true}};
    const Bytes exponents[] = {{0}, {1}, {2}, {3}, {1, 0, 1}, random(8), random(33)};
    for (const auto& m : moduli) {
        Bytes n = random(m.bytes);
        n[0] |= 0x80;
        n.back() = m.odd ? (unsigned char)(n.back() | 1) : (unsigned char)(n.back() & 0xFE);
        // n - 1 for an odd n, a small number otherwise.
        Bytes below = m.odd ? n : Bytes(1, 7);
        below.back() &= 0xFE;
        Bytes x = random(m.bytes);
        x[0] &= 0x7F;
        for (const Bytes& e : exponents) {
            ExposedKey key;
            ASSERT_TRUE(key.SetPublicKey((unsigned short)(8 * m.bytes), n.data(), n.size(), e.data(), e.size()));
            for (const Bytes& input : {Bytes(1, 0), Bytes(1, 1), below, n, x}) {
                SCOPED_TRACE(std::to_string(m.bytes) + (m.odd ? " odd" : " even") + " e=" + hexOf(e) +
                             " x=" + hexOf(input));
                CByteArray out;
                key.publicProcess(arrayOf(input), out);
                EXPECT_EQ(hexOf(out), opensslPower(input, e, n, m.bytes));
            }
        }
    }
}

TEST(RSAPreparedOperation, FieldsChangedAfterUseAreUsed)
{
    const ExposedKey a = loadKey("key1024_e65537"), b = loadKey("key2048_e3");
    const std::string signedByA = signature(a), signedByB = signature(b);
    // Each change turns a key that has signed and verified as a into b.
    const struct {
        const char* how;
        void (*change)(CRSAPrivateKey& key, const CRSAPrivateKey& b);
    } changes[] = {
        {"assigned", [](CRSAPrivateKey& key, const CRSAPrivateKey& b) { key = b; }},
        {"fields set",
         [](CRSAPrivateKey& key, const CRSAPrivateKey& b) {
             ASSERT_TRUE(key.SetPublicKey(b.GetBits(), b.GetModulus(), 256, b.GetExponent(), 256));
             ASSERT_TRUE(key.SetPrivateKey(b.GetPrivateExponent(), 256, b.GetPrime(0), 128, b.GetPrime(1), 128,
                                           b.GetPrimeExponent(0), 128, b.GetPrimeExponent(1), 128,
                                           b.GetCoefficient(), 128));
         }},
        {"loaded from an archive",
         [](CRSAPrivateKey& key, const CRSAPrivateKey& b) {
             CRSAPrivateKey source(b);
             ASSERT_EQ(archiveLoadCause(key, storedBytes(source)), 0);
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.how);
        CRSAPrivateKey key(a);
        EXPECT_EQ(signature(key), signedByA);
        EXPECT_TRUE(verifies(key, signedByA));
        c.change(key, b);
        EXPECT_EQ(signature(key), signedByB);
        EXPECT_TRUE(verifies(key, signedByB));
        EXPECT_FALSE(verifies(key, signedByA));
    }
    // A public key set to other numbers after use.
    CRSAPublicKey publicKey(a);
    EXPECT_TRUE(verifies(publicKey, signedByA));
    ASSERT_TRUE(publicKey.SetPublicKey(b.GetBits(), b.GetModulus(), 256, b.GetExponent(), 256));
    EXPECT_TRUE(verifies(publicKey, signedByB));
    EXPECT_FALSE(verifies(publicKey, signedByA));
}

TEST(RSAPreparedOperation, ASpoiltComponentIsSeenByAKeyThatSignedBeforeAndNotByItsCopy)
{
    ExposedKey key = loadKey("key1024_e65537");
    const std::string expected = signature(key);
    ExposedKey copy = key;  // shares what key prepared
    copy.exponentP()[127] ^= 0x10;
    CByteArray out;
    EXPECT_TRUE(throwsUnlock([&] { copy.LockDigest(eSHA1, kDigest.data(), out); }));
    EXPECT_EQ(signature(key), expected);
    copy.exponentP()[127] ^= 0x10;
    EXPECT_EQ(signature(copy), expected);
}

TEST(RSAPreparedOperation, OneKeyUsedByTwoThreadsAtOnce)
{
    // Fresh keys, so that both threads find nothing prepared and race to
    // prepare it.
    for (int round = 0; round < 4; ++round) {
        const ExposedKey key = loadKey(round % 2 ? "key2048_e65537" : "key1024_e3");
        const CRSAPublicKey publicKey(key);
        const std::string expected = signature(loadKey(round % 2 ? "key2048_e65537" : "key1024_e3"));
        std::atomic<int> ready{0}, wrong{0};
        auto work = [&] {
            ++ready;
            while (ready < 2)
                std::this_thread::yield();
            for (int i = 0; i < 3; ++i) {
                wrong += !verifies(publicKey, expected);
                wrong += signature(key) != expected;
            }
        };
        std::thread first(work), second(work);
        first.join();
        second.join();
        EXPECT_EQ(wrong.load(), 0) << round;
    }
}

#endif
