#pragma once
// EncryptedContentInfo: content the host encrypted, with its type and the
// algorithm (CASN1_DES_CBC, CASN1_DES_EDE3_CBC, CASN1_RC2_CBC with a
// CASN1_RC2AlgorithmParameter, CASN1_RC5_CBC, CASN1_RC5_CBC_Pad ...).
#include "vaultcore/pki/algorithm_identifier.h"

// EncryptedContentInfo ::= SEQUENCE { contentType, contentEncryptionAlgorithm,
//     encryptedContent [0] IMPLICIT OCTET STRING OPTIONAL }
class VAULTCORE_API CASN1_EncryptedContentInfo : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_EncryptedContentInfo, CASN1_SEQUENCE)
    // Adopts the three parts; encryptedContent (the [0]) may be null.
    CASN1_EncryptedContentInfo(CASN1_OBJECT_IDENTIFIER* contentType, CASN1_AlgorithmIdentifier* algorithm,
                               CASN1_TAGGED* encryptedContent);
    ASN1_MEMBER(CASN1_OBJECT_IDENTIFIER, contentType)
    ASN1_MEMBER(CASN1_AlgorithmIdentifier, contentEncryptionAlgorithm)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, encryptedContent)

    // 3 components.
    BOOL IsEncryptedContent() const;
    // Deletes the encrypted content component, if any.
    void ReleaseContent();
    // A new OCTET STRING (the caller owns it) of the encrypted content:
    // moved out with take (the [0] stays, empty), else copied. Throws
    // CDERDecodingException when there is none or the [0] does not hold an
    // OCTET STRING's contents.
    CASN1_OCTET_STRING* GetEncryptedContent(BOOL take);
};

// A new [0] holding the octets as an implicitly tagged OCTET STRING, for
// the constructor above; the caller owns it.
VAULTCORE_API CASN1_TAGGED* ___newEncryptedContent(const unsigned char* data, unsigned long size);
