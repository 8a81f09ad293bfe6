#include "vaultcore/crypto/huge_digit.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/digest_maker.h"
#include "vaultcore/crypto/modular_inverse.h"
#include "vaultcore/crypto/montgomery.h"
#include "vaultcore/crypto/secure_zero.h"

namespace {
inline int wordBits(DWORD w)
{
    return w ? 32 - __builtin_clz(w) : 0;
}

inline int significant(const CHugeDigit& a)
{
    int i = a.m_length;
    while (i > 0 && a.m_digits[i - 1] == 0)
        --i;
    return i;
}

void requireCapacity(int words)
{
    if (words > CHugeDigit::kCapacity)
        AfxThrowUnlockException("CHugeDigit - result of %d words exceeds the capacity", words);
}

// Word i of a, zero at and above its length.
inline DWORD wordAt(const CHugeDigit& a, int i)
{
    return i < a.m_length ? a.m_digits[i] : 0;
}

// Remainder of the value divided by a single word.
DWORD remainderByWord(const CHugeDigit& a, DWORD d)
{
    uint64_t rem = 0;
    vcPollKillThreadFlag();
    for (int i = significant(a) - 1; i >= 0; --i)
        rem = ((rem << 32) | a.m_digits[i]) % d;
    return (DWORD)rem;
}

const WORD smallDivisors[16] = {3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 33, 37, 39, 41, 43, 47};
}  // namespace

CHugeDigit::CHugeDigit() : m_length(kDefaultLength)
{
    std::memset(m_digits, 0, kDefaultLength * sizeof(DWORD));
}

CHugeDigit::CHugeDigit(unsigned long v)
{
    *this = v;
}

CHugeDigit::CHugeDigit(unsigned short n, unsigned long v)
{
    if (n < 1 || n > kCapacity)
        AfxThrowUnlockException("CHugeDigit - invalid length %u", (unsigned)n);
    m_length = n;
    std::memset(m_digits, 0, n * sizeof(DWORD));
    m_digits[0] = (DWORD)v;
    if (n > 1)
        m_digits[1] = (DWORD)((uint64_t)v >> 32);
}

CHugeDigit::CHugeDigit(const CHugeDigit& other) : m_length(other.m_length)
{
    std::memcpy(m_digits, other.m_digits, m_length * sizeof(DWORD));
}

CHugeDigit::~CHugeDigit()
{
    vcSecureZero(m_digits, sizeof m_digits);
}

CHugeDigit& CHugeDigit::operator=(const CHugeDigit& other)
{
    if (this != &other) {
        m_length = other.m_length;
        std::memmove(m_digits, other.m_digits, m_length * sizeof(DWORD));
    }
    return *this;
}

CHugeDigit& CHugeDigit::operator=(unsigned long v)
{
    m_digits[0] = (DWORD)v;
    m_digits[1] = (DWORD)((uint64_t)v >> 32);
    m_length = m_digits[1] ? 2 : 1;
    return *this;
}

void CHugeDigit::AssignZero()
{
    std::memset(m_digits, 0, m_length * sizeof(DWORD));
}

void CHugeDigit::Assign2Exp(unsigned short k)
{
    AssignZero();
    if (k / 32 < kCapacity)
        m_digits[k / 32] = (DWORD)1 << (k % 32);
}

void CHugeDigit::SetLength(short n)
{
    if (n < 1 || n > kCapacity)
        AfxThrowUnlockException("CHugeDigit::SetLength - invalid length %d", (int)n);
    if (n > m_length)
        std::memset(m_digits + m_length, 0, (size_t)(n - m_length) * sizeof(DWORD));
    m_length = (WORD)n;
}

void CHugeDigit::DoCompact()
{
    int n = significant(*this);
    if (n == 0) {
        m_digits[0] = 0;
        n = 1;
    }
    m_length = (WORD)n;
}

BOOL CHugeDigit::Zero() const
{
    return significant(*this) == 0;
}

unsigned short CHugeDigit::Digits() const
{
    return (unsigned short)significant(*this);
}

