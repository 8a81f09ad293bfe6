// The RSA private operation: the bytes it always gave (stored openssl
// signatures; x^d mod n of raw blocks) with and without the primes and on
// both sets of Montgomery rows, refusal of results spoilt by a faulty key
// component, and cancellation in the middle of signing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

#include "rsa_test_util.h"

#ifdef VC_HAVE_OPENSSL

namespace {

enum KeyField { kPrivateExponent, kPrimeP, kPrimeQ, kExponentP, kExponentQ, kCoefficient, kPublicExponent };

// Opens the raw operation and the stored fields to the tests.
class ExposedKey : public CRSAPrivateKey {
public:
    void process(const CByteArray& in, CByteArray& out) const { ProcessData(in, out); }
    unsigned char* field(KeyField f)
    {
        switch (f) {
        case kPrivateExponent: return m_privateExponent;
        case kPrimeP: return m_prime[0];
        case kPrimeQ: return m_prime[1];
        case kExponentP: return m_primeExponent[0];
        case kExponentQ: return m_primeExponent[1];
        case kCoefficient: return m_coefficient;
        default: return m_exponent;
        }
    }
    // p, q, dP, dQ and qInv gone, as in a key stored with d alone.
    void dropPrimes()
    {
        const unsigned char zero = 0;
        SetPrivateKey(m_privateExponent, kFieldSize, &zero, 1, &zero, 1, &zero, 1, &zero, 1, &zero, 1);
    }
};

const char* const kKeys[] = {"key1024_e3", "key1024_e65537", "key2048_e3", "key2048_e65537"};

std::string dataPath(const std::string& name)
{
    return std::string(VC_TEST_DATA) + "/crypto/rsa/" + name;
}

ExposedKey loadKey(const std::string& name, bool withPrimes)
{
    ExposedKey key;
    EXPECT_TRUE(loadOpensslKey(dataPath(name + ".pem"), key)) << name;
    if (!withPrimes)
        key.dropPrimes();
    return key;
}

Bytes digestOf(EDigestAlgorithm alg, const Bytes& data)
{
    Bytes out(20);
    if (alg == eMD5) {
        CMD5DigestMaker maker;
        maker.UpdateBlock(data.data(), (int)data.size(), nullptr, 1, 1);
        maker.GetCurrentDigest(out.data());
        out.resize(16);
    } else {
        CSHA1DigestMaker maker;
        maker.UpdateBlock(data.data(), (int)data.size(), nullptr, 1, 1);
        maker.GetCurrentDigest(out.data());
    }
    return out;
}

CByteArray toArray(const Bytes& b)
{
    CByteArray a;
    a.SetSize((int)b.size());
    if (!b.empty())
        std::memcpy(a.GetData(), b.data(), b.size());
    return a;
}

// x^d mod n taken over the whole modulus, as the operation always did.
std::string wholeModulusPower(const CRSAPrivateKey& key, const CByteArray& x)
{
    CHugeDigit value, d, n;
    value.Decode(x.GetData(), (unsigned short)x.GetSize());
    d.Decode(key.GetPrivateExponent(), CRSAPublicKey::kFieldSize);
    n.Decode(key.GetModulus(), CRSAPublicKey::kFieldSize);
    Bytes out(key.RsaOutputSize());
    ModPower(value, d, n).Encode(out.data(), (unsigned short)out.size());
    return hexOf(out);
}

// Restores the row choice and the cancellation globals.
struct Restore {
    BOOL mulx = CHugeDigit::AllowMulxInstructions(TRUE);
    ~Restore()
    {
        CHugeDigit::AllowMulxInstructions(mulx);
        ThreadKillFlag = 0;
        ThreadToKill = nullptr;
    }
};

}  // namespace

TEST(RSAPrivateOperation, StoredSignaturesWithAndWithoutPrimesOnBothRowSets)
{
    Restore restore;
    const Bytes message = readBytes(dataPath("message.txt"));
    const struct {
        EDigestAlgorithm alg;
        const char* suffix;
    } algorithms[] = {{eSHA1, ".sha1.sig"}, {eMD5, ".md5.sig"}};
    for (const char* name : kKeys) {
        for (bool withPrimes : {true, false}) {
            const ExposedKey key = loadKey(name, withPrimes);
            for (BOOL mulx : {TRUE, FALSE}) {
                CHugeDigit::AllowMulxInstructions(mulx);
                for (const auto& a : algorithms) {
                    SCOPED_TRACE(std::string(name) + a.suffix + (withPrimes ? " with primes" : " with d alone") +
                                 (mulx ? "" : ", portable rows"));
                    const Bytes digest = digestOf(a.alg, message);
                    CByteArray signature;
                    key.LockDigest(a.alg, digest.data(), signature);
                    EXPECT_EQ(hexOf(signature), hexOf(readBytes(dataPath(name + std::string(a.suffix)))));
                }
            }
        }
    }
}

