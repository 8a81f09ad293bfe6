// Attribute tables. ASN.1 after RFC 2251 sections 4.1.8, 4.5.2, 4.6 and 4.7.
#include "vaultcore/ldapmsg/ldap_attributes.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SetOfLDAPAttributeValue, CASN1_SET, 0x11)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeTypeAndValues, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeList, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPAttribute, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_PartialAttribute, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_PartialAttributeList, CASN1_SEQUENCE, 0x10)

// SET OF AttributeValue                     -- AttributeValue ::= OCTET STRING
const ASN1_COMPONENT_INFO CASN1_SetOfLDAPAttributeValue::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  1,  0),
    ASN1_END_OF_TABLE,
};

// SEQUENCE {
//         type    AttributeDescription,
//         vals    SET OF AttributeValue }
const ASN1_COMPONENT_INFO CASN1_LDAPAttributeTypeAndValues::m_compInfoList[] = {
    //                 end  name    resolver  tag   class tagging  validator                                opt rep any
    ASN1_COMPONENT_INFO(0, "type",  nullptr,  0x04, 0,    TM_NONE, nullptr,                                 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "vals",  nullptr,  0x11, 0,    TM_NONE, CASN1_SetOfLDAPAttributeValue::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// AttributeList ::= SEQUENCE OF SEQUENCE { type AttributeDescription, vals SET OF AttributeValue }
const ASN1_COMPONENT_INFO CASN1_LDAPAttributeList::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                                   opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_LDAPAttributeTypeAndValues::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};

// Attribute ::= SEQUENCE {
//         type    AttributeDescription,
//         vals    SET OF AttributeValue }
const ASN1_COMPONENT_INFO CASN1_LDAPAttribute::m_compInfoList[] = {
    //                 end  name    resolver  tag   class tagging  validator                                opt rep any
    ASN1_COMPONENT_INFO(0, "type",  nullptr,  0x04, 0,    TM_NONE, nullptr,                                 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "vals",  nullptr,  0x11, 0,    TM_NONE, CASN1_SetOfLDAPAttributeValue::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// PartialAttributeList element: SEQUENCE {
//         type    AttributeDescription,
//         vals    SET OF AttributeValue }
const ASN1_COMPONENT_INFO CASN1_PartialAttribute::m_compInfoList[] = {
    //                 end  name    resolver  tag   class tagging  validator                                opt rep any
    ASN1_COMPONENT_INFO(0, "type",  nullptr,  0x04, 0,    TM_NONE, nullptr,                                 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "vals",  nullptr,  0x11, 0,    TM_NONE, CASN1_SetOfLDAPAttributeValue::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// PartialAttributeList ::= SEQUENCE OF SEQUENCE { type AttributeDescription, vals SET OF AttributeValue }
const ASN1_COMPONENT_INFO CASN1_PartialAttributeList::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                         opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_PartialAttribute::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};
