#include "vaultcore/crypto/rsa_key_pair.h"

#include <cstring>
#include <vector>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/huge_digit.h"
#include "vaultcore/crypto/prime_search_progress.h"
#include "vaultcore/crypto/progress.h"
#include "vaultcore/crypto/randoms_generator.h"
#include "vaultcore/crypto/secure_zero.h"

namespace {

// The odd primes below 2^16, for sieving candidates before the probable-
// prime test: a candidate with a small factor is rejected without the
// (costly) Fermat test, which is all the sieve changes.
const std::vector<DWORD>& sievePrimes()
{
    static const std::vector<DWORD> primes = [] {
        const DWORD limit = 1u << 16;
        std::vector<bool> composite(limit, false);
        std::vector<DWORD> list;
        for (DWORD i = 3; i < limit; i += 2) {
            if (composite[i])
                continue;
            list.push_back(i);
            for (DWORD j = i * i; j < limit; j += 2 * i)
                composite[j] = true;
        }
        return list;
    }();
    return primes;
}

DWORD remainder(const CHugeDigit& a, DWORD p)
{
    uint64_t r = 0;
    for (int i = (int)a.GetLength() - 1; i >= 0; --i)
        r = ((r << 32) | a[i]) % p;
    return (DWORD)r;
}

// Marks, in a window of `size` odd candidates a, a + 2, a + 4 ..., those
// with a factor among the sieve primes (candidates are far above them).
void sieveWindow(std::vector<DWORD>& residues, std::vector<unsigned char>& composite)
{
    const std::vector<DWORD>& primes = sievePrimes();
    const DWORD size = (DWORD)composite.size();
    std::fill(composite.begin(), composite.end(), 0);
    for (size_t i = 0; i < primes.size(); ++i) {
        const DWORD p = primes[i];
        const DWORD r = residues[i];
        // First k with r + 2k = 0 (mod p): k = (p - r) * (p + 1) / 2 mod p.
        DWORD k = r == 0 ? 0 : (DWORD)((uint64_t)(p - r) * ((p + 1) / 2) % p);
        for (; k < size; k += p)
            composite[k] = 1;
        residues[i] = (DWORD)((r + 2ull * size) % p);
    }
}

CHugeDigit powerOfTwo(unsigned short k)
{
    CHugeDigit x((unsigned short)(k / 32 + 1), 0);
    x.Assign2Exp(k);
    return x;
}

// The first probable prime of the walk a, a + d, a + 2d ... from a random
// point of [b, c].
CHugeDigit PrimeNumber(const CHugeDigit& b, const CHugeDigit& c, const CHugeDigit& d, const unsigned char* seed,
                       unsigned short seedLength, CProgress* progress, CPrimeSearchProgress& bar)
{
    CRandomsGenerator generator(seed, seedLength);
    unsigned char random[256];
    generator.GetRandomBlock(random, sizeof random);
    CHugeDigit a;
    a.Decode(random, sizeof random);
    vcSecureZero(random, sizeof random);
    const CHugeDigit one(1ul);
    a = Add(Modulo(a, Add(Subtract(c, b), one)), b);
    a = Add(Subtract(a, Modulo(a, d)), one);
    if (IsLess(a, b))
        a = Add(a, d);
    if (IsGreater(a, c))
        a = Subtract(a, d);
    const CHugeDigit limit = Subtract(c, d);

    bar.begin(progress);

    // Sieving applies to the odd walk over numbers well above 2^16.
    const bool sieve = IsEqual(d, CHugeDigit(2ul)) && b.Bits() > 40;
    std::vector<DWORD> residues(sieve ? sievePrimes().size() : 0);
    // The residues modulo the sieve primes give the candidate away.
    SecureZeroOnExit wipeResidues(residues.data(), residues.size() * sizeof(DWORD));
    std::vector<unsigned char> composite(sieve ? 4096 : 0);
    size_t slot = composite.size();
    for (size_t i = 0; i < residues.size(); ++i)
        residues[i] = remainder(a, sievePrimes()[i]);

    for (;;) {
        bool candidate = true;
        if (sieve) {
            if (slot == composite.size()) {
                sieveWindow(residues, composite);
                slot = 0;
            }
            candidate = !composite[slot++];
        }
        if (candidate && a.IsProbablePrime())
            break;
        __freshenThreadQueue();
        __checkKillThreadFlag();
        if (IsGreater(a, limit)) {
            if (progress)
                AfxThrowUnlockException("Warning! CRSAKeyPair::PrimeNumber - prime number search failured");
            AfxThrowUnlockException("CRSAKeyPair::PrimeNumber - prime number search failed");
        }
        a = Add(a, d);
        bar.rejected(progress);
    }
    a.DoCompact();
    return a;
}

// A prime of `bits` bits with its top two bits set and gcd(p - 1, e) = 1.
CHugeDigit searchPrime(unsigned short bits, const CHugeDigit& e, const unsigned char* seed, unsigned short seedLength,
                       CProgress* progress, CPrimeSearchProgress& bar)
{
    const CHugeDigit b = Add(powerOfTwo((unsigned short)(bits - 1)), powerOfTwo((unsigned short)(bits - 2)));
    const CHugeDigit c = Subtract(Add(b, powerOfTwo((unsigned short)(bits - 2))), CHugeDigit(1ul));
    const CHugeDigit d(2ul);
    const CHugeDigit one(1ul);
    for (;;) {
        CHugeDigit p = PrimeNumber(b, c, d, seed, seedLength, progress, bar);
        if (IsEqual(Gcd(Subtract(p, one), e), one))
            return p;
    }
}

void encodeField(const CHugeDigit& x, unsigned char* field, unsigned short size)
{
    x.Encode(field, size);
}

}  // namespace

