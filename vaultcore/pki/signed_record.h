#pragma once
// CSignedRecord: what certificates and revocation lists have in common as
// signed records: the signature algorithm code, the RSA signature block and
// its length, the digests of the to-be-signed DER cached by decoding and
// signing, and signing and verification with them.
//
// A derived record says how its to-be-signed part is built (NewToBeSigned);
// its ASN.1 class fills the signature fields with TakeSignature and
// CacheDigestOf when it decodes, and writes them with NewSignatureBits.
#include "vaultcore/asn1/universal_types.h"
#include "vaultcore/crypto/rsa_private_key.h"
#include "vaultcore/pki/algorithm_identifier.h"

class VAULTCORE_API CSignedRecord {
public:
    enum { kSignatureFieldSize = 256, kDigestSize = 16, kSHA1DigestSize = 20 };

    // Signs the record with SHA-1 with RSA: the algorithm becomes
    // eSHA1WithRSAEncryption, the signature the key's block (right-aligned,
    // zeros in front) over the SHA-1 digest of the to-be-signed DER built
    // from the record as it stands, and that digest the SHA-1 cache (the
    // 16-octet cache is cleared). A key whose blocks exceed 256 octets
    // throws CUnlockException and leaves the record unchanged; so does a
    // failure of the RSA operation.
    void SignWith(const CRSAPrivateKey& key);
    // Unlocks the signature with the key and compares the digest it holds
    // with the cached digest of the record's algorithm, or one computed from
    // the record when none is cached. FALSE for a mismatch, an unknown
    // algorithm or a signature length beyond the field; a malformed RSA
    // block throws CUnlockException.
    BOOL IsSignatureOKFor(const CRSAPublicKey& key) const;

    int32_t m_signatureAlgorithm;                    // ESignatureAlgorithm
    unsigned char m_signature[kSignatureFieldSize];  // right-aligned
    WORD m_signatureBits;                            // in the last (bits + 7) / 8 octets
    unsigned char m_cachedDigest[kDigestSize];       // MD2 or MD5, by algorithm
    int32_t m_cachedDigestFlag;
    unsigned char m_cachedSHA1Digest[kSHA1DigestSize];
    int32_t m_cachedSHA1DigestFlag;

    // The new to-be-signed ASN.1 value of the record; the caller owns it.
    virtual CASN1Type* NewToBeSigned() const = 0;

    // For the record's ASN.1 class. The signature BIT STRING, read into the
    // field (right-aligned) with its bit count; a signature longer than the
    // field throws CDERDecodingException with failureMessage.
    void TakeSignature(const CASN1Type& bits, const char* failureMessage);
    // A new BIT STRING of the signature; a bit count beyond the field
    // throws CDERDecodingException.
    CASN1_BIT_STRING* NewSignatureBits() const;
    // Both caches cleared, then the cache of the record's algorithm filled
    // with the digest of the decoded to-be-signed value.
    void CacheDigestOf(const CASN1Type& toBeSigned);
    // Algorithm, signature field and signature bits equal (not the caches).
    BOOL SameSignatureAs(const CSignedRecord& other) const;

protected:
    CSignedRecord();
    CSignedRecord(const CSignedRecord& other);
    CSignedRecord& operator=(const CSignedRecord& other);
    virtual ~CSignedRecord();

    // The stored caches: each flag (16 bits) followed by the digest when it
    // is set. Loading reads the ones the format holds and clears the others;
    // it refuses nothing.
    void StoreCachedDigests(CArchive& ar) const;
    void LoadCachedDigests(CArchive& ar, BOOL withDigest, BOOL withSHA1Digest);
    // The signature's octets: the last k of the field; null when the bit
    // count does not fit the field.
    const unsigned char* SignatureOctets(unsigned long& k) const;
};
