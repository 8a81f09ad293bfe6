// Session and resume tables: this system's own operations, in the notation
// of RFC 2251.
#include "vaultcore/ldapmsg/ldap_session.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ControlsEntry, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_Controls, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SequenceOfLDAPString, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SessionResponse, CASN1_TAGGED, 0x52)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_ResumeRequest, CASN1_TAGGED, 0x54)

// Controls ::= SEQUENCE OF Control
const ASN1_COMPONENT_INFO CASN1_Controls::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                      opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_ControlsEntry::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};

// Control ::= SEQUENCE {
//         controlType     LDAPOID,
//         criticality     BOOLEAN DEFAULT FALSE,
//         controlValue    OCTET STRING }         -- not optional here
const ASN1_COMPONENT_INFO CASN1_ControlsEntry::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "controlType",   nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "criticality",   nullptr,  0x01, 0,    TM_NONE, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "controlValue",  nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// SEQUENCE OF LDAPString
const ASN1_COMPONENT_INFO CASN1_SequenceOfLDAPString::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  1,  0),
    ASN1_END_OF_TABLE,
};

// SessionResponse ::= [APPLICATION 18] SEQUENCE {
//         COMPONENTS OF LDAPResult,
//         unsupportedCtls [12] SEQUENCE OF LDAPString }
const ASN1_COMPONENT_INFO CASN1_SessionResponse::m_compInfoList[] = {
    //                 end  name               resolver  tag   class tagging      validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "resultCode",       nullptr,  0x0A, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedDN",        nullptr,  0x04, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "errorMessage",     nullptr,  0x04, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "referral",         nullptr,  0x83, 2,    TM_IMPLICIT, CASN1_Referral::isValid,              1,  0,  0),
    ASN1_COMPONENT_INFO(0, "unsupportedCtls",  nullptr,  0x8C, 2,    TM_IMPLICIT, CASN1_SequenceOfLDAPString::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// ResumeRequest ::= [APPLICATION 20] SEQUENCE {
//         searchRequestID [0] IMPLICIT ...,
//         startAtEntry    [1] IMPLICIT ...,
//         entriesToReturn [2] IMPLICIT ... }
// Nothing in the system builds or reads these members; the types under the
// tags are left open.
const ASN1_COMPONENT_INFO CASN1_ResumeRequest::m_compInfoList[] = {
    //                 end  name               resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "searchRequestID",  nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "startAtEntry",     nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "entriesToReturn",  nullptr,  0x82, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};
