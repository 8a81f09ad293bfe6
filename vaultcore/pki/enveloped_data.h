#pragma once
// EnvelopedData: content encrypted by the host under one content key, with
// that key wrapped for each recipient.
#include "vaultcore/pki/encrypted_content_info.h"
#include "vaultcore/pki/recipient_info.h"

// EnvelopedData ::= SEQUENCE { version (0), recipientInfos, encryptedContentInfo }
class VAULTCORE_API CASN1_EnvelopedData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_EnvelopedData, CASN1_SEQUENCE)
    // Version 0, no recipients yet, the adopted part.
    explicit CASN1_EnvelopedData(CASN1_EncryptedContentInfo* content);
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_RecipientInfos, recipientInfos)
    ASN1_MEMBER(CASN1_EncryptedContentInfo, encryptedContentInfo)
    // Appended to the recipient infos, adopted.
    void AddRecipientInfo(CASN1_RecipientInfo* recipient);
};
