#include "vaultcore/crypto/bad_rc2_algorithm.h"

#include <cstring>

#include "vaultcore/crypto/rc2_core.h"
#include "vaultcore/crypto/rc2_tab.h"
#include "vaultcore/crypto/secure_zero.h"

void CBadRC2Algorithm::BuildPermutation(unsigned char* table)
{
    for (int i = 0; i < 256; ++i) {
        // C++ remainders take the sign of the dividend.
        const LONG rem = kBadRC2TableA[i] % 256;
        table[i] = (unsigned char)(kBadRC2TableB[i] ^ (unsigned char)(rem & 0xff));
    }
}

CBadRC2Algorithm::CBadRC2Algorithm(const CRC2key& key, int mode, const unsigned char* iv)
    : CCryptoProcessor(8, mode, iv)
{
    unsigned char table[256];
    BuildPermutation(table);
    rc2_core::expandKey(key.Data(), key.Size(), key.GetBits(), table, m_keyWords);
}

CBadRC2Algorithm::~CBadRC2Algorithm()
{
    vcSecureZero(m_keyWords, sizeof m_keyWords);
}

void CBadRC2Algorithm::EncipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    rc2_core::encrypt(m_keyWords, in, out);
}

void CBadRC2Algorithm::DecipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    rc2_core::decrypt(m_keyWords, in, out);
}
