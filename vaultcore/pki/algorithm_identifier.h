#pragma once
// AlgorithmIdentifier (X.509) and the signature algorithms of certificates
// and revocation lists: md2WithRSAEncryption, md5WithRSAEncryption and
// sha1WithRSAEncryption, known to the records by a code.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"
#include "vaultcore/crypto/digest_maker.h"

// AlgorithmIdentifier ::= SEQUENCE { algorithm OBJECT IDENTIFIER, parameters ANY OPTIONAL }
class VAULTCORE_API CASN1_AlgorithmIdentifier : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_AlgorithmIdentifier, CASN1_SEQUENCE)
    // Adopts both; null parameters are left out.
    CASN1_AlgorithmIdentifier(CASN1_OBJECT_IDENTIFIER* algorithm, CASN1Type* parameters);
    ASN1_MEMBER(CASN1_OBJECT_IDENTIFIER, algorithm)
    ASN1_OPTIONAL_MEMBER(CASN1Type, parameters)
};

// Signature algorithm codes of the signed records.
enum ESignatureAlgorithm {
    eMD2WithRSAEncryption = 0,
    eMD5WithRSAEncryption = 1,
    eSHA1WithRSAEncryption = 2,
};

// The code of a signature algorithm identifier, or -1.
VAULTCORE_API int ___signatureAlgorithmCode(const CASN1_OBJECT_IDENTIFIER& algorithm);
// A new identifier of the code with NULL parameters (the caller owns it);
// null for a code that names no algorithm.
VAULTCORE_API CASN1_AlgorithmIdentifier* ___newSignatureAlgorithmIdentifier(long code);
// "MD2 With RSA Encryption" ...; "<<< BAD!!! >>>" for another code.
VAULTCORE_API const char* ___signatureAlgorithmText(long code);
// The digest the code signs: its algorithm and length (16 or 20); FALSE
// for a code that names no algorithm.
VAULTCORE_API BOOL ___signatureDigest(long code, EDigestAlgorithm& algorithm, int& length);
// The finished digest of algorithm over the value's encoding.
VAULTCORE_API void ___digestOfEncoding(const CASN1Type& value, EDigestAlgorithm algorithm, unsigned char* digest);
