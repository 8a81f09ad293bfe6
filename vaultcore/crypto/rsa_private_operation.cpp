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

// Everything the operation derives from the private key, wiped however the
// operation ends (a cancellation included).
struct Secrets {
    Limbs d, p, q, dP, dQ, qInv;
    Limbs r, s, rInverse, blind, x, y, mp, mq, h;
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

// Draws r and s (taken as Montgomery forms, below n) and sets w.r, the
// Montgomery form of r^-1 in w.rInverse, and w.blind = r^e. The inverse is
// computed for r * s, a number unrelated to r, so that the inversion, whose
// steps depend on its input, tells nothing about r.
void drawBlinding(Secrets& w, const MontgomeryModulus& mod, const uint64_t* n, int nBits, const uint64_t* e,
                  int eBits, const char* failure)
{
    const int limbs = mod.limbs();
    const size_t bytes = (size_t)limbs * sizeof(uint64_t);
    // Below 2^(nBits - 1), hence below n.
    const int top = (nBits - 1) / 64;
    const uint64_t topMask = ((uint64_t)1 << ((nBits - 1) % 64)) - 1;
    CRandomsGenerator generator;
    for (int attempt = 0;; ++attempt) {
        generator.GetRandomBlock((unsigned char*)w.r, (unsigned long)bytes);
        generator.GetRandomBlock((unsigned char*)w.s, (unsigned long)bytes);
        for (int i = top; i < limbs; ++i) {
            w.r[i] &= i == top ? topMask : 0;
            w.s[i] &= i == top ? topMask : 0;
        }
        // u = r * s / R, whose inverse R / (r * s) times s is R / r.
        mod.multiply(w.h, w.r, w.s);
        mod.fromMontgomery(w.h, w.h);
        mod.fromMontgomery(w.h, w.h);
        if (variableTimeModInverse(w.h, w.h, n, limbs))
            break;
        if (attempt + 1 == kBlindingAttempts)
            AfxThrowUnlockException("%s", failure);
    }
    mod.multiply(w.rInverse, w.s, w.h);
    mod.power(w.blind, w.r, e, kKeyLimbs, eBits);
}

// w.y = w.x^d mod n from the primes: x^dP mod p and x^dQ mod q, joined as
// m2 + q * (qInv * (m1 - m2) mod p).
void powerByPrimes(Secrets& w, int nLimbs, int k)
{
    const MontgomeryModulus P(w.p, k, kSecretModulus), Q(w.q, k, kSecretModulus);
    std::memset(w.wide, 0, sizeof w.wide);
    std::memcpy(w.wide, w.x, (size_t)nLimbs * sizeof(uint64_t));
    const int pBits = limbsBitLength(w.p, k), qBits = limbsBitLength(w.q, k);
    const int dPBits = limbsBitLength(w.dP, kPrimeLimbs), dQBits = limbsBitLength(w.dQ, kPrimeLimbs);
    P.toMontgomeryWide(w.mp, w.wide);
    P.powerSecretExponent(w.mp, w.mp, w.dP, kPrimeLimbs, pBits > dPBits ? pBits : dPBits);
    Q.toMontgomeryWide(w.mq, w.wide);
    Q.powerSecretExponent(w.mq, w.mq, w.dQ, kPrimeLimbs, qBits > dQBits ? qBits : dQBits);
    Q.fromMontgomery(w.mq, w.mq);
    P.toMontgomery(w.h, w.mq);
    P.subtract(w.h, w.mp, w.h);
    P.multiply(w.h, w.qInv, w.h);
    std::memset(w.wide, 0, sizeof w.wide);
    std::memcpy(w.wide, w.mq, (size_t)k * sizeof(uint64_t));
    multiplyAdd(w.wide, w.h, w.q, k);
    std::memcpy(w.y, w.wide, (size_t)nLimbs * sizeof(uint64_t));
}
}  // namespace

void rsaPrivateOperation(const CRSAPrivateKey& key, const CHugeDigit& x, CHugeDigit& y, const char* failure)
{
    const int fieldSize = CRSAPublicKey::kFieldSize, primeSize = CRSAPublicKey::kPrimeFieldSize;
    Limbs n, e, check;
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

    // x = n is x = 0.
    Limbs input;
    limbsFromHugeDigit(input, nLimbs, x);
    if (isEqual(input, n, nLimbs))
        std::memset(input, 0, sizeof input);

    const MontgomeryModulus N(n, nLimbs, kSecretValues);
    drawBlinding(w, N, n, nBits, e, eBits, failure);
    N.multiply(w.x, input, w.blind);

    int k = 0;
    if (hasUsablePrimes(w, n, nLimbs, k)) {
        powerByPrimes(w, nLimbs, k);
    } else {
        const int dBits = limbsBitLength(w.d, kKeyLimbs);
        N.toMontgomery(w.y, w.x);
        N.powerSecretExponent(w.y, w.y, w.d, kKeyLimbs, nBits > dBits ? nBits : dBits);
        N.fromMontgomery(w.y, w.y);
    }
    N.multiply(w.y, w.y, w.rInverse);

    // y^e must give the input back.
    N.toMontgomery(check, w.y);
    N.power(check, check, e, kKeyLimbs, eBits);
    N.fromMontgomery(check, check);
    if (!isEqual(check, input, nLimbs))
        AfxThrowUnlockException("%s", failure);
    hugeDigitFromLimbs(y, w.y, nLimbs);
}
