#pragma once
#include "vaultcore/asn1/asn1_type.h"

// OBJECT IDENTIFIER: first octet 40 * first arc + second arc, then each
// further arc in base 128, most significant group first.
class VAULTCORE_API CASN1_OBJECT_IDENTIFIER : public CASN1_PRIMITIVE_TYPE {
    DECLARE_ASN1_COPY(CASN1_OBJECT_IDENTIFIER)
public:
    CASN1_OBJECT_IDENTIFIER();
    CASN1_OBJECT_IDENTIFIER(unsigned char first, unsigned char second);

    void AddIDComponent(unsigned long arc);
    void GetDecimalDottedString(CString& text) const;
    operator CString() const;
    void Dump(unsigned long indent, CFile* file) const override;

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};

// Equal contents octets.
VAULTCORE_API bool operator==(const CASN1_OBJECT_IDENTIFIER& a, const CASN1_OBJECT_IDENTIFIER& b);
VAULTCORE_API bool operator!=(const CASN1_OBJECT_IDENTIFIER& a, const CASN1_OBJECT_IDENTIFIER& b);
