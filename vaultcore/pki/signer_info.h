#pragma once
// SignerInfo: one signer of a PKCS #7 signed message. The host computes the
// digest and its encryption; this class carries them.
#include "vaultcore/pki/algorithm_identifier.h"
#include "vaultcore/pki/issuer_and_serial_number.h"
#include "vaultcore/pki/pkcs7_attribute.h"

// SignerInfo ::= SEQUENCE { version (1), issuerAndSerialNumber,
//     digestAlgorithm, authenticatedAttributes [0] IMPLICIT OPTIONAL,
//     digestEncryptionAlgorithm, encryptedDigest OCTET STRING,
//     unauthenticatedAttributes [1] IMPLICIT OPTIONAL }
class VAULTCORE_API CASN1_SignerInfo : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SignerInfo, CASN1_SEQUENCE)
    // Version 1 and the four adopted parts, no attributes (5 components).
    CASN1_SignerInfo(CASN1_IssuerAndSerialNumber* signer, CASN1_AlgorithmIdentifier* digestAlgorithm,
                     CASN1_AlgorithmIdentifier* digestEncryptionAlgorithm, CASN1_OCTET_STRING* encryptedDigest);

    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_IssuerAndSerialNumber, issuerAndSerialNumber)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, digestAlgorithm)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, authenticatedAttributes)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, digestEncryptionAlgorithm)
    ASN1_MEMBER(CASN1_OCTET_STRING, encryptedDigest)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, unauthenticatedAttributes)

    // At least 6 components and the fourth carries [0].
    BOOL IsAuthenticatedAttributes() const;
    // At least 6 components and the one after the encrypted digest carries [1].
    BOOL IsUnauthenticatedAttributes() const;
    // A new set (the caller owns it) of the attributes: moved out with
    // take (the [0] or [1] stays, empty), else copied. Throws
    // CDERDecodingException when the matching Is... is FALSE.
    CASN1_Attributes* GetAuthenticatedAttributes(BOOL take);
    CASN1_Attributes* GetUnauthenticatedAttributes(BOOL take);
    // Puts the set in as [0] (before the digest-encryption algorithm) or [1]
    // (last), replacing attributes that are there; the set is copied, or
    // moved when its clear-after-get flag is set. Authenticated attributes
    // are signed in DER, so give them in a sorted set (OnOffSorted(TRUE)
    // before they are added).
    void SetAuthenticatedAttributes(CASN1_SET& attributes);
    void SetUnauthenticatedAttributes(CASN1_SET& attributes);

    CASN1_AlgorithmIdentifier& GetDigestEncyptionAlgorithm() { return get_digestEncryptionAlgorithm(); }
    CASN1_OCTET_STRING& GetEncryptedDigest() { return get_encryptedDigest(); }

private:
    int unauthenticatedIndex() const;
};

// SignerInfos ::= SET OF SignerInfo
class VAULTCORE_API CASN1_SignerInfos : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_SignerInfos, CASN1_SET)
    ASN1_ELEMENTS(CASN1_SignerInfo)
};
