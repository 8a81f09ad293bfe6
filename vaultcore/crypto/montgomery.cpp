#include "vaultcore/crypto/montgomery.h"

#include <cstring>
#include <utility>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/montgomery_kernels.h"
#include "vaultcore/crypto/secure_zero.h"

std::atomic<bool> g_montgomeryMulxAllowed{true};

BOOL CHugeDigit::AllowMulxInstructions(BOOL allow)
{
    return g_montgomeryMulxAllowed.exchange(allow != FALSE);
}

void limbsFromHugeDigit(uint64_t* out, int n, const CHugeDigit& a)
{
    for (int i = 0; i < n; ++i) {
        uint64_t low = 2 * i < a.m_length ? a.m_digits[2 * i] : 0;
        uint64_t high = 2 * i + 1 < a.m_length ? a.m_digits[2 * i + 1] : 0;
        out[i] = low | high << 32;
    }
}

void hugeDigitFromLimbs(CHugeDigit& out, const uint64_t* in, int n)
{
    out.m_length = (WORD)(2 * n);
    for (int i = 0; i < n; ++i) {
        out.m_digits[2 * i] = (DWORD)in[i];
        out.m_digits[2 * i + 1] = (DWORD)(in[i] >> 32);
    }
    out.DoCompact();
}

void limbsFromBigEndian(uint64_t* out, int n, const unsigned char* bytes, unsigned long size)
{
    for (int i = 0; i < n; ++i) {
        uint64_t w = 0;
        const unsigned long low = 8 * (unsigned long)i;
        if (low + 8 <= size) {
            std::memcpy(&w, bytes + size - low - 8, 8);
            w = __builtin_bswap64(w);
        } else {
            for (unsigned long b = low; b < size && b < low + 8; ++b)
                w |= (uint64_t)bytes[size - 1 - b] << (8 * (b - low));
        }
        out[i] = w;
    }
}

void bigEndianFromLimbs(unsigned char* out, unsigned long size, const uint64_t* in, int n)
{
    for (unsigned long b = 0; b < size; ++b)
        out[size - 1 - b] = b / 8 < (unsigned long)n ? (unsigned char)(in[b / 8] >> (8 * (b % 8))) : 0;
}

int limbsBitLength(const uint64_t* a, int n)
{
    while (n > 0 && a[n - 1] == 0)
        --n;
    return n ? 64 * n - __builtin_clzll(a[n - 1]) : 0;
}

namespace {
typedef unsigned __int128 u128;

// The rows are small and called from unrolled code: a call each would cost
// as much as the row.
#define VC_ALWAYS_INLINE inline __attribute__((always_inline))

// Hides a mask's value from the optimiser, so that a selection made with
// it stays a selection instead of becoming a branch.
inline uint64_t opaque(uint64_t x)
{
    __asm__("" : "+r"(x));
    return x;
}

// All ones when a == b, else zero; without branches.
inline uint64_t equalMask(uint64_t a, uint64_t b)
{
    const uint64_t x = a ^ b;
    return opaque(((x | (0 - x)) >> 63) - 1);
}

// out = table entry `index`, every entry read and masked; n limbs each.
void selectEntry(uint64_t* out, const uint64_t* table, int entries, uint64_t index, int n)
{
    std::memset(out, 0, (size_t)n * sizeof(uint64_t));
    for (int k = 0; k < entries; ++k) {
        const uint64_t mask = equalMask((uint64_t)k, index);
        for (int i = 0; i < n; ++i)
            out[i] |= table[k * n + i] & mask;
    }
}

#if defined(__x86_64__)
// The same for N limbs (N even), the accumulator held in vector registers,
// two limbs to a load.
template <int N>
void selectEntryFixed(uint64_t* out, const uint64_t* table, int entries, uint64_t index, int)
{
    static_assert(N % 2 == 0, "two limbs to a vector");
    __m128i acc[N / 2];
    for (__m128i& a : acc)
        a = _mm_setzero_si128();
    // The entry number counts up in every lane beside the wanted one; the
    // comparison gives the mask without a branch (index < entries <= 32).
    const __m128i wanted = _mm_set1_epi32((int)index), one = _mm_set1_epi32(1);
    __m128i number = _mm_setzero_si128();
    for (int k = 0; k < entries; ++k) {
        const __m128i mask = _mm_cmpeq_epi32(number, wanted);
        number = _mm_add_epi32(number, one);
        const __m128i* entry = reinterpret_cast<const __m128i*>(table + k * N);
        for (int i = 0; i < N / 2; ++i)
            acc[i] = _mm_or_si128(acc[i], _mm_and_si128(_mm_loadu_si128(entry + i), mask));
    }
    for (int i = 0; i < N / 2; ++i)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out) + i, acc[i]);
}

// The same four limbs to a load, on processors with AVX2.
template <int N>
__attribute__((target("avx2"))) void selectEntryWide(uint64_t* out, const uint64_t* table, int entries,
                                                     uint64_t index, int)
{
    static_assert(N % 4 == 0, "four limbs to a vector");
    __m256i acc[N / 4];
    for (__m256i& a : acc)
        a = _mm256_setzero_si256();
    const __m256i wanted = _mm256_set1_epi64x((long long)index), one = _mm256_set1_epi64x(1);
    __m256i number = _mm256_setzero_si256();
    for (int k = 0; k < entries; ++k) {
        const __m256i mask = _mm256_cmpeq_epi64(number, wanted);
        number = _mm256_add_epi64(number, one);
        const __m256i* entry = reinterpret_cast<const __m256i*>(table + k * N);
        for (int i = 0; i < N / 4; ++i)
            acc[i] = _mm256_or_si256(acc[i], _mm256_and_si256(_mm256_loadu_si256(entry + i), mask));
    }
    for (int i = 0; i < N / 4; ++i)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out) + i, acc[i]);
}
#endif

