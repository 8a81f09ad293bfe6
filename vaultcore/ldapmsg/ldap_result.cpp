// Result tables. ASN.1 after RFC 2251 section 4.1.10 and 4.1.11.
#include "vaultcore/ldapmsg/ldap_result.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_Referral, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPResult, CASN1_SEQUENCE, 0x10)

// Referral ::= SEQUENCE OF LDAPURL          -- LDAPURL ::= LDAPString
const ASN1_COMPONENT_INFO CASN1_Referral::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  1,  0),
    ASN1_END_OF_TABLE,
};

// LDAPResult ::= SEQUENCE {
//         resultCode      ENUMERATED { success (0), ... },
//         matchedDN       LDAPDN,
//         errorMessage    LDAPString,
//         referral        [3] Referral OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_LDAPResult::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging      validator                 opt rep any
    ASN1_COMPONENT_INFO(0, "resultCode",    nullptr,  0x0A, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedDN",     nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "errorMessage",  nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "referral",      nullptr,  0x83, 2,    TM_IMPLICIT, CASN1_Referral::isValid,  1,  0,  0),
    ASN1_END_OF_TABLE,
};
