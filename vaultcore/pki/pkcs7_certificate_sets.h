#pragma once
// The sets a signed PKCS #7 message carries besides its signers: the digest
// algorithms, the certificates and the revocation lists.
#include "vaultcore/pki/algorithm_identifier.h"
#include "vaultcore/pki/certificate_asn1.h"
#include "vaultcore/pki/crl_asn1.h"

// DigestAlgorithmIdentifiers ::= SET OF DigestAlgorithmIdentifier
class VAULTCORE_API CASN1_DigestAlgorithmIdentifiers : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_DigestAlgorithmIdentifiers, CASN1_SET)
    ASN1_ELEMENTS(CASN1_AlgorithmIdentifier)
    // The index of the first identifier of the algorithm, or -1.
    int Find(const CASN1_OBJECT_IDENTIFIER& algorithm) const;
};

// ExtendedCertificatesAndCertificates ::= SET OF Certificate (the extended
// certificates of PKCS #6 are not read). Identifier 0x11, the set a [0]
// IMPLICIT certificates member holds.
class VAULTCORE_API CASN1_ExtendedCertificatesAndCertificates : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_ExtendedCertificatesAndCertificates, CASN1_SET)
    ASN1_ELEMENTS(CASN1_Certificate)
};

// CertificateRevocationLists ::= SET OF CertificateRevocationList
// Identifier 0x11, the set a [1] IMPLICIT crls member holds.
class VAULTCORE_API CASN1_CertificateRevocationLists : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_CertificateRevocationLists, CASN1_SET)
    ASN1_ELEMENTS(CASN1_CertificateRevocationList)
};
