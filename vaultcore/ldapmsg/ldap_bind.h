#pragma once
// The bind operation: request, authentication choice, SASL credentials and response.
#include "vaultcore/ldapmsg/ldap_result.h"

// AuthenticationChoice ::= CHOICE { simple [0] OCTET STRING, sasl [3] SaslCredentials }
class VAULTCORE_API CASN1_AuthenticationChoice : public CASN1ChoiceView {
    ASN1_CHOICE_CLASS(CASN1_AuthenticationChoice)
    ASN1_ALTERNATIVE(simple)
    ASN1_ALTERNATIVE(sasl)
};

// SaslCredentials ::= SEQUENCE { mechanism LDAPString, credentials OCTET STRING }
class VAULTCORE_API CASN1_SaslCredentials : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SaslCredentials, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, mechanism)
    ASN1_MEMBER(CASN1_OCTET_STRING, credentials)
};

// BindRequest ::= [APPLICATION 0] SEQUENCE { version, name, authentication }
class VAULTCORE_API CASN1_BindRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_BindRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_OCTET_STRING, name)
    ASN1_CHOICE_MEMBER(CASN1_AuthenticationChoice, authentication)
};

// BindResponse ::= [APPLICATION 1] SEQUENCE { LDAPResult members,
//     supportedVersion [5], serverURL [6], serverCreds [7], all OPTIONAL }
class VAULTCORE_API CASN1_BindResponse : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_BindResponse, CASN1_TAGGED)
    ASN1_LDAP_RESULT_MEMBERS
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, supportedVersion)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, serverURL)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, serverCreds)
};
