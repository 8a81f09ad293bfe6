// SignedAndEnvelopedData after RFC 2315 section 11.
#include "vaultcore/pki/signed_and_enveloped_data.h"

#include "vaultcore/pki/pkcs7_optional_sets.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_SignedAndEnvelopedData, CASN1_SEQUENCE, 0x10,
                              ___throwDerNotValid("CASN1_SignedAndEnvelopedData"))

// SignedAndEnvelopedData ::= SEQUENCE {
//         version               Version,
//         recipientInfos        RecipientInfos,
//         digestAlgorithms      DigestAlgorithmIdentifiers,
//         encryptedContentInfo  EncryptedContentInfo,
//         certificates          [0] IMPLICIT ExtendedCertificatesAndCertificates OPTIONAL,
//         crls                  [1] IMPLICIT CertificateRevocationLists OPTIONAL,
//         signerInfos           SignerInfos }
const ASN1_COMPONENT_INFO CASN1_SignedAndEnvelopedData::m_compInfoList[] = {
    //                 end  name                    resolver  tag   class tagging      validator                                           opt rep any
    ASN1_COMPONENT_INFO(0, "version",               nullptr,  0x02, 0,    TM_NONE,     nullptr,                                            0,  0,  0),
    ASN1_COMPONENT_INFO(0, "recipientInfos",        nullptr,  0x11, 0,    TM_NONE,     CASN1_RecipientInfos::isValid,                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "digestAlgorithms",      nullptr,  0x11, 0,    TM_NONE,     CASN1_DigestAlgorithmIdentifiers::isValid,          0,  0,  0),
    ASN1_COMPONENT_INFO(0, "encryptedContentInfo",  nullptr,  0x10, 0,    TM_NONE,     CASN1_EncryptedContentInfo::isValid,                0,  0,  0),
    ASN1_COMPONENT_INFO(0, "certificates",          nullptr,  0x80, 2,    TM_IMPLICIT, CASN1_ExtendedCertificatesAndCertificates::isValid, 1,  0,  0),
    ASN1_COMPONENT_INFO(0, "crls",                  nullptr,  0x81, 2,    TM_IMPLICIT, CASN1_CertificateRevocationLists::isValid,          1,  0,  0),
    ASN1_COMPONENT_INFO(0, "signerInfos",           nullptr,  0x11, 0,    TM_NONE,     CASN1_SignerInfos::isValid,                         0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kVersion = 1;
const int kMandatoryBeforeSets = 4;  // version, recipients, digest algorithms, encrypted content
}  // namespace

BOOL CASN1_SignedAndEnvelopedData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, kVersion, "SignedAndEnvelopedData is not valid (cannot get version number)");
}

CASN1_SignedAndEnvelopedData::CASN1_SignedAndEnvelopedData(CASN1_EncryptedContentInfo* content)
    : CASN1_SignedAndEnvelopedData()
{
    AddObject(new CASN1_INTEGER(kVersion));
    AddObject(new CASN1_RecipientInfos);
    AddObject(new CASN1_DigestAlgorithmIdentifiers);
    AddObject(content);
    AddObject(new CASN1_SignerInfos);
}

void CASN1_SignedAndEnvelopedData::AddRecipientInfo(CASN1_RecipientInfo* recipient)
{
    std::unique_ptr<CASN1Type> owned(recipient);
    get_recipientInfos().AddObject(owned.release());
}

IMPLEMENT_PKCS7_SIGNED_SETS(CASN1_SignedAndEnvelopedData, kMandatoryBeforeSets)
