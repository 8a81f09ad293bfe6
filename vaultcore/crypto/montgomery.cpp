#include "vaultcore/crypto/montgomery.h"

#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include "vaultcore/crypto/crypto_exceptions.h"

std::atomic<bool> g_montgomeryMulxAllowed{true};

BOOL CHugeDigit::AllowMulxInstructions(BOOL allow)
{
    return g_montgomeryMulxAllowed.exchange(allow != FALSE);
}

namespace {
typedef unsigned __int128 u128;

struct Modulus {
    int n;  // limbs
    uint64_t limbs[kMontgomeryMaxLimbs];
    uint64_t n0;  // -m^-1 mod 2^64
};

void toLimbs(uint64_t* out, int n, const CHugeDigit& a)
{
    for (int i = 0; i < n; ++i) {
        uint64_t low = 2 * i < a.m_length ? a.m_digits[2 * i] : 0;
        uint64_t high = 2 * i + 1 < a.m_length ? a.m_digits[2 * i + 1] : 0;
        out[i] = low | high << 32;
    }
}

void fromLimbs(CHugeDigit& out, const uint64_t* in, int n)
{
    out.m_length = (WORD)(2 * n);
    for (int i = 0; i < n; ++i) {
        out.m_digits[2 * i] = (DWORD)in[i];
        out.m_digits[2 * i + 1] = (DWORD)(in[i] >> 32);
    }
    out.DoCompact();
}

// r = t mod m for t[0..n] < 2m: one conditional subtraction.
void finalSubtract(uint64_t* r, const uint64_t* t, const uint64_t* m, int n)
{
    bool subtract = t[n] != 0;
    if (!subtract) {
        subtract = true;
        for (int j = n - 1; j >= 0; --j) {
            if (t[j] != m[j]) {
                subtract = t[j] > m[j];
                break;
            }
        }
    }
    if (subtract) {
        uint64_t borrow = 0;
        for (int j = 0; j < n; ++j) {
            u128 d = (u128)t[j] - m[j] - borrow;
            r[j] = (uint64_t)d;
            borrow = (uint64_t)(d >> 64) & 1;
        }
    } else {
        std::memcpy(r, t, (size_t)n * sizeof(uint64_t));
    }
}

// r = a * b / 2^(64n) mod m, for a, b < m; r may be a or b.
void montMulPortable(uint64_t* r, const uint64_t* a, const uint64_t* b, const Modulus& mod)
{
    const int n = mod.n;
    const uint64_t* m = mod.limbs;
    uint64_t t[kMontgomeryMaxLimbs + 2];
    std::memset(t, 0, (size_t)(n + 2) * sizeof(uint64_t));
    for (int i = 0; i < n; ++i) {
        vcPollKillThreadFlag();
        const uint64_t ai = a[i];
        uint64_t carry = 0;
        for (int j = 0; j < n; ++j) {
            u128 p = (u128)ai * b[j] + t[j] + carry;
            t[j] = (uint64_t)p;
            carry = (uint64_t)(p >> 64);
        }
        u128 s = (u128)t[n] + carry;
        t[n] = (uint64_t)s;
        t[n + 1] = (uint64_t)(s >> 64);

        const uint64_t q = t[0] * mod.n0;
        u128 p = (u128)q * m[0] + t[0];
        carry = (uint64_t)(p >> 64);
        for (int j = 1; j < n; ++j) {
            p = (u128)q * m[j] + t[j] + carry;
            t[j - 1] = (uint64_t)p;
            carry = (uint64_t)(p >> 64);
        }
        s = (u128)t[n] + carry;
        t[n - 1] = (uint64_t)s;
        t[n] = t[n + 1] + (uint64_t)(s >> 64);
    }
    finalSubtract(r, t, m, n);
}

#if defined(__x86_64__)
// Whether the processor has MULX (BMI2) and the two-carry additions ADCX
// and ADOX (ADX).
bool haveMulxAdx()
{
    static const bool have = [] {
        unsigned a, b, c, d;
        if (__get_cpuid_max(0, nullptr) < 7)
            return false;
        __cpuid_count(7, 0, a, b, c, d);
        return (b & (1u << 8)) && (b & (1u << 19));
    }();
    return have;
}

// One row of the product: t[0..N+1] = t[0..N] + d * x[0..N-1]. Two carry
// chains run side by side: ADOX adds the low product words, ADCX the high
// word of the previous product. With shift set, the row also drops its
// lowest word (zero after a reduction step), writing t[j] to t[j - 1].
template <int N, bool SHIFT>
inline void mulAddRow(uint64_t* t, uint64_t d, const uint64_t* x)
{
    asm volatile(
        "xor %%r11d, %%r11d\n\t"
        ".set J, 0\n\t"
        ".set S, %c[s]\n\t"
        ".rept %c[n]/2\n\t"
        "mulx J*8(%[x]), %%rax, %%r10\n\t"
        "mov J*8(%[t]), %%r9\n\t"
        "adox %%rax, %%r9\n\t"
        "adcx %%r11, %%r9\n\t"
        "mov %%r9, J*8-S(%[t])\n\t"
        ".set J, J+1\n\t"
        "mulx J*8(%[x]), %%rax, %%r11\n\t"
        "mov J*8(%[t]), %%r9\n\t"
        "adox %%rax, %%r9\n\t"
        "adcx %%r10, %%r9\n\t"
        "mov %%r9, J*8-S(%[t])\n\t"
        ".set J, J+1\n\t"
        ".endr\n\t"
        "mov %c[n]*8(%[t]), %%r9\n\t"
        "mov $0, %%eax\n\t"
        "adox %%rax, %%r9\n\t"
        "adcx %%r11, %%r9\n\t"
        "mov %%r9, %c[n]*8-S(%[t])\n\t"
        "mov %c[n]*8+8(%[t]), %%r9\n\t"
        "adox %%rax, %%r9\n\t"
        "adcx %%rax, %%r9\n\t"
        "mov %%r9, %c[n]*8+8-S(%[t])\n\t"
        :
        : "d"(d), [x] "r"(x), [t] "r"(t), [n] "i"(N), [s] "i"(SHIFT ? 8 : 0)
        : "rax", "r9", "r10", "r11", "cc", "memory");
}

// montMul with the rows above; N even.
template <int N>
void montMulAdx(uint64_t* r, const uint64_t* a, const uint64_t* b, const Modulus& mod)
{
    // t[-1] takes the dropped word of the reduction rows; t[N + 1] is zero
    // whenever a row starts.
    uint64_t buffer[N + 3] = {};
    uint64_t* t = buffer + 1;
    const uint64_t* m = mod.limbs;
    for (int i = 0; i < N; ++i) {
        vcPollKillThreadFlag();
        mulAddRow<N, false>(t, a[i], b);
        mulAddRow<N, true>(t, t[0] * mod.n0, m);
        t[N + 1] = 0;
    }
    finalSubtract(r, t, m, N);
}
#endif

typedef void (*MontMul)(uint64_t*, const uint64_t*, const uint64_t*, const Modulus&);

MontMul pickMontMul(int n)
{
#if defined(__x86_64__)
    if (haveMulxAdx() && g_montgomeryMulxAllowed.load(std::memory_order_relaxed)) {
        // The usual key and prime sizes: 512 to 4096 bits.
        switch (n) {
        case 8:
            return montMulAdx<8>;
        case 12:
            return montMulAdx<12>;
        case 16:
            return montMulAdx<16>;
        case 24:
            return montMulAdx<24>;
        case 32:
            return montMulAdx<32>;
        case 48:
            return montMulAdx<48>;
        case 64:
            return montMulAdx<64>;
        }
    }
#endif
    (void)n;
    return montMulPortable;
}

inline int bitAt(const CHugeDigit& e, int i)
{
    return (int)(e.m_digits[i / 32] >> (i % 32)) & 1;
}

// Window width for an exponent of the given bit length.
int windowBits(int bits)
{
    return bits > 671 ? 6 : bits > 239 ? 5 : bits > 79 ? 4 : bits > 23 ? 3 : 1;
}
}  // namespace

