#include "vaultcore/crypto/keys.h"

#include <cstring>

#include "vaultcore/crypto/randoms_generator.h"
#include "vaultcore/crypto/secure_zero.h"

IMPLEMENT_SERIAL(CKey, CObject, 1)
IMPLEMENT_SERIAL(CDESkey, CKey, 1)
IMPLEMENT_SERIAL(CTripleDESkey, CKey, 1)
IMPLEMENT_SERIAL(CIDEAkey, CKey, 1)
IMPLEMENT_SERIAL(CRC2key, CKey, 1)
IMPLEMENT_SERIAL(CRC5key, CKey, 1)

static BOOL oddParity(unsigned char b)
{
    return __builtin_popcount(b) & 1;
}

void AdjustDESKeyParity(unsigned char* p, unsigned long n)
{
    for (unsigned long i = 0; i < n; ++i) {
        const unsigned char low = (unsigned char)(p[i] & 0x7f);
        p[i] = oddParity(low) ? low : (unsigned char)(low | 0x80);
    }
}

BOOL IsDESKeyParityOK(const unsigned char* p, unsigned long n)
{
    for (unsigned long i = 0; i < n; ++i)
        if (!oddParity(p[i]))
            return FALSE;
    return TRUE;
}

// --- CKey ---

CKey::CKey(unsigned short n)
{
    fillRandom(n);
}

CKey::CKey(const CKey& other) : CObject()
{
    m_key.Copy(other.m_key);
}

CKey& CKey::operator=(const CKey& other)
{
    if (this != &other)
        Set(other.Data(), other.Size());
    return *this;
}

CKey::~CKey()
{
    vcSecureZero(m_key);
}

void CKey::fillRandom(unsigned short n)
{
    m_key.SetSize(n);
    if (n) {
        CRandomsGenerator generator;
        generator.GetRandomBlock(m_key.GetData(), n);
    }
}

BOOL CKey::IsValid() const
{
    return TRUE;
}

BOOL CKey::Set(const unsigned char* p, unsigned long n)
{
    vcSecureZero(m_key);
    m_key.SetSize((int)n);
    if (n)
        std::memmove(m_key.GetData(), p, n);
    return IsValid();
}

void CKey::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        if (!IsValid())
            AfxThrowArchiveException(CArchiveException::genericException);
        ar << (BYTE)1;
        if (Size())
            ar.Write(Data(), (UINT)Size());
        return;
    }
    BYTE version = 0;
    ar >> version;
    if (version > 1)
        AfxThrowArchiveException(CArchiveException::genericException);
    const UINT n = (UINT)Size();
    if (n && ar.Read(m_key.GetData(), n) != n)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    if (version == 0) {
        unsigned char trailer[8];
        if (ar.Read(trailer, sizeof trailer) != sizeof trailer)
            AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    if (!IsValid())
        AfxThrowArchiveException(CArchiveException::genericException);
}

// --- the key kinds ---

CDESkey::CDESkey()
{
    fillRandom(8);
    AdjustDESKeyParity(m_key.GetData(), 8);
}

BOOL CDESkey::IsValid() const
{
    return Size() == 8 && IsDESKeyParityOK(Data(), 8);
}

CTripleDESkey::CTripleDESkey()
{
    fillRandom(24);
    AdjustDESKeyParity(m_key.GetData(), 24);
}

BOOL CTripleDESkey::IsValid() const
{
    return Size() == 24;
}

CIDEAkey::CIDEAkey()
{
    fillRandom(16);
}

BOOL CIDEAkey::IsValid() const
{
    return Size() == 16;
}

// (bits + 7) / 8 bytes, so that every valid bit count gives a valid key
// (255 bits need 32 bytes).
CRC2key::CRC2key(unsigned short bits) : m_wBits(bits)
{
    fillRandom((unsigned short)((bits + 7) / 8));
}

CRC2key::CRC2key(const CRC2key& other) : CKey(other), m_wBits(other.m_wBits)
{
}

CRC2key& CRC2key::operator=(const CRC2key& other)
{
    CKey::operator=(other);
    m_wBits = other.m_wBits;
    return *this;
}

BOOL CRC2key::IsValid() const
{
    return IsValidBits(m_wBits) && (unsigned long)(m_wBits + 7) / 8 <= Size() && Size() <= 128;
}

void CRC2key::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        if (!IsValid())
            AfxThrowArchiveException(CArchiveException::genericException);
        ar << (BYTE)0 << (WORD)m_wBits;
    } else {
        BYTE marker = 0;
        WORD bits = 0;
        ar >> marker;
        if (marker != 0)
            AfxThrowArchiveException(CArchiveException::genericException);
        ar >> bits;
        m_wBits = bits;
    }
    CKey::Serialize(ar);
}

BOOL CRC2key::IsValidBits(unsigned short bits)
{
    return bits == 40 || bits == 64 || bits == 128 || bits == 255;
}

BOOL CRC2key::IsValidVersion(unsigned short version)
{
    return version == 160 || version == 120 || version == 58 || version == 171;
}

unsigned short CRC2key::BitsToVersion(unsigned short bits)
{
    switch (bits) {
    case 40: return 160;
    case 64: return 120;
    case 128: return 58;
    case 255: return 171;
    default: return bits;
    }
}

unsigned short CRC2key::VersionToBits(unsigned short version)
{
    switch (version) {
    case 160: return 40;
    case 120: return 64;
    case 58: return 128;
    case 171: return 255;
    default: return version;
    }
}

CRC5key::CRC5key()
{
    fillRandom(5);
}

BOOL CRC5key::IsValid() const
{
    return Size() < 256;
}
