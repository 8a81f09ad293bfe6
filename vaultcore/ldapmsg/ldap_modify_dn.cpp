// Modify-DN request table. ASN.1 after RFC 2251 section 4.9.
#include "vaultcore/ldapmsg/ldap_modify_dn.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ModifyDNRequest, CASN1_TAGGED, 0x4C)

// ModifyDNRequest ::= [APPLICATION 12] SEQUENCE {
//         entry           LDAPDN,
//         newrdn          RelativeLDAPDN,
//         deleteoldrdn    BOOLEAN,
//         newSuperior     [0] LDAPDN OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_ModifyDNRequest::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "entry",         nullptr,  0x04, 0,    TM_NONE,     nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "newrdn",        nullptr,  0x04, 0,    TM_NONE,     nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "deleteoldrdn",  nullptr,  0x01, 0,    TM_NONE,     nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "newSuperior",   nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_END_OF_TABLE,
};
