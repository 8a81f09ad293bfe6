#pragma once
// The RSA private-key operation, y = x^d mod n, hardened: library-internal.
//
// - The input is blinded: x is multiplied by r^e for a fresh random r, and
//   the result by r^-1, so the arithmetic never sees the caller's number.
// - With the primes (p, q, dP, dQ and qInv present and p * q = n) the power
//   is taken modulo p and q and recombined (the Chinese remainder theorem),
//   about four times faster than x^d mod n; otherwise d is used. With the
//   primes, blinding and the check below work modulo p and modulo q, which
//   by the same theorem is working modulo n.
// - All arithmetic on secret values runs in constant time: Montgomery
//   products with a subtraction chosen without a branch and fixed-window
//   powers whose table is read whole (see montgomery.h).
// - Before the result leaves, y^e mod n must give x back: a computation
//   disturbed by a fault would otherwise hand out a value from which the
//   primes follow.
// The arithmetic polls the cancellation flag like every arithmetic loop.
//
// What depends on the key alone (the key's numbers as limbs, whether the
// primes are usable, the Montgomery constants of p and q, or of n) is
// prepared once and kept with the key as prepared_operation.h describes;
// the blinding factors are drawn afresh for every operation.
#include <memory>
#include <optional>

#include "vaultcore/crypto/huge_digit.h"
#include "vaultcore/crypto/montgomery.h"
#include "vaultcore/crypto/rsa_public_key.h"

class CRSAPrivateKey;

class RsaPrivateOperation {
public:
    explicit RsaPrivateOperation(const CRSAPrivateKey& key);
    // Wipes the copies of the key's secrets.
    ~RsaPrivateOperation();
    RsaPrivateOperation(const RsaPrivateOperation&) = delete;
    RsaPrivateOperation& operator=(const RsaPrivateOperation&) = delete;

    // Whether the key's fields are those this operation was made from (and
    // the Montgomery rows chosen then are still allowed); the comparison
    // takes the same time wherever the fields differ.
    bool matches(const CRSAPrivateKey& key) const;

    // y = x^d mod n for x <= n. Throws CUnlockException with `failure` when
    // the key cannot perform the operation (a modulus that is even or below
    // 3, no public exponent) or when the result does not verify. `prepared`
    // is the key's own slot.
    static void run(const CRSAPrivateKey& key, std::shared_ptr<const RsaPrivateOperation>& prepared,
                    const CHugeDigit& x, CHugeDigit& y, const char* failure);

private:
    enum {
        kKeyLimbs = CRSAPublicKey::kFieldSize / 8,
        kPrimeLimbs = CRSAPublicKey::kPrimeFieldSize / 8,
        // n, e, d, p, q, dP, dQ and qInv as the key stores them.
        kFieldBytes = 3 * CRSAPublicKey::kFieldSize + 5 * CRSAPublicKey::kPrimeFieldSize
    };
    struct Scratch;

    static void copyFields(unsigned char* out, const CRSAPrivateKey& key);
    void powerByPrimes(Scratch& w, const uint64_t* x, const char* failure) const;
    void powerByExponent(Scratch& w, const uint64_t* x, const char* failure) const;

    unsigned char m_fields[kFieldBytes];
    bool m_mulx;
    bool m_usable;  // an odd modulus above 2 and a public exponent
    uint64_t m_n[kKeyLimbs], m_e[kKeyLimbs];
    int m_nLimbs, m_eBits;
    // With usable primes (k limbs each): P and Q, and the exponents' length.
    int m_k;
    int m_primeBits;
    uint64_t m_p[kPrimeLimbs], m_q[kPrimeLimbs], m_dP[kPrimeLimbs], m_dQ[kPrimeLimbs], m_qInv[kPrimeLimbs];
    std::optional<MontgomeryModulus> m_P, m_Q;
    // Otherwise d modulo N, over m_dBits bits.
    uint64_t m_d[kKeyLimbs];
    int m_dBits;
    std::optional<MontgomeryModulus> m_N;
};
