#pragma once
#include "vaultcore/asn1/asn1_type.h"

// NULL: empty contents.
class VAULTCORE_API CASN1_NULL : public CASN1_PRIMITIVE_TYPE {
    DECLARE_ASN1_COPY(CASN1_NULL)
public:
    CASN1_NULL();

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};