unsigned short CHugeDigit::Bits() const
{
    int n = significant(*this);
    return n ? (unsigned short)(32 * (n - 1) + wordBits(m_digits[n - 1])) : 0;
}

void CHugeDigit::Decode(const unsigned char* p, unsigned short n)
{
    int at = n;  // bytes are consumed from the end
    for (int i = 0; i < m_length; ++i) {
        DWORD w = 0;
        for (int shift = 0; shift < 32 && at > 0; shift += 8)
            w |= (DWORD)p[--at] << shift;
        m_digits[i] = w;
    }
    DoCompact();
}

void CHugeDigit::Encode(unsigned char* p, unsigned short n) const
{
    int at = n;
    for (int i = 0; i < m_length && at > 0; ++i) {
        DWORD w = m_digits[i];
        for (int k = 0; k < 4 && at > 0; ++k, w >>= 8)
            p[--at] = (unsigned char)w;
    }
    if (at > 0)
        std::memset(p, 0, (size_t)at);
}

BOOL CHugeDigit::HasSmallPrimesFactor() const
{
    for (WORD d : smallDivisors)
        if (remainderByWord(*this, d) == 0)
            return TRUE;
    return FALSE;
}

BOOL CHugeDigit::PassedFermatTest() const
{
    if (Zero())
        return FALSE;
    CHugeDigit two(2ul);
    CHugeDigit r = ModPower(two, *this, *this);
    return IsEqual(r, two);
}

BOOL CHugeDigit::IsProbablePrime() const
{
    return !HasSmallPrimesFactor() && PassedFermatTest();
}

int Compare(const CHugeDigit& a, const CHugeDigit& b, int n)
{
    vcPollKillThreadFlag();
    for (int i = n - 1; i >= 0; --i) {
        if (a.m_digits[i] != b.m_digits[i])
            return a.m_digits[i] < b.m_digits[i] ? -1 : 1;
    }
    return 0;
}

BOOL IsEqual(const CHugeDigit& a, const CHugeDigit& b)
{
    int n = significant(a);
    return n == significant(b) && Compare(a, b, n) == 0;
}

BOOL IsLess(const CHugeDigit& a, const CHugeDigit& b)
{
    int na = significant(a), nb = significant(b);
    if (na != nb)
        return na < nb;
    return Compare(a, b, na) < 0;
}

BOOL IsGreater(const CHugeDigit& a, const CHugeDigit& b)
{
    return IsLess(b, a);
}

CHugeDigit Add(const CHugeDigit& a, const CHugeDigit& b)
{
    int width = a.m_length > b.m_length ? a.m_length : b.m_length;
    CHugeDigit sum((unsigned short)width, 0);
    uint64_t carry = 0;
    vcPollKillThreadFlag();
    for (int i = 0; i < width; ++i) {
        carry += (uint64_t)wordAt(a, i) + wordAt(b, i);
        sum.m_digits[i] = (DWORD)carry;
        carry >>= 32;
    }
    // The carry out of the top word becomes a new word: a sum is never
    // silently wrapped.
    if (carry) {
        requireCapacity(width + 1);
        sum.m_digits[width] = (DWORD)carry;
        sum.m_length = (WORD)(width + 1);
    }
    sum.DoCompact();
    return sum;
}

CHugeDigit Subtract(const CHugeDigit& a, const CHugeDigit& b)
{
    int width = a.m_length > b.m_length ? a.m_length : b.m_length;
    CHugeDigit difference((unsigned short)width, 0);
    DWORD borrow = 0;
    vcPollKillThreadFlag();
    for (int i = 0; i < width; ++i) {
        uint64_t d = (uint64_t)wordAt(a, i) - wordAt(b, i) - borrow;
        difference.m_digits[i] = (DWORD)d;
        borrow = (DWORD)(d >> 63);
    }
    difference.DoCompact();
    return difference;
}

