#pragma once
// The attributes of PKCS #7 signer infos and PKCS #10 requests (PKCS #9
// names the usual types: contentType, messageDigest, signingTime ...).
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// Attribute ::= SEQUENCE { type OBJECT IDENTIFIER, values SET OF ANY }
class VAULTCORE_API CASN1_Attribute : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_Attribute, CASN1_SEQUENCE)
    // Adopts both.
    CASN1_Attribute(CASN1_OBJECT_IDENTIFIER* type, CASN1_SET* values);
    ASN1_MEMBER(CASN1_OBJECT_IDENTIFIER, type)
    ASN1_MEMBER(CASN1_SET, values)
    CASN1_OBJECT_IDENTIFIER& GetID() { return get_type(); }
    const CASN1_OBJECT_IDENTIFIER& GetID() const { return get_type(); }
    CASN1_SET& GetValues() { return get_values(); }
    const CASN1_SET& GetValues() const { return get_values(); }
};

// Attributes ::= SET OF Attribute (the [0] and [1] sets of a signer info
// and the [0] set of a certification request, once read out of their tags).
class VAULTCORE_API CASN1_Attributes : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_Attributes, CASN1_SET)
    ASN1_ELEMENTS(CASN1_Attribute)
    // The index of the first attribute of the type, or -1.
    int Find(const CASN1_OBJECT_IDENTIFIER& type) const;
};