// r = t mod m for t = t[0..n] < 2m (t[n] is 0 or 1). SECRET: t - m is
// always computed and chosen by a mask; otherwise a comparison decides.
template <bool SECRET>
void finalSubtract(uint64_t* r, const uint64_t* t, const uint64_t* m, int n)
{
    if (SECRET) {
        uint64_t d[kMontgomeryMaxLimbs];
        uint64_t borrow = 0;
        for (int j = 0; j < n; ++j) {
            u128 x = (u128)t[j] - m[j] - borrow;
            d[j] = (uint64_t)x;
            borrow = (uint64_t)(x >> 64) & 1;
        }
        // t < m exactly when the borrow runs past the top word.
        const uint64_t keep = opaque(0 - ((t[n] - borrow) >> 63));
        for (int j = 0; j < n; ++j)
            r[j] = (t[j] & keep) | (d[j] & ~keep);
        return;
    }
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
            u128 x = (u128)t[j] - m[j] - borrow;
            r[j] = (uint64_t)x;
            borrow = (uint64_t)(x >> 64) & 1;
        }
    } else {
        std::memmove(r, t, (size_t)n * sizeof(uint64_t));
    }
}

// r = a * b / R mod m, word by word (each row adds a[i] * b, then the
// multiple of m that clears the lowest word, and drops that word).
template <bool SECRET>
void montMulPortable(uint64_t* r, const uint64_t* a, const uint64_t* b, const MontgomeryModulus& mod)
{
    const int n = mod.limbs();
    const uint64_t* m = mod.modulus();
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

        const uint64_t q = t[0] * mod.inverse();
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
    finalSubtract<SECRET>(r, t, m, n);
}

