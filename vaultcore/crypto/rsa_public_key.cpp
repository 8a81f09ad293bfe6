#include "vaultcore/crypto/rsa_public_key.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/huge_digit.h"
#include "vaultcore/crypto/keys.h"
#include "vaultcore/crypto/randoms_generator.h"

IMPLEMENT_SERIAL(CRSAPublicKey, CObject, 1)

BOOL ___placeRightAligned(unsigned char* field, unsigned long size, const unsigned char* p, unsigned long n)
{
    while (n > size && *p == 0) {
        ++p;
        --n;
    }
    if (n > size)
        return FALSE;
    std::memset(field, 0, size - n);
    if (n)
        std::memcpy(field + size - n, p, n);
    return TRUE;
}

CRSAPublicKey::CRSAPublicKey() : m_wBits(0)
{
    std::memset(m_modulus, 0, sizeof m_modulus);
    std::memset(m_exponent, 0, sizeof m_exponent);
}

CRSAPublicKey::CRSAPublicKey(const CRSAPublicKey& other) : CObject(), m_wBits(other.m_wBits)
{
    std::memcpy(m_modulus, other.m_modulus, sizeof m_modulus);
    std::memcpy(m_exponent, other.m_exponent, sizeof m_exponent);
}

CRSAPublicKey& CRSAPublicKey::operator=(const CRSAPublicKey& other)
{
    m_wBits = other.m_wBits;
    std::memmove(m_modulus, other.m_modulus, sizeof m_modulus);
    std::memmove(m_exponent, other.m_exponent, sizeof m_exponent);
    return *this;
}

CRSAPublicKey::~CRSAPublicKey() = default;

BOOL CRSAPublicKey::operator==(const CRSAPublicKey& other) const
{
    return m_wBits == other.m_wBits && std::memcmp(m_modulus, other.m_modulus, sizeof m_modulus) == 0 &&
           std::memcmp(m_exponent, other.m_exponent, sizeof m_exponent) == 0;
}

BOOL CRSAPublicKey::SetPublicKey(unsigned short bits, const unsigned char* modulus, unsigned long modulusLength,
                                 const unsigned char* exponent, unsigned long exponentLength)
{
    unsigned char n[kFieldSize], e[kFieldSize];
    if (bits > kMaxBits || !___placeRightAligned(n, kFieldSize, modulus, modulusLength) ||
        !___placeRightAligned(e, kFieldSize, exponent, exponentLength))
        return FALSE;
    m_wBits = bits;
    std::memcpy(m_modulus, n, kFieldSize);
    std::memcpy(m_exponent, e, kFieldSize);
    return TRUE;
}

// --- archive ---

void CRSAPublicKey::loadField(CArchive& ar, unsigned short length, unsigned char* field, unsigned short size)
{
    std::memset(field, 0, size - length);
    if (length && ar.Read(field + size - length, length) != length)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

void CRSAPublicKey::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << (BYTE)0 << (WORD)kFieldSize << (WORD)m_wBits;
        ar.Write(m_modulus, kFieldSize);
        ar.Write(m_exponent, kFieldSize);
        return;
    }
    BYTE marker = 0;
    WORD length = 0, bits = 0;
    ar >> marker;
    if (marker != 0)
        AfxThrowArchiveException(CArchiveException::genericException);
    ar >> length;
    if (length > kFieldSize)
        AfxThrowArchiveException(CArchiveException::badSchema);
    ar >> bits;
    if (bits < kMinStoredBits || bits > kMaxBits)
        AfxThrowArchiveException(CArchiveException::genericException);
    unsigned char n[kFieldSize], e[kFieldSize];
    loadField(ar, length, n, kFieldSize);
    loadField(ar, length, e, kFieldSize);
    m_wBits = bits;
    std::memcpy(m_modulus, n, kFieldSize);
    std::memcpy(m_exponent, e, kFieldSize);
}

// --- the RSA operation and the blocks ---

void CRSAPublicKey::readOperand(const CByteArray& in, CHugeDigit& x, const char* message) const
{
    const unsigned char* data = in.GetData();
    unsigned long size = (unsigned long)in.GetSize();
    while (size > kFieldSize && *data == 0) {
        ++data;
        --size;
    }
    if (size > kFieldSize)
        AfxThrowUnlockException("%s", message);
    CHugeDigit n;
    x.Decode(data, (unsigned short)size);
    n.Decode(m_modulus, kFieldSize);
    if (IsGreater(x, n) || n.Zero())
        AfxThrowUnlockException("%s", message);
}

