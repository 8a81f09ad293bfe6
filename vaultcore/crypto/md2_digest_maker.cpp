#include "vaultcore/crypto/md2_digest_maker.h"

#include <cstring>

#include "vaultcore/crypto/md2_tab.h"
#include "vaultcore/crypto/secure_zero.h"

CMD2DigestMaker::CMD2DigestMaker() : CDigestMaker(16)
{
    ResetContext();
}

CMD2DigestMaker::~CMD2DigestMaker()
{
    vcSecureZero(m_state, sizeof m_state);
    vcSecureZero(m_checksum, sizeof m_checksum);
    vcSecureZero(m_block, sizeof m_block);
}

void CMD2DigestMaker::ResetContext()
{
    std::memset(m_state, 0, sizeof m_state);
    std::memset(m_checksum, 0, sizeof m_checksum);
    std::memset(m_block, 0, sizeof m_block);
    m_nBuffered = 0;
}

void CMD2DigestMaker::GetCurrentDigest(unsigned char* out) const
{
    std::memcpy(out, m_state, sizeof m_state);
}

void CMD2DigestMaker::UpdateDigest(const unsigned char* block)
{
    // RFC 1319 section 3.4: 18 rounds over the 48-byte buffer X | M | X ^ M.
    unsigned char x[48];
    for (int j = 0; j < 16; ++j) {
        x[j] = m_state[j];
        x[16 + j] = block[j];
        x[32 + j] = (unsigned char)(block[j] ^ m_state[j]);
    }
    unsigned t = 0;
    for (unsigned round = 0; round < 18; ++round) {
        for (int k = 0; k < 48; ++k)
            t = x[k] ^= kMD2Substitution[t];
        t = (t + round) & 0xFF;
    }
    std::memcpy(m_state, x, 16);

    // Section 3.2 with the published correction: C[j] ^= S[M[j] ^ L].
    unsigned char l = m_checksum[15];
    for (int j = 0; j < 16; ++j)
        l = m_checksum[j] ^= kMD2Substitution[block[j] ^ l];
}

void CMD2DigestMaker::UpdateLastBytes()
{
    unsigned char pad[16];
    int k = 16 - m_nBuffered;
    std::memset(pad, k, sizeof pad);
    UpdateBlock(pad, k, nullptr, 0, 0);
    // The checksum block changes the checksum as it is compressed: feed a copy.
    unsigned char checksum[16];
    std::memcpy(checksum, m_checksum, sizeof checksum);
    UpdateBlock(checksum, 16, nullptr, 0, 0);
}
