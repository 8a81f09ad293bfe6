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
#include "vaultcore/crypto/huge_digit.h"

class CRSAPrivateKey;

// y = x^d mod n for x <= n. Throws CUnlockException with `failure` when the
// key cannot perform the operation (a modulus that is even or below 3, no
// public exponent) or when the result does not verify.
void rsaPrivateOperation(const CRSAPrivateKey& key, const CHugeDigit& x, CHugeDigit& y, const char* failure);
