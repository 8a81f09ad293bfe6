#pragma once
// Attributes with values, shared by search results, modifications and the add request.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// SET OF AttributeValue
class VAULTCORE_API CASN1_SetOfLDAPAttributeValue : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_SetOfLDAPAttributeValue, CASN1_SET)
    ASN1_ELEMENTS(CASN1_OCTET_STRING)
};

// SEQUENCE { type AttributeDescription, vals SET OF AttributeValue }
class VAULTCORE_API CASN1_LDAPAttributeTypeAndValues : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeTypeAndValues, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, type)
    ASN1_MEMBER(CASN1_SetOfLDAPAttributeValue, vals)
};

// AttributeList ::= SEQUENCE OF SEQUENCE { type, vals }
class VAULTCORE_API CASN1_LDAPAttributeList : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeList, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_LDAPAttributeTypeAndValues)
};

// Attribute ::= SEQUENCE { type, vals }; the same layout, used by no message.
class VAULTCORE_API CASN1_LDAPAttribute : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPAttribute, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, type)
    ASN1_MEMBER(CASN1_SetOfLDAPAttributeValue, vals)
};

// PartialAttributeList element: SEQUENCE { type, vals }
class VAULTCORE_API CASN1_PartialAttribute : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_PartialAttribute, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, type)
    ASN1_MEMBER(CASN1_SetOfLDAPAttributeValue, vals)
};

// PartialAttributeList ::= SEQUENCE OF SEQUENCE { type, vals }
class VAULTCORE_API CASN1_PartialAttributeList : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_PartialAttributeList, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_PartialAttribute)
};
