#pragma once
#include "vaultcore/asn1/asn1_type.h"

// BOOLEAN: one contents octet, 0x00 (FALSE) or 0xFF (TRUE).
class VAULTCORE_API CASN1_BOOLEAN : public CASN1_PRIMITIVE_TYPE {
    DECLARE_ASN1_COPY(CASN1_BOOLEAN)
public:
    explicit CASN1_BOOLEAN(int value = FALSE);
    BOOL GetBoolean() const;
    void Dump(unsigned long indent, CFile* file) const override;

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};