// The standard library (the sieve's tables) may throw; only the class
// library's exceptions leave the constructor.
CRSAKeyPair::CRSAKeyPair(unsigned short bits, int useFermat4, const unsigned char* seed, unsigned short seedLength,
                         CProgress* progress)
try {
    if (bits < 64 || bits > kMaxBits)
        AfxThrowUnlockException("CRSAKeyPair - unsupported key size %d", (int)bits);
    const CHugeDigit e(useFermat4 ? 65537ul : 3ul);
    const unsigned short pBits = (unsigned short)((bits + 1) / 2);
    const unsigned short qBits = (unsigned short)(bits - pBits);
    CPrimeSearchProgress bar;  // this generation's own: generations may run side by side

    CHugeDigit p = searchPrime(pBits, e, seed, seedLength, progress, bar);
    CHugeDigit q = searchPrime(qBits, e, seed, seedLength, progress, bar);
    while (IsEqual(p, q))
        q = searchPrime(qBits, e, seed, seedLength, progress, bar);
    if (progress)
        progress->SetUp(1, 0, 1, 1);
    if (IsLess(p, q)) {
        const CHugeDigit t = p;
        p = q;
        q = t;
    }

    const CHugeDigit one(1ul);
    const CHugeDigit p1 = Subtract(p, one), q1 = Subtract(q, one);
    const CHugeDigit n = Multiply(p, q);
    const CHugeDigit qInv = ModInverse(q, p);
    const CHugeDigit phi = Multiply(p1, q1);
    const CHugeDigit d = ModInverse(e, phi);
    const CHugeDigit dP = Modulo(d, p1), dQ = Modulo(d, q1);

    m_wBits = bits;
    encodeField(n, m_modulus, kFieldSize);
    encodeField(e, m_exponent, kFieldSize);
    encodeField(d, m_privateExponent, kFieldSize);
    encodeField(p, m_prime[0], kPrimeFieldSize);
    encodeField(q, m_prime[1], kPrimeFieldSize);
    encodeField(dP, m_primeExponent[0], kPrimeFieldSize);
    encodeField(dQ, m_primeExponent[1], kPrimeFieldSize);
    encodeField(qInv, m_coefficient, kPrimeFieldSize);
    if (progress)
        progress->SetUp(0, 0, 1, 0);
} catch (const std::exception& e) {
    AfxThrowFromStdException(e);
}

unsigned short CRSAKeyPair::TestKeys(unsigned short rounds, CProgress* progress, int stopAtFirstError) const
{
    if (progress)
        progress->SetUp(2 * rounds, 1, 1, 1);
    // Numbers below n (fewer bytes than the modulus) sent through the
    // operations that verifying, signing and unwrapping use, the private
    // one with its blinding and its own check: a result that fails that
    // check is a failed round trip like a wrong number.
    const unsigned long k = RsaOutputSize();
    const unsigned long size = k - 1 < 24 ? k - 1 : 24;
    CByteArray x, y, back;
    x.SetSize((int)k);
    auto roundTrip = [&](bool privateFirst) {
        try {
            if (privateFirst) {
                CRSAPrivateKey::ProcessData(x, y);
                CRSAPublicKey::ProcessData(y, back);
            } else {
                CRSAPublicKey::ProcessData(x, y);
                CRSAPrivateKey::ProcessData(y, back);
            }
        } catch (CUnlockException* e) {
            e->Delete();
            return false;
        }
        return back.GetSize() == x.GetSize() && std::memcmp(back.GetData(), x.GetData(), k) == 0;
    };
    CRandomsGenerator generator;
    unsigned short failures = 0;
    for (unsigned short round = 0; round < rounds; ++round) {
        __checkKillThreadFlag();
        std::memset(x.GetData(), 0, k);
        generator.GetRandomBlock(x.GetData() + k - size, size);
        for (bool privateFirst : {false, true}) {
            if (!roundTrip(privateFirst)) {
                ++failures;
                if (stopAtFirstError)
                    return failures;
            }
            if (progress)
                progress->Hint(1);
        }
    }
    vcSecureZero(y);
    return failures;
}
