#pragma once
// CRSAPublicKey: an RSA public key of up to 2048 bits, held as fixed
// big-endian fields right-aligned in 256 bytes, and the public-key halves
// of the library's three RSA uses with PKCS #1 v1.5 blocks: verifying a
// signed digest (UnlockDigest) and wrapping a symmetric key (LockKey).
//
// Archive form (schema 1): byte 0, WORD field length L (written 256, at
// most 256 on loading), WORD bits (508..2048 on loading), modulus and
// exponent in L bytes each, right-aligned.
//
// Every failure of a lock or unlock operation throws CUnlockException; an
// unknown digest algorithm code throws CNotSupportedException.
//
// Threads: the const operations (verifying, wrapping, and signing and
// unwrapping on a private key) may run on one key from several threads at
// once. The key prepares its operations on first use and keeps them; a key
// whose fields change prepares anew. Changing or assigning a key while
// another thread uses it is not allowed.
#include <memory>

#include "platform/afx.h"
#include "vaultcore/crypto/digest_maker.h"
#include "vaultcore/vaultcore_export.h"

class CHugeDigit;
class CKey;
class RsaPublicOperation;

class VAULTCORE_API CRSAPublicKey : public CObject {
    DECLARE_SERIAL(CRSAPublicKey)
public:
    enum { kFieldSize = 256, kPrimeFieldSize = 128, kMinStoredBits = 508, kMaxBits = 2048 };

    // All zeros, 0 bits.
    CRSAPublicKey();
    CRSAPublicKey(const CRSAPublicKey& other);
    CRSAPublicKey& operator=(const CRSAPublicKey& other);
    ~CRSAPublicKey() override;

    // Bits, modulus and exponent, byte for byte.
    BOOL operator==(const CRSAPublicKey& other) const;
    BOOL operator!=(const CRSAPublicKey& other) const { return !(*this == other); }

    void Serialize(CArchive& ar) override;

    // k = (bits + 7) / 8, the byte length of every RSA block.
    unsigned long RsaOutputSize() const { return ((unsigned long)m_wBits + 7) / 8; }

    // Verifies a signature: recovers the digest of algorithm alg from the
    // locked block into digest (16 or 20 bytes); the caller compares it with
    // its own. lockedBits positions the block (the modulus length for a
    // signature of full size).
    void UnlockDigest(EDigestAlgorithm alg, const CByteArray& locked, unsigned char* digest,
                      unsigned short lockedBits) const;
    void UnlockDigest(EDigestAlgorithm alg, const unsigned char* locked, unsigned long size, unsigned char* digest,
                      unsigned short lockedBits) const;
    // Wraps the key's bytes for the holder of the private key (block type 2
    // with random non-zero padding); out is k bytes.
    void LockKey(const CKey& key, CByteArray& out) const;

    unsigned short GetBits() const { return m_wBits; }
    const unsigned char* GetModulus() const { return m_modulus; }
    const unsigned char* GetExponent() const { return m_exponent; }
    // Sets the public fields from big-endian numbers of up to 256 bytes
    // (leading zero bytes beyond that are allowed); FALSE when one is longer
    // or bits exceeds 2048, the key then unchanged.
    BOOL SetPublicKey(unsigned short bits, const unsigned char* modulus, unsigned long modulusLength,
                      const unsigned char* exponent, unsigned long exponentLength);

protected:
    // out = in^e mod n as exactly k bytes; in and out may be the same array.
    virtual void ProcessData(const CByteArray& in, CByteArray& out) const;
    // out = 00, block type, padding (k - n - 3 bytes), 00, data.
    virtual void EncodeData(const unsigned char* p, unsigned long n, CByteArray& out, unsigned char blockType) const;
    // The data of a block; FALSE when it is not a well-formed block.
    virtual BOOL DecodeData(const CByteArray& in, unsigned short inBits, CByteArray& out,
                            unsigned char blockType) const;

    // The key's fields from an archive, checked; throws before changing anything.
    static void loadField(CArchive& ar, unsigned short length, unsigned char* field, unsigned short size);
    // The input of an RSA operation as a number x <= n (bytes in front of
    // the last 256 must be zero); throws message on data above n or a zero
    // modulus.
    void readOperand(const CByteArray& in, CHugeDigit& x, const char* message) const;
    // y as exactly k bytes.
    void writeResult(const CHugeDigit& y, CByteArray& out) const;
    // out = in^e mod n as k bytes, for in of `size` bytes; throws as
    // ProcessData does.
    void publicOperation(const unsigned char* in, unsigned long size, unsigned char* out) const;
    // Where the data of a block of k bytes begins and how long it is; FALSE
    // when the block is not well formed (see DecodeData).
    BOOL findBlockData(const unsigned char* block, unsigned long size, unsigned short inBits,
                       unsigned char blockType, long& offset, long& length) const;

    WORD m_wBits;
    unsigned char m_modulus[kFieldSize];
    unsigned char m_exponent[kFieldSize];

private:
    // The public operation prepared from the fields on first use; shared
    // with copies of the key and made anew when the fields change.
    mutable std::shared_ptr<const RsaPublicOperation> m_publicOperation;
};

// Places a big-endian number right-aligned in a field of `size` bytes;
// FALSE (field unchanged) when its significant bytes do not fit.
VAULTCORE_API BOOL ___placeRightAligned(unsigned char* field, unsigned long size, const unsigned char* p,
                                        unsigned long n);
