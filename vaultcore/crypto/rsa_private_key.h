#pragma once
// CRSAPrivateKey: the private half of an RSA key (exponent d, primes p > q,
// d mod (p - 1), d mod (q - 1), q^-1 mod p), with signing (LockDigest,
// block type 1) and unwrapping a symmetric key (UnlockKey, block type 2).
// The private operation gives x^d mod n, computed with the primes when the
// key has them, on a blinded input, in constant time and checked with the
// public exponent before it leaves (see rsa_private_operation.h).
//
// Archive form: the public part, then byte 0, WORD L1 (<= 256), d in L1
// bytes, WORD L2 (<= 256), p || q in L2 bytes, dP || dQ in L2 bytes and the
// coefficient in L2 / 2 bytes, each right-aligned in its field.
#include "vaultcore/crypto/rsa_public_key.h"

class RsaPrivateOperation;

class VAULTCORE_API CRSAPrivateKey : public CRSAPublicKey {
    DECLARE_SERIAL(CRSAPrivateKey)
public:
    CRSAPrivateKey();
    CRSAPrivateKey(const CRSAPrivateKey& other);
    CRSAPrivateKey& operator=(const CRSAPrivateKey& other);
    ~CRSAPrivateKey() override;

    void Serialize(CArchive& ar) override;

    // Signs a digest of algorithm alg (16 or 20 bytes): the DigestInfo in a
    // block of type 1, raised to d; out is the k-byte signature.
    void LockDigest(EDigestAlgorithm alg, const unsigned char* digest, CByteArray& out) const;
    // The same, right-aligned in size bytes with zeros in front; size must
    // be at least k.
    void LockDigest(EDigestAlgorithm alg, const unsigned char* digest, unsigned char* out, unsigned long size) const;
    // Unwraps a key wrapped by LockKey into key (key.Set); the key must
    // accept the unwrapped bytes.
    void UnlockKey(const CByteArray& locked, CKey& key, unsigned short lockedBits) const;

    const unsigned char* GetPrivateExponent() const { return m_privateExponent; }
    // p then q, 128 bytes each.
    const unsigned char* GetPrime(int i) const { return m_prime[i]; }
    const unsigned char* GetPrimeExponent(int i) const { return m_primeExponent[i]; }
    const unsigned char* GetCoefficient() const { return m_coefficient; }
    // Sets the private fields from big-endian numbers (d up to 256 bytes,
    // the others up to 128); FALSE when one does not fit, the key unchanged.
    BOOL SetPrivateKey(const unsigned char* d, unsigned long dLength, const unsigned char* p, unsigned long pLength,
                       const unsigned char* q, unsigned long qLength, const unsigned char* dP, unsigned long dPLength,
                       const unsigned char* dQ, unsigned long dQLength, const unsigned char* qInv,
                       unsigned long qInvLength);

protected:
    // out = in^d mod n; throws CUnlockException when the key cannot do it
    // (an even modulus, no public exponent) or the result does not verify.
    void ProcessData(const CByteArray& in, CByteArray& out) const override;
    // The given block type, padding FF (00 for block type 0).
    void EncodeData(const unsigned char* p, unsigned long n, CByteArray& out, unsigned char blockType) const override;
    // Requires block type 2 whatever blockType says; data non-empty.
    BOOL DecodeData(const CByteArray& in, unsigned short inBits, CByteArray& out,
                    unsigned char blockType) const override;

    unsigned char m_privateExponent[kFieldSize];
    unsigned char m_prime[2][kPrimeFieldSize];
    unsigned char m_primeExponent[2][kPrimeFieldSize];
    unsigned char m_coefficient[kPrimeFieldSize];

private:
    // The private operation prepared from the fields on first use; shared
    // with copies of the key and made anew when the fields change.
    mutable std::shared_ptr<const RsaPrivateOperation> m_privateOperation;
};
