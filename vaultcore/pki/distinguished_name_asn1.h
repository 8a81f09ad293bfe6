#pragma once
// The DER form of distinguished names (X.501):
//   Name ::= RDNSequence
//   RDNSequence ::= SEQUENCE OF RelativeDistinguishedName
//   RelativeDistinguishedName ::= SET OF AttributeValueAssertion
//   AttributeValueAssertion ::= SEQUENCE { type OBJECT IDENTIFIER, value ANY }
// with the value restricted to PrintableString, T61String, IA5String or
// OCTET STRING, the four string kinds of CAttributeValue.
#include "vaultcore/asn1/universal_types.h"
#include "vaultcore/pki/distinguished_name.h"
#include "vaultcore/pki/record_conversion.h"

class VAULTCORE_API CASN1_AttributeValueAssertion : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_AttributeValueAssertion, CASN1_SEQUENCE)
    // Writes nothing for a name that is not one of the 24 display names or
    // an unknown string kind: the assertion is then not valid. Reading an
    // unknown identifier gives the name "Unknown".
    ASN1_RECORD_CONVERSION(CASN1_AttributeValueAssertion, CAttributeValue)
    // Adopts both.
    CASN1_AttributeValueAssertion(CASN1_OBJECT_IDENTIFIER* type, CASN1Type* value);
    ASN1_MEMBER(CASN1_OBJECT_IDENTIFIER, type)
    ASN1_MEMBER(CASN1Type, value)
};

class VAULTCORE_API CASN1_RelativeDistinguishedName : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_RelativeDistinguishedName, CASN1_SET)
    // Written in DER set order; read in the order received.
    ASN1_RECORD_CONVERSION(CASN1_RelativeDistinguishedName, CRelativeDN)
    ASN1_ELEMENTS(CASN1_AttributeValueAssertion)
};

// The decoding constructor throws CDERDecodingException "RDNSequence
// contents is not valid" for DER that is not a valid name.
class VAULTCORE_API CASN1_RDNSequence : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_RDNSequence, CASN1_SEQUENCE)
    // Relative names read get the label "Set".
    ASN1_RECORD_CONVERSION(CASN1_RDNSequence, CDistinguishedName)
    ASN1_ELEMENTS(CASN1_RelativeDistinguishedName)
    // A new name filled by SetDataTo.
    operator CDistinguishedName() const;
};
