#pragma once
// The content-encryption algorithms of the envelope and open commands:
// DES-CBC, DES-EDE3-CBC and RC2-CBC with 40, 64 or 128 effective key bits,
// each with its algorithm identifier and PKCS #5 padding, as S/MIME peers
// (openssl smime -des, -des3, -rc2-40, -rc2-64, -rc2-128) use them.
#include <memory>
#include <string>
#include <vector>

#include "vaultcore/vaultcore.h"

class ContentCipher {
public:
    // A fresh random key and IV for "des", "3des" or "rc2" (rc2Bits 40, 64
    // or 128).
    ContentCipher(const std::string& name, unsigned short rc2Bits);
    // The cipher an algorithm identifier names, with its IV and RC2 key
    // bits; the key is set with SetKey. Fails for another algorithm or
    // malformed parameters.
    ContentCipher(const CASN1_AlgorithmIdentifier& algorithm, const std::string& where);
    ~ContentCipher();

    // A new identifier with the parameters; the caller owns it.
    CASN1_AlgorithmIdentifier* NewAlgorithmIdentifier() const;
    const CKey& Key() const { return *m_key; }
    // Takes unwrapped key octets; fails when they do not fit the cipher.
    void SetKey(const CKey& unwrapped, const std::string& where);

    std::vector<unsigned char> Encrypt(const std::vector<unsigned char>& plain) const;
    // Fails when the padding is wrong (another key, or damaged data).
    std::vector<unsigned char> Decrypt(const std::vector<unsigned char>& encrypted, const std::string& where) const;

private:
    enum Kind { kDES, kTripleDES, kRC2 };
    std::unique_ptr<CCryptoProcessor> newProcessor() const;
    // rc2-cbc's RC2-CBC-Parameter: the effective key bits and the IV.
    void readRC2Parameters(const CASN1_AlgorithmIdentifier& algorithm, const std::string& where);

    Kind m_kind;
    unsigned short m_rc2Bits = 0;
    std::vector<unsigned char> m_iv;
    std::unique_ptr<CKey> m_key;
};
