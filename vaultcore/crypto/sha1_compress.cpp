#include "vaultcore/crypto/sha1_compress.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define VC_SHA_X86 1
#endif

namespace {
inline uint32_t rotl(uint32_t x, int s)
{
    return (x << s) | (x >> (32 - s));
}
}  // namespace

void sha1CompressPortable(uint32_t state[5], const unsigned char* block, uint32_t schedule[80])
{
    // The rounds work on a local copy of the schedule, which the compiler
    // keeps close; the caller's array receives it afterwards.
    uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = (uint32_t)block[4 * t] << 24 | (uint32_t)block[4 * t + 1] << 16 | (uint32_t)block[4 * t + 2] << 8 |
               block[4 * t + 3];
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    // One round; the caller rotates the roles of a..e instead of moving them.
    // The schedule is expanded as the rounds reach it (expanding it ahead in
    // a separate loop invites vectorisation that stalls on its own stores).
#define SHA1_W(t) ((t) < 16 ? w[t] : (w[t] = rotl(w[(t)-3] ^ w[(t)-8] ^ w[(t)-14] ^ w[(t)-16], 1)))
#define SHA1_ROUND(f, k, a, b, c, d, e, t)             \
    e += rotl(a, 5) + (f) + (k) + SHA1_W(t);           \
    b = rotl(b, 30);
#define SHA1_FIVE(f, k, t)                                            \
    SHA1_ROUND(f(b, c, d), k, a, b, c, d, e, (t))                     \
    SHA1_ROUND(f(a, b, c), k, e, a, b, c, d, (t) + 1)                 \
    SHA1_ROUND(f(e, a, b), k, d, e, a, b, c, (t) + 2)                 \
    SHA1_ROUND(f(d, e, a), k, c, d, e, a, b, (t) + 3)                 \
    SHA1_ROUND(f(c, d, e), k, b, c, d, e, a, (t) + 4)
#define SHA1_CH(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define SHA1_PARITY(x, y, z) ((x) ^ (y) ^ (z))
#define SHA1_MAJ(x, y, z) (((x) & (y)) | ((z) & ((x) | (y))))
    for (int t = 0; t < 20; t += 5) {
        SHA1_FIVE(SHA1_CH, 0x5A827999u, t)
    }
    for (int t = 20; t < 40; t += 5) {
        SHA1_FIVE(SHA1_PARITY, 0x6ED9EBA1u, t)
    }
    for (int t = 40; t < 60; t += 5) {
        SHA1_FIVE(SHA1_MAJ, 0x8F1BBCDCu, t)
    }
    for (int t = 60; t < 80; t += 5) {
        SHA1_FIVE(SHA1_PARITY, 0xCA62C1D6u, t)
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    std::memcpy(schedule, w, sizeof w);
}

#ifdef VC_SHA_X86
bool sha1HaveShaInstructions()
{
    static const bool have = [] {
        unsigned a, b, c, d;
        if (!__get_cpuid(1, &a, &b, &c, &d))
            return false;
        bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
        if (__get_cpuid_max(0, nullptr) < 7)
            return false;
        __cpuid_count(7, 0, a, b, c, d);
        return ssse3 && sse41 && (b & (1u << 29));
    }();
    return have;
}

// Four rounds: the next E from the previous group's A (and the message
// words), then sha1rnds4 with the round function of this group.
#define SHA1_GROUP(g)                                                                          \
    do {                                                                                       \
        if ((g) >= 4)                                                                          \
            msg[(g) % 4] = _mm_sha1msg2_epu32(                                                 \
                _mm_xor_si128(_mm_sha1msg1_epu32(msg[(g) % 4], msg[((g) + 1) % 4]), msg[((g) + 2) % 4]), \
                msg[((g) + 3) % 4]);                                                           \
        __m128i next = (g) == 0 ? _mm_add_epi32(e, msg[0]) : _mm_sha1nexte_epu32(e, msg[(g) % 4]); \
        e = abcd;                                                                              \
        abcd = _mm_sha1rnds4_epu32(abcd, next, (g) / 5);                                       \
    } while (0)

__attribute__((target("sha,sse4.1,ssse3"))) void sha1CompressShaNi(uint32_t state[5], const unsigned char* data,
                                                                     size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128((const __m128i*)state), 0x1B);
    __m128i eStart = _mm_set_epi32((int)state[4], 0, 0, 0);
    for (; blocks; --blocks, data += 64) {
        const __m128i abcdSaved = abcd;
        __m128i e = eStart;
        __m128i msg[4];
        for (int i = 0; i < 4; ++i)
            msg[i] = _mm_shuffle_epi8(_mm_loadu_si128((const __m128i*)(data + 16 * i)), byteSwap);
        SHA1_GROUP(0);
        SHA1_GROUP(1);
        SHA1_GROUP(2);
        SHA1_GROUP(3);
        SHA1_GROUP(4);
        SHA1_GROUP(5);
        SHA1_GROUP(6);
        SHA1_GROUP(7);
        SHA1_GROUP(8);
        SHA1_GROUP(9);
        SHA1_GROUP(10);
        SHA1_GROUP(11);
        SHA1_GROUP(12);
        SHA1_GROUP(13);
        SHA1_GROUP(14);
        SHA1_GROUP(15);
        SHA1_GROUP(16);
        SHA1_GROUP(17);
        SHA1_GROUP(18);
        SHA1_GROUP(19);
        eStart = _mm_sha1nexte_epu32(e, eStart);
        abcd = _mm_add_epi32(abcd, abcdSaved);
    }
    _mm_storeu_si128((__m128i*)state, _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = (uint32_t)_mm_extract_epi32(eStart, 3);
}
#else
bool sha1HaveShaInstructions()
{
    return false;
}

void sha1CompressShaNi(uint32_t*, const unsigned char*, size_t) {}
#endif
