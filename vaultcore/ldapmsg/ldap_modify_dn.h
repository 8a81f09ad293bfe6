#pragma once
// The modify-DN operation.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// ModifyDNRequest ::= [APPLICATION 12] SEQUENCE { entry, newrdn, deleteoldrdn,
//     newSuperior [0] OPTIONAL }
class VAULTCORE_API CASN1_ModifyDNRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_ModifyDNRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_OCTET_STRING, entry)
    ASN1_MEMBER(CASN1_OCTET_STRING, newrdn)
    ASN1_MEMBER(CASN1_BOOLEAN, deleteoldrdn)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, newSuperior)
};
