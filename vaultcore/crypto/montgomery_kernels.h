#pragma once
// Montgomery arithmetic for the prime sizes of 1024- and 2048-bit keys
// (eight and sixteen 64-bit limbs) with the running sum in registers rather
// than rows through memory, for processors with MULX and ADX.
// Library-internal.
#include <cstdint>

#if defined(__x86_64__)
// r = a * b / 2^512 mod m for a < 2^512 and b < m, m odd with n0 = -m^-1 mod 2^64; r
// may be a or b. Branch-free: the time and the memory read depend on
// nothing but the addresses, the final subtraction is always computed and
// its result chosen by conditional moves.
extern "C" __attribute__((visibility("hidden"))) void vcMontMul8Mulx(uint64_t* r, const uint64_t* a,
                                                                     const uint64_t* b, const uint64_t* m,
                                                                     uint64_t n0);
// r = a * a / 2^512 mod m for a < m, with the same guarantees.
extern "C" __attribute__((visibility("hidden"))) void vcMontSqr8Mulx(uint64_t* r, const uint64_t* a,
                                                                     const uint64_t* m, uint64_t n0);
// r = t / 2^1024 mod m for m of sixteen limbs and t of 32 limbs below
// 2^1024 * m, which the call overwrites; the same guarantees.
extern "C" __attribute__((visibility("hidden"))) void vcMontRedc16Mulx(uint64_t* r, uint64_t* t, const uint64_t* m,
                                                                       uint64_t n0);
#endif
