// Bind tables. ASN.1 after RFC 2251 section 4.2, with this system's additions
// to the bind response.
#include "vaultcore/ldapmsg/ldap_bind.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SaslCredentials, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_BindRequest, CASN1_TAGGED, 0x40)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_BindResponse, CASN1_TAGGED, 0x41)

// BindRequest ::= [APPLICATION 0] SEQUENCE {
//         version                 INTEGER (1 .. 127),
//         name                    LDAPDN,
//         authentication          AuthenticationChoice }
const ASN1_COMPONENT_INFO CASN1_BindRequest::m_compInfoList[] = {
    //                 end  name              resolver                                         tag   class tagging  validator                              opt rep any
    ASN1_COMPONENT_INFO(0, "version",         nullptr,                                         0x02, 0,    TM_NONE, nullptr,                               0,  0,  0),
    ASN1_COMPONENT_INFO(0, "name",            nullptr,                                         0x04, 0,    TM_NONE, nullptr,                               0,  0,  0),
    ASN1_COMPONENT_INFO(0, "authentication",  CASN1_AuthenticationChoice::resolveAlternative,  0xFF, 0,    TM_NONE, CASN1_AuthenticationChoice::isValid,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// AuthenticationChoice ::= CHOICE {
//         simple                  [0] OCTET STRING,
//         sasl                    [3] SaslCredentials }
const ASN1_COMPONENT_INFO CASN1_AuthenticationChoice::m_alternativesList[] = {
    //                 end  name      resolver  tag   class tagging      validator                       opt rep any
    ASN1_COMPONENT_INFO(0, "simple",  nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,                        0,  0,  0),
    ASN1_COMPONENT_INFO(0, "sasl",    nullptr,  0x83, 2,    TM_IMPLICIT, CASN1_SaslCredentials::isValid, 0,  0,  0),
    ASN1_END_OF_TABLE,
};

// SaslCredentials ::= SEQUENCE {
//         mechanism               LDAPString,
//         credentials             OCTET STRING }
const ASN1_COMPONENT_INFO CASN1_SaslCredentials::m_compInfoList[] = {
    //                 end  name           resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "mechanism",    nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "credentials",  nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// BindResponse ::= [APPLICATION 1] SEQUENCE {
//         COMPONENTS OF LDAPResult,
//         supportedVersion        [5] INTEGER OPTIONAL,
//         serverURL               [6] LDAPString OPTIONAL,
//         serverCreds             [7] AuthenticationChoice OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_BindResponse::m_compInfoList[] = {
    //                 end  name                resolver                                         tag   class tagging      validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "resultCode",        nullptr,                                         0x0A, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedDN",         nullptr,                                         0x04, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "errorMessage",      nullptr,                                         0x04, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "referral",          nullptr,                                         0x83, 2,    TM_IMPLICIT, CASN1_Referral::isValid,              1,  0,  0),
    ASN1_COMPONENT_INFO(0, "supportedVersion",  nullptr,                                         0x85, 2,    TM_IMPLICIT, nullptr,                              1,  0,  0),
    ASN1_COMPONENT_INFO(0, "serverURL",         nullptr,                                         0x86, 2,    TM_IMPLICIT, nullptr,                              1,  0,  0),
    ASN1_COMPONENT_INFO(0, "serverCreds",       CASN1_AuthenticationChoice::resolveAlternative,  0x87, 2,    TM_IMPLICIT, CASN1_AuthenticationChoice::isValid,  1,  0,  0),
    ASN1_END_OF_TABLE,
};
