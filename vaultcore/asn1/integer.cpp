#include "vaultcore/asn1/integer.h"

#include <cstring>

#include "vaultcore/pki/serial_number.h"

IMPLEMENT_ASN1_COPY(CASN1_INTEGER)
IMPLEMENT_ASN1_COPY(CASN1_ENUMERATED)

namespace {
const unsigned long kMaxMagnitudeOctets = 256;
}

CASN1_INTEGER::CASN1_INTEGER()
{
    m_identifier = 2;
}

CASN1_INTEGER::CASN1_INTEGER(unsigned long value) : CASN1_INTEGER()
{
    unsigned char octets[sizeof(unsigned long)];
    for (size_t i = 0; i < sizeof octets; ++i)
        octets[i] = (unsigned char)(value >> (8 * (sizeof octets - 1 - i)));
    setMagnitude(octets, sizeof octets);
}

CASN1_INTEGER::CASN1_INTEGER(const unsigned char* magnitude, unsigned short length) : CASN1_INTEGER()
{
    setMagnitude(magnitude, magnitude ? length : 0);
}

void CASN1_INTEGER::setMagnitude(const unsigned char* magnitude, unsigned long length)
{
    if (length > kMaxMagnitudeOctets) {
        magnitude += length - kMaxMagnitudeOctets;
        length = kMaxMagnitudeOctets;
    }
    while (length > 0 && *magnitude == 0) {
        ++magnitude;
        --length;
    }
    // A leading 0x00 keeps the value non-negative when the top bit is set,
    // and stands alone for zero.
    bool signOctet = length == 0 || (magnitude[0] & 0x80);
    SetSize((int)(length + (signOctet ? 1 : 0)));
    unsigned char* out = GetData();
    if (signOctet)
        *out++ = 0;
    if (length)
        std::memcpy(out, magnitude, length);
}

unsigned long CASN1_INTEGER::magnitudeOffset() const
{
    return (GetSize() >= 2 && GetAt(0) == 0) ? 1 : 0;
}

BOOL CASN1_INTEGER::GetInteger(unsigned long& value) const
{
    unsigned long i = 0, n = contentsLength();
    const unsigned char* data = contentsData();
    while (i < n && data[i] == 0)
        ++i;
    if (n - i > 4)
        return FALSE;
    unsigned long result = 0;
    for (; i < n; ++i)
        result = (result << 8) | data[i];
    value = result;
    return TRUE;
}

void CASN1_INTEGER::writeClearContents(CBufferedFilterNS& stage) const
{
    unsigned long offset = magnitudeOffset();
    if (contentsLength() > offset)
        stage.write(contentsData() + offset, contentsLength() - offset);
}

unsigned long CASN1_INTEGER::getClearContentsLength() const
{
    return contentsLength() - magnitudeOffset();
}

CASN1_ENUMERATED::CASN1_ENUMERATED()
{
    m_identifier = 10;
}

CASN1_ENUMERATED::CASN1_ENUMERATED(unsigned long value) : CASN1_INTEGER(value)
{
    m_identifier = 10;
}

CASN1_ENUMERATED::CASN1_ENUMERATED(const unsigned char* magnitude, unsigned short length)
    : CASN1_INTEGER(magnitude, length)
{
    m_identifier = 10;
}

void CASN1_ENUMERATED::takeContentsFrom(CASN1Type& source)
{
    CASN1_INTEGER::takeContentsFrom(source);
    if (auto* other = dynamic_cast<CASN1_ENUMERATED*>(&source)) {
        m_lLowerBound = other->m_lLowerBound;
        m_lUpperBound = other->m_lUpperBound;
    }
}

BOOL CASN1_ENUMERATED::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!value || value->isConstructed())
        return FALSE;
    if (!implicitlyTagged) {
        const CASN1_ENUMERATED* enumerated = dynamic_cast<const CASN1_ENUMERATED*>(value);
        if (value->getIdentifier() != 10 || !enumerated)
            return FALSE;
        enumerated->OnOffClearAfterGet(FALSE);
        unsigned long number;
        if (!enumerated->GetInteger(number))
            return FALSE;
        if (enumerated->m_lLowerBound <= enumerated->m_lUpperBound) {
            int32_t signedNumber = (int32_t)(uint32_t)number;
            return signedNumber >= enumerated->m_lLowerBound && signedNumber <= enumerated->m_lUpperBound;
        }
        return TRUE;
    }
    unsigned char buffer[5];
    if (value->getClearContentsLength() > sizeof buffer)
        return FALSE;
    if (!value->GetClearData(buffer, sizeof buffer, FALSE, TRUE))
        return FALSE;
    CASN1_ENUMERATED probe(buffer, sizeof buffer);
    unsigned long number;
    return probe.GetInteger(number);
}

CASN1_INTEGER::operator CSerialNumber() const
{
    unsigned long n = contentsLength(), first = 0;
    const unsigned char* data = contentsData();
    while (n - first > 1 && data[first] == 0)
        ++first;
    return CSerialNumber(const_cast<unsigned char*>(data) + first, (int)(n - first));
}
