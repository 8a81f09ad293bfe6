#pragma once
// CHugeDigit: a fixed-capacity unsigned multi-precision integer that lives
// entirely inside the object (513 32-bit words, least significant first),
// with the arithmetic RSA and key-pair generation stand on. Every arithmetic
// loop polls the cancellation flag (__checkKillThreadFlag), so a long
// operation on a worker thread can be stopped by CKillThreadException.
//
// Temporaries are whole objects on the stack (about 2 KiB each): threads
// that run RSA arithmetic need a stack of some tens of KiB.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CHugeDigit {
public:
    enum { kCapacity = 513, kDefaultLength = 64 };

    // A 2048-bit zero: 64 zero words.
    CHugeDigit();
    // One word holding v (two when v does not fit 32 bits).
    CHugeDigit(unsigned long v);
    // n zero words, then word 0 = v.
    CHugeDigit(unsigned short n, unsigned long v);
    CHugeDigit(const CHugeDigit& other);
    // Wipes every word: numbers and the temporaries of the arithmetic may be
    // secrets (primes, private exponents).
    ~CHugeDigit();
    CHugeDigit& operator=(const CHugeDigit& other);
    CHugeDigit& operator=(unsigned long v);

    // Word i; no bounds check.
    DWORD& operator[](int i) { return m_digits[i]; }
    const DWORD& operator[](int i) const { return m_digits[i]; }

    // Words 0..length-1 become zero; the length stays.
    void AssignZero();
    // Zero with bit k set; the length stays, so the caller makes it > k / 32.
    void Assign2Exp(unsigned short k);
    // New working width; growing zeroes the new words. Throws
    // CUnlockException beyond the capacity or below one word.
    void SetLength(short n);
    // Length = significant words (1 for zero).
    void DoCompact();

    BOOL EVEN() const { return (m_digits[0] & 1) == 0; }
    BOOL Zero() const;
    // Significant words; 0 for zero.
    unsigned short Digits() const;
    // Bit length; 0 for zero.
    unsigned short Bits() const;
    unsigned short GetLength() const { return m_length; }

    // Reads n big-endian bytes into the current length's worth of words
    // (bytes beyond them, the most significant, are ignored), then compacts.
    void Decode(const unsigned char* p, unsigned short n);
    // Writes exactly n big-endian bytes: zeros in front, or only the low n
    // bytes of a longer value.
    void Encode(unsigned char* p, unsigned short n) const;

    // Divisible by one of 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 33, 37, 39,
    // 41, 43, 47 (a value equal to one of them counts).
    BOOL HasSmallPrimesFactor() const;
    // 2^n mod n == 2.
    BOOL PassedFermatTest() const;
    // No small factor and the Fermat test passes.
    BOOL IsProbablePrime() const;

    // Allows or forbids the processor's MULX/ADX instructions in modular
    // exponentiation (both paths give the same results; tests and
    // benchmarks compare them). Returns the old setting.
    static BOOL AllowMulxInstructions(BOOL allow);

    DWORD m_digits[kCapacity];
    WORD m_length;
};

// The library's arithmetic on CHugeDigit values (RSA and key generation use
// them; exported for the test suites, not part of the host interface).
// Results are new compact values unless said otherwise; operands keep their
// values and lengths. A result beyond the capacity, a zero divisor or a zero
// modulus throws CUnlockException.

// -1, 0, 1 comparing the low n words of a and b, top word first.
VAULTCORE_API int Compare(const CHugeDigit& a, const CHugeDigit& b, int n);
VAULTCORE_API BOOL IsEqual(const CHugeDigit& a, const CHugeDigit& b);
VAULTCORE_API BOOL IsLess(const CHugeDigit& a, const CHugeDigit& b);
VAULTCORE_API BOOL IsGreater(const CHugeDigit& a, const CHugeDigit& b);
// a + b, growing by a word when the sum needs it. a - b over the wider
// operand's length; the borrow out of the top word is dropped (a - b wraps
// when b > a).
VAULTCORE_API CHugeDigit Add(const CHugeDigit& a, const CHugeDigit& b);
VAULTCORE_API CHugeDigit Subtract(const CHugeDigit& a, const CHugeDigit& b);
VAULTCORE_API CHugeDigit Multiply(const CHugeDigit& a, const CHugeDigit& b);
// q = a / b, r = a mod b.
VAULTCORE_API void DivMod(CHugeDigit& q, CHugeDigit& r, const CHugeDigit& a, const CHugeDigit& b);
VAULTCORE_API CHugeDigit Modulo(const CHugeDigit& a, const CHugeDigit& b);
VAULTCORE_API CHugeDigit ModMultiply(const CHugeDigit& a, const CHugeDigit& b, const CHugeDigit& m);
// b^e mod m.
VAULTCORE_API CHugeDigit ModPower(const CHugeDigit& b, const CHugeDigit& e, const CHugeDigit& m);
// a^-1 mod m; zero when gcd(a, m) != 1 (there is no inverse).
VAULTCORE_API CHugeDigit ModInverse(const CHugeDigit& a, const CHugeDigit& m);
VAULTCORE_API CHugeDigit Gcd(const CHugeDigit& a, const CHugeDigit& b);
// dst = src << s over n words (0 <= s < 32); returns the bits shifted out
// of the top word. dst's length becomes n.
VAULTCORE_API DWORD ShiftLeft(CHugeDigit& dst, const CHugeDigit& src, int s, int n);
// a >> s (0 <= s < 32).
VAULTCORE_API CHugeDigit ShiftRight(const CHugeDigit& a, int s);
// Word-array primitives over n words; dst may be a or b.
// dst = a - b; returns the borrow (0 or 1).
VAULTCORE_API DWORD SubWords(DWORD* dst, const DWORD* a, const DWORD* b, int n);
// dst = a + d * b; returns the carry word.
VAULTCORE_API DWORD AddWordMultiple(DWORD* dst, const DWORD* a, DWORD d, const DWORD* b, int n);
// dst = a - d * b; returns the borrow word.
VAULTCORE_API DWORD SubtractWordMultiple(DWORD* dst, const DWORD* a, DWORD d, const DWORD* b, int n);
// An estimate of (hi:lo) / c, never above the true quotient, from 16-bit
// halves, for hi < c; 0xFFFFFFFF when hi >= c (the quotient does not fit).
VAULTCORE_API DWORD EstimateQuotientWord(DWORD hi, DWORD lo, DWORD c);
