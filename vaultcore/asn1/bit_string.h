#pragma once
#include "vaultcore/asn1/asn1_type.h"

// BIT STRING: contents are one octet with the number of unused bits, then
// the bit octets, first bit in the high bit of the first octet. Met in
// constructed form it is a list of BIT STRING segments, of which only the
// last may have unused bits.
class VAULTCORE_API CASN1_BIT_STRING : public CASN1_CONSTRUCTED_TYPE {
    DECLARE_ASN1_COPY(CASN1_BIT_STRING)
public:
    CASN1_BIT_STRING();
    // bitCount bits from bits: as they stand when leftAligned, else taken
    // from the low end of the octets (right-aligned) and shifted into place.
    CASN1_BIT_STRING(const unsigned char* bits, unsigned long bitCount, int leftAligned);

    // Without the unused-bits octet; with alignLeft off and unused bits,
    // shifted so the last bit is the low bit of the last octet.
    void clear() override;
    void writeClearContents(CBufferedFilterNS& stage) const override;
    unsigned long getClearContentsLength() const override;
    void Dump(unsigned long indent, CFile* file) const override;

    uint32_t m_dwBits = 0;

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
    void addConstructedComponent(CASN1Type* component) override;
    void takeContentsFrom(CASN1Type& source) override;

private:
    // Feeds the bit octets of this value and its segments, in order, to sink.
    template <class Sink>
    void forEachBitOctet(Sink& sink) const;
};
