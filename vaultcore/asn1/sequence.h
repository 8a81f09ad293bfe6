#pragma once
#include "vaultcore/asn1/asn1_type.h"

// SEQUENCE: components in order; only the constructed form is accepted.
class VAULTCORE_API CASN1_SEQUENCE : public CASN1_CONSTRUCTED_TYPE {
    DECLARE_ASN1_COPY(CASN1_SEQUENCE)
public:
    CASN1_SEQUENCE();

protected:
    BOOL allowsPrimitive() const override { return FALSE; }
    // Decoded components are appended as received, whatever their type.
    void addConstructedComponent(CASN1Type* component) override { CASN1_CONSTRUCTED_TYPE::AddObject(component); }
};

// SET: like a SEQUENCE; while its sorted flag is set, AddObject keeps the
// components in ascending order of their encodings (DER order). Decoding
// keeps the received order.
class VAULTCORE_API CASN1_SET : public CASN1_SEQUENCE {
    DECLARE_ASN1_COPY(CASN1_SET)
public:
    CASN1_SET();
    void AddObject(CASN1Type* component) override;
    // Constructed, identifier 17 unless implicitly tagged, and in order
    // when the sorted flag is set.
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);
};
