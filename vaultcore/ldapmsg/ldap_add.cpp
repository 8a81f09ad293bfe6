// Add request table. ASN.1 after RFC 2251 section 4.7.
#include "vaultcore/ldapmsg/ldap_add.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_AddRequest, CASN1_TAGGED, 0x48)

// AddRequest ::= [APPLICATION 8] SEQUENCE {
//         entry           LDAPDN,
//         attributes      AttributeList }
const ASN1_COMPONENT_INFO CASN1_AddRequest::m_compInfoList[] = {
    //                 end  name          resolver  tag   class tagging  validator                          opt rep any
    ASN1_COMPONENT_INFO(0, "entry",       nullptr,  0x04, 0,    TM_NONE, nullptr,                           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "attributes",  nullptr,  0x10, 0,    TM_NONE, CASN1_LDAPAttributeList::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};
