#pragma once
// The optional [0] certificates and [1] revocation lists of signed data and
// signed-and-enveloped data, which follow the mandatory components and
// precede the signer infos. Internal to the library.
#include <memory>

#include "vaultcore/pki/pkcs7_certificate_sets.h"
#include "vaultcore/pki/signer_info.h"
#include "vaultcore/pki/pkcs7_structure.h"

// The position of the optional [0] certificates and [1] revocation lists
// that follow `fixed` mandatory components and precede the signer infos
// (always the last component).
class CPKCS7OptionalSets {
public:
    CPKCS7OptionalSets(CASN1TypeArray& components, int fixed, const char* className)
        : m_components(components), m_fixed(fixed), m_className(className)
    {
    }

    // The Is... tests look only at the tag in the position.
    BOOL HasCertificates() const;
    BOOL HasCRLs() const;
    int CertificatesIndex() const { return m_fixed; }
    int CRLsIndex() const { return m_fixed + (HasCertificates() ? 1 : 0); }
    // New sets (the caller owns them) of the members: moved out with take
    // (the component stays, empty), else copied. Throw CDERDecodingException
    // when the matching Has... is FALSE.
    CASN1_ExtendedCertificatesAndCertificates* GetCertificates(BOOL take) const;
    CASN1_CertificateRevocationLists* GetCRLs(BOOL take) const;
    // Replaces the set in its position, or inserts it there (later
    // components shift by one); the set is copied, or moved when its
    // clear-after-get flag is set.
    void SetCertificates(CASN1_SET& set);
    void SetCRLs(CASN1_SET& set);

private:
    void put(int index, BOOL present, CASN1_SET& set, unsigned char identifier);

    CASN1TypeArray& m_components;
    int m_fixed;
    const char* m_className;
};

// Defines the members signed data and signed-and-enveloped data share
// (declared in each class with its own positions): the certificate and
// list operations over CPKCS7OptionalSets for the `fixed` mandatory
// components before them, and the appending of signers and digest
// algorithms (freed when the structure has no such set).
#define IMPLEMENT_PKCS7_SIGNED_SETS(X, fixed)                                                              \
    namespace {                                                                                           \
    CPKCS7OptionalSets optionalSetsOf(const CASN1TypeArray& components)                                   \
    {                                                                                                     \
        return CPKCS7OptionalSets(const_cast<CASN1TypeArray&>(components), fixed, #X);                    \
    }                                                                                                     \
    }                                                                                                     \
    BOOL X::IsCertificates() const { return optionalSetsOf(m_components).HasCertificates(); }             \
    BOOL X::IsCRLs() const { return optionalSetsOf(m_components).HasCRLs(); }                             \
    CASN1_ExtendedCertificatesAndCertificates* X::GetCertificates(BOOL take)                              \
    {                                                                                                     \
        return optionalSetsOf(m_components).GetCertificates(take);                                        \
    }                                                                                                     \
    CASN1_CertificateRevocationLists* X::GetCRLs(BOOL take)                                               \
    {                                                                                                     \
        return optionalSetsOf(m_components).GetCRLs(take);                                                \
    }                                                                                                     \
    void X::SetCertificates(CASN1_SET& certificates)                                                      \
    {                                                                                                     \
        optionalSetsOf(m_components).SetCertificates(certificates);                                       \
    }                                                                                                     \
    void X::SetCRLs(CASN1_SET& crls) { optionalSetsOf(m_components).SetCRLs(crls); }                      \
    void X::AddSignerInfo(CASN1_SignerInfo* signer)                                                       \
    {                                                                                                     \
        std::unique_ptr<CASN1Type> owned(signer);                                                         \
        get_signerInfos().AddObject(owned.release());                                                     \
    }                                                                                                     \
    void X::AddDigestAlgorithmIdentifier(CASN1_AlgorithmIdentifier* algorithm)                            \
    {                                                                                                     \
        std::unique_ptr<CASN1Type> owned(algorithm);                                                      \
        get_digestAlgorithms().AddObject(owned.release());                                                \
    }
