#include "vaultcore/asn1/bit_string.h"

#include "vaultcore/asn1/dump.h"

IMPLEMENT_ASN1_COPY(CASN1_BIT_STRING)

CASN1_BIT_STRING::CASN1_BIT_STRING()
{
    m_identifier = 3;
}

CASN1_BIT_STRING::CASN1_BIT_STRING(const unsigned char* bits, unsigned long bitCount, int leftAligned)
    : CASN1_BIT_STRING()
{
    unsigned int unused = (8 - bitCount % 8) % 8;
    unsigned long octets = (bitCount + 7) / 8;
    if (octets > 0x7FFFFFFEUL)
        AfxThrowMemoryException();
    SetSize((int)(octets + 1));
    unsigned char* out = GetData();
    out[0] = (unsigned char)unused;
    for (unsigned long i = 0; i < octets; ++i) {
        if (leftAligned || unused == 0) {
            out[1 + i] = bits[i];
        } else {
            unsigned char next = i + 1 < octets ? bits[i + 1] : 0;
            out[1 + i] = (unsigned char)((bits[i] << unused) | (next >> (8 - unused)));
        }
    }
    m_dwBits = (uint32_t)bitCount;
}

void CASN1_BIT_STRING::clear()
{
    CASN1_CONSTRUCTED_TYPE::clear();
    m_dwBits = 0;
}

template <class Sink>
void CASN1_BIT_STRING::forEachBitOctet(Sink& sink) const
{
    if (!m_bConstructed) {
        if (GetSize() > 1)
            sink(GetData() + 1, (unsigned long)GetSize() - 1);
        return;
    }
    for (int i = 0; i < m_components.GetSize(); ++i)
        if (auto* segment = dynamic_cast<const CASN1_BIT_STRING*>(m_components[i]))
            segment->forEachBitOctet(sink);
}

void CASN1_BIT_STRING::writeClearContents(CBufferedFilterNS& stage) const
{
    unsigned int unused = (8 - m_dwBits % 8) % 8;
    if (m_bAlignLeft || unused == 0) {
        auto copy = [&](const unsigned char* data, unsigned long n) { stage.write(data, n); };
        forEachBitOctet(copy);
        return;
    }
    // Right-align: every octet takes the low bits of its predecessor, across
    // segment boundaries; the unused bits fall off the end.
    unsigned char carry = 0;
    auto shift = [&](const unsigned char* data, unsigned long n) {
        for (unsigned long i = 0; i < n; ++i) {
            unsigned char out = (unsigned char)((carry << (8 - unused)) | (data[i] >> unused));
            carry = (unsigned char)(data[i] & ((1u << unused) - 1));
            stage.writeByte(out);
        }
    };
    forEachBitOctet(shift);
}

unsigned long CASN1_BIT_STRING::getClearContentsLength() const
{
    unsigned long total = 0;
    auto count = [&](const unsigned char*, unsigned long n) { total += n; };
    forEachBitOctet(count);
    return total;
}

void CASN1_BIT_STRING::setContents(CDEREncoding& encoding, unsigned long length)
{
    CASN1_CONSTRUCTED_TYPE::setContents(encoding, length);
    if (length == 0 || (length == 1 && GetAt(0) != 0))
        ___throwDERDecodingException("Invalid data size in BIT STRING");
    if (GetAt(0) > 7)
        ___throwDERDecodingException("Invalid number of padding bits in BIT STRING");
    m_dwBits = (uint32_t)(8 * (length - 1) - GetAt(0));
}

void CASN1_BIT_STRING::addConstructedComponent(CASN1Type* component)
{
    if (m_dwBits % 8 != 0) {
        delete component;
        ___throwDERDecodingException("CASN1_BIT_STRING::addConstructedComponent - m_dwBits = %d", (int)m_dwBits);
    }
    CASN1_CONSTRUCTED_TYPE::addConstructedComponent(component);
    if (auto* segment = dynamic_cast<CASN1_BIT_STRING*>(component))
        m_dwBits += segment->m_dwBits;
}

void CASN1_BIT_STRING::takeContentsFrom(CASN1Type& source)
{
    CASN1_CONSTRUCTED_TYPE::takeContentsFrom(source);
    if (auto* other = dynamic_cast<CASN1_BIT_STRING*>(&source)) {
        m_dwBits = other->m_dwBits;
        other->m_dwBits = 0;
    } else {
        m_dwBits = GetSize() > 1 ? (uint32_t)(8 * (GetSize() - 1) - (GetAt(0) & 7)) : 0;
    }
}

void CASN1_BIT_STRING::Dump(unsigned long indent, CFile* file) const
{
    CASN1_CONSTRUCTED_TYPE::Dump(indent, file);
    ___WriteFormatted(file, "%*sBITS = %d (0x%x)\r\n", (int)indent, "", (int)m_dwBits, (unsigned)m_dwBits);
}
