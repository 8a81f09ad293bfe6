#pragma once
#include "vaultcore/asn1/asn1_type.h"

// OCTET STRING: a tagged value whose primitive contents stay in a
// CDEREncoding (a decoded encoding, a buffer, or a file streamed only when
// the value is written), so contents are never copied needlessly.
// Constructed, it is a list of OCTET STRING segments.
class VAULTCORE_API CASN1_OCTET_STRING : public CASN1_TAGGED {
    DECLARE_ASN1_COPY(CASN1_OCTET_STRING)
public:
    // Constructed with no segments: encodes as 24 00.
    CASN1_OCTET_STRING();
    CASN1_OCTET_STRING(const unsigned char* data, unsigned long size);
    explicit CASN1_OCTET_STRING(const CString& text);
    // As CDEREncoding(int, unsigned char*, unsigned long, int, int).
    CASN1_OCTET_STRING(unsigned char* data, unsigned long size, int takeOver, int copy);
    // The next length octets of file from its position, read only when the
    // value is written.
    CASN1_OCTET_STRING(CFile* file, unsigned long length, int ownsFile, int temporary);

protected:
    void addConstructedComponent(CASN1Type* component) override;

private:
    void referTo(CDEREncoding* encoding, unsigned long position, unsigned long length);
};
