#pragma once
// Modular exponentiation by Montgomery multiplication, for odd moduli: the
// fast path of ModPower. Library-internal.
#include <atomic>

#include "vaultcore/crypto/huge_digit.h"

// Largest modulus handled, in 64-bit limbs (4096 bits).
const int kMontgomeryMaxLimbs = 64;

// result = base^e mod m, for odd m of 2..2 * kMontgomeryMaxLimbs words
// and base < m. The result is compact.
void montgomeryModPower(CHugeDigit& result, const CHugeDigit& base, const CHugeDigit& e, const CHugeDigit& m);

// Whether the MULX/ADX rows may be used when the processor has them.
extern std::atomic<bool> g_montgomeryMulxAllowed;
