#pragma once
// The search request with its paging and sorting members.
#include "vaultcore/ldapmsg/ldap_filter.h"

// AttributeDescriptionList ::= SEQUENCE OF AttributeDescription
class VAULTCORE_API CASN1_LDAPAttributeDescriptionList : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeDescriptionList, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_OCTET_STRING)
};

// SortKey ::= SEQUENCE { attributeType, orderingRule [0] OPTIONAL, reverseOrder [1] OPTIONAL }
class VAULTCORE_API CASN1_SortKey : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SortKey, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, attributeType)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, orderingRule)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, reverseOrder)
};

// SortKeyList ::= SEQUENCE OF SortKey
class VAULTCORE_API CASN1_SortKeyList : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SortKeyList, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_SortKey)
};

// SearchRequest ::= [APPLICATION 3] SEQUENCE { baseObject, scope, derefAliases,
//     sizeLimit, timeLimit, typesOnly, filter, attributes,
//     pageSizeLimit [0] OPTIONAL, sortKeys [1] OPTIONAL }
class VAULTCORE_API CASN1_SearchRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_SearchRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_OCTET_STRING, baseObject)
    ASN1_MEMBER(CASN1_ENUMERATED, scope)
    ASN1_MEMBER(CASN1_ENUMERATED, derefAliases)
    ASN1_MEMBER(CASN1_INTEGER, sizeLimit)
    ASN1_MEMBER(CASN1_INTEGER, timeLimit)
    ASN1_MEMBER(CASN1_BOOLEAN, typesOnly)
    ASN1_CHOICE_MEMBER(CASN1_Filter, filter)
    ASN1_MEMBER(CASN1_LDAPAttributeDescriptionList, attributes)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, pageSizeLimit)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, sortKeys)
};
