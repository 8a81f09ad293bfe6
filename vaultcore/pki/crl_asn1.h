#pragma once
// Certificate revocation lists in DER (X.509 version 1 lists, RFC 5280
// section 5.1, without the version 2 extensions) and their conversion to and
// from CCertificateRevocationList records.
#include "vaultcore/pki/crl.h"
#include "vaultcore/pki/distinguished_name_asn1.h"
#include "vaultcore/pki/record_conversion.h"

// revokedCertificate ::= SEQUENCE { userCertificate INTEGER, revocationDate UTCTime }
// Valid with exactly these two; entry extensions make an entry invalid.
class VAULTCORE_API CASN1_CRLEntry : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CRLEntry, CASN1_SEQUENCE)
    // Reading throws CDERDecodingException when the date is not a UTCTime.
    ASN1_RECORD_CONVERSION(CASN1_CRLEntry, CCRLEntry)
    // Adopts both.
    CASN1_CRLEntry(CASN1_INTEGER* userCertificate, CASN1_UTCTime* revocationDate);
    ASN1_MEMBER(CASN1_INTEGER, userCertificate)
    ASN1_MEMBER(CASN1_UTCTime, revocationDate)
};

// SEQUENCE OF revokedCertificate; valid when empty.
class VAULTCORE_API CASN1_RevokedCertificates : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_RevokedCertificates, CASN1_SEQUENCE)
    // One entry per element, in order; SetDataTo empties the array first
    // and appends new entries.
    ASN1_RECORD_CONVERSION(CASN1_RevokedCertificates, CCRLEntryArray)
    ASN1_ELEMENTS(CASN1_CRLEntry)
};

// TBSCertList without extensions. Valid with no version or a version of 0,
// two UTCTimes, and either no revoked certificates or one valid list of
// them.
class VAULTCORE_API CASN1_CertificateRevocationListData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CertificateRevocationListData, CASN1_SEQUENCE)
    // Writes no version and always a (possibly empty) list of revoked
    // certificates; no algorithm identifier for an unknown code. (openssl
    // leaves an empty list out, so such a list of its making verifies only
    // through the digest cached when it was decoded.) Reading
    // empties the entries, and throws CDERDecodingException "Invalid
    // CertificateRevocationListData (invalid version number)",
    // "CASN1_CertificateRevocationListData::SetDataTo - unknown signature
    // algorithm", or the messages of the name and times.
    ASN1_RECORD_CONVERSION(CASN1_CertificateRevocationListData, CCertificateRevocationList)
    ASN1_OPTIONAL_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, signature)
    ASN1_MEMBER(CASN1_RDNSequence, issuer)
    ASN1_MEMBER(CASN1_UTCTime, thisUpdate)
    ASN1_MEMBER(CASN1_UTCTime, nextUpdate)
    ASN1_OPTIONAL_MEMBER(CASN1_RevokedCertificates, revokedCertificates)
};

// CertificateList ::= SEQUENCE { tbsCertList, signatureAlgorithm, signature BIT STRING }
// The decoding constructor throws CDERDecodingException "CRL contents is
// not valid" for DER that is not a valid list (a version 2 list among
// them).
class VAULTCORE_API CASN1_CertificateRevocationList : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CertificateRevocationList, CASN1_SEQUENCE)
    // SetDataTo also caches the digest of the decoded to-be-signed list and
    // takes the signature ("CRL contents is not valid (cannot get
    // signature)" when it does not fit).
    ASN1_RECORD_CONVERSION(CASN1_CertificateRevocationList, CCertificateRevocationList)
    // Adopts the three parts.
    CASN1_CertificateRevocationList(CASN1_CertificateRevocationListData* data, CASN1_AlgorithmIdentifier* algorithm,
                                    CASN1_BIT_STRING* signature);
    ASN1_MEMBER(CASN1_CertificateRevocationListData, tbsCertList)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, signatureAlgorithm)
    ASN1_MEMBER(CASN1_BIT_STRING, signature)
};
