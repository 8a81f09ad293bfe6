#pragma once
// The modify operation.
#include "vaultcore/ldapmsg/ldap_attributes.h"

// SEQUENCE { operation ENUMERATED { add (0), delete (1), replace (2) }, modification }
class VAULTCORE_API CASN1_ModificationEntry : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_ModificationEntry, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_ENUMERATED, operation)
    ASN1_MEMBER(CASN1_LDAPAttributeTypeAndValues, modification)
};

// SEQUENCE OF modification entries
class VAULTCORE_API CASN1_ModificationList : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_ModificationList, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_ModificationEntry)
};

// ModifyRequest ::= [APPLICATION 6] SEQUENCE { object, modification }
class VAULTCORE_API CASN1_ModifyRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_ModifyRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_OCTET_STRING, object)
    ASN1_MEMBER(CASN1_ModificationList, modification)
};
