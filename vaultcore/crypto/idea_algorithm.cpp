#include "vaultcore/crypto/idea_algorithm.h"

#include <cstring>

#include "vaultcore/crypto/secure_zero.h"

namespace {

// Multiplication modulo 2^16 + 1, the word 0 standing for 2^16.
inline WORD mul(DWORD a, DWORD b)
{
    if (a == 0)
        return (WORD)(1 - b);
    if (b == 0)
        return (WORD)(1 - a);
    const DWORD p = a * b;
    const DWORD lo = p & 0xffff, hi = p >> 16;
    return (WORD)(lo - hi + (lo < hi ? 1 : 0));
}

// Multiplicative inverse modulo 2^16 + 1 (0 and 1 are their own inverses),
// as x^(2^16 - 1) since 2^16 + 1 is prime.
WORD mulInverse(WORD x)
{
    if (x <= 1)
        return x;
    uint64_t result = 1, base = x, e = 65535;
    while (e) {
        if (e & 1)
            result = result * base % 65537;
        base = base * base % 65537;
        e >>= 1;
    }
    return (WORD)result;
}

inline WORD load16(const unsigned char* p)
{
    return (WORD)((p[0] << 8) | p[1]);
}

inline void store16(unsigned char* p, WORD v)
{
    p[0] = (unsigned char)(v >> 8);
    p[1] = (unsigned char)v;
}

void crypt(const WORD* z, const unsigned char* in, unsigned char* out)
{
    WORD x1 = load16(in + 2), x2 = load16(in), x3 = load16(in + 6), x4 = load16(in + 4);
    for (int round = 0; round < 8; ++round, z += 6) {
        x1 = mul(x1, z[0]);
        x2 = (WORD)(x2 + z[1]);
        x3 = (WORD)(x3 + z[2]);
        x4 = mul(x4, z[3]);
        const WORD e = mul((WORD)(x1 ^ x3), z[4]);
        const WORD f = mul((WORD)(e + (x2 ^ x4)), z[5]);
        const WORD g = (WORD)(e + f);
        x1 ^= f;
        x4 ^= g;
        const WORD t = (WORD)(x2 ^ g);
        x2 = (WORD)(x3 ^ f);
        x3 = t;
    }
    // The output transformation undoes the exchange of the last round.
    const WORD y1 = mul(x1, z[0]);
    const WORD y2 = (WORD)(x3 + z[1]);
    const WORD y3 = (WORD)(x2 + z[2]);
    const WORD y4 = mul(x4, z[3]);
    store16(out + 2, y1);
    store16(out, y2);
    store16(out + 6, y3);
    store16(out + 4, y4);
}

}  // namespace

CIDEAAlgorithm::CIDEAAlgorithm(const CIDEAkey& key, int mode, const unsigned char* iv)
    : CCryptoProcessor(8, mode, iv)
{
    unsigned char k[16] = {0};
    std::memcpy(k, key.Data(), key.Size() < 16 ? key.Size() : 16);
    // The 128-bit key register, first key word most significant; each further
    // group of eight subkeys comes from it rotated left by 25 bits.
    uint64_t hi = 0, lo = 0;
    for (int i = 0; i < 4; ++i)
        hi = (hi << 16) | (uint64_t)(k[2 * i] | (k[2 * i + 1] << 8));
    for (int i = 4; i < 8; ++i)
        lo = (lo << 16) | (uint64_t)(k[2 * i] | (k[2 * i + 1] << 8));
    WORD* ek = m_encryptKeys;
    for (int n = 0; n < 52; ++n) {
        const int j = n % 8;
        if (n > 0 && j == 0) {
            const uint64_t h = (hi << 25) | (lo >> 39);
            const uint64_t l = (lo << 25) | (hi >> 39);
            hi = h;
            lo = l;
        }
        ek[n] = (WORD)(j < 4 ? hi >> (48 - 16 * j) : lo >> (48 - 16 * (j - 4)));
    }
    hi = lo = 0;
    vcSecureZero(k, sizeof k);

    WORD* dk = m_decryptKeys;
    dk[0] = mulInverse(ek[48]);
    dk[1] = (WORD)(0 - ek[49]);
    dk[2] = (WORD)(0 - ek[50]);
    dk[3] = mulInverse(ek[51]);
    dk[4] = ek[46];
    dk[5] = ek[47];
    for (int r = 1; r < 8; ++r) {
        const int base = 48 - 6 * r;
        dk[6 * r] = mulInverse(ek[base]);
        dk[6 * r + 1] = (WORD)(0 - ek[base + 2]);
        dk[6 * r + 2] = (WORD)(0 - ek[base + 1]);
        dk[6 * r + 3] = mulInverse(ek[base + 3]);
        dk[6 * r + 4] = ek[base - 2];
        dk[6 * r + 5] = ek[base - 1];
    }
    dk[48] = mulInverse(ek[0]);
    dk[49] = (WORD)(0 - ek[1]);
    dk[50] = (WORD)(0 - ek[2]);
    dk[51] = mulInverse(ek[3]);
}

CIDEAAlgorithm::~CIDEAAlgorithm()
{
    vcSecureZero(m_encryptKeys, sizeof m_encryptKeys);
    vcSecureZero(m_decryptKeys, sizeof m_decryptKeys);
}

void CIDEAAlgorithm::EncipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    crypt(m_encryptKeys, in, out);
}

void CIDEAAlgorithm::DecipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    crypt(m_decryptKeys, in, out);
}
