#pragma once
// SignedData: content with the signatures of its signers, and the
// certificates and revocation lists a reader may need to check them. The
// host computes the digests and signatures; this class carries them.
#include "vaultcore/pki/content_info.h"
#include "vaultcore/pki/pkcs7_certificate_sets.h"
#include "vaultcore/pki/signer_info.h"

// SignedData ::= SEQUENCE { version (1), digestAlgorithms, contentInfo,
//     certificates [0] IMPLICIT OPTIONAL, crls [1] IMPLICIT OPTIONAL, signerInfos }
class VAULTCORE_API CASN1_SignedData : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SignedData, CASN1_SEQUENCE)
    // Version 1, no digest algorithms, the adopted content info, no signers
    // (4 components).
    explicit CASN1_SignedData(CASN1_ContentInfo* content);

    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_DigestAlgorithmIdentifiers, digestAlgorithms)
    ASN1_MEMBER(CASN1_ContentInfo, contentInfo)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, certificates)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, crls)
    ASN1_MEMBER(CASN1_SignerInfos, signerInfos)

    // At least 5 components and the fourth carries [0].
    BOOL IsCertificates() const;
    // At least 5 components and the one after the optional certificates
    // carries [1] and is not the last.
    BOOL IsCRLs() const;
    // A new set (the caller owns it) of the certificates or lists: moved out
    // with take (the [0] or [1] stays, empty), else copied. Throws
    // CDERDecodingException when the matching Is... is FALSE.
    CASN1_ExtendedCertificatesAndCertificates* GetCertificates(BOOL take);
    CASN1_CertificateRevocationLists* GetCRLs(BOOL take);
    // Puts the set in as [0] fourth (or [1] after the certificates),
    // replacing one that is there or inserting it (the signer infos move
    // one on); the set is copied, or moved when its clear-after-get flag is
    // set.
    void SetCertificates(CASN1_SET& certificates);
    void SetCRLs(CASN1_SET& crls);

    CASN1_SignerInfos& GetSignerInfos() { return get_signerInfos(); }
    CASN1_ContentInfo& GetContentInfo() { return get_contentInfo(); }
    // Appended, adopted.
    void AddSignerInfo(CASN1_SignerInfo* signer);
    void AddDigestAlgorithmIdentifier(CASN1_AlgorithmIdentifier* algorithm);
};
