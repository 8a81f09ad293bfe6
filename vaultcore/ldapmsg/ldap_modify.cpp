// Modify tables. ASN.1 after RFC 2251 section 4.6.
#include "vaultcore/ldapmsg/ldap_modify.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ModificationEntry, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ModificationList, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ModifyRequest, CASN1_TAGGED, 0x46)

// ModifyRequest ::= [APPLICATION 6] SEQUENCE {
//         object          LDAPDN,
//         modification    SEQUENCE OF SEQUENCE {
//                 operation       ENUMERATED { add (0), delete (1), replace (2) },
//                 modification    AttributeTypeAndValues } }
const ASN1_COMPONENT_INFO CASN1_ModifyRequest::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging  validator                         opt rep any
    ASN1_COMPONENT_INFO(0, "object",        nullptr,  0x04, 0,    TM_NONE, nullptr,                          0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modification",  nullptr,  0x10, 0,    TM_NONE, CASN1_ModificationList::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

const ASN1_COMPONENT_INFO CASN1_ModificationList::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                          opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_ModificationEntry::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};

const ASN1_COMPONENT_INFO CASN1_ModificationEntry::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging  validator                                   opt rep any
    ASN1_COMPONENT_INFO(0, "operation",     nullptr,  0x0A, 0,    TM_NONE, nullptr,                                    0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modification",  nullptr,  0x10, 0,    TM_NONE, CASN1_LDAPAttributeTypeAndValues::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};
