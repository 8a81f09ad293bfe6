#include "vaultcore/crypto/rsa_private_operation.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/modular_inverse.h"
#include "vaultcore/crypto/montgomery.h"
#include "vaultcore/crypto/randoms_generator.h"
#include "vaultcore/crypto/rsa_private_key.h"
#include "vaultcore/crypto/secure_zero.h"

namespace {
typedef unsigned __int128 u128;

const int kKeyLimbs = CRSAPublicKey::kFieldSize / 8;
const int kPrimeLimbs = CRSAPublicKey::kPrimeFieldSize / 8;
// Random numbers r and s with r * s invertible modulo n: three failures in a
// row mean n is no product of two large primes.
const int kBlindingAttempts = 3;

typedef uint64_t Limbs[kMontgomeryMaxLimbs];

// n limbs from a big-endian field of `size` bytes; zeros above the field.
void limbsFromField(uint64_t* out, int n, const unsigned char* field, int size)
{
    for (int i = 0; i < n; ++i) {
        uint64_t w = 0;
        for (int b = 0; b < 8; ++b) {
            const int at = size - 1 - (8 * i + b);
            if (at >= 0)
                w |= (uint64_t)field[at] << (8 * b);
        }
        out[i] = w;
    }
}

bool isZero(const uint64_t* a, int n)
{
    uint64_t any = 0;
    for (int i = 0; i < n; ++i)
        any |= a[i];
    return any == 0;
}

bool isEqual(const uint64_t* a, const uint64_t* b, int n)
{
    uint64_t difference = 0;
    for (int i = 0; i < n; ++i)
        difference |= a[i] ^ b[i];
    return difference == 0;
}

// out[0..2k-1] += a * b for k-limb a and b, where out[k..2k-1] is zero on
// entry (the sum then fits): schoolbook rows without branches.
void multiplyAdd(uint64_t* out, const uint64_t* a, const uint64_t* b, int k)
{
    for (int i = 0; i < k; ++i) {
        uint64_t carry = 0;
        for (int j = 0; j < k; ++j) {
            const u128 p = (u128)a[i] * b[j] + out[i + j] + carry;
            out[i + j] = (uint64_t)p;
            carry = (uint64_t)(p >> 64);
        }
        out[i + k] = carry;
    }
}

// A blinding factor r for one modulus: the Montgomery forms of r^e and
// r^-1.
struct Blinding {
    Limbs power, inverse;
};

// Everything the operation derives from the private key, wiped however the
// operation ends (a cancellation included).
struct Secrets {
    Limbs d, p, q, dP, dQ, qInv;
    Limbs r, s, x, y, mp, mq, h;
    Blinding blindP, blindQ, blindN;
    uint64_t wide[2 * kMontgomeryMaxLimbs];

