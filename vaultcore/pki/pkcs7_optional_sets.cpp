#include "vaultcore/pki/pkcs7_optional_sets.h"

#include <memory>

BOOL CPKCS7OptionalSets::HasCertificates() const
{
    return m_components.GetSize() >= m_fixed + 2 && ___pkcs7ComponentCarries(m_components, m_fixed, kPKCS7Tag0);
}

BOOL CPKCS7OptionalSets::HasCRLs() const
{
    const int index = CRLsIndex();
    return m_components.GetSize() >= m_fixed + 2 && index < m_components.GetSize() - 1 &&
           ___pkcs7ComponentCarries(m_components, index, kPKCS7Tag1);
}

CASN1_ExtendedCertificatesAndCertificates* CPKCS7OptionalSets::GetCertificates(BOOL take) const
{
    if (!HasCertificates())
        ___throwMemberNotAvailable(m_className, "certificates");
    std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> set(new CASN1_ExtendedCertificatesAndCertificates);
    ___pkcs7FromImplicit(m_components, CertificatesIndex(), *set, take, m_className, "certificates");
    return set.release();
}

CASN1_CertificateRevocationLists* CPKCS7OptionalSets::GetCRLs(BOOL take) const
{
    if (!HasCRLs())
        ___throwMemberNotAvailable(m_className, "crls");
    std::unique_ptr<CASN1_CertificateRevocationLists> set(new CASN1_CertificateRevocationLists);
    ___pkcs7FromImplicit(m_components, CRLsIndex(), *set, take, m_className, "crls");
    return set.release();
}

void CPKCS7OptionalSets::SetCertificates(CASN1_SET& set)
{
    put(CertificatesIndex(), HasCertificates(), set, kPKCS7Tag0);
}

void CPKCS7OptionalSets::SetCRLs(CASN1_SET& set)
{
    put(CRLsIndex(), HasCRLs(), set, kPKCS7Tag1);
}

void CPKCS7OptionalSets::put(int index, BOOL present, CASN1_SET& set, unsigned char identifier)
{
    // A structure without its mandatory components has no such position.
    if (m_components.GetSize() < m_fixed + 1)
        ___throwMemberNotAvailable(m_className, identifier == kPKCS7Tag0 ? "certificates" : "crls");
    ___pkcs7PutComponent(m_components, index, present, ___pkcs7ImplicitSet(set, identifier));
}
