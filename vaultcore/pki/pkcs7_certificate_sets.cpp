// The sets of RFC 2315 sections 6.1, 6.6 and 9.1.
#include "vaultcore/pki/pkcs7_certificate_sets.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_DigestAlgorithmIdentifiers, CASN1_SET, 0x11)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ExtendedCertificatesAndCertificates, CASN1_SET, 0x11)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_CertificateRevocationLists, CASN1_SET, 0x11)

// DigestAlgorithmIdentifiers ::= SET OF DigestAlgorithmIdentifier
const ASN1_COMPONENT_INFO CASN1_DigestAlgorithmIdentifiers::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                           opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

// ExtendedCertificatesAndCertificates ::= SET OF ExtendedCertificateOrCertificate
//         -- Certificate only
const ASN1_COMPONENT_INFO CASN1_ExtendedCertificatesAndCertificates::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                   opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_Certificate::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

// CertificateRevocationLists ::= SET OF CertificateRevocationList
const ASN1_COMPONENT_INFO CASN1_CertificateRevocationLists::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                                 opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_CertificateRevocationList::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

int CASN1_DigestAlgorithmIdentifiers::Find(const CASN1_OBJECT_IDENTIFIER& algorithm) const
{
    for (int i = 0; i < getComponentCount(); ++i)
        if (getComponent(i).get_algorithm() == algorithm)
            return i;
    return -1;
}
