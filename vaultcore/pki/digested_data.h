#pragma once
// DigestedData: content with a digest of it that the host computed.
#include "vaultcore/pki/algorithm_identifier.h"
#include "vaultcore/pki/content_info.h"

// DigestedData ::= SEQUENCE { version (0), digestAlgorithm, contentInfo, digest OCTET STRING }
class VAULTCORE_API CASN1_DigestedData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_DigestedData, CASN1_SEQUENCE)
    // Version 0, a copy of the algorithm, the adopted content info and an
    // OCTET STRING of the length digest octets.
    CASN1_DigestedData(const CASN1_AlgorithmIdentifier& algorithm, CASN1_ContentInfo* content,
                       const unsigned char* digest, int length);
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, digestAlgorithm)
    ASN1_MEMBER(CASN1_ContentInfo, contentInfo)
    ASN1_MEMBER(CASN1_OCTET_STRING, digest)
    // FALSE (nothing written) unless length is the digest's length; else
    // copies the digest into out.
    BOOL GetDigest(unsigned char* out, int length);
};
