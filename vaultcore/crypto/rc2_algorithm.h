#pragma once
// CRC2Algorithm: RC2 (RFC 2268), 8-byte blocks, with the effective key bits
// of the CRC2key. Block words are little-endian.
#include "vaultcore/crypto/crypto_processor.h"
#include "vaultcore/crypto/keys.h"

class VAULTCORE_API CRC2Algorithm : public CCryptoProcessor {
public:
    CRC2Algorithm(const CRC2key& key, int mode, const unsigned char* iv = nullptr);
    ~CRC2Algorithm() override;

protected:
    void EncipherAlgorithm(const unsigned char* in, unsigned char* out) override;
    void DecipherAlgorithm(const unsigned char* in, unsigned char* out) override;

    WORD m_keyWords[64];
};
