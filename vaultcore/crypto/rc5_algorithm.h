#pragma once
// RC5-w/r/b (RFC 2040) with a block of 2, 4, 8 or 16 bytes (word size
// w = 8, 16, 32 or 64 bits), r rounds below 256 and a key of 0 to 255
// bytes. Words are little-endian.
//   CRC5PadAlgorithm: with the processor's final-block padding;
//   CRC5Algorithm:    without padding; final calls take whole blocks only.
// Callers check IsValidRounds and IsValidBlockSize first; other values are
// refused with CUnlockException (no schedule is built for them).
#include <vector>

#include "vaultcore/crypto/crypto_processor.h"
#include "vaultcore/crypto/keys.h"

class VAULTCORE_API CRC5PadAlgorithm : public CCryptoProcessor {
public:
    CRC5PadAlgorithm(const CRC5key& key, unsigned long rounds, unsigned long blockSize, int mode,
                     const unsigned char* iv = nullptr);
    ~CRC5PadAlgorithm() override;

    static BOOL IsValidRounds(unsigned long rounds) { return rounds < 256; }
    static BOOL IsValidBlockSize(unsigned long blockSize)
    {
        return blockSize == 2 || blockSize == 4 || blockSize == 8 || blockSize == 16;
    }

    unsigned long GetRounds() const { return m_dwRounds; }

protected:
    void EncipherAlgorithm(const unsigned char* in, unsigned char* out) override;
    void DecipherAlgorithm(const unsigned char* in, unsigned char* out) override;

    typedef void (*BlockRoutine)(const std::vector<uint64_t>& S, unsigned long rounds, const unsigned char* in,
                                 unsigned char* out);

    DWORD m_dwRounds;
    // The expanded key table S of 2r + 2 words, each held in a 64-bit cell.
    std::vector<uint64_t> m_S;
    BlockRoutine m_encrypt = nullptr;
    BlockRoutine m_decrypt = nullptr;
};

class VAULTCORE_API CRC5Algorithm : public CRC5PadAlgorithm {
public:
    CRC5Algorithm(const CRC5key& key, unsigned long rounds, unsigned long blockSize, int mode,
                  const unsigned char* iv = nullptr);

    // Encrypts n bytes (a multiple of the block size) as they are; returns n.
    unsigned long EncryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                               CProgress* progress) override;
    // Decrypts n bytes (a non-zero multiple of the block size); returns n.
    unsigned long DecryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                               CProgress* progress) override;
    unsigned long DecrFinalOutMaxSize(unsigned long n) override { return n; }
    void CheckPlaintextSize(unsigned long n) override;
};
