#pragma once
// RecipientInfo: one recipient of a PKCS #7 enveloped message, with the
// content-encryption key the host wrapped for the recipient's public key.
#include "vaultcore/pki/algorithm_identifier.h"
#include "vaultcore/pki/issuer_and_serial_number.h"

// RecipientInfo ::= SEQUENCE { version (0), issuerAndSerialNumber,
//     keyEncryptionAlgorithm, encryptedKey OCTET STRING }
class VAULTCORE_API CASN1_RecipientInfo : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_RecipientInfo, CASN1_SEQUENCE)
    // Version 0 and the three adopted parts.
    CASN1_RecipientInfo(CASN1_IssuerAndSerialNumber* recipient, CASN1_AlgorithmIdentifier* keyEncryptionAlgorithm,
                        CASN1_OCTET_STRING* encryptedKey);
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_IssuerAndSerialNumber, issuerAndSerialNumber)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, keyEncryptionAlgorithm)
    ASN1_MEMBER(CASN1_OCTET_STRING, encryptedKey)
};

// RecipientInfos ::= SET OF RecipientInfo
class VAULTCORE_API CASN1_RecipientInfos : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_RecipientInfos, CASN1_SET)
    ASN1_ELEMENTS(CASN1_RecipientInfo)
};