template <bool SECRET>
void montSqrPortable(uint64_t* r, const uint64_t* a, const MontgomeryModulus& mod)
{
    montMulPortable<SECRET>(r, a, a, mod);
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

// Whether the processor and the system support AVX2 (asked once; the
// initialisation makes the answer valid during static construction too).
bool haveAvx2()
{
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
}

// The steps shared by the rows below: t[0..L-1] += d * x[0..L-1], leaving
// the high word of the last product in r11 and the two chains' carries in
// the OF and CF flags; `AFTER_SECOND` runs once word 1 is final.
#define VC_MONT_ROW_STEPS(AFTER_SECOND)    \
    "xor %%r11d, %%r11d\n\t"               \
    ".set J, 0\n\t"                        \
    ".rept %c[len]\n\t"                    \
    ".if J %% 2 == 0\n\t"                  \
    "mulx J*8(%[x]), %%rax, %%r10\n\t"     \
    "adox J*8(%[t]), %%rax\n\t"            \
    "adcx %%r11, %%rax\n\t"                \
    ".else\n\t"                            \
    "mulx J*8(%[x]), %%rax, %%r11\n\t"     \
    "adox J*8(%[t]), %%rax\n\t"            \
    "adcx %%r10, %%rax\n\t"                \
    ".endif\n\t"                           \
    "mov %%rax, J*8(%[t])\n\t"             \
    ".if J == 1\n\t" AFTER_SECOND ".endif\n\t" \
    ".set J, J+1\n\t"                      \
    ".endr\n\t"                            \
    ".if %c[len] %% 2\n\t"                 \
    "mov %%r10, %%r11\n\t"                 \
    ".endif\n\t"                           \
    "mov $0, %%eax\n\t"                    \
    "adox %%rax, %%r11\n\t"                \
    "adcx %%rax, %%r11\n\t"

// t[0..L-1] += d * x[0..L-1], and *carry becomes the carry word (written,
// not added): a row of a product (carry = t + L).
template <int L>
VC_ALWAYS_INLINE void mulAddRow(uint64_t* t, uint64_t d, const uint64_t* x, uint64_t* carry)
{
    asm volatile(VC_MONT_ROW_STEPS("") "mov %%r11, (%[carry])\n\t"
                 :
                 : "d"(d), [x] "r"(x), [t] "r"(t), [carry] "r"(carry), [len] "i"(L)
                 : "rax", "r10", "r11", "cc", "memory");
}

// t[0..L-1] = d * x[0..L-1], and *carry becomes the carry word: the first
// row of a product, which needs no cleared buffer.
template <int L>
VC_ALWAYS_INLINE void mulRow(uint64_t* t, uint64_t d, const uint64_t* x, uint64_t* carry)
{
    asm volatile(
        "xor %%r11d, %%r11d\n\t"
        ".set J, 0\n\t"
        ".rept %c[len]\n\t"
        ".if J %% 2 == 0\n\t"
        "mulx J*8(%[x]), %%rax, %%r10\n\t"
        "adcx %%r11, %%rax\n\t"
        ".else\n\t"
        "mulx J*8(%[x]), %%rax, %%r11\n\t"
        "adcx %%r10, %%rax\n\t"
        ".endif\n\t"
        "mov %%rax, J*8(%[t])\n\t"
        ".set J, J+1\n\t"
        ".endr\n\t"
        ".if %c[len] %% 2\n\t"
        "mov %%r10, %%r11\n\t"
        ".endif\n\t"
        "mov $0, %%eax\n\t"
        "adcx %%rax, %%r11\n\t"
        "mov %%r11, (%[carry])\n\t"
        :
        : "d"(d), [x] "r"(x), [t] "r"(t), [carry] "r"(carry), [len] "i"(L)
        : "rax", "r10", "r11", "cc", "memory");
}

// A reduction row: t[0..N-1] += d * m[0..N-1], then t[N] += the carry word
// + c, and c becomes the carry out of t[N] (0 or 1). Returns the multiplier
// of the next row, t[1] * n0, taken from the register, which spares the
// next row a wait for the stored word.
template <int N>
VC_ALWAYS_INLINE uint64_t reduceRow(uint64_t* t, uint64_t d, const uint64_t* m, uint64_t& c, uint64_t n0)
{
    uint64_t next;
    asm volatile(VC_MONT_ROW_STEPS("mov %%rax, %[next]\n\t")
                 "add %[c], %%r11\n\t"
                 "mov $0, %[c]\n\t"
                 "adc $0, %[c]\n\t"
                 "add %%r11, %c[len]*8(%[t])\n\t"
                 "adc $0, %[c]\n\t"
                 "imul %[n0], %[next]\n\t"
                 : [c] "+&r"(c), [next] "=&r"(next)
                 : "d"(d), [x] "r"(m), [t] "r"(t), [len] "i"(N), [n0] "r"(n0)
                 : "rax", "r10", "r11", "cc", "memory");
    return next;
}

// r = t mod m for t = t[0..N] < 2m, without branches: d = t - m goes to r,
// then each word of t replaces it by a conditional move when the
// subtraction borrowed past the top word (t < m). r and t differ.
template <int N>
VC_ALWAYS_INLINE void finalSubtractAdx(uint64_t* r, const uint64_t* t, const uint64_t* m)
{
    asm volatile(
        "mov (%[t]), %%rax\n\t"
        "sub (%[m]), %%rax\n\t"
        "mov %%rax, (%[r])\n\t"
        ".set J, 1\n\t"
        ".rept %c[n]-1\n\t"
        "mov J*8(%[t]), %%rax\n\t"
        "sbb J*8(%[m]), %%rax\n\t"
        "mov %%rax, J*8(%[r])\n\t"
        ".set J, J+1\n\t"
        ".endr\n\t"
        "mov %c[n]*8(%[t]), %%rax\n\t"
        "sbb $0, %%rax\n\t"
        ".set J, 0\n\t"
        ".rept %c[n]\n\t"
        "mov J*8(%[r]), %%rax\n\t"
        "cmovc J*8(%[t]), %%rax\n\t"
        "mov %%rax, J*8(%[r])\n\t"
        ".set J, J+1\n\t"
        ".endr\n\t"
        :
        : [r] "r"(r), [t] "r"(t), [m] "r"(m), [n] "i"(N)
        : "rax", "cc", "memory");
}

// Montgomery reduction of t[l][0..2N-1] into r[l] for L independent
// lanes (the two primes of a key). The rows of the lanes take turns: each
// row waits for the multiplier the row before it gives, and the other
// lane's row fills that wait.
template <int N, bool SECRET, int L>
VC_ALWAYS_INLINE void reduceAdx(uint64_t* const* r, uint64_t (*t)[2 * N + 1], const MontgomeryModulus* const* mod)
{
    uint64_t c[L], q[L], n0[L];
    for (int l = 0; l < L; ++l) {
        n0[l] = mod[l]->inverse();
        c[l] = 0;
        q[l] = t[l][0] * n0[l];
    }
    for (int i = 0; i < N; ++i)
        for (int l = 0; l < L; ++l)
            q[l] = reduceRow<N>(t[l] + i, q[l], mod[l]->modulus(), c[l], n0[l]);
    for (int l = 0; l < L; ++l) {
        t[l][2 * N] = c[l];
        if (SECRET)
            finalSubtractAdx<N>(r[l], t[l] + N, mod[l]->modulus());
        else
            finalSubtract<false>(r[l], t[l] + N, mod[l]->modulus(), N);
    }
}
#undef VC_MONT_ROW_STEPS

// r = a * b / R mod m in each lane: the product a * b in 2N words, row by
// row, then the reduction.
template <int N, bool SECRET, int L>
void montMulAdxLanes(uint64_t* const* r, const uint64_t* const* a, const uint64_t* const* b,
                     const MontgomeryModulus* const* mod)
{
    uint64_t t[L][2 * N + 1];
    vcPollKillThreadFlag();
    for (int l = 0; l < L; ++l)
        mulRow<N>(t[l], a[l][0], b[l], t[l] + N);
    for (int i = 1; i < N; ++i)
        for (int l = 0; l < L; ++l)
            mulAddRow<N>(t[l] + i, a[l][i], b[l], t[l] + i + N);
    reduceAdx<N, SECRET, L>(r, t, mod);
}

// Row I + 1 of the cross products a[i] * a[j], i < j: a[I + 1] *
// a[I+2..N-1] added at word 2I + 3.
template <int N, int L, size_t I>
VC_ALWAYS_INLINE void crossProductRow(uint64_t (*t)[2 * N + 1], const uint64_t* const* a)
{
    for (int l = 0; l < L; ++l)
        mulAddRow<N - 2 - (int)I>(t[l] + 2 * I + 3, a[l][I + 1], a[l] + I + 2, t[l] + I + N + 1);
}

template <int N, int L, size_t... I>
VC_ALWAYS_INLINE void crossProducts(uint64_t (*t)[2 * N + 1], const uint64_t* const* a, std::index_sequence<I...>)
{
    for (int l = 0; l < L; ++l) {
        t[l][0] = 0;
        t[l][2 * N - 1] = 0;
        mulRow<N - 1>(t[l] + 1, a[l][0], a[l] + 1, t[l] + N);
    }
    (crossProductRow<N, L, I>(t, a), ...);
}

// t[0..2N-1] = 2 * t + the squares a[i]^2 at word 2i: ADCX doubles
// (t + t), ADOX adds the squares.
template <int N>
VC_ALWAYS_INLINE void doubleAndAddSquares(uint64_t* t, const uint64_t* a)
{
    asm volatile(
        "xor %%eax, %%eax\n\t"
        ".set J, 0\n\t"
        ".rept %c[n]\n\t"
        "mov J*8(%[a]), %%rdx\n\t"
        "mulx %%rdx, %%r10, %%r11\n\t"
        "mov 16*J(%[t]), %%rax\n\t"
        "adcx %%rax, %%rax\n\t"
        "adox %%r10, %%rax\n\t"
        "mov %%rax, 16*J(%[t])\n\t"
        "mov 16*J+8(%[t]), %%rax\n\t"
        "adcx %%rax, %%rax\n\t"
        "adox %%r11, %%rax\n\t"
        "mov %%rax, 16*J+8(%[t])\n\t"
        ".set J, J+1\n\t"
        ".endr\n\t"
        :
        : [a] "r"(a), [t] "r"(t), [n] "i"(N)
        : "rax", "rdx", "r10", "r11", "cc", "memory");
}

// The square in each lane: the cross products once, doubled, plus the
// squares of the words, then the reduction; about a quarter fewer word
// products than a multiplication.
template <int N, bool SECRET, int L>
void montSqrAdxLanes(uint64_t* const* r, const uint64_t* const* a, const MontgomeryModulus* const* mod)
{
    uint64_t t[L][2 * N + 1];
    vcPollKillThreadFlag();
    crossProducts<N, L>(t, a, std::make_index_sequence<N - 2>());
    for (int l = 0; l < L; ++l)
        doubleAndAddSquares<N>(t[l], a[l]);
    reduceAdx<N, SECRET, L>(r, t, mod);
}

template <int N, bool SECRET>
void montMulAdx(uint64_t* r, const uint64_t* a, const uint64_t* b, const MontgomeryModulus& mod)
{
    const MontgomeryModulus* m = &mod;
    montMulAdxLanes<N, SECRET, 1>(&r, &a, &b, &m);
}

template <int N, bool SECRET>
void montSqrAdx(uint64_t* r, const uint64_t* a, const MontgomeryModulus& mod)
{
    const MontgomeryModulus* m = &mod;
    if constexpr (N <= 32)
        montSqrAdxLanes<N, SECRET, 1>(&r, &a, &m);
    else  // above 2048 bits (no prime is) a product keeps the unrolled code small
        montMulAdxLanes<N, SECRET, 1>(&r, &a, &a, &m);
}

// Eight limbs: product or square and reduction with the sum in registers.
// Branch-free whatever the secrecy of the modulus.
void montMul8Registers(uint64_t* r, const uint64_t* a, const uint64_t* b, const MontgomeryModulus& mod)
{
    vcPollKillThreadFlag();
    vcMontMul8Mulx(r, a, b, mod.modulus(), mod.inverse());
}

void montSqr8Registers(uint64_t* r, const uint64_t* a, const MontgomeryModulus& mod)
{
    vcPollKillThreadFlag();
    vcMontSqr8Mulx(r, a, mod.modulus(), mod.inverse());
}

// Sixteen limbs: the products in memory rows as above, the reduction with
// nine words of the sum in registers.
void montMul16Registers(uint64_t* r, const uint64_t* a, const uint64_t* b, const MontgomeryModulus& mod)
{
    uint64_t t[33];
    vcPollKillThreadFlag();
    mulRow<16>(t, a[0], b, t + 16);
    for (int i = 1; i < 16; ++i)
        mulAddRow<16>(t + i, a[i], b, t + i + 16);
    vcMontRedc16Mulx(r, t, mod.modulus(), mod.inverse());
}

void montSqr16Registers(uint64_t* r, const uint64_t* a, const MontgomeryModulus& mod)
{
    uint64_t t[1][33];
    vcPollKillThreadFlag();
    crossProducts<16, 1>(t, &a, std::make_index_sequence<14>());
    doubleAndAddSquares<16>(t[0], a);
    vcMontRedc16Mulx(r, t[0], mod.modulus(), mod.inverse());
}

// The lanes of a pair one after the other: the register kernels keep the
// multiplier busy on their own.
template <void (*MULTIPLY)(uint64_t*, const uint64_t*, const uint64_t*, const MontgomeryModulus&)>
void multiplyLanesInTurn(uint64_t* const* r, const uint64_t* const* a, const uint64_t* const* b,
                         const MontgomeryModulus* const* mod)
{
    MULTIPLY(r[0], a[0], b[0], *mod[0]);
    MULTIPLY(r[1], a[1], b[1], *mod[1]);
}

template <void (*SQUARE)(uint64_t*, const uint64_t*, const MontgomeryModulus&)>
void squareLanesInTurn(uint64_t* const* r, const uint64_t* const* a, const MontgomeryModulus* const* mod)
{
    SQUARE(r[0], a[0], *mod[0]);
    SQUARE(r[1], a[1], *mod[1]);
}

template <int N>
bool pickAdx(int n, bool secret, MontgomeryModulus::Routines& routines)
{
    if (n != N)
        return false;
    routines.select = haveAvx2() ? selectEntryWide<N> : selectEntryFixed<N>;
    if constexpr (N == 8) {
        routines.multiply = montMul8Registers;
        routines.square = montSqr8Registers;
        routines.multiplyPair = multiplyLanesInTurn<montMul8Registers>;
        routines.squarePair = squareLanesInTurn<montSqr8Registers>;
        return true;
    }
    if constexpr (N == 16) {
        routines.multiply = montMul16Registers;
        routines.square = montSqr16Registers;
        routines.multiplyPair = multiplyLanesInTurn<montMul16Registers>;
        routines.squarePair = squareLanesInTurn<montSqr16Registers>;
        return true;
    }
    routines.multiply = secret ? montMulAdx<N, true> : montMulAdx<N, false>;
    routines.square = secret ? montSqrAdx<N, true> : montSqrAdx<N, false>;
    if constexpr (N <= 32) {
        routines.multiplyPair = secret ? montMulAdxLanes<N, true, 2> : montMulAdxLanes<N, false, 2>;
        routines.squarePair = secret ? montSqrAdxLanes<N, true, 2> : montSqrAdxLanes<N, false, 2>;
    }
    return true;
}
#endif

// The pair routines of the sizes without their own: one lane after the other.
void multiplyPairInTurn(uint64_t* const* r, const uint64_t* const* a, const uint64_t* const* b,
                        const MontgomeryModulus* const* mod)
{
    mod[0]->multiply(r[0], a[0], b[0]);
    mod[1]->multiply(r[1], a[1], b[1]);
}

void squarePairInTurn(uint64_t* const* r, const uint64_t* const* a, const MontgomeryModulus* const* mod)
{
    mod[0]->square(r[0], a[0]);
    mod[1]->square(r[1], a[1]);
}

void pickRoutines(int n, bool secret, MontgomeryModulus::Routines& routines)
{
    routines.multiplyPair = multiplyPairInTurn;
    routines.squarePair = squarePairInTurn;
#if defined(__x86_64__)
    // The usual key and prime sizes: 512 to 4096 bits.
    if (haveMulxAdx() && g_montgomeryMulxAllowed.load(std::memory_order_relaxed) &&
        (pickAdx<8>(n, secret, routines) || pickAdx<12>(n, secret, routines) || pickAdx<16>(n, secret, routines) ||
         pickAdx<24>(n, secret, routines) || pickAdx<32>(n, secret, routines) || pickAdx<48>(n, secret, routines) ||
         pickAdx<64>(n, secret, routines)))
        return;
#endif
    routines.select = selectEntry;
    routines.multiply = secret ? montMulPortable<true> : montMulPortable<false>;
    routines.square = secret ? montSqrPortable<true> : montSqrPortable<false>;
}

inline int bitAt(const uint64_t* e, int i)
{
    return (int)(e[i / 64] >> (i % 64)) & 1;
}

// The w bits of e from bit i up (zeros beyond the eLimbs limbs); the
// positions read depend on i only.
inline uint64_t windowAt(const uint64_t* e, int eLimbs, int i, int w)
{
    const int limb = i / 64, shift = i % 64;
    uint64_t v = limb < eLimbs ? e[limb] >> shift : 0;
    if (shift + w > 64 && limb + 1 < eLimbs)
        v |= e[limb + 1] << (64 - shift);
    return v & (((uint64_t)1 << w) - 1);
}

// Sliding window width for an exponent of the given bit length.
int slidingWindowBits(int bits)
{
    return bits > 671 ? 6 : bits > 239 ? 5 : bits > 79 ? 4 : bits > 23 ? 3 : 1;
}

// Fixed window width: the least cost of table entries, window products and
// table reads (reading one entry of n limbs costs about 1 / (8n) of a
// product); at most 5, a table of 32 entries.
int fixedWindowBits(int bits, int n)
{
    int best = 1;
    long bestCost = 0;
    for (int w = 1; w <= 5; ++w) {
        const long windows = (bits + w - 1) / w;
        const long cost = 8L * n * (1 << w) + windows * (8L * n + (1 << w));
        if (w == 1 || cost < bestCost) {
            best = w;
            bestCost = cost;
        }
    }
    return best;
}
}  // namespace

