#pragma once
// How PKCS #7 names a certificate: its issuer's name and its serial number.
#include "vaultcore/pki/certificate_asn1.h"

// IssuerAndSerialNumber ::= SEQUENCE { issuer Name, serialNumber CertificateSerialNumber }
class VAULTCORE_API CASN1_IssuerAndSerialNumber : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_IssuerAndSerialNumber, CASN1_SEQUENCE)
    // Adopts both.
    CASN1_IssuerAndSerialNumber(CASN1_RDNSequence* issuer, CASN1_INTEGER* serialNumber);
    // The record's issuer (as the name classes encode it) and its serial
    // number octets.
    explicit CASN1_IssuerAndSerialNumber(const CCertificate& certificate);
    // Copies of the decoded certificate's issuer and serial number, octet
    // for octet: the form that matches the certificate for every peer.
    explicit CASN1_IssuerAndSerialNumber(const CASN1_Certificate& certificate);
    ASN1_MEMBER(CASN1_RDNSequence, issuer)
    ASN1_MEMBER(CASN1_INTEGER, serialNumber)
    // Does this name the certificate: the same issuer encoding and the same
    // serial number value.
    BOOL Names(const CASN1_Certificate& certificate) const;
};
