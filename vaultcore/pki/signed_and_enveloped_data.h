#pragma once
// SignedAndEnvelopedData: content encrypted for recipients and signed by
// signers, with the certificates and revocation lists to check them.
#include "vaultcore/pki/encrypted_content_info.h"
#include "vaultcore/pki/pkcs7_certificate_sets.h"
#include "vaultcore/pki/recipient_info.h"
#include "vaultcore/pki/signer_info.h"

// SignedAndEnvelopedData ::= SEQUENCE { version (1), recipientInfos,
//     digestAlgorithms, encryptedContentInfo, certificates [0] IMPLICIT
//     OPTIONAL, crls [1] IMPLICIT OPTIONAL, signerInfos }
class VAULTCORE_API CASN1_SignedAndEnvelopedData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SignedAndEnvelopedData, CASN1_SEQUENCE)
    // Version 1, no recipients, no digest algorithms, the adopted part, no
    // signers (5 components).
    explicit CASN1_SignedAndEnvelopedData(CASN1_EncryptedContentInfo* content);

    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_RecipientInfos, recipientInfos)
    ASN1_MEMBER(CASN1_DigestAlgorithmIdentifiers, digestAlgorithms)
    ASN1_MEMBER(CASN1_EncryptedContentInfo, encryptedContentInfo)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, certificates)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, crls)
    ASN1_MEMBER(CASN1_SignerInfos, signerInfos)

    // At least 6 components and the fifth carries [0].
    BOOL IsCertificates() const;
    // At least 6 components and the one after the optional certificates
    // carries [1] and is not the last.
    BOOL IsCRLs() const;
    // As CASN1_SignedData's, one position later.
    CASN1_ExtendedCertificatesAndCertificates* GetCertificates(BOOL take);
    CASN1_CertificateRevocationLists* GetCRLs(BOOL take);
    void SetCertificates(CASN1_SET& certificates);
    void SetCRLs(CASN1_SET& crls);

    CASN1_SignerInfos& GetSignerInfos() { return get_signerInfos(); }
    // Appended, adopted.
    void AddSignerInfo(CASN1_SignerInfo* signer);
    void AddRecipientInfo(CASN1_RecipientInfo* recipient);
    void AddDigestAlgorithmIdentifier(CASN1_AlgorithmIdentifier* algorithm);
};