MontgomeryModulus::MontgomeryModulus(const uint64_t* m, int limbs, MontgomerySecrecy secrecy) : m_n(limbs)
{
    std::memcpy(m_m, m, (size_t)m_n * sizeof(uint64_t));
    // Newton's iteration for m^-1 mod 2^64 (each step doubles the correct bits).
    uint64_t inverse = 1;
    for (int i = 0; i < 6; ++i)
        inverse *= 2 - m_m[0] * inverse;
    m_n0 = (uint64_t)0 - inverse;
    pickRoutines(m_n, secrecy != kPublic, m_routines);
    std::memset(m_rrr, 0, sizeof m_rrr);
    if (secrecy != kSecretModulus) {
        constantsByReduction();
        return;
    }
    constantsBySquaring();
    multiply(m_rrr, m_rr, m_rr);
}

void MontgomeryModulus::constantsBySquaring()
{
    // Doubling from the top bit of m, with a masked subtraction each time,
    // reaches R mod m and then 2^s * R mod m, the Montgomery form of 2^s,
    // where R = 2^(s * 2^j) with s odd; j squarings of it give the
    // Montgomery form of R, which is R^2 mod m.
    const int n = m_n;
    const int bits = limbsBitLength(m_m, n);
    int s = n, j = 6;
    while (s % 2 == 0) {
        s /= 2;
        ++j;
    }
    uint64_t v[kMontgomeryMaxLimbs + 1] = {};
    SecureZeroOnExit wipe(v, sizeof v);
    v[(bits - 1) / 64] = (uint64_t)1 << ((bits - 1) % 64);
    const int doublings = 64 * n - (bits - 1);
    for (int k = 0; k < doublings + s; ++k) {
        if (k == doublings)
            std::memcpy(m_one, v, (size_t)n * sizeof(uint64_t));
        uint64_t top = 0;
        for (int i = 0; i < n; ++i) {
            const uint64_t word = v[i];
            v[i] = word << 1 | top;
            top = word >> 63;
        }
        v[n] = top;
        finalSubtract<true>(v, v, m_m, n);
        v[n] = 0;
    }
    for (int k = 0; k < j; ++k)
        square(v, v);
    std::memcpy(m_rr, v, (size_t)n * sizeof(uint64_t));
}

