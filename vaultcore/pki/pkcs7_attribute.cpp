// Attributes after RFC 2315 section 9.2 and RFC 2985 (PKCS #9).
#include "vaultcore/pki/pkcs7_attribute.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_Attribute, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_Attributes, CASN1_SET, 0x11)

// Attribute ::= SEQUENCE {
//         type    AttributeType,          -- OBJECT IDENTIFIER
//         values  SET OF AttributeValue } -- ANY DEFINED BY type
const ASN1_COMPONENT_INFO CASN1_Attribute::m_compInfoList[] = {
    //                 end  name      resolver  tag   class tagging  validator         opt rep any
    ASN1_COMPONENT_INFO(0, "type",    nullptr,  0x06, 0,    TM_NONE, nullptr,          0,  0,  0),
    ASN1_COMPONENT_INFO(0, "values",  nullptr,  0x11, 0,    TM_NONE, CASN1_SET::isValid, 0, 0, 0),
    ASN1_END_OF_TABLE,
};

// Attributes ::= SET OF Attribute
const ASN1_COMPONENT_INFO CASN1_Attributes::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                 opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_Attribute::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

CASN1_Attribute::CASN1_Attribute(CASN1_OBJECT_IDENTIFIER* type, CASN1_SET* values) : CASN1_Attribute()
{
    AddObject(type);
    AddObject(values);
}

int CASN1_Attributes::Find(const CASN1_OBJECT_IDENTIFIER& type) const
{
    for (int i = 0; i < getComponentCount(); ++i)
        if (getComponent(i).GetID() == type)
            return i;
    return -1;
}