    Secrets() = default;
    Secrets(const Secrets&) = delete;
    Secrets& operator=(const Secrets&) = delete;
    ~Secrets() { vcSecureZero(this, sizeof *this); }
};

// The primes are usable when all five numbers are present, both primes are
// odd, of the same limb count, and multiply to the modulus.
bool hasUsablePrimes(Secrets& w, const uint64_t* n, int nLimbs, int& k)
{
    const int pBits = limbsBitLength(w.p, kPrimeLimbs), qBits = limbsBitLength(w.q, kPrimeLimbs);
    k = (pBits + 63) / 64;
    if (pBits < 2 || qBits < 2 || !(w.p[0] & w.q[0] & 1) || (qBits + 63) / 64 != k || 2 * k < nLimbs ||
        isZero(w.dP, kPrimeLimbs) || isZero(w.dQ, kPrimeLimbs) || isZero(w.qInv, kPrimeLimbs))
        return false;
    std::memset(w.wide, 0, sizeof w.wide);
    multiplyAdd(w.wide, w.p, w.q, k);
    return isEqual(w.wide, n, nLimbs) && isZero(w.wide + nLimbs, 2 * k - nLimbs);
}

// A fresh blinding factor for modulus m: r and s are random numbers below m
// taken as Montgomery forms. The inverse is computed for r * s, a number
// unrelated to r, so that the inversion, whose steps depend on its input,
// tells nothing about r: R / (r * s) times s is the Montgomery form of
// r^-1.
void drawBlinding(Blinding& b, Secrets& w, const MontgomeryModulus& mod, const uint64_t* m, const uint64_t* e,
                  int eBits, const char* failure)
{
    const int limbs = mod.limbs();
    const size_t bytes = (size_t)limbs * sizeof(uint64_t);
    // Below 2^(bits - 1), hence below m.
    const int bits = limbsBitLength(m, limbs);
    const int top = (bits - 1) / 64;
    const uint64_t topMask = ((uint64_t)1 << ((bits - 1) % 64)) - 1;
    for (int attempt = 0;; ++attempt) {
        vcSystemRandomBytes((unsigned char*)w.wide, (unsigned long)(2 * bytes));
        std::memcpy(w.r, w.wide, bytes);
        std::memcpy(w.s, w.wide + limbs, bytes);
        for (int i = top; i < limbs; ++i) {
            w.r[i] &= i == top ? topMask : 0;
            w.s[i] &= i == top ? topMask : 0;
        }
        // h = r * s / R.
        mod.multiply(w.h, w.r, w.s);
        mod.fromMontgomery(w.h, w.h);
        mod.fromMontgomery(w.h, w.h);
        if (variableTimeModInverse(w.h, w.h, m, limbs))
            break;
        if (attempt + 1 == kBlindingAttempts)
            AfxThrowUnlockException("%s", failure);
    }
    mod.multiply(b.inverse, w.s, w.h);
    mod.power(b.power, w.r, e, kKeyLimbs, eBits);
}

// Whether y^e = x modulo m, for y and x of 2 * limbs() limbs.
bool verifies(const MontgomeryModulus& mod, const uint64_t* y, const uint64_t* x, const uint64_t* e, int eBits,
              uint64_t* scratch)
{
    uint64_t expected[kMontgomeryMaxLimbs];
    mod.toMontgomeryWide(scratch, y);
    mod.power(scratch, scratch, e, kKeyLimbs, eBits);
    mod.toMontgomeryWide(expected, x);
    return isEqual(scratch, expected, mod.limbs());
}

// y = x^d mod n from the primes, blinded and checked modulo each of them:
// x^dP mod p and x^dQ mod q, joined as m2 + q * (qInv * (m1 - m2) mod p).
// Blinding with r mod p and r mod q and checking y^e mod p and mod q is
// blinding with r and checking y^e mod n, in half-size numbers.
void powerByPrimes(Secrets& w, const uint64_t* x, int nLimbs, int k, const uint64_t* e, int eBits,
                   const char* failure)
{
    const MontgomeryModulus P(w.p, k, kSecretModulus), Q(w.q, k, kSecretModulus);
    drawBlinding(w.blindP, w, P, w.p, e, eBits, failure);
    drawBlinding(w.blindQ, w, Q, w.q, e, eBits, failure);
    P.toMontgomeryWide(w.mp, x);
    P.multiply(w.mp, w.mp, w.blindP.power);
    Q.toMontgomeryWide(w.mq, x);
    Q.multiply(w.mq, w.mq, w.blindQ.power);
    // Both exponents over the longest of the four lengths (all of them the
    // prime size in a sound key).
    int bits = 0;
    for (const uint64_t* v : {w.p, w.q, w.dP, w.dQ}) {
        const int length = limbsBitLength(v, kPrimeLimbs);
        bits = length > bits ? length : bits;
    }
    MontgomeryModulus::powerSecretExponentPair(P, w.mp, w.mp, w.dP, Q, w.mq, w.mq, w.dQ, kPrimeLimbs, bits);
    P.multiply(w.mp, w.mp, w.blindP.inverse);
    Q.multiply(w.mq, w.mq, w.blindQ.inverse);
    Q.fromMontgomery(w.mq, w.mq);
    P.toMontgomery(w.h, w.mq);
    P.subtract(w.h, w.mp, w.h);
    P.multiply(w.h, w.qInv, w.h);
    std::memset(w.wide, 0, sizeof w.wide);
    std::memcpy(w.wide, w.mq, (size_t)k * sizeof(uint64_t));
    multiplyAdd(w.wide, w.h, w.q, k);
    std::memset(w.y, 0, sizeof w.y);
    std::memcpy(w.y, w.wide, (size_t)nLimbs * sizeof(uint64_t));
    if (!verifies(P, w.y, x, e, eBits, w.h) || !verifies(Q, w.y, x, e, eBits, w.h))
        AfxThrowUnlockException("%s", failure);
}

// y = x^d mod n with d alone, blinded and checked modulo n.
void powerByExponent(Secrets& w, const uint64_t* n, const uint64_t* x, int nLimbs, const uint64_t* e, int eBits,
                     const char* failure)
{
    const int nBits = limbsBitLength(n, nLimbs), dBits = limbsBitLength(w.d, kKeyLimbs);
    const MontgomeryModulus N(n, nLimbs, kSecretValues);
    drawBlinding(w.blindN, w, N, n, e, eBits, failure);
    N.toMontgomery(w.y, x);
    N.multiply(w.y, w.y, w.blindN.power);
    N.powerSecretExponent(w.y, w.y, w.d, kKeyLimbs, nBits > dBits ? nBits : dBits);
    N.multiply(w.y, w.y, w.blindN.inverse);
    N.fromMontgomery(w.y, w.y);
    N.toMontgomery(w.h, w.y);
    N.power(w.h, w.h, e, kKeyLimbs, eBits);
    N.fromMontgomery(w.h, w.h);
    if (!isEqual(w.h, x, nLimbs))
        AfxThrowUnlockException("%s", failure);
}
}  // namespace

