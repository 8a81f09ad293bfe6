#pragma once
// MD5 (RFC 1321): 64-byte blocks, 16-byte digest.
#include "vaultcore/crypto/digest_maker.h"

class VAULTCORE_API CMD5DigestMaker : public CDigestMaker {
public:
    CMD5DigestMaker();
    // Wipes the state and the buffered bytes: a maker may have digested
    // secrets (the random generator's state, say).
    ~CMD5DigestMaker() override;

    // A, B, C, D little-endian: 16 bytes.
    void GetCurrentDigest(unsigned char* out) const override;
    void ResetContext() override;

protected:
    void UpdateDigest(const unsigned char* block) override;
    void UpdateTotalLength(int n) override;
    void UpdateLastBytes() override;

private:
    uint32_t m_state[4];
    uint32_t m_count[2];  // message length in bits: low word, high word
    unsigned char* blockBuffer() override { return m_block; }
    unsigned char m_block[64];
};