CHugeDigit Multiply(const CHugeDigit& a, const CHugeDigit& b)
{
    int na = significant(a), nb = significant(b);
    if (na == 0 || nb == 0)
        return CHugeDigit(0ul);
    requireCapacity(na + nb);
    CHugeDigit product((unsigned short)(na + nb), 0);
    for (int i = 0; i < na; ++i)
        product.m_digits[i + nb] = AddWordMultiple(product.m_digits + i, product.m_digits + i, a.m_digits[i],
                                                   b.m_digits, nb);
    product.DoCompact();
    return product;
}

DWORD SubWords(DWORD* dst, const DWORD* a, const DWORD* b, int n)
{
    DWORD borrow = 0;
    vcPollKillThreadFlag();
    for (int i = 0; i < n; ++i) {
        uint64_t d = (uint64_t)a[i] - b[i] - borrow;
        dst[i] = (DWORD)d;
        borrow = (DWORD)(d >> 63);
    }
    return borrow;
}

namespace {
DWORD addWords(DWORD* dst, const DWORD* a, const DWORD* b, int n)
{
    uint64_t carry = 0;
    vcPollKillThreadFlag();
    for (int i = 0; i < n; ++i) {
        carry += (uint64_t)a[i] + b[i];
        dst[i] = (DWORD)carry;
        carry >>= 32;
    }
    return (DWORD)carry;
}
}  // namespace

DWORD AddWordMultiple(DWORD* dst, const DWORD* a, DWORD d, const DWORD* b, int n)
{
    uint64_t carry = 0;
    vcPollKillThreadFlag();
    for (int i = 0; i < n; ++i) {
        // a[i] + d * b[i] + carry fits 64 bits.
        uint64_t t = (uint64_t)d * b[i] + a[i] + carry;
        dst[i] = (DWORD)t;
        carry = t >> 32;
    }
    return (DWORD)carry;
}

DWORD SubtractWordMultiple(DWORD* dst, const DWORD* a, DWORD d, const DWORD* b, int n)
{
    uint64_t borrow = 0;
    vcPollKillThreadFlag();
    for (int i = 0; i < n; ++i) {
        uint64_t p = (uint64_t)d * b[i] + borrow;  // fits 64 bits
        DWORD low = (DWORD)p;
        borrow = p >> 32;
        if (a[i] < low)
            ++borrow;
        dst[i] = a[i] - low;
    }
    return (DWORD)borrow;
}

DWORD EstimateQuotientWord(DWORD hi, DWORD lo, DWORD c)
{
    if (c == 0 || hi >= c)
        return 0xFFFFFFFF;  // the quotient does not fit a word
    const DWORD cHigh = c >> 16, cLow = c & 0xFFFF;
    uint64_t rem = ((uint64_t)hi << 32) | lo;
    const uint64_t shifted = (uint64_t)c << 16;

    DWORD qHigh = cHigh == 0xFFFF ? hi >> 16 : hi / (cHigh + 1);
    rem -= ((uint64_t)qHigh * cLow << 16) + ((uint64_t)qHigh * cHigh << 32);
    while (rem >= shifted) {
        vcPollKillThreadFlag();
        rem -= shifted;
        ++qHigh;
    }
    DWORD middle = (DWORD)(rem >> 16);
    DWORD qLow = cHigh == 0xFFFF ? (DWORD)(rem >> 32) : middle / (cHigh + 1);
    rem -= (uint64_t)qLow * c;
    while (rem >= c) {
        vcPollKillThreadFlag();
        rem -= c;
        ++qLow;
    }
    return (qHigh << 16) + qLow;
}

