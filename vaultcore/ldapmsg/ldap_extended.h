#pragma once
// The extended operation.
#include "vaultcore/ldapmsg/ldap_result.h"

// ExtendedRequest ::= [APPLICATION 23] SEQUENCE { requestName [0], requestValue [1] OPTIONAL }
// Operations such as Who-am-I carry no value at all, and servers refuse one
// that is present but empty.
class VAULTCORE_API CASN1_ExtendedRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_ExtendedRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_TAGGED, requestName)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, requestValue)
};

// ExtendedResponse ::= [APPLICATION 24] SEQUENCE { LDAPResult members,
//     requestName [0] OPTIONAL, response [1] OPTIONAL,
//     responseName [10] OPTIONAL, responseValue [11] OPTIONAL }
// Servers following RFC 4511 send the name and value under [10] and [11];
// both pairs are accepted.
class VAULTCORE_API CASN1_ExtendedResponse : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_ExtendedResponse, CASN1_TAGGED)
    ASN1_LDAP_RESULT_MEMBERS
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, requestName)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, response)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, responseName)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, responseValue)
};