void CRSAPublicKey::writeResult(const CHugeDigit& y, CByteArray& out) const
{
    const unsigned long k = RsaOutputSize();
    out.SetSize((int)k);
    if (k)
        y.Encode(out.GetData(), (unsigned short)k);
}

void CRSAPublicKey::ProcessData(const CByteArray& in, CByteArray& out) const
{
    static const char failure[] = "CRSAPublicKey::ProcessData - modulus is less than data";
    CHugeDigit x, n, e;
    readOperand(in, x, failure);
    n.Decode(m_modulus, kFieldSize);
    e.Decode(m_exponent, kFieldSize);
    writeResult(ModPower(x, e, n), out);
}

void CRSAPublicKey::EncodeData(const unsigned char* p, unsigned long n, CByteArray& out, unsigned char) const
{
    const unsigned long k = RsaOutputSize();
    if (n + 11 > k)
        AfxThrowUnlockException("CRSAPublicKey::EncodeData - modulus is too short to encode");
    out.SetSize((int)k);
    unsigned char* block = out.GetData();
    block[0] = 0;
    block[1] = 2;
    CRandomsGenerator generator;
    generator.GetRandomBlock(block + 2, k - n - 3);
    block[k - n - 1] = 0;
    if (n)
        std::memcpy(block + k - n, p, n);
}

BOOL CRSAPublicKey::DecodeData(const CByteArray& in, unsigned short inBits, CByteArray& out,
                               unsigned char blockType) const
{
    const long k = (long)RsaOutputSize();
    const long s = k - ((long)inBits + 7) / 8;
    if (s < 0 || (long)in.GetSize() < k || s + 2 > k)
        return FALSE;
    const unsigned char* block = in.GetData();
    if (block[s] != 0 || block[s + 1] != blockType)
        return FALSE;
    const unsigned char pad = blockType ? 0xFF : 0x00;
    long i = s + 2;
    while (i < k - 1 && block[i] == pad)
        ++i;
    if (block[i] != 0)
        return FALSE;
    const long dataLength = k - i - 1;
    if (dataLength + 11 > k)
        return FALSE;
    out.SetSize((int)dataLength);
    if (dataLength)
        std::memcpy(out.GetData(), block + i + 1, (size_t)dataLength);
    return TRUE;
}

// --- verification and wrapping ---

namespace {

const char* algorithmName(EDigestAlgorithm alg)
{
    switch (alg) {
    case eMD2: return "md2";
    case eMD5: return "md5";
    default: return "sha-1";
    }
}

}  // namespace

void CRSAPublicKey::UnlockDigest(EDigestAlgorithm alg, const CByteArray& locked, unsigned char* digest,
                                 unsigned short lockedBits) const
{
    int prefixLength = 0;
    const unsigned char* prefix = DigestInfoPrefix(alg, &prefixLength);
    if (!prefix)
        AfxThrowNotSupportedException();
    const int digestLength = DigestLength(alg);

    // The public operations by name: on a private key object the virtual
    // ones would be the private key's.
    CByteArray block, data;
    CRSAPublicKey::ProcessData(locked, block);
    if (!CRSAPublicKey::DecodeData(block, lockedBits, data, 1))
        AfxThrowUnlockException("CRSAPublicKey::UnlockDigest - locked digest is corrupted (cannot decode RSA envelope)");
    if (data.GetSize() != prefixLength + digestLength)
        AfxThrowUnlockException(
            "CRSAPublicKey::UnlockDigest - invalid size of unlocked data.\nsize = %d, expected = %d (%s) + %d\n",
            data.GetSize(), digestLength, algorithmName(alg), prefixLength);
    if (std::memcmp(data.GetData(), prefix, (size_t)prefixLength) != 0)
        AfxThrowUnlockException("CRSAPublicKey::UnlockDigest - invalid %s padding.\n", algorithmName(alg));
    std::memcpy(digest, data.GetData() + prefixLength, (size_t)digestLength);
}

void CRSAPublicKey::UnlockDigest(EDigestAlgorithm alg, const unsigned char* locked, unsigned long size,
                                 unsigned char* digest, unsigned short lockedBits) const
{
    CByteArray bytes;
    bytes.SetSize((int)size);
    if (size)
        std::memcpy(bytes.GetData(), locked, size);
    UnlockDigest(alg, bytes, digest, lockedBits);
}

void CRSAPublicKey::LockKey(const CKey& key, CByteArray& out) const
{
    CRSAPublicKey::EncodeData(key.Data(), key.Size(), out, 2);
    CRSAPublicKey::ProcessData(out, out);
}