namespace {
// v = v * 2^k mod m for v < m, 0 < k <= 64, and m of n limbs with its top
// bit set: one quotient word estimated from the top words, which is never
// below the true one and at most two above it, then corrected by adding m
// back.
void shiftReduce(uint64_t* v, const uint64_t* m, int n, int k)
{
    const uint64_t top = k == 64 ? v[n - 1] : v[n - 1] >> (64 - k);
    for (int i = n - 1; i > 0; --i)
        v[i] = k == 64 ? v[i - 1] : v[i] << k | v[i - 1] >> (64 - k);
    v[0] = k == 64 ? 0 : v[0] << k;
    const uint64_t q = top >= m[n - 1] ? ~(uint64_t)0 : (uint64_t)((((u128)top << 64) | v[n - 1]) / m[n - 1]);
    uint64_t carry = 0, borrow = 0;
    for (int i = 0; i < n; ++i) {
        const u128 p = (u128)q * m[i] + carry;
        carry = (uint64_t)(p >> 64);
        // Two flag-sized borrows rather than a 128-bit difference, which
        // the compiler keeps on the stack.
        uint64_t d;
        const bool first = __builtin_sub_overflow(v[i], (uint64_t)p, &d);
        const bool second = __builtin_sub_overflow(d, borrow, &d);
        v[i] = d;
        borrow = first | second;
    }
    // The word above v: zero once the remainder is back in range.
    uint64_t above = top - carry - borrow;
    while (above != 0) {
        carry = 0;
        for (int i = 0; i < n; ++i) {
            const u128 sum = (u128)v[i] + m[i] + carry;
            v[i] = (uint64_t)sum;
            carry = (uint64_t)(sum >> 64);
        }
        above += carry;
    }
}
}  // namespace