void DivMod(CHugeDigit& q, CHugeDigit& r, const CHugeDigit& a, const CHugeDigit& b)
{
    const int nv = significant(b);
    const int nu = significant(a);
    if (nv == 0)
        AfxThrowUnlockException("CHugeDigit - division by zero");
    if (nu < nv) {
        CHugeDigit remainder(a);
        remainder.DoCompact();
        q = 0ul;
        r = remainder;
        return;
    }
    if (nv == 1) {
        const DWORD d = b.m_digits[0];
        CHugeDigit quotient((unsigned short)nu, 0);
        uint64_t rem = 0;
        vcPollKillThreadFlag();
        for (int i = nu - 1; i >= 0; --i) {
            uint64_t cur = (rem << 32) | a.m_digits[i];
            quotient.m_digits[i] = (DWORD)(cur / d);
            rem = cur % d;
        }
        quotient.DoCompact();
        q = quotient;
        r = (unsigned long)rem;
        return;
    }
    // Normalised long division: the divisor's top word gets its top bit set,
    // each quotient word is estimated from the top two words of the running
    // remainder, refined with the divisor's second word, and corrected by
    // one add-back in the rare case it is still one too large.
    const int s = __builtin_clz(b.m_digits[nv - 1]);
    CHugeDigit u((unsigned short)(nu + 1), 0);
    CHugeDigit v((unsigned short)nv, 0);
    for (int i = 0; i < nv; ++i)
        v.m_digits[i] = b.m_digits[i];
    for (int i = 0; i < nu; ++i)
        u.m_digits[i] = a.m_digits[i];
    if (s) {
        u.m_digits[nu] = ShiftLeft(u, u, s, nu);
        ShiftLeft(v, v, s, nv);
        u.m_length = (WORD)(nu + 1);
    }
    const DWORD vTop = v.m_digits[nv - 1], vNext = v.m_digits[nv - 2];
    CHugeDigit quotient((unsigned short)(nu - nv + 1), 0);
    for (int j = nu - nv; j >= 0; --j) {
        vcPollKillThreadFlag();
        uint64_t top = ((uint64_t)u.m_digits[j + nv] << 32) | u.m_digits[j + nv - 1];
        uint64_t qhat = top / vTop, rhat = top % vTop;
        while (qhat > 0xFFFFFFFFu || qhat * vNext > ((rhat << 32) | u.m_digits[j + nv - 2])) {
            --qhat;
            rhat += vTop;
            if (rhat > 0xFFFFFFFFu)
                break;
        }
        DWORD borrow = SubtractWordMultiple(u.m_digits + j, u.m_digits + j, (DWORD)qhat, v.m_digits, nv);
        DWORD topWord = u.m_digits[j + nv];
        u.m_digits[j + nv] = topWord - borrow;
        if (topWord < borrow) {
            --qhat;
            u.m_digits[j + nv] += addWords(u.m_digits + j, u.m_digits + j, v.m_digits, nv);
        }
        quotient.m_digits[j] = (DWORD)qhat;
    }
    u.m_length = (WORD)nv;
    CHugeDigit remainder = s ? ShiftRight(u, s) : u;
    remainder.DoCompact();
    quotient.DoCompact();
    q = quotient;
    r = remainder;
}

CHugeDigit Modulo(const CHugeDigit& a, const CHugeDigit& b)
{
    CHugeDigit q, r;
    DivMod(q, r, a, b);
    return r;
}

CHugeDigit ModMultiply(const CHugeDigit& a, const CHugeDigit& b, const CHugeDigit& m)
{
    return Modulo(Multiply(a, b), m);
}

DWORD ShiftLeft(CHugeDigit& dst, const CHugeDigit& src, int s, int n)
{
    requireCapacity(n);
    vcPollKillThreadFlag();
    DWORD out = 0;
    if (s == 0) {
        std::memmove(dst.m_digits, src.m_digits, (size_t)n * sizeof(DWORD));
    } else {
        DWORD carry = 0;
        for (int i = 0; i < n; ++i) {
            DWORD w = src.m_digits[i];
            dst.m_digits[i] = (w << s) | carry;
            carry = w >> (32 - s);
        }
        out = carry;
    }
    dst.m_length = (WORD)n;
    return out;
}

CHugeDigit ShiftRight(const CHugeDigit& a, int s)
{
    CHugeDigit result(a);
    vcPollKillThreadFlag();
    if (s) {
        int n = result.m_length;
        for (int i = 0; i < n; ++i) {
            DWORD next = i + 1 < n ? result.m_digits[i + 1] : 0;
            result.m_digits[i] = (result.m_digits[i] >> s) | (next << (32 - s));
        }
    }
    result.DoCompact();
    return result;
}

