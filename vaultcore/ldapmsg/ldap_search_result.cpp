// Search result tables. ASN.1 after RFC 2251 sections 4.5.2 and 4.5.3, with
// this system's totalCount and whole-result message.
#include "vaultcore/ldapmsg/ldap_search_result.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SearchResultEntry, CASN1_TAGGED, 0x44)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SearchResultDone, CASN1_TAGGED, 0x45)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SearchResultFull, CASN1_SEQUENCE, 0x10)

// SearchResultEntry ::= [APPLICATION 4] SEQUENCE {
//         objectName      LDAPDN,
//         attributes      PartialAttributeList }
const ASN1_COMPONENT_INFO CASN1_SearchResultEntry::m_compInfoList[] = {
    //                 end  name          resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "objectName",  nullptr,  0x04, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "attributes",  nullptr,  0x10, 0,    TM_NONE, CASN1_PartialAttributeList::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// SearchResultDone ::= [APPLICATION 5] SEQUENCE {
//         COMPONENTS OF LDAPResult,
//         totalCount      [8] INTEGER OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_SearchResultDone::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging      validator                 opt rep any
    ASN1_COMPONENT_INFO(0, "resultCode",    nullptr,  0x0A, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchedDN",     nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "errorMessage",  nullptr,  0x04, 0,    TM_NONE,     nullptr,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "referral",      nullptr,  0x83, 2,    TM_IMPLICIT, CASN1_Referral::isValid,  1,  0,  0),
    ASN1_COMPONENT_INFO(0, "totalCount",    nullptr,  0x88, 2,    TM_IMPLICIT, nullptr,                  1,  0,  0),
    ASN1_END_OF_TABLE,
};

// SearchResultFull ::= SEQUENCE OF SearchResultChoice
const ASN1_COMPONENT_INFO CASN1_SearchResultFull::m_compInfoList[] = {
    //                 end  name              resolver                                      tag   class tagging  validator                          opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, CASN1_SearchResultChoice::resolveAlternative, 0xFF, 0,    TM_NONE, CASN1_SearchResultChoice::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

// SearchResultChoice ::= CHOICE {
//         entry           [APPLICATION 4] SearchResultEntry,
//         reference       [APPLICATION 19] SEQUENCE OF LDAPURL,
//         resultCode      [APPLICATION 5] SearchResultDone }
const ASN1_COMPONENT_INFO CASN1_SearchResultChoice::m_alternativesList[] = {
    //                 end  name          resolver  tag   class tagging      validator                          opt rep any
    ASN1_COMPONENT_INFO(0, "entry",       nullptr,  0x44, 1,    TM_IMPLICIT, CASN1_SearchResultEntry::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "reference",   nullptr,  0x53, 1,    TM_IMPLICIT, CASN1_Referral::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "resultCode",  nullptr,  0x45, 1,    TM_IMPLICIT, CASN1_SearchResultDone::isValid,   0,  0,  0),
    ASN1_END_OF_TABLE,
};
