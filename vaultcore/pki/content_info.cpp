// ContentInfo after RFC 2315 section 7.
#include "vaultcore/pki/content_info.h"

#include "vaultcore/pki/pkcs7_structure.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_ContentInfo, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("ContentInfo contents is not valid"))

// ContentInfo ::= SEQUENCE {
//         contentType  ContentType,
//         content      [0] EXPLICIT ANY DEFINED BY contentType OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_ContentInfo::m_compInfoList[] = {
    //                 end  name           resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "contentType",  nullptr,  0x06, 0,    TM_NONE,     nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "content",      nullptr,  0x80, 2,    TM_EXPLICIT, nullptr,   1,  0,  0),
    ASN1_END_OF_TABLE,
};

BOOL CASN1_ContentInfo::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged);
}

CASN1_ContentInfo::CASN1_ContentInfo(CASN1_OBJECT_IDENTIFIER* type, CASN1Type* content) : CASN1_ContentInfo()
{
    AddObject(type);
    if (content) {
        // What explicit tagging builds, without copying the content first.
        CASN1_TAGGED* wrapper = new CASN1_TAGGED(kPKCS7Tag0, FALSE);
        wrapper->setConstructed(TRUE);
        wrapper->AddObject(content);
        AddObject(wrapper);
    }
    setIndefinite(TRUE);
}

CASN1_ContentInfo::CASN1_ContentInfo(CASN1_OBJECT_IDENTIFIER* type, CASN1_TAGGED* content) : CASN1_ContentInfo()
{
    AddObject(type);
    if (content)
        AddObject(content);
}

BOOL CASN1_ContentInfo::IsContent() const
{
    return getComponentCount() == 2;
}

void CASN1_ContentInfo::DeleteContent()
{
    while (getComponentCount() > 1)
        delete detachComponentAt(getComponentCount() - 1);
}

CASN1Type& CASN1_ContentInfo::GetContent()
{
    return const_cast<CASN1Type&>(static_cast<const CASN1_ContentInfo*>(this)->GetContent());
}

const CASN1Type& CASN1_ContentInfo::GetContent() const
{
    const CASN1_TAGGED& wrapper = get_content();
    if (!wrapper.isConstructed() || wrapper.getComponentCount() != 1)
        ___throwMemberNotAvailable("CASN1_ContentInfo", "content");
    return *wrapper.getComponentAt(0);
}