void MontgomeryModulus::constantsByReduction()
{
    // With m' = m * 2^t normalised (top bit set), x mod m = (x * 2^t mod
    // m') / 2^t; x * 2^t mod m' is reached from 2^(64 * top limbs) mod m' =
    // 2^(64 * top limbs) - m' one limb (or the t bits) at a time.
    const int n = m_n;
    int used = n;
    while (used > 1 && m_m[used - 1] == 0)
        --used;
    const int t = __builtin_clzll(m_m[used - 1]);
    // m may be a secret all the same (a prime candidate under test).
    uint64_t normal[kMontgomeryMaxLimbs] = {}, v[kMontgomeryMaxLimbs] = {};
    SecureZeroOnExit wipeNormal(normal, sizeof normal), wipeValue(v, sizeof v);
    for (int i = used - 1; i >= 0; --i)
        normal[i] = t == 0 ? m_m[i] : m_m[i] << t | (i ? m_m[i - 1] >> (64 - t) : 0);
    uint64_t borrow = 0;
    for (int i = 0; i < used; ++i) {
        const u128 d = (u128)0 - normal[i] - borrow;
        v[i] = (uint64_t)d;
        borrow = (uint64_t)(d >> 64) & 1;
    }
    if (t)
        shiftReduce(v, normal, used, t);
    auto unnormalise = [&](uint64_t* out) {
        std::memset(out, 0, (size_t)n * sizeof(uint64_t));
        for (int i = 0; i < used; ++i)
            out[i] = t == 0 ? v[i] : v[i] >> t | (i + 1 < used ? v[i + 1] << (64 - t) : 0);
    };
    for (int i = used; i < n; ++i)
        shiftReduce(v, normal, used, 64);
    unnormalise(m_one);
    for (int i = 0; i < n; ++i)
        shiftReduce(v, normal, used, 64);
    unnormalise(m_rr);
}

