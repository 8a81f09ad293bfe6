// RecipientInfo after RFC 2315 section 10.2.
#include "vaultcore/pki/recipient_info.h"

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_RecipientInfo, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_RecipientInfo"))
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_RecipientInfos, CASN1_SET, 0x11)

// RecipientInfo ::= SEQUENCE {
//         version                 Version,
//         issuerAndSerialNumber   IssuerAndSerialNumber,
//         keyEncryptionAlgorithm  KeyEncryptionAlgorithmIdentifier,
//         encryptedKey            EncryptedKey }
const ASN1_COMPONENT_INFO CASN1_RecipientInfo::m_compInfoList[] = {
    //                 end  name                      resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",                 nullptr,  0x02, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "issuerAndSerialNumber",   nullptr,  0x10, 0,    TM_NONE, CASN1_IssuerAndSerialNumber::isValid, 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "keyEncryptionAlgorithm",  nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "encryptedKey",            nullptr,  0x04, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_END_OF_TABLE,
};

// RecipientInfos ::= SET OF RecipientInfo
const ASN1_COMPONENT_INFO CASN1_RecipientInfos::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                     opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_RecipientInfo::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

BOOL CASN1_RecipientInfo::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, 0, "RecipientInfo is not valid (cannot get version number)");
}

CASN1_RecipientInfo::CASN1_RecipientInfo(CASN1_IssuerAndSerialNumber* recipient,
                                         CASN1_AlgorithmIdentifier* keyEncryptionAlgorithm,
                                         CASN1_OCTET_STRING* encryptedKey)
    : CASN1_RecipientInfo()
{
    AddObject(new CASN1_INTEGER(0UL));
    AddObject(recipient);
    AddObject(keyEncryptionAlgorithm);
    AddObject(encryptedKey);
}
