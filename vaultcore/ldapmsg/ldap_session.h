#pragma once
// Session and resume operations.
#include "vaultcore/ldapmsg/ldap_result.h"

// Control ::= SEQUENCE { controlType, criticality OPTIONAL, controlValue }
class VAULTCORE_API CASN1_ControlsEntry : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_ControlsEntry, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, controlType)
    ASN1_OPTIONAL_MEMBER(CASN1_BOOLEAN, criticality)
    ASN1_MEMBER(CASN1_OCTET_STRING, controlValue)
};

// Controls ::= SEQUENCE OF Control; the body of sessionRequest.
class VAULTCORE_API CASN1_Controls : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_Controls, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_ControlsEntry)
};

// SEQUENCE OF LDAPString
class VAULTCORE_API CASN1_SequenceOfLDAPString : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SequenceOfLDAPString, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_OCTET_STRING)
};

// SessionResponse ::= [APPLICATION 18] SEQUENCE { LDAPResult members, unsupportedCtls [12] }
class VAULTCORE_API CASN1_SessionResponse : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_SessionResponse, CASN1_TAGGED)
    ASN1_LDAP_RESULT_MEMBERS
    ASN1_MEMBER(CASN1_TAGGED, unsupportedCtls)
};

// ResumeRequest ::= [APPLICATION 20] SEQUENCE { searchRequestID [0], startAtEntry [1],
//     entriesToReturn [2] }
class VAULTCORE_API CASN1_ResumeRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_ResumeRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_TAGGED, searchRequestID)
    ASN1_MEMBER(CASN1_TAGGED, startAtEntry)
    ASN1_MEMBER(CASN1_TAGGED, entriesToReturn)
};
