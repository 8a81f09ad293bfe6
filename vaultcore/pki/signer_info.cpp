// SignerInfo after RFC 2315 section 9.2.
#include "vaultcore/pki/signer_info.h"

#include <memory>

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_SignerInfo, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_SignerInfo"))
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SignerInfos, CASN1_SET, 0x11)

// SignerInfo ::= SEQUENCE {
//         version                    Version,
//         issuerAndSerialNumber      IssuerAndSerialNumber,
//         digestAlgorithm            DigestAlgorithmIdentifier,
//         authenticatedAttributes    [0] IMPLICIT Attributes OPTIONAL,
//         digestEncryptionAlgorithm  DigestEncryptionAlgorithmIdentifier,
//         encryptedDigest            EncryptedDigest,
//         unauthenticatedAttributes  [1] IMPLICIT Attributes OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_SignerInfo::m_compInfoList[] = {
    //                 end  name                         resolver  tag   class tagging      validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",                    nullptr,  0x02, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "issuerAndSerialNumber",      nullptr,  0x10, 0,    TM_NONE,     CASN1_IssuerAndSerialNumber::isValid, 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "digestAlgorithm",            nullptr,  0x10, 0,    TM_NONE,     CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "authenticatedAttributes",    nullptr,  0x80, 2,    TM_IMPLICIT, CASN1_Attributes::isValid,            1,  0,  0),
    ASN1_COMPONENT_INFO(0, "digestEncryptionAlgorithm",  nullptr,  0x10, 0,    TM_NONE,     CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "encryptedDigest",            nullptr,  0x04, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "unauthenticatedAttributes",  nullptr,  0x81, 2,    TM_IMPLICIT, CASN1_Attributes::isValid,            1,  0,  0),
    ASN1_END_OF_TABLE,
};

// SignerInfos ::= SET OF SignerInfo
const ASN1_COMPONENT_INFO CASN1_SignerInfos::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                  opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_SignerInfo::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kVersion = 1;
const int kAuthenticatedIndex = 3;
const int kLeastWithAttributes = 6;
}  // namespace

BOOL CASN1_SignerInfo::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, kVersion, "SignerInfo is not valid (cannot get version number)");
}

CASN1_SignerInfo::CASN1_SignerInfo(CASN1_IssuerAndSerialNumber* signer, CASN1_AlgorithmIdentifier* digestAlgorithm,
                                   CASN1_AlgorithmIdentifier* digestEncryptionAlgorithm,
                                   CASN1_OCTET_STRING* encryptedDigest)
    : CASN1_SignerInfo()
{
    AddObject(new CASN1_INTEGER(kVersion));
    AddObject(signer);
    AddObject(digestAlgorithm);
    AddObject(digestEncryptionAlgorithm);
    AddObject(encryptedDigest);
}

BOOL CASN1_SignerInfo::IsAuthenticatedAttributes() const
{
    return getComponentCount() >= kLeastWithAttributes &&
           ___pkcs7ComponentCarries(m_components, kAuthenticatedIndex, kPKCS7Tag0);
}

int CASN1_SignerInfo::unauthenticatedIndex() const
{
    return IsAuthenticatedAttributes() ? 6 : 5;
}

BOOL CASN1_SignerInfo::IsUnauthenticatedAttributes() const
{
    return getComponentCount() >= kLeastWithAttributes &&
           ___pkcs7ComponentCarries(m_components, unauthenticatedIndex(), kPKCS7Tag1);
}

CASN1_Attributes* CASN1_SignerInfo::GetAuthenticatedAttributes(BOOL take)
{
    if (!IsAuthenticatedAttributes())
        ___throwMemberNotAvailable("CASN1_SignerInfo", "authenticatedAttributes");
    std::unique_ptr<CASN1_Attributes> set(new CASN1_Attributes);
    ___pkcs7FromImplicit(m_components, kAuthenticatedIndex, *set, take, "CASN1_SignerInfo",
                         "authenticatedAttributes");
    return set.release();
}

CASN1_Attributes* CASN1_SignerInfo::GetUnauthenticatedAttributes(BOOL take)
{
    if (!IsUnauthenticatedAttributes())
        ___throwMemberNotAvailable("CASN1_SignerInfo", "unauthenticatedAttributes");
    std::unique_ptr<CASN1_Attributes> set(new CASN1_Attributes);
    ___pkcs7FromImplicit(m_components, unauthenticatedIndex(), *set, take, "CASN1_SignerInfo",
                         "unauthenticatedAttributes");
    return set.release();
}

void CASN1_SignerInfo::SetAuthenticatedAttributes(CASN1_SET& attributes)
{
    if (getComponentCount() < 5)
        ___throwMemberNotAvailable("CASN1_SignerInfo", "authenticatedAttributes");
    const BOOL present = ___pkcs7ComponentCarries(m_components, kAuthenticatedIndex, kPKCS7Tag0);
    ___pkcs7PutComponent(m_components, kAuthenticatedIndex, present, ___pkcs7ImplicitSet(attributes, kPKCS7Tag0));
}

void CASN1_SignerInfo::SetUnauthenticatedAttributes(CASN1_SET& attributes)
{
    if (getComponentCount() < 5)
        ___throwMemberNotAvailable("CASN1_SignerInfo", "unauthenticatedAttributes");
    const BOOL present = IsUnauthenticatedAttributes();
    ___pkcs7PutComponent(m_components, present ? getComponentCount() - 1 : getComponentCount(), present,
                         ___pkcs7ImplicitSet(attributes, kPKCS7Tag1));
}
