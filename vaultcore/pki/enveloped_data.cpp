// EnvelopedData after RFC 2315 section 10.1.
#include "vaultcore/pki/enveloped_data.h"

#include <memory>

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_EnvelopedData, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_EnvelopedData"))

// EnvelopedData ::= SEQUENCE {
//         version               Version,
//         recipientInfos        RecipientInfos,
//         encryptedContentInfo  EncryptedContentInfo }
const ASN1_COMPONENT_INFO CASN1_EnvelopedData::m_compInfoList[] = {
    //                 end  name                    resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",               nullptr,  0x02, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "recipientInfos",        nullptr,  0x11, 0,    TM_NONE, CASN1_RecipientInfos::isValid,        0,  0,  0),
    ASN1_COMPONENT_INFO(0, "encryptedContentInfo",  nullptr,  0x10, 0,    TM_NONE, CASN1_EncryptedContentInfo::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

BOOL CASN1_EnvelopedData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged) &&
           ___pkcs7VersionIs(value, 0, "EnvelopedData is not valid (cannot get version number)");
}

CASN1_EnvelopedData::CASN1_EnvelopedData(CASN1_EncryptedContentInfo* content) : CASN1_EnvelopedData()
{
    AddObject(new CASN1_INTEGER(0UL));
    AddObject(new CASN1_RecipientInfos);
    AddObject(content);
}

void CASN1_EnvelopedData::AddRecipientInfo(CASN1_RecipientInfo* recipient)
{
    std::unique_ptr<CASN1Type> owned(recipient);  // freed when the structure has no such set
    get_recipientInfos().AddObject(owned.release());
}
