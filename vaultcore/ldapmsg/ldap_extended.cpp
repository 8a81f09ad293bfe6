// Extended operation tables. ASN.1 after RFC 4511 section 4.12 (the request
// value is OPTIONAL there; RFC 2251 had it mandatory) with both pairs of
// response members.
#include "vaultcore/ldapmsg/ldap_extended.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ExtendedRequest, CASN1_TAGGED, 0x57)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ExtendedResponse, CASN1_TAGGED, 0x58)

// ExtendedRequest ::= [APPLICATION 23] SEQUENCE {
//         requestName     [0] LDAPOID,
//         requestValue    [1] OCTET STRING OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_ExtendedRequest::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "requestName",   nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "requestValue",  nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_END_OF_TABLE,
};

// ExtendedResponse ::= [APPLICATION 24] SEQUENCE {
//         COMPONENTS OF LDAPResult,
//         requestName     [0] LDAPOID OPTIONAL,          -- the response name
//         response        [1] OCTET STRING OPTIONAL,
//         responseName    [10] LDAPOID OPTIONAL,         -- RFC 4511 servers
//         responseValue   [11] OCTET STRING OPTIONAL }   -- RFC 4511 servers
const ASN1_COMPONENT_INFO CASN1_ExtendedResponse::m_compInfoList[] = {
    //                 end  name             resolver  tag   class tagging      validator                 opt rep any
    ASN1_COMPONENT_INFO(0, "resultCode",     nullptr,  0x0A, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedDN",      nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "errorMessage",   nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "referral",       nullptr,  0x83, 2,    TM_IMPLICIT, CASN1_Referral::isValid,  1,  0,  0),
    ASN1_COMPONENT_INFO(0, "requestName",    nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,                  1,  0,  0),
    ASN1_COMPONENT_INFO(0, "response",       nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,                  1,  0,  0),
    ASN1_COMPONENT_INFO(0, "responseName",   nullptr,  0x8A, 2,    TM_IMPLICIT, nullptr,                  1,  0,  0),
    ASN1_COMPONENT_INFO(0, "responseValue",  nullptr,  0x8B, 2,    TM_IMPLICIT, nullptr,                  1,  0,  0),
    ASN1_END_OF_TABLE,
};
