// SignedData after RFC 2315 section 9.1.
#include "vaultcore/pki/signed_data.h"

#include "vaultcore/pki/pkcs7_optional_sets.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_SignedData, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_SignedData"))

// SignedData ::= SEQUENCE {
//         version           Version,
//         digestAlgorithms  DigestAlgorithmIdentifiers,
//         contentInfo       ContentInfo,
//         certificates      [0] IMPLICIT ExtendedCertificatesAndCertificates OPTIONAL,
//         crls              [1] IMPLICIT CertificateRevocationLists OPTIONAL,
//         signerInfos       SignerInfos }
const ASN1_COMPONENT_INFO CASN1_SignedData::m_compInfoList[] = {
    //                 end  name                resolver  tag   class tagging      validator                                           opt rep any
    ASN1_COMPONENT_INFO(0, "version",           nullptr,  0x02, 0,    TM_NONE,     nullptr,                                            0,  0,  0),
    ASN1_COMPONENT_INFO(0, "digestAlgorithms",  nullptr,  0x11, 0,    TM_NONE,     CASN1_DigestAlgorithmIdentifiers::isValid,          0,  0,  0),
    ASN1_COMPONENT_INFO(0, "contentInfo",       nullptr,  0x10, 0,    TM_NONE,     CASN1_ContentInfo::isValid,                         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "certificates",      nullptr,  0x80, 2,    TM_IMPLICIT, CASN1_ExtendedCertificatesAndCertificates::isValid, 1,  0,  0),
    ASN1_COMPONENT_INFO(0, "crls",              nullptr,  0x81, 2,    TM_IMPLICIT, CASN1_CertificateRevocationLists::isValid,          1,  0,  0),
    ASN1_COMPONENT_INFO(0, "signerInfos",       nullptr,  0x11, 0,    TM_NONE,     CASN1_SignerInfos::isValid,                         0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kVersion = 1;
const int kMandatoryBeforeSets = 3;  // version, digest algorithms, content info
}  // namespace

BOOL CASN1_SignedData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, kVersion, "SignedData is not valid (cannot get version number)");
}

CASN1_SignedData::CASN1_SignedData(CASN1_ContentInfo* content) : CASN1_SignedData()
{
    AddObject(new CASN1_INTEGER(kVersion));
    AddObject(new CASN1_DigestAlgorithmIdentifiers);
    AddObject(content);
    AddObject(new CASN1_SignerInfos);
}

IMPLEMENT_PKCS7_SIGNED_SETS(CASN1_SignedData, kMandatoryBeforeSets)