void rsaPrivateOperation(const CRSAPrivateKey& key, const CHugeDigit& x, CHugeDigit& y, const char* failure)
{
    const int fieldSize = CRSAPublicKey::kFieldSize, primeSize = CRSAPublicKey::kPrimeFieldSize;
    Limbs n, e;
    limbsFromField(n, kKeyLimbs, key.GetModulus(), fieldSize);
    limbsFromField(e, kKeyLimbs, key.GetExponent(), fieldSize);
    const int nBits = limbsBitLength(n, kKeyLimbs), eBits = limbsBitLength(e, kKeyLimbs);
    // Blinding and the final check need the public exponent.
    if (nBits < 2 || !(n[0] & 1) || eBits == 0)
        AfxThrowUnlockException("%s", failure);
    const int nLimbs = (nBits + 63) / 64;

    Secrets w;
    limbsFromField(w.d, kKeyLimbs, key.GetPrivateExponent(), fieldSize);
    limbsFromField(w.p, kPrimeLimbs, key.GetPrime(0), primeSize);
    limbsFromField(w.q, kPrimeLimbs, key.GetPrime(1), primeSize);
    limbsFromField(w.dP, kPrimeLimbs, key.GetPrimeExponent(0), primeSize);
    limbsFromField(w.dQ, kPrimeLimbs, key.GetPrimeExponent(1), primeSize);
    limbsFromField(w.qInv, kPrimeLimbs, key.GetCoefficient(), primeSize);

    // x = n is x = 0; the limbs above the modulus stay zero.
    uint64_t input[2 * kMontgomeryMaxLimbs] = {};
    limbsFromHugeDigit(input, nLimbs, x);
    if (isEqual(input, n, nLimbs))
        std::memset(input, 0, sizeof input);

    int k = 0;
    if (hasUsablePrimes(w, n, nLimbs, k))
        powerByPrimes(w, input, nLimbs, k, e, eBits, failure);
    else
        powerByExponent(w, n, input, nLimbs, e, eBits, failure);
    hugeDigitFromLimbs(y, w.y, nLimbs);
}