MontgomeryModulus::~MontgomeryModulus()
{
    vcSecureZero(m_m, sizeof m_m);
    vcSecureZero(m_one, sizeof m_one);
    vcSecureZero(m_rr, sizeof m_rr);
    vcSecureZero(m_rrr, sizeof m_rrr);
    vcSecureZero(&m_n0, sizeof m_n0);
}

void MontgomeryModulus::multiply(uint64_t* r, const uint64_t* a, const uint64_t* b) const
{
    m_routines.multiply(r, a, b, *this);
}

void MontgomeryModulus::square(uint64_t* r, const uint64_t* a) const
{
    m_routines.square(r, a, *this);
}

void MontgomeryModulus::toMontgomery(uint64_t* r, const uint64_t* a) const
{
    multiply(r, a, m_rr);
}

void MontgomeryModulus::toMontgomeryWide(uint64_t* r, const uint64_t* x) const
{
    // x = high * R + low: low * R^2 / R + high * R^3 / R = x * R.
    uint64_t high[kMontgomeryMaxLimbs];
    SecureZeroOnExit wipeHigh(high, sizeof high);
    multiply(high, x + m_n, m_rrr);
    multiply(r, x, m_rr);
    add(r, r, high);
}

void MontgomeryModulus::fromMontgomery(uint64_t* r, const uint64_t* a) const
{
    uint64_t unit[kMontgomeryMaxLimbs] = {1};
    multiply(r, a, unit);
}

void MontgomeryModulus::add(uint64_t* r, const uint64_t* a, const uint64_t* b) const
{
    uint64_t t[kMontgomeryMaxLimbs + 1];
    uint64_t carry = 0;
    for (int i = 0; i < m_n; ++i) {
        u128 s = (u128)a[i] + b[i] + carry;
        t[i] = (uint64_t)s;
        carry = (uint64_t)(s >> 64);
    }
    t[m_n] = carry;
    finalSubtract<true>(r, t, m_m, m_n);
    vcSecureZero(t, sizeof t);
}

void MontgomeryModulus::subtract(uint64_t* r, const uint64_t* a, const uint64_t* b) const
{
    uint64_t borrow = 0;
    for (int i = 0; i < m_n; ++i) {
        u128 d = (u128)a[i] - b[i] - borrow;
        r[i] = (uint64_t)d;
        borrow = (uint64_t)(d >> 64) & 1;
    }
    // A borrow out means a < b: add m back.
    const uint64_t mask = opaque(0 - borrow);
    uint64_t carry = 0;
    for (int i = 0; i < m_n; ++i) {
        u128 s = (u128)r[i] + (m_m[i] & mask) + carry;
        r[i] = (uint64_t)s;
        carry = (uint64_t)(s >> 64);
    }
}

void MontgomeryModulus::power(uint64_t* r, const uint64_t* base, const uint64_t* e, int eLimbs, int bits) const
{
    const int n = m_n;
    if (bits <= 0 || eLimbs <= 0) {
        std::memcpy(r, m_one, (size_t)n * sizeof(uint64_t));
        return;
    }
    const int w = slidingWindowBits(bits);
    // Odd powers base^1, base^3, ..., base^(2^w - 1).
    uint64_t table[32][kMontgomeryMaxLimbs];
    uint64_t acc[kMontgomeryMaxLimbs];
    // The base may be a secret (a blinding factor): the entries made and the
    // accumulator are wiped.
    SecureZeroOnExit wipeTable(table, sizeof table[0] * ((size_t)1 << (w - 1))), wipeAcc(acc, sizeof acc);
    std::memcpy(table[0], base, (size_t)n * sizeof(uint64_t));
    if (w > 1)
        square(acc, table[0]);
    for (int i = 1; i < (1 << (w - 1)); ++i)
        multiply(table[i], table[i - 1], acc);

    // Left to right; the accumulator starts as the first window's power.
    bool started = false;
    for (int i = bits - 1; i >= 0;) {
        if (!bitAt(e, i)) {
            if (started)
                square(acc, acc);
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
                square(acc, acc);
            multiply(acc, acc, table[value >> 1]);
        } else {
            std::memcpy(acc, table[value >> 1], (size_t)n * sizeof(uint64_t));
            started = true;
        }
        i = j - 1;
    }
    std::memcpy(r, started ? acc : m_one, (size_t)n * sizeof(uint64_t));
}

void MontgomeryModulus::powerSecretExponent(uint64_t* r, const uint64_t* base, const uint64_t* e, int eLimbs,
                                            int bits) const
{
    const MontgomeryModulus* mod = this;
    fixedWindowPower<1>(&mod, &r, &base, &e, eLimbs, bits);
}

