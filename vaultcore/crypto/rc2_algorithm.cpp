#include "vaultcore/crypto/rc2_algorithm.h"

#include <cstring>

#include "vaultcore/crypto/rc2_core.h"
#include "vaultcore/crypto/rc2_tab.h"
#include "vaultcore/crypto/secure_zero.h"

namespace rc2_core {

void expandKey(const unsigned char* key, unsigned long T, unsigned T1, const unsigned char* P, WORD* K)
{
    unsigned char L[128];
    if (T > 128)
        T = 128;
    if (T1 == 0 || T1 > 1024)
        T1 = 1024;
    std::memset(L, 0, sizeof L);
    if (T)
        std::memcpy(L, key, T);
    else
        T = 1;  // an empty key expands like one zero byte
    for (unsigned i = (unsigned)T; i < 128; ++i)
        L[i] = P[(unsigned char)(L[i - 1] + L[i - T])];
    const unsigned T8 = (T1 + 7) / 8;
    const unsigned TM = 255u >> (8 * T8 - T1);
    L[128 - T8] = P[L[128 - T8] & TM];
    for (int i = 127 - (int)T8; i >= 0; --i)
        L[i] = P[L[i + 1] ^ L[i + T8]];
    for (int i = 0; i < 64; ++i)
        K[i] = (WORD)(L[2 * i] | (L[2 * i + 1] << 8));
    vcSecureZero(L, sizeof L);
}

}  // namespace rc2_core

CRC2Algorithm::CRC2Algorithm(const CRC2key& key, int mode, const unsigned char* iv)
    : CCryptoProcessor(8, mode, iv)
{
    rc2_core::expandKey(key.Data(), key.Size(), key.GetBits(), kRC2PiTable, m_keyWords);
}

CRC2Algorithm::~CRC2Algorithm()
{
    vcSecureZero(m_keyWords, sizeof m_keyWords);
}

void CRC2Algorithm::EncipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    rc2_core::encrypt(m_keyWords, in, out);
}

void CRC2Algorithm::DecipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    rc2_core::decrypt(m_keyWords, in, out);
}
