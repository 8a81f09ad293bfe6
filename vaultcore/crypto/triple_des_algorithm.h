#pragma once
// CTripleDESAlgorithm: three-key triple DES (EDE). Encryption is E(K1),
// D(K2), E(K3) on each block, decryption D(K3), E(K2), D(K1); K1, K2, K3 are
// key bytes 0-7, 8-15, 16-23. In chained mode the chaining wraps the whole
// EDE operation (outer CBC, as DES-EDE3-CBC).
#include "vaultcore/crypto/des_algorithm.h"

class VAULTCORE_API CTripleDESAlgorithm : public CDESAlgorithm {
public:
    CTripleDESAlgorithm(const CTripleDESkey& key, int mode, const unsigned char* iv = nullptr);
    ~CTripleDESAlgorithm() override;

protected:
    void EncipherAlgorithm(const unsigned char* in, unsigned char* out) override;
    void DecipherAlgorithm(const unsigned char* in, unsigned char* out) override;

    // K1 uses the schedules of the base class.
    DWORD m_encryptKeys2[32];
    DWORD m_decryptKeys2[32];
    DWORD m_encryptKeys3[32];
    DWORD m_decryptKeys3[32];
};