namespace {
// b^e mod m for any m: left to right, two exponent bits at a time, with
// the products of the base's first three powers.
CHugeDigit plainModPower(const CHugeDigit& b, const CHugeDigit& e, const CHugeDigit& m)
{
    CHugeDigit powers[4];
    powers[1] = Modulo(b, m);
    powers[2] = ModMultiply(powers[1], powers[1], m);
    powers[3] = ModMultiply(powers[2], powers[1], m);
    CHugeDigit t = Modulo(CHugeDigit(1ul), m);
    int top = significant(e);
    for (int i = top - 1; i >= 0; --i) {
        DWORD w = e.m_digits[i];
        int bits = 32;
        if (i == top - 1) {
            while ((w & 0xC0000000u) == 0) {
                w <<= 2;
                bits -= 2;
            }
        }
        for (; bits > 0; bits -= 2, w <<= 2) {
            vcPollKillThreadFlag();
            t = ModMultiply(t, t, m);
            t = ModMultiply(t, t, m);
            DWORD pair = w >> 30;
            if (pair)
                t = ModMultiply(t, powers[pair], m);
        }
    }
    t.DoCompact();
    return t;
}
}  // namespace

CHugeDigit ModPower(const CHugeDigit& b, const CHugeDigit& e, const CHugeDigit& m)
{
    int nm = significant(m);
    if (nm == 0)
        AfxThrowUnlockException("CHugeDigit::ModPower - zero modulus");
    if ((m.m_digits[0] & 1) && nm > 1 && nm <= 2 * kMontgomeryMaxLimbs) {
        CHugeDigit result;
        montgomeryModPower(result, Modulo(b, m), e, m);
        return result;
    }
    return plainModPower(b, e, m);
}

CHugeDigit Gcd(const CHugeDigit& a, const CHugeDigit& b)
{
    CHugeDigit x(a), y(b);
    x.DoCompact();
    y.DoCompact();
    while (!y.Zero()) {
        CHugeDigit r = Modulo(x, y);
        x = y;
        y = r;
    }
    return x;
}

CHugeDigit ModInverse(const CHugeDigit& a, const CHugeDigit& m)
{
    const int nm = significant(m);
    if ((m.m_digits[0] & 1) && nm <= 2 * kMontgomeryMaxLimbs && (nm > 1 || m.m_digits[0] > 1)) {
        // Odd moduli: division steps, much faster than Euclid's divisions.
        const int n = (nm + 1) / 2;
        uint64_t x[kMontgomeryMaxLimbs], modulus[kMontgomeryMaxLimbs], inverse[kMontgomeryMaxLimbs];
        limbsFromHugeDigit(x, n, Modulo(a, m));
        limbsFromHugeDigit(modulus, n, m);
        CHugeDigit result(0ul);
        if (variableTimeModInverse(inverse, x, modulus, n))
            hugeDigitFromLimbs(result, inverse, n);
        return result;
    }
    // Extended Euclid with unsigned cofactors: the sign of the cofactor
    // alternates with each step and is settled at the end.
    CHugeDigit u1(1ul), v1(0ul);
    CHugeDigit u3 = Modulo(a, m), v3(m);
    v3.DoCompact();
    bool negative = false;
    while (!v3.Zero()) {
        CHugeDigit q, t3;
        DivMod(q, t3, u3, v3);
        CHugeDigit w = Add(u1, Multiply(q, v1));
        u1 = v1;
        v1 = w;
        u3 = v3;
        v3 = t3;
        negative = !negative;
    }
    if (!IsEqual(u3, CHugeDigit(1ul)))
        return CHugeDigit(0ul);
    CHugeDigit inverse = negative ? Subtract(m, u1) : u1;
    inverse.DoCompact();
    return Modulo(inverse, m);
}

unsigned short ___countBits(const unsigned char* p, int n)
{
    for (int i = 0; i < n; ++i) {
        if (p[i])
            return (unsigned short)((n - i - 1) * 8 + wordBits(p[i]));
    }
    return 0;
}