TEST(RSAPrivateOperation, RawBlocksGiveTheWholeModulusPower)
{
    std::mt19937 rng(2024);
    for (const char* name : kKeys) {
        for (bool withPrimes : {true, false}) {
            SCOPED_TRACE(std::string(name) + (withPrimes ? " with primes" : " with d alone"));
            const ExposedKey key = loadKey(name, withPrimes);
            const size_t k = key.RsaOutputSize();
            const Bytes modulus(key.GetModulus() + 256 - k, key.GetModulus() + 256);
            Bytes below = modulus;
            below.back() -= 1;  // n is odd: n - 1 without a borrow
            std::vector<Bytes> inputs = {Bytes(k, 0), Bytes(1, 1), Bytes(1, 2), below, modulus};
            for (int i = 0; i < 6; ++i) {
                Bytes x(k);
                for (auto& b : x)
                    b = (unsigned char)rng();
                x[0] &= 0x7f;  // below n, whose top bit is set
                inputs.push_back(x);
            }
            for (const Bytes& x : inputs) {
                CByteArray in = toArray(x), out;
                key.process(in, out);
                EXPECT_EQ(hexOf(out), wholeModulusPower(key, in)) << hexOf(x);
            }
        }
    }
}

TEST(RSAPrivateOperation, FaultyComponentsAreRefusedOrNotUsed)
{
    // A fault in a component the computation uses must end in the
    // operation's exception, never in a wrong signature (one computed with
    // the primes gives them away); components it does not use change nothing.
    const struct {
        KeyField field;
        bool withPrimes;
        bool refused;
        const char* why;
    } cases[] = {
        {kExponentP, true, true, "d mod (p - 1) spoilt: the result mod p is wrong"},
        {kExponentQ, true, true, "d mod (q - 1) spoilt: the result mod q is wrong"},
        {kCoefficient, true, true, "q^-1 mod p spoilt: the recombination is wrong"},
        {kPublicExponent, true, true, "e spoilt: the result does not verify"},
        {kPrivateExponent, false, true, "d spoilt in a key without primes"},
        {kPrivateExponent, true, false, "d is not used when the primes are there"},
        {kPrimeP, true, false, "p no longer divides n: d is used instead"},
        {kPrimeQ, true, false, "q no longer divides n: d is used instead"},
    };
    const Bytes digest = digestOf(eSHA1, readBytes(dataPath("message.txt")));
    for (const char* name : {"key1024_e65537", "key2048_e3"}) {
        const std::string expected = hexOf(readBytes(dataPath(name + std::string(".sha1.sig"))));
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(name) + ": " + c.why);
            ExposedKey key = loadKey(name, c.withPrimes);
            const size_t size = c.field == kPrivateExponent || c.field == kPublicExponent ? 256 : 128;
            key.field(c.field)[size - 2] ^= 0x10;
            CByteArray signature;
            if (c.refused) {
                EXPECT_TRUE(throwsUnlock([&] { key.LockDigest(eSHA1, digest.data(), signature); }));
                EXPECT_NE(hexOf(signature), expected);
            } else {
                key.LockDigest(eSHA1, digest.data(), signature);
                EXPECT_EQ(hexOf(signature), expected);
            }
        }
    }
}

TEST(RSAPrivateOperation, KeysItCannotUseAreRefused)
{
    ExposedKey key = loadKey("key1024_e65537", true);
    CByteArray in = toArray(Bytes(128, 0x01)), out;
    // Without a public exponent nothing can be blinded or checked.
    ExposedKey noExponent = key;
    std::memset(noExponent.field(kPublicExponent), 0, 256);
    EXPECT_TRUE(throwsUnlock([&] { noExponent.process(in, out); }));
    // An even modulus is no RSA modulus.
    ExposedKey even = key;
    unsigned char modulus[256];
    std::memcpy(modulus, key.GetModulus(), 256);
    modulus[255] ^= 1;
    ASSERT_TRUE(even.SetPublicKey(key.GetBits(), modulus, 256, key.GetExponent(), 256));
    EXPECT_TRUE(throwsUnlock([&] { even.process(in, out); }));
}

TEST(RSAPrivateOperation, CancellationStopsSigningOnItsThread)
{
    Restore restore;
    const ExposedKey key = loadKey("key2048_e65537", false);
    const Bytes digest(20, 0x5a);
    std::atomic<CWinThread*> worker{nullptr};
    std::atomic<int> signatures{0};
    std::atomic<bool> cancelled{false};
    std::thread signer([&] {
        worker = AfxGetThread();
        try {
            for (;;) {
                CByteArray out;
                key.LockDigest(eSHA1, digest.data(), out);
                ++signatures;
            }
        } catch (CKillThreadException* e) {
            e->Delete();
            cancelled = true;
        }
    });
    while (!worker || signatures == 0)
        std::this_thread::yield();
    ThreadToKill = worker;
    ThreadKillFlag = 1;
    signer.join();
    EXPECT_TRUE(cancelled);
    ThreadKillFlag = 0;
    ThreadToKill = nullptr;
    // The key is untouched and signs as before.
    CByteArray before, after;
    loadKey("key2048_e65537", true).LockDigest(eSHA1, digest.data(), before);
    key.LockDigest(eSHA1, digest.data(), after);
    EXPECT_EQ(hexOf(after), hexOf(before));
}

#endif
