#pragma once
// The add operation.
#include "vaultcore/ldapmsg/ldap_attributes.h"

// AddRequest ::= [APPLICATION 8] SEQUENCE { entry, attributes }
class VAULTCORE_API CASN1_AddRequest : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_AddRequest, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_OCTET_STRING, entry)
    ASN1_MEMBER(CASN1_LDAPAttributeList, attributes)
};
