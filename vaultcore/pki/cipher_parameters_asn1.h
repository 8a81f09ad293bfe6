#pragma once
// The parameters of the RC2 and RC5 algorithm identifiers (rc2CBC
// 1.2.840.113549.3.2, rc5-CBC 1.2.840.113549.3.8, rc5-CBC-PAD
// 1.2.840.113549.3.9) as PKCS #7 messages carry them.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// RC2-CBC-Parameter ::= SEQUENCE { rc2ParameterVersion INTEGER, iv OCTET STRING }
// (RFC 2268 section 6, RFC 8018 B.2.3). The version encodes the effective
// key bits through RFC 2268's table: 40 bits are 160, 64 are 120, 128 are
// 58. Valid with exactly an INTEGER and an OCTET STRING; the decoding
// constructor throws CDERDecodingException "CASN1_RC2AlgorithmParameter
// contents is not valid" otherwise.
class VAULTCORE_API CASN1_RC2AlgorithmParameter : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_RC2AlgorithmParameter, CASN1_SEQUENCE)
    // The version standing for effectiveBits (one of CRC2key's: 40, 64, 128,
    // 255) and the IV.
    CASN1_RC2AlgorithmParameter(unsigned short effectiveBits, const unsigned char* iv, unsigned long ivLength);
    // The effective key bits of the version; FALSE when the version stands
    // for none of CRC2key's sizes.
    BOOL GetEffectiveKeyBits(unsigned short& bits) const;
    const CASN1_OCTET_STRING& GetIV() const { return get_iv(); }
    ASN1_MEMBER(CASN1_INTEGER, rc2ParameterVersion)
    ASN1_MEMBER(CASN1_OCTET_STRING, iv)
};

// RC5-CBC-Parameters ::= SEQUENCE {
//         version           INTEGER (v1-0(16)),
//         rounds            INTEGER (8..127),
//         blockSizeInBits   INTEGER (64, 128),
//         iv                OCTET STRING OPTIONAL }    (RFC 2040 section 11)
// Valid with at least the three INTEGERs, a readable version of 16 or
// more, and an OCTET STRING fourth when there is a fourth (components after
// it are not examined). The decoding constructor throws
// CDERDecodingException "CASN1_RC5AlgorithmParameter contents is not valid"
// otherwise.
class VAULTCORE_API CASN1_RC5AlgorithmParameter : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_RC5AlgorithmParameter, CASN1_SEQUENCE)
    // Version 16, the rounds and block size, and the IV when iv is not null.
    CASN1_RC5AlgorithmParameter(unsigned long rounds, unsigned long blockSizeInBits, const unsigned char* iv,
                                unsigned long ivLength);
    // At least 4 components and the fourth an OCTET STRING.
    BOOL IsIV() const;
    // The fourth component; throws CDERDecodingException when IsIV() is FALSE.
    const CASN1_OCTET_STRING& GetIV() const;
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_INTEGER, rounds)
    ASN1_MEMBER(CASN1_INTEGER, blockSizeInBits)
};
