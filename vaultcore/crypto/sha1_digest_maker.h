#pragma once
// SHA-1 (FIPS 180-1): 64-byte blocks, 20-byte digest. The compression uses
// the processor's SHA instructions where present (chosen at run time) and a
// portable version elsewhere.
#include "vaultcore/crypto/digest_maker.h"

class VAULTCORE_API CSHA1DigestMaker : public CDigestMaker {
public:
    CSHA1DigestMaker();
    // Wipes the state and the buffered bytes: a maker may have digested
    // secrets (the random generator's state, say).
    ~CSHA1DigestMaker() override;

    // H0-H4 big-endian: 20 bytes.
    void GetCurrentDigest(unsigned char* out) const override;
    void ResetContext() override;

    // Whether the processor's SHA instructions are in use.
    static BOOL UsesShaInstructions();
    // Allows or forbids the SHA instructions (both paths give the same
    // digests; tests and benchmarks compare them). Returns the old setting.
    static BOOL AllowShaInstructions(BOOL allow);

protected:
    void UpdateDigest(const unsigned char* block) override;
    void UpdateTotalLength(int n) override;
    void UpdateLastBytes() override;

private:
    uint32_t m_state[5];
    uint32_t m_count[2];      // message length in bits: low word, high word
    uint32_t m_schedule[80];  // message schedule of the portable compression
    unsigned char* blockBuffer() override { return m_block; }
    unsigned char m_block[64];
};
