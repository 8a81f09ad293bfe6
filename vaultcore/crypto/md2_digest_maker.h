#pragma once
// MD2 (RFC 1319): 16-byte blocks, 16-byte digest.
#include "vaultcore/crypto/digest_maker.h"

class VAULTCORE_API CMD2DigestMaker : public CDigestMaker {
public:
    CMD2DigestMaker();
    // Wipes the state and the buffered bytes: a maker may have digested
    // secrets (the random generator's state, say).
    ~CMD2DigestMaker() override;

    // The 16-byte state X.
    void GetCurrentDigest(unsigned char* out) const override;
    void ResetContext() override;

protected:
    void UpdateDigest(const unsigned char* block) override;
    // MD2 pads by value and has no length counter.
    void UpdateTotalLength(int) override {}
    void UpdateLastBytes() override;

private:
    unsigned char m_state[16];
    unsigned char m_checksum[16];
    unsigned char* blockBuffer() override { return m_block; }
    unsigned char m_block[16];
};
