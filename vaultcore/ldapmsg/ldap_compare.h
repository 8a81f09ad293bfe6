#pragma once
// The compare operation.
#include "vaultcore/ldapmsg/ldap_filter.h"
#include "vaultcore/ldapmsg/ldap_result.h"

// CompareRequest ::= [APPLICATION 14] SEQUENCE { entry, ava }
class VAULTCORE_API CASN1_CompareRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_CompareRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_OCTET_STRING, entry)
    ASN1_MEMBER(CASN1_LDAPAttributeValueAssertion, ava)
};

// CompareResponse ::= [APPLICATION 15] SEQUENCE { LDAPResult members, matchedSubtype [9] OPTIONAL }
class VAULTCORE_API CASN1_CompareResponse : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_CompareResponse, CASN1_TAGGED)
    ASN1_LDAP_RESULT_MEMBERS
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, matchedSubtype)
};
