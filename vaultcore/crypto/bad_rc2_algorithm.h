#pragma once
// CBadRC2Algorithm: RC2 with this library's own key-expansion permutation,
// built by the constructor from two stored tables (bad_rc2_tab.cpp). Only
// data encrypted by this class itself can be read with it.
#include "vaultcore/crypto/crypto_processor.h"
#include "vaultcore/crypto/keys.h"

class VAULTCORE_API CBadRC2Algorithm : public CCryptoProcessor {
public:
    CBadRC2Algorithm(const CRC2key& key, int mode, const unsigned char* iv = nullptr);
    ~CBadRC2Algorithm() override;

    // The permutation the constructor builds from the stored tables.
    static void BuildPermutation(unsigned char* table256);

protected:
    void EncipherAlgorithm(const unsigned char* in, unsigned char* out) override;
    void DecipherAlgorithm(const unsigned char* in, unsigned char* out) override;

    WORD m_keyWords[64];
};
