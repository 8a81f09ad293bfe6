// Wiping secrets: the helper, its guard, and the destructors of the objects
// that hold key material inline, observed by building each object in a
// buffer of our own and destroying it in place.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "vaultcore/crypto/secure_zero.h"
#include "vaultcore/vaultcore.h"

namespace {

typedef std::vector<std::pair<size_t, size_t>> Ranges;

template <class T>
size_t offsetIn(const void* object, const T& member)
{
    return (size_t)((const unsigned char*)&member - (const unsigned char*)object);
}

// Subclasses that name where their bases keep secrets.
struct DesProbe : CDESAlgorithm {
    explicit DesProbe(const CDESkey& k) : CDESAlgorithm(k, 0) {}
    Ranges secrets() const
    {
        return {{offsetIn(this, m_encryptKeys), sizeof m_encryptKeys}, {offsetIn(this, m_decryptKeys), sizeof m_decryptKeys}};
    }
};

struct TripleDesProbe : CTripleDESAlgorithm {
    explicit TripleDesProbe(const CTripleDESkey& k) : CTripleDESAlgorithm(k, 0) {}
    Ranges secrets() const
    {
        return {{offsetIn(this, m_encryptKeys), sizeof m_encryptKeys},   {offsetIn(this, m_decryptKeys), sizeof m_decryptKeys},
                {offsetIn(this, m_encryptKeys2), sizeof m_encryptKeys2}, {offsetIn(this, m_decryptKeys2), sizeof m_decryptKeys2},
                {offsetIn(this, m_encryptKeys3), sizeof m_encryptKeys3}, {offsetIn(this, m_decryptKeys3), sizeof m_decryptKeys3}};
    }
};

struct IdeaProbe : CIDEAAlgorithm {
    explicit IdeaProbe(const CIDEAkey& k) : CIDEAAlgorithm(k, 1) {}
    Ranges secrets() const
    {
        return {{offsetIn(this, m_encryptKeys), sizeof m_encryptKeys}, {offsetIn(this, m_decryptKeys), sizeof m_decryptKeys}};
    }
};

struct Rc2Probe : CRC2Algorithm {
    explicit Rc2Probe(const CRC2key& k) : CRC2Algorithm(k, 1) {}
    Ranges secrets() const { return {{offsetIn(this, m_keyWords), sizeof m_keyWords}}; }
};

struct BadRc2Probe : CBadRC2Algorithm {
    explicit BadRc2Probe(const CRC2key& k) : CBadRC2Algorithm(k, 1) {}
    Ranges secrets() const { return {{offsetIn(this, m_keyWords), sizeof m_keyWords}}; }
};

struct RsaProbe : CRSAPrivateKey {
    explicit RsaProbe(const CRSAKeyPair& k) : CRSAPrivateKey(k) {}
    Ranges secrets() const
    {
        return {{offsetIn(this, m_privateExponent), sizeof m_privateExponent},
                {offsetIn(this, m_prime), sizeof m_prime},
                {offsetIn(this, m_primeExponent), sizeof m_primeExponent},
                {offsetIn(this, m_coefficient), sizeof m_coefficient}};
    }
};

bool allZero(const unsigned char* p, const Ranges& ranges)
{
    for (const auto& r : ranges)
        for (size_t i = 0; i < r.second; ++i)
            if (p[r.first + i])
                return false;
    return true;
}

// Builds a Probe from arg in a buffer, checks that its secret ranges hold
// something, destroys it and checks that they are zero.
template <class Probe, class Arg>
void expectWipedOnDestruction(const Arg& arg)
{
    alignas(Probe) unsigned char storage[sizeof(Probe)];
    Probe* probe = new (storage) Probe(arg);
    const Ranges ranges = probe->secrets();
    EXPECT_FALSE(allZero(storage, ranges)) << "nothing to wipe: the test would prove nothing";
    probe->~Probe();
    EXPECT_TRUE(allZero(storage, ranges));
}

}  // namespace

TEST(SecureZero, ClearsExactlyItsRange)
{
    unsigned char bytes[32];
    std::memset(bytes, 0xAA, sizeof bytes);
    vcSecureZero(bytes + 4, 8);
    for (size_t i = 0; i < sizeof bytes; ++i)
        EXPECT_EQ(bytes[i], i >= 4 && i < 12 ? 0 : 0xAA) << i;
    CByteArray array;
    array.SetSize(5);
    std::memset(array.GetData(), 0x55, 5);
    vcSecureZero(array);
    ASSERT_EQ(array.GetSize(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(array[i], 0);
    CByteArray empty;
    vcSecureZero(empty);
}

TEST(SecureZero, GuardWipesWhenAnExceptionLeavesTheScope)
{
    unsigned char bytes[16];
    std::memset(bytes, 0x77, sizeof bytes);
    try {
        SecureZeroOnExit guard(bytes, sizeof bytes);
        AfxThrowUnlockException("leaving early");
    } catch (CUnlockException* e) {
        e->Delete();
    }
    for (unsigned char b : bytes)
        EXPECT_EQ(b, 0);
}

TEST(SecureZero, KeyObjectsWipeTheirSecretsOnDestruction)
{
    expectWipedOnDestruction<DesProbe>(CDESkey());
    expectWipedOnDestruction<TripleDesProbe>(CTripleDESkey());
    expectWipedOnDestruction<IdeaProbe>(CIDEAkey());
    expectWipedOnDestruction<Rc2Probe>(CRC2key(128));
    expectWipedOnDestruction<BadRc2Probe>(CRC2key(64));
    expectWipedOnDestruction<RsaProbe>(CRSAKeyPair(512, 1));
}
