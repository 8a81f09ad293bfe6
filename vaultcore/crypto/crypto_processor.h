#pragma once
// CCryptoProcessor: the common driver of every block cipher. It walks a
// buffer block by block, either each block on its own (electronic codebook)
// or through the four chaining hooks, adds and removes the final-block
// padding (p bytes of value p, 1 <= p <= block size) and sends one Hint(1)
// per processed block to an optional progress object.
//
// An algorithm class supplies only EncipherAlgorithm/DecipherAlgorithm (one
// block) and its key schedule. In chained mode the base hooks perform
// cipher-block chaining with the processor's own chaining values, so every
// algorithm constructed with mode 0 is its CBC variant; a derived class may
// route the hooks elsewhere (see CCBC_ModeProcessor).
//
// Size and padding failures are thrown through AfxThrowUnlockException.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class CProgress;

class VAULTCORE_API CCryptoProcessor {
public:
    virtual ~CCryptoProcessor();
    CCryptoProcessor(const CCryptoProcessor&) = delete;
    CCryptoProcessor& operator=(const CCryptoProcessor&) = delete;

    // Largest output of EncryptFinal / DecryptFinal for n input bytes.
    virtual unsigned long EncrFinalOutMaxSize(unsigned long n);
    virtual unsigned long DecrFinalOutMaxSize(unsigned long n);
    // Encrypts n bytes and appends the padding; returns the output length,
    // n - n % b + b. out must hold EncrFinalOutMaxSize(n) bytes.
    virtual unsigned long EncryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                                       CProgress* progress);
    // Decrypts n bytes (a non-zero multiple of the block size), checks and
    // strips the padding; returns the plaintext length. out must hold
    // DecrFinalOutMaxSize(n) bytes; nothing is written past the plaintext.
    virtual unsigned long DecryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                                       CProgress* progress);
    // Number of Hint calls the corresponding call makes for n bytes.
    virtual unsigned long CountHints(unsigned long n, int final);
    // Throw unless n is acceptable input for decryption / encryption.
    virtual void CheckCiphertextSize(unsigned long n);
    virtual void CheckPlaintextSize(unsigned long n);

    // Chaining values back to the initial vector.
    void ResetEncryptionContext();
    void ResetDecryptionContext();
    // n must be a multiple of the block size; in and out may be the same buffer.
    void EncryptBlock(const unsigned char* in, unsigned long n, unsigned char* out, CProgress* progress);
    void DecryptBlock(const unsigned char* in, unsigned long n, unsigned char* out, CProgress* progress);

    unsigned long GetBlockSize() const { return m_dwBlockSize; }
    // Non-zero: electronic codebook; zero: chained.
    int GetMode() const { return m_nMode; }

    // Largest block size of any algorithm (RC5 with 64-bit words).
    static const unsigned long kMaxBlockSize = 16;

protected:
    // Chained mode: the three chaining arrays start as iv (zeros when null).
    CCryptoProcessor(unsigned long blockSize, int mode, const unsigned char* iv);

    // Chaining hooks, one block each; chain is the encryption or decryption
    // chaining value. The base performs CBC.
    virtual void EncryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain);
    virtual void EncryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain);
    virtual void DecryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain);
    virtual void DecryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain);
    // One block; in and out may be the same.
    virtual void EncipherAlgorithm(const unsigned char* in, unsigned char* out) = 0;
    virtual void DecipherAlgorithm(const unsigned char* in, unsigned char* out) = 0;

    int m_nMode;
    DWORD m_dwBlockSize;
    CByteArray m_initialVector;
    CByteArray m_encryptChain;
    CByteArray m_decryptChain;

private:
    // The ciphertext block a CBC decryption step must remember until its
    // post-processing (input and output may share a buffer).
    unsigned char m_feedback[kMaxBlockSize];
};
