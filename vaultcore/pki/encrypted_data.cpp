// EncryptedData after RFC 2315 section 13.
#include "vaultcore/pki/encrypted_data.h"

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_EncryptedData, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_EncryptedData"))

// EncryptedData ::= SEQUENCE {
//         version               Version,
//         encryptedContentInfo  EncryptedContentInfo }
const ASN1_COMPONENT_INFO CASN1_EncryptedData::m_compInfoList[] = {
    //                 end  name                    resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",               nullptr,  0x02, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "encryptedContentInfo",  nullptr,  0x10, 0,    TM_NONE, CASN1_EncryptedContentInfo::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

BOOL CASN1_EncryptedData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, 0, "EncryptedData is not valid (cannot get version number)");
}

CASN1_EncryptedData::CASN1_EncryptedData(CASN1_EncryptedContentInfo* content) : CASN1_EncryptedData()
{
    AddObject(new CASN1_INTEGER(0UL));
    AddObject(content);
}
