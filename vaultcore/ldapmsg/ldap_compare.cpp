// Compare tables. ASN.1 after RFC 2251 section 4.10, with this system's
// matchedSubtype in the response.
#include "vaultcore/ldapmsg/ldap_compare.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_CompareRequest, CASN1_TAGGED, 0x4E)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_CompareResponse, CASN1_TAGGED, 0x4F)

// CompareRequest ::= [APPLICATION 14] SEQUENCE {
//         entry           LDAPDN,
//         ava             AttributeValueAssertion }
const ASN1_COMPONENT_INFO CASN1_CompareRequest::m_compInfoList[] = {
    //                 end  name     resolver  tag   class tagging  validator                                    opt rep any
    ASN1_COMPONENT_INFO(0, "entry",  nullptr,  0x04, 0,    TM_NONE, nullptr,                                     0,  0,  0),
    ASN1_COMPONENT_INFO(0, "ava",    nullptr,  0x10, 0,    TM_NONE, CASN1_LDAPAttributeValueAssertion::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// CompareResponse ::= [APPLICATION 15] SEQUENCE {
//         COMPONENTS OF LDAPResult,
//         matchedSubtype  [9] LDAPString OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_CompareResponse::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging      validator                 opt rep any
    ASN1_COMPONENT_INFO(0, "resultCode",      nullptr,  0x0A, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedDN",       nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "errorMessage",    nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "referral",        nullptr,  0x83, 2,    TM_IMPLICIT, CASN1_Referral::isValid,  1,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedSubtype",  nullptr,  0x89, 2,    TM_IMPLICIT, nullptr,                  1,  0,  0),
    ASN1_END_OF_TABLE,
};
