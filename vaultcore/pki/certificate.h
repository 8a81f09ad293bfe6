#pragma once
// CCertificate: the library's X.509 certificate, a flat record of the fields
// it uses (version, serial number, signature algorithm, issuer, validity,
// owner, RSA public key of up to 2048 bits, signature), with signing,
// verification, the validity and issuer tests, equality, a text dump and a
// stored form. Unique identifiers and extensions of version 2 and 3
// certificates are not kept. CASN1_Certificate (certificate_asn1.h) carries
// it in DER.
#include "vaultcore/crypto/rsa_public_key.h"
#include "vaultcore/pki/distinguished_name.h"
#include "vaultcore/pki/serial_number.h"
#include "vaultcore/pki/signed_record.h"
#include "vaultcore/pki/utc_time_value.h"

class CCertificateRevocationList;

class VAULTCORE_API CCertificate : public CObject, public CSignedRecord {
    DECLARE_SERIAL(CCertificate)
public:
    enum { kFieldSize = 256 };

    // Version 0, empty serial number and names, both times now, zero key
    // and signature, no cached digest.
    CCertificate();
    // Copies every field; the cached digests only where their flags are set.
    CCertificate(const CCertificate& other);
    CCertificate& operator=(const CCertificate& other);
    ~CCertificate() override;

    // Empties the serial number and both names.
    void Done();

    // The key's modulus bits, modulus and exponent into the record.
    void GetDataFrom(const CRSAPublicKey& key);
    // The record's key into key; a key of more than 2048 bits throws
    // CUnlockException (key unchanged).
    void SetDataTo(CRSAPublicKey& key) const;

    // Signing and verification with a key: CSignedRecord. With the issuer's
    // certificate: its key (SetDataTo) verifies this one's signature.
    using CSignedRecord::IsSignatureOKFor;
    BOOL IsSignatureOKFor(const CCertificate& issuer) const;
    // notBefore <= time <= notAfter.
    BOOL IsValidationPeriodOKFor(const CUTCTime& time) const;
    // This certificate's owner is other's issuer and this certificate is
    // valid now (the signature is not checked).
    BOOL IsIssuerOf(const CCertificate& other) const;
    // Issuer and owner are the same name.
    BOOL IsSelfSigned() const;
    // The list is this certificate issuer's and holds an entry with this
    // certificate's serial number (equal by value). The list's signature
    // and times are not checked.
    BOOL IsPresentInCRL(const CCertificateRevocationList& crl) const;

    // The multi-line dump: version, serial number, algorithm, issuer,
    // validity, owner and public key, lines ending in "\r\n".
    operator CString() const;

    // Format byte 1 (0 and 1 load), version, algorithm, modulus bits,
    // signature bits, exponent, modulus and signature fields, the cached
    // digests (the SHA-1 one absent in format 0), then serial number,
    // issuer, not before, not after and owner. Loading refuses another
    // format byte, an unknown algorithm, or signature bits beyond the field
    // (2048) with the generic archive exception, leaving the record as it
    // was.
    void Serialize(CArchive& ar) override;

    // The DER of the to-be-signed part built from the record (a
    // CASN1_CertificateData); the caller owns it.
    CASN1Type* NewToBeSigned() const override;

    BYTE m_version;  // 0, 1 or 2 for X.509 versions 1, 2, 3
    CSerialNumber m_serialNumber;
    CDistinguishedName m_issuer;
    CUTCTime m_notBefore;
    CUTCTime m_notAfter;
    CDistinguishedName m_owner;
    WORD m_modulusBits;
    unsigned char m_publicExponent[kFieldSize];  // big-endian, right-aligned
    unsigned char m_modulus[kFieldSize];         // big-endian, right-aligned
};

// Version, serial number (by value), algorithm, names, times, key and the
// signature fields equal; the cached digests are not compared.
VAULTCORE_API BOOL operator==(const CCertificate& a, const CCertificate& b);
VAULTCORE_API BOOL operator!=(const CCertificate& a, const CCertificate& b);

// Arrays of certificates held by value: each element dropped runs Done;
// archived certificate by certificate.
template <>
inline void DestructElements<CCertificate>(CCertificate* elements, int count)
{
    for (int i = 0; i < count; ++i) {
        elements[i].Done();
        elements[i].~CCertificate();
    }
}
VC_SERIALIZED_VALUE_ELEMENTS(CCertificate)
