#pragma once
#include "vaultcore/asn1/asn1_type.h"

class CSerialNumber;

// INTEGER: two's complement contents octets. The library builds only
// non-negative values; its clear contents are the magnitude (the contents
// without a leading 0x00 sign octet).
class VAULTCORE_API CASN1_INTEGER : public CASN1_PRIMITIVE_TYPE {
    DECLARE_ASN1_COPY(CASN1_INTEGER)
public:
    CASN1_INTEGER();
    explicit CASN1_INTEGER(unsigned long value);
    // Unsigned big-endian magnitude of at most 256 octets (longer input keeps
    // its low-order 256 octets).
    CASN1_INTEGER(const unsigned char* magnitude, unsigned short length);

    // The contents read as an unsigned magnitude; FALSE when it needs more
    // than 32 bits.
    BOOL GetInteger(unsigned long& value) const;
    // The contents without leading 0x00 octets (at least one octet kept).
    operator CSerialNumber() const;

    void writeClearContents(CBufferedFilterNS& stage) const override;
    unsigned long getClearContentsLength() const override;

protected:
    void setMagnitude(const unsigned char* magnitude, unsigned long length);
    // Offset of the magnitude inside the contents (1 behind a sign octet).
    unsigned long magnitudeOffset() const;
};

// ENUMERATED: an INTEGER with tag 10 and an optional range.
class VAULTCORE_API CASN1_ENUMERATED : public CASN1_INTEGER {
    DECLARE_ASN1_COPY(CASN1_ENUMERATED)
public:
    CASN1_ENUMERATED();
    explicit CASN1_ENUMERATED(unsigned long value);
    CASN1_ENUMERATED(const unsigned char* magnitude, unsigned short length);

    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);

    // The range checked by isValid when lower <= upper.
    int32_t m_lLowerBound = 1;
    int32_t m_lUpperBound = -1;

protected:
    void takeContentsFrom(CASN1Type& source) override;
};
