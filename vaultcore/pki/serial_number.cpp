#include "vaultcore/pki/serial_number.h"

#include <cstring>

#include "vaultcore/crypto/digest_maker.h"
#include "vaultcore/crypto/huge_digit.h"
#include "vaultcore/crypto/randoms_generator.h"

IMPLEMENT_SERIAL(CSerialNumber, CByteArray, 0)

namespace {
const int kDigestLength = 16;
const int kHeadRandoms = 3;
const int kTailRandoms = 5;

// The octets from the first non-zero one on.
void significant(const CSerialNumber& serial, const unsigned char*& data, int& length)
{
    data = serial.GetData();
    length = serial.GetSize();
    while (length > 0 && *data == 0) {
        ++data;
        --length;
    }
}
}  // namespace

CSerialNumber::CSerialNumber(unsigned char* const data, int length)
{
    if (data && length > 0) {
        SetSize(length);
        std::memcpy(CByteArrayPro::GetData(), data, (size_t)length);
    }
}

CSerialNumber::CSerialNumber(const CSerialNumber& other) : CByteArrayPro()
{
    Copy(other);
}

CSerialNumber& CSerialNumber::operator=(const CSerialNumber& other)
{
    if (this != &other)
        Copy(other);
    return *this;
}

CSerialNumber::operator CString() const
{
    return OctetsToHexChars(GetData(), GetSize());
}

void CSerialNumber::RandomPermutation()
{
    unsigned char fresh[kHeadRandoms + kDigestLength + kTailRandoms];
    // MD5 of the old octets (of no octets at all for an empty number).
    AfxMakeMD5DigestOnData(GetData(), GetSize(), fresh + kHeadRandoms);
    CRandomsGenerator randoms;
    randoms.GetRandomBlock(fresh + kHeadRandoms + kDigestLength, kTailRandoms);
    randoms.RegenerateRandoms();
    randoms.GetRandomBlock(fresh, kHeadRandoms);
    SetSize(sizeof fresh);
    std::memcpy(CByteArrayPro::GetData(), fresh, sizeof fresh);
}

BOOL operator==(const CSerialNumber& a, const CSerialNumber& b)
{
    const unsigned char *pa, *pb;
    int na, nb;
    significant(a, pa, na);
    significant(b, pb, nb);
    if (na != nb)
        return FALSE;
    const int capacityBytes = CHugeDigit::kCapacity * 4;
    if (na > capacityBytes)
        return std::memcmp(pa, pb, (size_t)na) == 0;
    // The arithmetic's comparison, which also lets a stop request of the
    // calling thread through.
    short words = (short)(na > 0 ? (na + 3) / 4 : 1);
    CHugeDigit x, y;
    x.SetLength(words);
    y.SetLength(words);
    x.Decode(pa, (unsigned short)na);
    y.Decode(pb, (unsigned short)nb);
    return IsEqual(x, y);
}

BOOL operator!=(const CSerialNumber& a, const CSerialNumber& b)
{
    return !(a == b);
}
