#pragma once
// Arithmetic modulo an odd number in Montgomery form, the engine of modular
// exponentiation. A residue x is held as x * R mod m with R = 2^(64 * limbs),
// in arrays of 64-bit limbs, least significant first. Library-internal.
//
// What a modulus keeps secret decides how it computes:
// - kPublic: nothing; data-dependent shortcuts are taken (ModPower).
// - kSecretValues: the residues (the modulus of an RSA private key, whose
//   values are derived from the private exponent). Every product takes a
//   time and memory accesses that depend only on the sizes: the final
//   subtraction is always computed and its result chosen without a branch.
// - kSecretModulus: the modulus as well (the primes): also the constants R
//   mod m and R^2 mod m are found without a division, whose steps would
//   depend on m.
// Powers with a secret exponent use a fixed window whose table is read
// whole for every entry taken; powers with a public exponent use a sliding
// window.
#include <atomic>
#include <cstdint>

#include "vaultcore/crypto/huge_digit.h"

// Largest modulus handled, in 64-bit limbs (4096 bits).
const int kMontgomeryMaxLimbs = 64;

enum MontgomerySecrecy { kPublic, kSecretValues, kSecretModulus };

class MontgomeryModulus {
public:
    // m: `limbs` limbs (1..kMontgomeryMaxLimbs), odd and above 1.
    MontgomeryModulus(const uint64_t* m, int limbs, MontgomerySecrecy secrecy);
    // Wipes the modulus and its constants (R^2 mod m gives the modulus away).
    ~MontgomeryModulus();
    MontgomeryModulus(const MontgomeryModulus&) = delete;
    MontgomeryModulus& operator=(const MontgomeryModulus&) = delete;

    int limbs() const { return m_n; }

    // r = a * b / R mod m, for a < R and b < m; r may be a or b.
    void multiply(uint64_t* r, const uint64_t* a, const uint64_t* b) const;
    // r = a * a / R mod m, for a < m; r may be a.
    void square(uint64_t* r, const uint64_t* a) const;
    // r = a * R mod m (the Montgomery form of a mod m), for a < R.
    void toMontgomery(uint64_t* r, const uint64_t* a) const;
    // The Montgomery form of x mod m for a number x of 2 * limbs() limbs.
    void toMontgomeryWide(uint64_t* r, const uint64_t* x) const;
    // r = a / R mod m: back from the Montgomery form, for a < R.
    void fromMontgomery(uint64_t* r, const uint64_t* a) const;
    // r = a + b and r = a - b mod m, for a, b < m; always without branches.
    void add(uint64_t* r, const uint64_t* a, const uint64_t* b) const;
    void subtract(uint64_t* r, const uint64_t* a, const uint64_t* b) const;
    // r = base^e in Montgomery form, base in Montgomery form; the exponent
    // is the low `bits` bits of the eLimbs limbs at e (bits <= 64 * eLimbs).
    // A public exponent: its bits decide the steps.
    void power(uint64_t* r, const uint64_t* base, const uint64_t* e, int eLimbs, int bits) const;
    // The same for a secret exponent: all `bits` bits are walked in fixed
    // windows, zero windows and leading zeros included, on a modulus that
    // keeps its values secret.
    void powerSecretExponent(uint64_t* r, const uint64_t* base, const uint64_t* e, int eLimbs, int bits) const;

    // The same for a secret exponent of each of two moduli of one size (the
    // primes of a key), computed side by side: the products of one fill the
    // waits of the other's. Both exponents are read over `bits` bits.
    static void powerSecretExponentPair(const MontgomeryModulus& p, uint64_t* rp, const uint64_t* baseP,
                                        const uint64_t* eP, const MontgomeryModulus& q, uint64_t* rq,
                                        const uint64_t* baseQ, const uint64_t* eQ, int eLimbs, int bits);

    // The routines for the modulus size, chosen once.
    struct Routines {
        void (*multiply)(uint64_t*, const uint64_t*, const uint64_t*, const MontgomeryModulus&);
        void (*square)(uint64_t*, const uint64_t*, const MontgomeryModulus&);
        // Both lanes of a pair (results, operands and moduli by lane).
        void (*multiplyPair)(uint64_t* const*, const uint64_t* const*, const uint64_t* const*,
                             const MontgomeryModulus* const*);
        void (*squarePair)(uint64_t* const*, const uint64_t* const*, const MontgomeryModulus* const*);
        // out = entry `index` of `entries` entries of n limbs each, stored
        // one after the other; every entry is read.
        void (*select)(uint64_t* out, const uint64_t* table, int entries, uint64_t index, int n);
    };

    // For the multiplication routines.
    const uint64_t* modulus() const { return m_m; }
    uint64_t inverse() const { return m_n0; }

private:
    template <int L>
    static void fixedWindowPower(const MontgomeryModulus* const* mod, uint64_t* const* r, const uint64_t* const* base,
                                 const uint64_t* const* e, int eLimbs, int bits);

    int m_n;
    uint64_t m_n0;                        // -m^-1 mod 2^64
    uint64_t m_m[kMontgomeryMaxLimbs];    // m
    uint64_t m_one[kMontgomeryMaxLimbs];  // R mod m, the Montgomery form of 1
    uint64_t m_rr[kMontgomeryMaxLimbs];   // R^2 mod m
    Routines m_routines;
};

// n limbs from the value's words (zeros above its length).
void limbsFromHugeDigit(uint64_t* out, int n, const CHugeDigit& a);
// The value of n limbs, compact.
void hugeDigitFromLimbs(CHugeDigit& out, const uint64_t* in, int n);
// Bit length of n limbs; 0 for zero.
int limbsBitLength(const uint64_t* a, int n);

// result = base^e mod m, for odd m of 2..2 * kMontgomeryMaxLimbs words
// and base < m. The result is compact. Public data only.
void montgomeryModPower(CHugeDigit& result, const CHugeDigit& base, const CHugeDigit& e, const CHugeDigit& m);

// Whether the MULX/ADX rows may be used when the processor has them.
extern std::atomic<bool> g_montgomeryMulxAllowed;
