#include "vaultcore/crypto/sha1_digest_maker.h"

#include <atomic>
#include <cstring>

#include "vaultcore/crypto/sha1_compress.h"
#include "vaultcore/crypto/secure_zero.h"

CSHA1DigestMaker::CSHA1DigestMaker() : CDigestMaker(64)
{
    ResetContext();
}

CSHA1DigestMaker::~CSHA1DigestMaker()
{
    vcSecureZero(m_state, sizeof m_state);
    vcSecureZero(m_schedule, sizeof m_schedule);
    vcSecureZero(m_block, sizeof m_block);
}

namespace {
std::atomic<bool> shaInstructionsAllowed{true};

inline bool useShaInstructions()
{
    return sha1HaveShaInstructions() && shaInstructionsAllowed.load(std::memory_order_relaxed);
}
}  // namespace

BOOL CSHA1DigestMaker::UsesShaInstructions()
{
    return useShaInstructions();
}

BOOL CSHA1DigestMaker::AllowShaInstructions(BOOL allow)
{
    return shaInstructionsAllowed.exchange(allow != FALSE);
}

void CSHA1DigestMaker::ResetContext()
{
    m_state[0] = 0x67452301;
    m_state[1] = 0xEFCDAB89;
    m_state[2] = 0x98BADCFE;
    m_state[3] = 0x10325476;
    m_state[4] = 0xC3D2E1F0;
    m_count[0] = m_count[1] = 0;
    std::memset(m_schedule, 0, sizeof m_schedule);
    std::memset(m_block, 0, sizeof m_block);
    m_nBuffered = 0;
}

void CSHA1DigestMaker::GetCurrentDigest(unsigned char* out) const
{
    for (int i = 0; i < 5; ++i) {
        out[4 * i] = (unsigned char)(m_state[i] >> 24);
        out[4 * i + 1] = (unsigned char)(m_state[i] >> 16);
        out[4 * i + 2] = (unsigned char)(m_state[i] >> 8);
        out[4 * i + 3] = (unsigned char)m_state[i];
    }
}

void CSHA1DigestMaker::UpdateDigest(const unsigned char* block)
{
    if (useShaInstructions())
        sha1CompressShaNi(m_state, block, 1);
    else
        sha1CompressPortable(m_state, block, m_schedule);
}

void CSHA1DigestMaker::UpdateTotalLength(int n)
{
    uint64_t bits = ((uint64_t)m_count[1] << 32 | m_count[0]) + (uint64_t)(uint32_t)n * 8;
    m_count[0] = (uint32_t)bits;
    m_count[1] = (uint32_t)(bits >> 32);
}

void CSHA1DigestMaker::UpdateLastBytes()
{
    unsigned char pad[72] = {0x80};
    int padLength = 64 - m_nBuffered - 8;
    if (padLength < 1)
        padLength += 64;
    unsigned char length[8];
    for (int i = 0; i < 4; ++i) {
        length[i] = (unsigned char)(m_count[1] >> (24 - 8 * i));
        length[4 + i] = (unsigned char)(m_count[0] >> (24 - 8 * i));
    }
    UpdateBlock(pad, padLength, nullptr, 0, 0);
    UpdateBlock(length, 8, nullptr, 0, 0);
}
