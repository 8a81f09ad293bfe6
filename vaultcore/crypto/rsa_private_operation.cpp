#include "vaultcore/crypto/rsa_private_operation.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/modular_inverse.h"
#include "vaultcore/crypto/montgomery.h"
#include "vaultcore/crypto/prepared_operation.h"
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
}  // namespace

// The numbers of one operation, wiped however it ends (a cancellation
// included).
struct RsaPrivateOperation::Scratch {
    Limbs r, s, y, mp, mq, h;
    Blinding blindP, blindQ, blindN;
    uint64_t wide[2 * kMontgomeryMaxLimbs];

    Scratch() = default;
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() { vcSecureZero(this, sizeof *this); }
};

namespace {
// The primes are usable when all five numbers are present, both primes are
// odd, of the same limb count, and multiply to the modulus.
bool hasUsablePrimes(const uint64_t* p, const uint64_t* q, const uint64_t* dP, const uint64_t* dQ,
                     const uint64_t* qInv, const uint64_t* n, int nLimbs, int& k)
{
    const int pBits = limbsBitLength(p, kPrimeLimbs), qBits = limbsBitLength(q, kPrimeLimbs);
    k = (pBits + 63) / 64;
    if (pBits < 2 || qBits < 2 || !(p[0] & q[0] & 1) || (qBits + 63) / 64 != k || 2 * k < nLimbs ||
        isZero(dP, kPrimeLimbs) || isZero(dQ, kPrimeLimbs) || isZero(qInv, kPrimeLimbs))
        return false;
    uint64_t product[2 * kPrimeLimbs] = {};
    SecureZeroOnExit wipe(product, sizeof product);
    multiplyAdd(product, p, q, k);
    return isEqual(product, n, nLimbs) && isZero(product + nLimbs, 2 * k - nLimbs);
}

// A fresh blinding factor for modulus m: r and s are random numbers below m
// taken as Montgomery forms. The inverse is computed for r * s, a number
// unrelated to r, so that the inversion, whose steps depend on its input,
// tells nothing about r: R / (r * s) times s is the Montgomery form of
// r^-1.
// (Work: the operation's scratch numbers.)
template <class Work>
void drawBlinding(Blinding& b, Work& w, const MontgomeryModulus& mod, const uint64_t* m, const uint64_t* e,
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

}  // namespace

void RsaPrivateOperation::copyFields(unsigned char* out, const CRSAPrivateKey& key)
{
    const size_t field = CRSAPublicKey::kFieldSize, prime = CRSAPublicKey::kPrimeFieldSize;
    const unsigned char* const parts[] = {key.GetModulus(),         key.GetExponent(),        key.GetPrivateExponent(),
                                          key.GetPrime(0),          key.GetPrime(1),          key.GetPrimeExponent(0),
                                          key.GetPrimeExponent(1),  key.GetCoefficient()};
    for (int i = 0; i < 8; ++i) {
        const size_t size = i < 3 ? field : prime;
        std::memcpy(out, parts[i], size);
        out += size;
    }
}

RsaPrivateOperation::RsaPrivateOperation(const CRSAPrivateKey& key)
    : m_mulx(g_montgomeryMulxAllowed.load(std::memory_order_relaxed)), m_k(0), m_primeBits(0), m_dBits(0)
{
    const int fieldSize = CRSAPublicKey::kFieldSize, primeSize = CRSAPublicKey::kPrimeFieldSize;
    copyFields(m_fields, key);
    limbsFromField(m_n, kKeyLimbs, key.GetModulus(), fieldSize);
    limbsFromField(m_e, kKeyLimbs, key.GetExponent(), fieldSize);
    limbsFromField(m_d, kKeyLimbs, key.GetPrivateExponent(), fieldSize);
    limbsFromField(m_p, kPrimeLimbs, key.GetPrime(0), primeSize);
    limbsFromField(m_q, kPrimeLimbs, key.GetPrime(1), primeSize);
    limbsFromField(m_dP, kPrimeLimbs, key.GetPrimeExponent(0), primeSize);
    limbsFromField(m_dQ, kPrimeLimbs, key.GetPrimeExponent(1), primeSize);
    limbsFromField(m_qInv, kPrimeLimbs, key.GetCoefficient(), primeSize);
    const int nBits = limbsBitLength(m_n, kKeyLimbs);
    m_eBits = limbsBitLength(m_e, kKeyLimbs);
    m_nLimbs = (nBits + 63) / 64;
    // Blinding and the final check need the public exponent.
    m_usable = nBits >= 2 && (m_n[0] & 1) && m_eBits != 0;
    if (!m_usable)
        return;
    if (hasUsablePrimes(m_p, m_q, m_dP, m_dQ, m_qInv, m_n, m_nLimbs, m_k)) {
        m_P.emplace(m_p, m_k, kSecretModulus);
        m_Q.emplace(m_q, m_k, kSecretModulus);
        // Both exponents over the longest of the four lengths (all of them
        // the prime size in a sound key).
        for (const uint64_t* v : {m_p, m_q, m_dP, m_dQ}) {
            const int length = limbsBitLength(v, kPrimeLimbs);
            m_primeBits = length > m_primeBits ? length : m_primeBits;
        }
        return;
    }
    const int dBits = limbsBitLength(m_d, kKeyLimbs);
    m_dBits = nBits > dBits ? nBits : dBits;
    m_N.emplace(m_n, m_nLimbs, kSecretValues);
}

RsaPrivateOperation::~RsaPrivateOperation()
{
    vcSecureZero(m_fields, sizeof m_fields);
    vcSecureZero(m_d, sizeof m_d);
    vcSecureZero(m_p, sizeof m_p);
    vcSecureZero(m_q, sizeof m_q);
    vcSecureZero(m_dP, sizeof m_dP);
    vcSecureZero(m_dQ, sizeof m_dQ);
    vcSecureZero(m_qInv, sizeof m_qInv);
}

bool RsaPrivateOperation::matches(const CRSAPrivateKey& key) const
{
    unsigned char fields[kFieldBytes];
    SecureZeroOnExit wipe(fields, sizeof fields);
    copyFields(fields, key);
    unsigned char difference = 0;
    for (size_t i = 0; i < sizeof fields; ++i)
        difference |= fields[i] ^ m_fields[i];
    return difference == 0 && m_mulx == g_montgomeryMulxAllowed.load(std::memory_order_relaxed);
}

// y = x^d mod n from the primes, blinded and checked modulo each of them:
// x^dP mod p and x^dQ mod q, joined as m2 + q * (qInv * (m1 - m2) mod p).
// Blinding with r mod p and r mod q and checking y^e mod p and mod q is
// blinding with r and checking y^e mod n, in half-size numbers.
void RsaPrivateOperation::powerByPrimes(Scratch& w, const uint64_t* x, const char* failure) const
{
    const MontgomeryModulus &P = *m_P, &Q = *m_Q;
    const uint64_t* e = m_e;
    const int eBits = m_eBits, k = m_k;
    drawBlinding(w.blindP, w, P, m_p, e, eBits, failure);
    drawBlinding(w.blindQ, w, Q, m_q, e, eBits, failure);
    P.toMontgomeryWide(w.mp, x);
    P.multiply(w.mp, w.mp, w.blindP.power);
    Q.toMontgomeryWide(w.mq, x);
    Q.multiply(w.mq, w.mq, w.blindQ.power);
    MontgomeryModulus::powerSecretExponentPair(P, w.mp, w.mp, m_dP, Q, w.mq, w.mq, m_dQ, kPrimeLimbs, m_primeBits);
    P.multiply(w.mp, w.mp, w.blindP.inverse);
    Q.multiply(w.mq, w.mq, w.blindQ.inverse);
    Q.fromMontgomery(w.mq, w.mq);
    P.toMontgomery(w.h, w.mq);
    P.subtract(w.h, w.mp, w.h);
    P.multiply(w.h, m_qInv, w.h);
    std::memset(w.wide, 0, sizeof w.wide);
    std::memcpy(w.wide, w.mq, (size_t)k * sizeof(uint64_t));
    multiplyAdd(w.wide, w.h, m_q, k);
    std::memset(w.y, 0, sizeof w.y);
    std::memcpy(w.y, w.wide, (size_t)m_nLimbs * sizeof(uint64_t));
    if (!verifies(P, w.y, x, e, eBits, w.h) || !verifies(Q, w.y, x, e, eBits, w.h))
        AfxThrowUnlockException("%s", failure);
}

// y = x^d mod n with d alone, blinded and checked modulo n.
void RsaPrivateOperation::powerByExponent(Scratch& w, const uint64_t* x, const char* failure) const
{
    const MontgomeryModulus& N = *m_N;
    drawBlinding(w.blindN, w, N, m_n, m_e, m_eBits, failure);
    N.toMontgomery(w.y, x);
    N.multiply(w.y, w.y, w.blindN.power);
    N.powerSecretExponent(w.y, w.y, m_d, kKeyLimbs, m_dBits);
    N.multiply(w.y, w.y, w.blindN.inverse);
    N.fromMontgomery(w.y, w.y);
    N.toMontgomery(w.h, w.y);
    N.power(w.h, w.h, m_e, kKeyLimbs, m_eBits);
    N.fromMontgomery(w.h, w.h);
    if (!isEqual(w.h, x, m_nLimbs))
        AfxThrowUnlockException("%s", failure);
}

void RsaPrivateOperation::run(const CRSAPrivateKey& key, std::shared_ptr<const RsaPrivateOperation>& prepared,
                              const CHugeDigit& x, CHugeDigit& y, const char* failure)
{
    const std::shared_ptr<const RsaPrivateOperation> operation = preparedOperation(key, prepared);
    const RsaPrivateOperation& op = *operation;
    if (!op.m_usable)
        AfxThrowUnlockException("%s", failure);
    const int nLimbs = op.m_nLimbs;

    // x = n is x = 0; the limbs above the modulus stay zero.
    uint64_t input[2 * kMontgomeryMaxLimbs] = {};
    SecureZeroOnExit wipeInput(input, sizeof input);
    limbsFromHugeDigit(input, nLimbs, x);
    if (isEqual(input, op.m_n, nLimbs))
        std::memset(input, 0, sizeof input);

    Scratch w;
    if (op.m_P)
        op.powerByPrimes(w, input, failure);
    else
        op.powerByExponent(w, input, failure);
    hugeDigitFromLimbs(y, w.y, nLimbs);
}