void MontgomeryModulus::powerSecretExponentPair(const MontgomeryModulus& p, uint64_t* rp, const uint64_t* baseP,
                                                const uint64_t* eP, const MontgomeryModulus& q, uint64_t* rq,
                                                const uint64_t* baseQ, const uint64_t* eQ, int eLimbs, int bits)
{
    if (p.m_n != q.m_n) {
        p.powerSecretExponent(rp, baseP, eP, eLimbs, bits);
        q.powerSecretExponent(rq, baseQ, eQ, eLimbs, bits);
        return;
    }
    const MontgomeryModulus* mod[2] = {&p, &q};
    uint64_t* r[2] = {rp, rq};
    const uint64_t* base[2] = {baseP, baseQ};
    const uint64_t* e[2] = {eP, eQ};
    fixedWindowPower<2>(mod, r, base, e, eLimbs, bits);
}

template <int L>
void MontgomeryModulus::fixedWindowPower(const MontgomeryModulus* const* mod, uint64_t* const* r,
                                         const uint64_t* const* base, const uint64_t* const* e, int eLimbs, int bits)
{
    const int n = mod[0]->m_n;
    const size_t bytes = (size_t)n * sizeof(uint64_t);
    if (bits <= 0) {
        for (int l = 0; l < L; ++l)
            std::memcpy(r[l], mod[l]->m_one, bytes);
        return;
    }
    const int w = fixedWindowBits(bits, n);
    const int entries = 1 << w;
    // Per lane base^0 .. base^(2^w - 1), one after the other; every entry
    // is read for every window.
    struct Scratch {
        uint64_t table[L][32 * kMontgomeryMaxLimbs];
        uint64_t acc[L][kMontgomeryMaxLimbs];
        uint64_t factor[L][kMontgomeryMaxLimbs];
        size_t used;
        ~Scratch()
        {
            for (int l = 0; l < L; ++l)
                vcSecureZero(table[l], used);
            vcSecureZero(acc, sizeof acc);
            vcSecureZero(factor, sizeof factor);
        }
    } s;
    s.used = (size_t)entries * bytes;
    const Routines& routines = mod[0]->m_routines;
    // The lanes together: one product or square in each.
    auto multiply = [&](uint64_t* const* out, const uint64_t* const* x, const uint64_t* const* y) {
        if constexpr (L == 2)
            routines.multiplyPair(out, x, y, mod);
        else
            routines.multiply(out[0], x[0], y[0], *mod[0]);
    };
    auto square = [&](uint64_t* const* out, const uint64_t* const* x) {
        if constexpr (L == 2)
            routines.squarePair(out, x, mod);
        else
            routines.square(out[0], x[0], *mod[0]);
    };
    uint64_t* entry[L];
    const uint64_t *half[L], *previous[L], *first[L];
    for (int l = 0; l < L; ++l) {
        std::memcpy(s.table[l], mod[l]->m_one, bytes);
        std::memcpy(s.table[l] + n, base[l], bytes);
        first[l] = s.table[l] + n;
    }
    for (int k = 2; k < entries; ++k) {
        for (int l = 0; l < L; ++l) {
            entry[l] = s.table[l] + k * n;
            half[l] = s.table[l] + k / 2 * n;
            previous[l] = s.table[l] + (k - 1) * n;
        }
        if (k % 2 == 0)
            square(entry, half);
        else
            multiply(entry, previous, first);
    }
    // Every window is full: the exponent is read from a multiple of w bits
    // down, leading zeros included, and every window costs w squarings and
    // one product, a zero window too.
    uint64_t* acc[L];
    uint64_t* factor[L];
    for (int l = 0; l < L; ++l) {
        acc[l] = s.acc[l];
        factor[l] = s.factor[l];
    }
    int at = (bits + w - 1) / w * w - w;
    for (int l = 0; l < L; ++l)
        routines.select(acc[l], s.table[l], entries, windowAt(e[l], eLimbs, at, w), n);
    for (at -= w; at >= 0; at -= w) {
        for (int k = 0; k < w; ++k)
            square(acc, acc);
        for (int l = 0; l < L; ++l)
            routines.select(factor[l], s.table[l], entries, windowAt(e[l], eLimbs, at, w), n);
        multiply(acc, acc, factor);
    }
    for (int l = 0; l < L; ++l)
        std::memcpy(r[l], acc[l], bytes);
}

void montgomeryModPower(CHugeDigit& result, const CHugeDigit& base, const CHugeDigit& e, const CHugeDigit& m)
{
    const int n = (m.Digits() + 1) / 2;
    const int bits = e.Bits();
    if (bits == 0) {
        result = Modulo(CHugeDigit(1ul), m);
        return;
    }
    // The numbers may be secrets (a prime candidate's Fermat test raises to
    // the candidate modulo itself).
    uint64_t limbs[kMontgomeryMaxLimbs], x[kMontgomeryMaxLimbs], exponent[(CHugeDigit::kCapacity + 1) / 2];
    SecureZeroOnExit wipeModulus(limbs, sizeof limbs), wipeValue(x, sizeof x), wipeExponent(exponent, sizeof exponent);
    limbsFromHugeDigit(limbs, n, m);
    const MontgomeryModulus mod(limbs, n, kPublic);
    const int eLimbs = (e.Digits() + 1) / 2;
    limbsFromHugeDigit(exponent, eLimbs, e);
    limbsFromHugeDigit(x, n, base);
    mod.toMontgomery(x, x);
    mod.power(x, x, exponent, eLimbs, bits);
    mod.fromMontgomery(x, x);
    hugeDigitFromLimbs(result, x, n);
}
