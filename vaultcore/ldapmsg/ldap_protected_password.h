#pragma once
// The protected password structure (free-standing; no message refers to it).
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// ProtectedPassword ::= SEQUENCE { time1 [0] OPTIONAL, time2 [1] OPTIONAL,
//     random1 [2] OPTIONAL, random2 [3] OPTIONAL, protected [4] }
class VAULTCORE_API CASN1_ProtectedPassword : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_ProtectedPassword, CASN1_SEQUENCE)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, time1)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, time2)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, random1)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, random2)
    ASN1_MEMBER(CASN1_TAGGED, protected)
};
