#pragma once
// A fast modular inverse for odd moduli, by Bernstein and Yang's division
// steps ("Fast constant-time gcd computation and modular inversion", 2019)
// taken 62 at a time: the steps are decided on the low 62 bits of the two
// running numbers and then applied to the whole numbers and to their
// cofactors as one 2x2 matrix. Library-internal.
//
// Its time depends on the input: use it on values that give nothing away
// (the RSA operation inverts the product of its blinding factor with a
// second random number). Polls the cancellation flag once per 62 steps.
#include <cstdint>

// out = x^-1 mod m for n-limb x and odd m > 1 (64-bit limbs, least
// significant first, n <= 64); false, out unchanged, when gcd(x, m) != 1.
bool variableTimeModInverse(uint64_t* out, const uint64_t* x, const uint64_t* m, int n);