void montgomeryModPower(CHugeDigit& result, const CHugeDigit& base, const CHugeDigit& e, const CHugeDigit& m)
{
    Modulus mod;
    mod.n = (m.Digits() + 1) / 2;
    toLimbs(mod.limbs, mod.n, m);
    const int n = mod.n;

    // Newton's iteration for m^-1 mod 2^64 (each step doubles the correct bits).
    uint64_t inverse = 1;
    for (int i = 0; i < 6; ++i)
        inverse *= 2 - mod.limbs[0] * inverse;
    mod.n0 = (uint64_t)0 - inverse;

    const int bits = e.Bits();
    if (bits == 0) {
        result = Modulo(CHugeDigit(1ul), m);
        return;
    }

    // R^2 mod m with R = 2^(64n), to bring values into Montgomery form.
    CHugeDigit r2((unsigned short)(4 * n + 1), 0);
    r2.Assign2Exp((unsigned short)(128 * n));
    r2 = Modulo(r2, m);
    uint64_t rr[kMontgomeryMaxLimbs];
    toLimbs(rr, n, r2);

    const MontMul mul = pickMontMul(n);
    const int w = windowBits(bits);
    // Odd powers base^1, base^3, ..., base^(2^w - 1) in Montgomery form.
    uint64_t table[32][kMontgomeryMaxLimbs];
    uint64_t square[kMontgomeryMaxLimbs];
    toLimbs(table[0], n, base);
    mul(table[0], table[0], rr, mod);
    mul(square, table[0], table[0], mod);
    for (int i = 1; i < (1 << (w - 1)); ++i)
        mul(table[i], table[i - 1], square, mod);

    // Left to right with a sliding window; the top bit is set, so the first
    // window starts the accumulator.
    uint64_t acc[kMontgomeryMaxLimbs];
    bool started = false;
    for (int i = bits - 1; i >= 0;) {
        if (!bitAt(e, i)) {
            mul(acc, acc, acc, mod);
            --i;
            continue;
        }
        int j = i - w + 1 < 0 ? 0 : i - w + 1;
        while (!bitAt(e, j))
            ++j;
        int value = 0;
        for (int k = i; k >= j; --k)
            value = value << 1 | bitAt(e, k);
        if (started) {
            for (int k = i; k >= j; --k)
                mul(acc, acc, acc, mod);
            mul(acc, acc, table[value >> 1], mod);
        } else {
            std::memcpy(acc, table[value >> 1], (size_t)n * sizeof(uint64_t));
            started = true;
        }
        i = j - 1;
    }
    uint64_t one[kMontgomeryMaxLimbs] = {1};
    mul(acc, acc, one, mod);
    fromLimbs(result, acc, n);
}
