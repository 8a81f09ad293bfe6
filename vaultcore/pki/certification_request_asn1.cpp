// Certification requests after RFC 2986 section 4.
#include "vaultcore/pki/certification_request_asn1.h"

#include <memory>

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_CertificationRequestInfo, CASN1_SEQUENCE, 0x10,
                              ___throwDerNotValid("CASN1_CertificationRequestInfo"))
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_CertificationRequest, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("CertificationRequest contents is not valid"))

// CertificationRequestInfo ::= SEQUENCE {
//         version       INTEGER { v1(0) } (v1,...),
//         subject       Name,
//         subjectPKInfo SubjectPublicKeyInfo{{ PKInfoAlgorithms }},
//         attributes    [0] Attributes{{ CRIAttributes }} }
const ASN1_COMPONENT_INFO CASN1_CertificationRequestInfo::m_compInfoList[] = {
    //                 end  name                   resolver  tag   class tagging      validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",              nullptr,  0x02, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "subject",              nullptr,  0x10, 0,    TM_NONE,     CASN1_RDNSequence::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "subjectPublicKeyInfo", nullptr,  0x10, 0,    TM_NONE,     CASN1_SubjectPublicKeyInfo::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "attributes",           nullptr,  0x80, 2,    TM_IMPLICIT, CASN1_Attributes::isValid,            0,  0,  0),
    ASN1_END_OF_TABLE,
};

// CertificationRequest ::= SEQUENCE {
//         certificationRequestInfo CertificationRequestInfo,
//         signatureAlgorithm AlgorithmIdentifier{{ SignatureAlgorithms }},
//         signature          BIT STRING }
const ASN1_COMPONENT_INFO CASN1_CertificationRequest::m_compInfoList[] = {
    //                 end  name                       resolver  tag   class tagging  validator                                  opt rep any
    ASN1_COMPONENT_INFO(0, "certificationRequestInfo", nullptr,  0x10, 0,    TM_NONE, CASN1_CertificationRequestInfo::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signatureAlgorithm",       nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid,        0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signature",                nullptr,  0x03, 0,    TM_NONE, nullptr,                                   0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kVersion = 0;
const int kAttributesIndex = 3;
}  // namespace

BOOL CASN1_CertificationRequestInfo::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, kVersion, "CertificationRequestInfo is not valid (cannot get version number)");
}

CASN1_CertificationRequestInfo::CASN1_CertificationRequestInfo(CASN1_RDNSequence* subject,
                                                               CASN1_SubjectPublicKeyInfo* key, CASN1_SET& attributes)
    : CASN1_CertificationRequestInfo()
{
    AddObject(new CASN1_INTEGER(kVersion));
    AddObject(subject);
    AddObject(key);
    AddObject(___pkcs7ImplicitSet(attributes, kPKCS7Tag0));
}

CASN1_Attributes* CASN1_CertificationRequestInfo::GetAttributes() const
{
    std::unique_ptr<CASN1_Attributes> set(new CASN1_Attributes);
    ___pkcs7FromImplicit(m_components, kAttributesIndex, *set, FALSE, "CASN1_CertificationRequestInfo", "attributes");
    return set.release();
}

BOOL CASN1_CertificationRequest::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged);
}

CASN1_CertificationRequest::CASN1_CertificationRequest(CASN1_CertificationRequestInfo* info,
                                                       CASN1_AlgorithmIdentifier* algorithm,
                                                       CASN1_BIT_STRING* signature)
    : CASN1_CertificationRequest()
{
    AddObject(info);
    AddObject(algorithm);
    AddObject(signature);
}
