#pragma once
// CIDEAAlgorithm: IDEA (Lai and Massey), 8-byte blocks, 128-bit keys, with
// this library's word order, which its stored data depend on:
//   key:   the eight initial 16-bit key words are little-endian,
//          word i = byte 2i + 256 * byte 2i+1;
//   block: the four 16-bit words are big-endian but taken as
//          X1 = bytes 2-3, X2 = bytes 0-1, X3 = bytes 6-7, X4 = bytes 4-5,
//          and the output words go back to the same places.
// Round structure, subkey expansion and decryption subkeys are those of the
// published cipher.
#include "vaultcore/crypto/crypto_processor.h"
#include "vaultcore/crypto/keys.h"

class VAULTCORE_API CIDEAAlgorithm : public CCryptoProcessor {
public:
    CIDEAAlgorithm(const CIDEAkey& key, int mode, const unsigned char* iv = nullptr);
    ~CIDEAAlgorithm() override;

protected:
    void EncipherAlgorithm(const unsigned char* in, unsigned char* out) override;
    void DecipherAlgorithm(const unsigned char* in, unsigned char* out) override;

    WORD m_encryptKeys[52];
    WORD m_decryptKeys[52];
};
