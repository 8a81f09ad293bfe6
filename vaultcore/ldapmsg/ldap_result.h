#pragma once
// LDAPResult, the body of most responses, and Referral, its list of URLs.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// The members every response with a result carries, in this order, at the
// head of its table.
#define ASN1_LDAP_RESULT_MEMBERS                       \
    ASN1_MEMBER(CASN1_ENUMERATED, resultCode)          \
    ASN1_MEMBER(CASN1_OCTET_STRING, matchedDN)         \
    ASN1_MEMBER(CASN1_OCTET_STRING, errorMessage)      \
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, referral)

// Referral ::= SEQUENCE OF LDAPURL
class VAULTCORE_API CASN1_Referral : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_Referral, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_OCTET_STRING)
};

// LDAPResult ::= SEQUENCE { resultCode, matchedDN, errorMessage, referral [3] OPTIONAL }
class VAULTCORE_API CASN1_LDAPResult : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPResult, CASN1_SEQUENCE)
    ASN1_LDAP_RESULT_MEMBERS
};
