#pragma once
// CDESAlgorithm: DES (FIPS 46-3), 8-byte blocks. Mode non-zero: each block on
// its own; mode 0: CBC with iv (zeros when null).
#include "vaultcore/crypto/crypto_processor.h"
#include "vaultcore/crypto/keys.h"

class VAULTCORE_API CDESAlgorithm : public CCryptoProcessor {
public:
    CDESAlgorithm(const CDESkey& key, int mode, const unsigned char* iv = nullptr);
    ~CDESAlgorithm() override;

protected:
    // For derived classes that set up their own schedules.
    CDESAlgorithm(int mode, const unsigned char* iv);

    void EncipherAlgorithm(const unsigned char* in, unsigned char* out) override;
    void DecipherAlgorithm(const unsigned char* in, unsigned char* out) override;

    DWORD m_encryptKeys[32];
    DWORD m_decryptKeys[32];
};
