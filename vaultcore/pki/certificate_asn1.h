#pragma once
// X.509 certificates in DER (RFC 5280 section 4.1) and their conversion to
// and from CCertificate records.
#include "vaultcore/pki/certificate.h"
#include "vaultcore/pki/distinguished_name_asn1.h"
#include "vaultcore/pki/public_key_asn1.h"

// Validity ::= SEQUENCE { notBefore UTCTime, notAfter UTCTime }
class VAULTCORE_API CASN1_Validity : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_Validity, CASN1_SEQUENCE)
    ASN1_RECORD_CONVERSION(CASN1_Validity, CCertificate)
    // Adopts both.
    CASN1_Validity(CASN1_UTCTime* notBefore, CASN1_UTCTime* notAfter);
    // The two times in their forms; a time that is not valid throws
    // CDERDecodingException. Reading throws for text that is not a UTCTime.
    void GetDataFrom(const CUTCTime& notBefore, const CUTCTime& notAfter);
    void SetDataTo(CUTCTime& notBefore, CUTCTime& notAfter) const;
    ASN1_MEMBER(CASN1_UTCTime, notBefore)
    ASN1_MEMBER(CASN1_UTCTime, notAfter)
};

// TBSCertificate. Valid with a version of 0, 1 or 2 (absent: 0); version 0
// allows nothing after the key, version 1 the unique identifiers, version 2
// the unique identifiers and the extensions (which are not inspected).
class VAULTCORE_API CASN1_CertificateData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CertificateData, CASN1_SEQUENCE)
    // Writes the version only when it is not 0, and no unique identifiers or
    // extensions. Reading throws CDERDecodingException "Cannot decode
    // certificate data (Invalid version number)" or "CASN1_CertificateData::
    // SetDataTo - unknown signature algorithm", or the messages of the
    // names, times and key.
    ASN1_RECORD_CONVERSION(CASN1_CertificateData, CCertificate)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, version)
    ASN1_MEMBER(CASN1_INTEGER, serialNumber)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, signature)
    ASN1_MEMBER(CASN1_RDNSequence, issuer)
    ASN1_MEMBER(CASN1_Validity, validity)
    ASN1_MEMBER(CASN1_RDNSequence, subject)
    ASN1_MEMBER(CASN1_SubjectPublicKeyInfo, subjectPublicKeyInfo)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, issuerUniqueID)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, subjectUniqueID)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, extensions)
    CASN1_RDNSequence& GetIssuer() { return get_issuer(); }
    const CASN1_RDNSequence& GetIssuer() const { return get_issuer(); }
    CASN1_RDNSequence& GetSubject() { return get_subject(); }
    const CASN1_RDNSequence& GetSubject() const { return get_subject(); }
    CASN1_INTEGER& GetSerialNumber() { return get_serialNumber(); }
    const CASN1_INTEGER& GetSerialNumber() const { return get_serialNumber(); }
};

// Certificate ::= SEQUENCE { certificateData, signatureAlgorithm, signature BIT STRING }
// The decoding constructor throws CDERDecodingException "Certificate
// contents is not valid" for DER that is not a valid certificate.
class VAULTCORE_API CASN1_Certificate : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_Certificate, CASN1_SEQUENCE)
    // SetDataTo also caches the digest of the decoded certificate data
    // (MD2 or MD5 in the 16-octet cache, SHA-1 in the 20-octet one) and
    // takes the signature ("Invalid Certificate's signature" when it does
    // not fit). GetDataFrom writes no algorithm identifier for an unknown
    // code.
    ASN1_RECORD_CONVERSION(CASN1_Certificate, CCertificate)
    // Adopts the three parts.
    CASN1_Certificate(CASN1_CertificateData* data, CASN1_AlgorithmIdentifier* algorithm, CASN1_BIT_STRING* signature);
    ASN1_MEMBER(CASN1_CertificateData, certificateData)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, signatureAlgorithm)
    ASN1_MEMBER(CASN1_BIT_STRING, signature)
    CASN1_RDNSequence& GetIssuer() { return get_certificateData().get_issuer(); }
    const CASN1_RDNSequence& GetIssuer() const { return get_certificateData().get_issuer(); }
    CASN1_RDNSequence& GetSubject() { return get_certificateData().get_subject(); }
    const CASN1_RDNSequence& GetSubject() const { return get_certificateData().get_subject(); }
    CASN1_INTEGER& GetSerialNumber() { return get_certificateData().get_serialNumber(); }
    const CASN1_INTEGER& GetSerialNumber() const { return get_certificateData().get_serialNumber(); }
};

// Arrays of certificate trees held by value, archived as the value model's
// stored form (marker octet 0, then the DER).
template <>
inline void SerializeElements<CASN1_Certificate>(CArchive& ar, CASN1_Certificate* elements, int count)
{
    for (int i = 0; i < count; ++i)
        elements[i]._Serialize(ar);
}
