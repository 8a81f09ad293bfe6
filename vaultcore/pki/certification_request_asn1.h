#pragma once
// PKCS #10 certification requests in DER (RFC 2986 section 4). The library
// builds, validates and reads them; signing and verifying the request info
// is the host's task (its DER digested, LockDigest / UnlockDigest).
#include "vaultcore/pki/distinguished_name_asn1.h"
#include "vaultcore/pki/pkcs7_attribute.h"
#include "vaultcore/pki/public_key_asn1.h"

// CertificationRequestInfo ::= SEQUENCE {
//         version       INTEGER { v1(0) },
//         subject       Name,
//         subjectPKInfo SubjectPublicKeyInfo,
//         attributes    [0] IMPLICIT SET OF Attribute }
// Valid with exactly these four, version 0, a valid name and key, and a
// [0] holding only valid attributes.
class VAULTCORE_API CASN1_CertificationRequestInfo : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CertificationRequestInfo, CASN1_SEQUENCE)
    // Version 0, the subject and key (adopted) and the attributes under [0]
    // (copied, or moved when the set's clear-after-get flag is set).
    CASN1_CertificationRequestInfo(CASN1_RDNSequence* subject, CASN1_SubjectPublicKeyInfo* key, CASN1_SET& attributes);
    // A copy of the attributes as a SET OF Attribute; the caller owns it.
    // Throws CDERDecodingException when the [0] does not hold a set.
    CASN1_Attributes* GetAttributes() const;
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_RDNSequence, subject)
    ASN1_MEMBER(CASN1_SubjectPublicKeyInfo, subjectPublicKeyInfo)
    ASN1_MEMBER(CASN1_TAGGED, attributes)
};

// CertificationRequest ::= SEQUENCE {
//         certificationRequestInfo CertificationRequestInfo,
//         signatureAlgorithm       AlgorithmIdentifier,
//         signature                BIT STRING }
// The decoding constructor throws CDERDecodingException "CertificationRequest
// contents is not valid" for DER that is not a valid request.
class VAULTCORE_API CASN1_CertificationRequest : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CertificationRequest, CASN1_SEQUENCE)
    // Adopts the three parts.
    CASN1_CertificationRequest(CASN1_CertificationRequestInfo* info, CASN1_AlgorithmIdentifier* algorithm,
                               CASN1_BIT_STRING* signature);
    ASN1_MEMBER(CASN1_CertificationRequestInfo, certificationRequestInfo)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, signatureAlgorithm)
    ASN1_MEMBER(CASN1_BIT_STRING, signature)
};
