#pragma once
// EncryptedData: content encrypted by the host under a key the parties
// agreed on elsewhere (no recipients).
#include "vaultcore/pki/encrypted_content_info.h"

// EncryptedData ::= SEQUENCE { version (0), encryptedContentInfo }
class VAULTCORE_API CASN1_EncryptedData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_EncryptedData, CASN1_SEQUENCE)
    // Version 0 and the adopted part.
    explicit CASN1_EncryptedData(CASN1_EncryptedContentInfo* content);
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_EncryptedContentInfo, encryptedContentInfo)
};
