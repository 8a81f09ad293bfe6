#pragma once
// The RC2 key expansion and block function (RFC 2268) shared by both RC2
// classes, which differ only in the permutation the expansion uses;
// internal to the library.
#include "platform/types.h"

namespace rc2_core {

// K = 64 key words from T key bytes (at most 128 are used) and T1 effective
// bits, through the permutation P.
void expandKey(const unsigned char* key, unsigned long T, unsigned T1, const unsigned char* P, WORD* K);

inline WORD rol(WORD x, unsigned s)
{
    return (WORD)((x << s) | (x >> (16 - s)));
}

inline void encrypt(const WORD* K, const unsigned char* in, unsigned char* out)
{
    WORD r0 = (WORD)(in[0] | (in[1] << 8)), r1 = (WORD)(in[2] | (in[3] << 8));
    WORD r2 = (WORD)(in[4] | (in[5] << 8)), r3 = (WORD)(in[6] | (in[7] << 8));
    const WORD* k = K;
    for (int round = 0; round < 16; ++round, k += 4) {
        r0 = rol((WORD)(r0 + k[0] + (r3 & r2) + (~r3 & r1)), 1);
        r1 = rol((WORD)(r1 + k[1] + (r0 & r3) + (~r0 & r2)), 2);
        r2 = rol((WORD)(r2 + k[2] + (r1 & r0) + (~r1 & r3)), 3);
        r3 = rol((WORD)(r3 + k[3] + (r2 & r1) + (~r2 & r0)), 5);
        if (round == 4 || round == 10) {
            r0 = (WORD)(r0 + K[r3 & 63]);
            r1 = (WORD)(r1 + K[r0 & 63]);
            r2 = (WORD)(r2 + K[r1 & 63]);
            r3 = (WORD)(r3 + K[r2 & 63]);
        }
    }
    out[0] = (unsigned char)r0, out[1] = (unsigned char)(r0 >> 8);
    out[2] = (unsigned char)r1, out[3] = (unsigned char)(r1 >> 8);
    out[4] = (unsigned char)r2, out[5] = (unsigned char)(r2 >> 8);
    out[6] = (unsigned char)r3, out[7] = (unsigned char)(r3 >> 8);
}

inline void decrypt(const WORD* K, const unsigned char* in, unsigned char* out)
{
    WORD r0 = (WORD)(in[0] | (in[1] << 8)), r1 = (WORD)(in[2] | (in[3] << 8));
    WORD r2 = (WORD)(in[4] | (in[5] << 8)), r3 = (WORD)(in[6] | (in[7] << 8));
    const WORD* k = K + 60;
    for (int round = 15; round >= 0; --round, k -= 4) {
        r3 = (WORD)(rol(r3, 11) - k[3] - (r2 & r1) - (~r2 & r0));
        r2 = (WORD)(rol(r2, 13) - k[2] - (r1 & r0) - (~r1 & r3));
        r1 = (WORD)(rol(r1, 14) - k[1] - (r0 & r3) - (~r0 & r2));
        r0 = (WORD)(rol(r0, 15) - k[0] - (r3 & r2) - (~r3 & r1));
        if (round == 11 || round == 5) {
            r3 = (WORD)(r3 - K[r2 & 63]);
            r2 = (WORD)(r2 - K[r1 & 63]);
            r1 = (WORD)(r1 - K[r0 & 63]);
            r0 = (WORD)(r0 - K[r3 & 63]);
        }
    }
    out[0] = (unsigned char)r0, out[1] = (unsigned char)(r0 >> 8);
    out[2] = (unsigned char)r1, out[3] = (unsigned char)(r1 >> 8);
    out[4] = (unsigned char)r2, out[5] = (unsigned char)(r2 >> 8);
    out[6] = (unsigned char)r3, out[7] = (unsigned char)(r3 >> 8);
}

}  // namespace rc2_core
