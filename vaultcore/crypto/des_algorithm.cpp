#include "vaultcore/crypto/des_algorithm.h"

#include <cstring>

#include "vaultcore/crypto/des_core.h"
#include "vaultcore/crypto/secure_zero.h"

namespace des_core {

void keySchedule(const unsigned char* key, DWORD* encrypt, DWORD* decrypt)
{
    uint64_t k = 0;
    for (int i = 0; i < 8; ++i)
        k = (k << 8) | key[i];
    // C and D: the two 28-bit halves of permuted choice 1.
    uint64_t cd = 0;
    for (int i = 0; i < 56; ++i)
        cd = (cd << 1) | ((k >> (64 - kDesPC1[i])) & 1);
    DWORD c = (DWORD)(cd >> 28);
    DWORD d = (DWORD)(cd & 0x0fffffff);
    for (int round = 0; round < 16; ++round) {
        const unsigned s = kDesRotations[round];
        c = ((c << s) | (c >> (28 - s))) & 0x0fffffff;
        d = ((d << s) | (d >> (28 - s))) & 0x0fffffff;
        const uint64_t both = ((uint64_t)c << 28) | d;
        uint64_t sub = 0;
        for (int i = 0; i < 48; ++i)
            sub = (sub << 1) | ((both >> (56 - kDesPC2[i])) & 1);
        DWORD group[8];
        for (int g = 0; g < 8; ++g)
            group[g] = (DWORD)((sub >> (42 - 6 * g)) & 63);
        encrypt[2 * round] = (group[0] << 26) | (group[2] << 18) | (group[4] << 10) | (group[6] << 2);
        encrypt[2 * round + 1] = (group[7] << 26) | (group[1] << 18) | (group[3] << 10) | (group[5] << 2);
    }
    for (int round = 0; round < 16; ++round) {
        decrypt[2 * round] = encrypt[2 * (15 - round)];
        decrypt[2 * round + 1] = encrypt[2 * (15 - round) + 1];
    }
    k = cd = 0;
}

}  // namespace des_core

CDESAlgorithm::CDESAlgorithm(int mode, const unsigned char* iv) : CCryptoProcessor(8, mode, iv)
{
    std::memset(m_encryptKeys, 0, sizeof m_encryptKeys);
    std::memset(m_decryptKeys, 0, sizeof m_decryptKeys);
}

CDESAlgorithm::CDESAlgorithm(const CDESkey& key, int mode, const unsigned char* iv) : CDESAlgorithm(mode, iv)
{
    unsigned char k[8] = {0};
    std::memcpy(k, key.Data(), key.Size() < 8 ? key.Size() : 8);
    des_core::keySchedule(k, m_encryptKeys, m_decryptKeys);
    vcSecureZero(k, sizeof k);
}

CDESAlgorithm::~CDESAlgorithm()
{
    vcSecureZero(m_encryptKeys, sizeof m_encryptKeys);
    vcSecureZero(m_decryptKeys, sizeof m_decryptKeys);
}

void CDESAlgorithm::EncipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    DWORD l = des_core::loadBE(in), r = des_core::loadBE(in + 4);
    des_core::initialPermutation(l, r);
    des_core::rounds(l, r, m_encryptKeys);
    des_core::finalPermutation(l, r);
    des_core::storeBE(out, l);
    des_core::storeBE(out + 4, r);
}

void CDESAlgorithm::DecipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    DWORD l = des_core::loadBE(in), r = des_core::loadBE(in + 4);
    des_core::initialPermutation(l, r);
    des_core::rounds(l, r, m_decryptKeys);
    des_core::finalPermutation(l, r);
    des_core::storeBE(out, l);
    des_core::storeBE(out + 4, r);
}
