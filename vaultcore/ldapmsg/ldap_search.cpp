// Search request tables. ASN.1 after RFC 2251 section 4.5.1, with this
// system's paging and sorting members after the attribute list.
#include "vaultcore/ldapmsg/ldap_search.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeDescriptionList, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SortKey, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SortKeyList, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SearchRequest, CASN1_TAGGED, 0x43)

// SearchRequest ::= [APPLICATION 3] SEQUENCE {
//         baseObject      LDAPDN,
//         scope           ENUMERATED { baseObject (0), singleLevel (1), wholeSubtree (2) },
//         derefAliases    ENUMERATED { neverDerefAliases (0), derefInSearching (1),
//                                      derefFindingBaseObj (2), derefAlways (3) },
//         sizeLimit       INTEGER (0 .. maxInt),
//         timeLimit       INTEGER (0 .. maxInt),
//         typesOnly       BOOLEAN,
//         filter          Filter,
//         attributes      AttributeDescriptionList,
//         pageSizeLimit   [0] INTEGER OPTIONAL,
//         sortKeys        [1] SortKeyList OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_SearchRequest::m_compInfoList[] = {
    //                 end  name             resolver                          tag   class tagging      validator                                     opt rep any
    ASN1_COMPONENT_INFO(0, "baseObject",     nullptr,                          0x04, 0,    TM_NONE,     nullptr,                                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "scope",          nullptr,                          0x0A, 0,    TM_NONE,     nullptr,                                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "derefAliases",   nullptr,                          0x0A, 0,    TM_NONE,     nullptr,                                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "sizeLimit",      nullptr,                          0x02, 0,    TM_NONE,     nullptr,                                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "timeLimit",      nullptr,                          0x02, 0,    TM_NONE,     nullptr,                                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "typesOnly",      nullptr,                          0x01, 0,    TM_NONE,     nullptr,                                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "filter",         CASN1_Filter::resolveAlternative, 0xFF, 0,    TM_NONE,     CASN1_Filter::isValid,                        0,  0,  0),
    ASN1_COMPONENT_INFO(0, "attributes",     nullptr,                          0x10, 0,    TM_NONE,     CASN1_LDAPAttributeDescriptionList::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "pageSizeLimit",  nullptr,                          0x80, 2,    TM_IMPLICIT, nullptr,                                      1,  0,  0),
    ASN1_COMPONENT_INFO(0, "sortKeys",       nullptr,                          0x81, 2,    TM_IMPLICIT, CASN1_SortKeyList::isValid,                   1,  0,  0),
    ASN1_END_OF_TABLE,
};

// AttributeDescriptionList ::= SEQUENCE OF AttributeDescription
const ASN1_COMPONENT_INFO CASN1_LDAPAttributeDescriptionList::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  1,  0),
    ASN1_END_OF_TABLE,
};

// SortKeyList ::= SEQUENCE OF SortKey
const ASN1_COMPONENT_INFO CASN1_SortKeyList::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_SortKey::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};

// SortKey ::= SEQUENCE {
//         attributeType   AttributeDescription,
//         orderingRule    [0] MatchingRuleId OPTIONAL,
//         reverseOrder    [1] BOOLEAN DEFAULT FALSE }
const ASN1_COMPONENT_INFO CASN1_SortKey::m_compInfoList[] = {
    //                 end  name             resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "attributeType",  nullptr,  0x04, 0,    TM_NONE,     nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "orderingRule",   nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "reverseOrder",   nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_END_OF_TABLE,
};
