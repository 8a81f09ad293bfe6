#include "vaultcore/crypto/rsa_private_key.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/huge_digit.h"
#include "vaultcore/crypto/keys.h"
#include "vaultcore/crypto/rsa_private_operation.h"
#include "vaultcore/crypto/secure_zero.h"

IMPLEMENT_SERIAL(CRSAPrivateKey, CRSAPublicKey, 1)

CRSAPrivateKey::CRSAPrivateKey()
{
    std::memset(m_privateExponent, 0, sizeof m_privateExponent);
    std::memset(m_prime, 0, sizeof m_prime);
    std::memset(m_primeExponent, 0, sizeof m_primeExponent);
    std::memset(m_coefficient, 0, sizeof m_coefficient);
}

CRSAPrivateKey::CRSAPrivateKey(const CRSAPrivateKey& other)
    : CRSAPublicKey(other), m_privateOperation(std::atomic_load(&other.m_privateOperation))
{
    std::memcpy(m_privateExponent, other.m_privateExponent, sizeof m_privateExponent);
    std::memcpy(m_prime, other.m_prime, sizeof m_prime);
    std::memcpy(m_primeExponent, other.m_primeExponent, sizeof m_primeExponent);
    std::memcpy(m_coefficient, other.m_coefficient, sizeof m_coefficient);
}

CRSAPrivateKey& CRSAPrivateKey::operator=(const CRSAPrivateKey& other)
{
    CRSAPublicKey::operator=(other);
    std::memmove(m_privateExponent, other.m_privateExponent, sizeof m_privateExponent);
    std::memmove(m_prime, other.m_prime, sizeof m_prime);
    std::memmove(m_primeExponent, other.m_primeExponent, sizeof m_primeExponent);
    std::memmove(m_coefficient, other.m_coefficient, sizeof m_coefficient);
    std::atomic_store(&m_privateOperation, std::atomic_load(&other.m_privateOperation));
    return *this;
}

CRSAPrivateKey::~CRSAPrivateKey()
{
    // Secret material does not outlive the key.
    vcSecureZero(m_privateExponent, sizeof m_privateExponent);
    vcSecureZero(m_prime, sizeof m_prime);
    vcSecureZero(m_primeExponent, sizeof m_primeExponent);
    vcSecureZero(m_coefficient, sizeof m_coefficient);
}

BOOL CRSAPrivateKey::SetPrivateKey(const unsigned char* d, unsigned long dLength, const unsigned char* p,
                                   unsigned long pLength, const unsigned char* q, unsigned long qLength,
                                   const unsigned char* dP, unsigned long dPLength, const unsigned char* dQ,
                                   unsigned long dQLength, const unsigned char* qInv, unsigned long qInvLength)
{
    CRSAPrivateKey fresh(*this);
    if (!___placeRightAligned(fresh.m_privateExponent, kFieldSize, d, dLength) ||
        !___placeRightAligned(fresh.m_prime[0], kPrimeFieldSize, p, pLength) ||
        !___placeRightAligned(fresh.m_prime[1], kPrimeFieldSize, q, qLength) ||
        !___placeRightAligned(fresh.m_primeExponent[0], kPrimeFieldSize, dP, dPLength) ||
        !___placeRightAligned(fresh.m_primeExponent[1], kPrimeFieldSize, dQ, dQLength) ||
        !___placeRightAligned(fresh.m_coefficient, kPrimeFieldSize, qInv, qInvLength))
        return FALSE;
    *this = fresh;
    return TRUE;
}

// --- archive ---

void CRSAPrivateKey::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        CRSAPublicKey::Serialize(ar);
        ar << (BYTE)0 << (WORD)kFieldSize;
        ar.Write(m_privateExponent, kFieldSize);
        ar << (WORD)kFieldSize;
        ar.Write(m_prime, 2 * kPrimeFieldSize);
        ar.Write(m_primeExponent, 2 * kPrimeFieldSize);
        ar.Write(m_coefficient, kPrimeFieldSize);
        return;
    }
    // Everything is read into a copy first, so a failed load leaves the key as it was.
    CRSAPrivateKey fresh;
    fresh.CRSAPublicKey::Serialize(ar);
    BYTE marker = 0;
    WORD length1 = 0, length2 = 0;
    ar >> marker;
    if (marker != 0)
        AfxThrowArchiveException(CArchiveException::genericException);
    ar >> length1;
    if (length1 > kFieldSize)
        AfxThrowArchiveException(CArchiveException::badSchema);
    loadField(ar, length1, fresh.m_privateExponent, kFieldSize);
    ar >> length2;
    if (length2 > kFieldSize)
        AfxThrowArchiveException(CArchiveException::badSchema);
    loadField(ar, length2, &fresh.m_prime[0][0], 2 * kPrimeFieldSize);
    loadField(ar, length2, &fresh.m_primeExponent[0][0], 2 * kPrimeFieldSize);
    loadField(ar, length2 / 2, fresh.m_coefficient, kPrimeFieldSize);
    *this = fresh;
}

// --- the private operation and its blocks ---

void CRSAPrivateKey::ProcessData(const CByteArray& in, CByteArray& out) const
{
    static const char failure[] = "CRSAPrivateKey::ProcessData - data corrupted or key is not valid";
    CHugeDigit x, y;
    readOperand(in, x, failure);
    RsaPrivateOperation::run(*this, m_privateOperation, x, y, failure);
    writeResult(y, out);
    // An unwrapped key passes through y.
    vcSecureZero(&y, sizeof y);
}

void CRSAPrivateKey::EncodeData(const unsigned char* p, unsigned long n, CByteArray& out,
                                unsigned char blockType) const
{
    const unsigned long k = RsaOutputSize();
    if (n + 11 > k)
        AfxThrowUnlockException("CRSAPrivateKey::EncodeData - modulus is too short to encode");
    out.SetSize((int)k);
    unsigned char* block = out.GetData();
    block[0] = 0;
    block[1] = blockType;
    std::memset(block + 2, blockType ? 0xFF : 0x00, k - n - 3);
    block[k - n - 1] = 0;
    if (n)
        std::memcpy(block + k - n, p, n);
}

BOOL CRSAPrivateKey::DecodeData(const CByteArray& in, unsigned short inBits, CByteArray& out, unsigned char) const
{
    const long k = (long)RsaOutputSize();
    const long s = k - ((long)inBits + 7) / 8;
    if (s < 0 || (long)in.GetSize() < k || s + 2 > k)
        return FALSE;
    const unsigned char* block = in.GetData();
    if (block[s] != 0 || block[s + 1] != 2)
        return FALSE;
    long i = s + 2;
    while (i < k - 1 && block[i] != 0)
        ++i;
    if (block[i] != 0)
        return FALSE;
    const long dataLength = k - i - 1;
    if (dataLength == 0 || dataLength + 11 > k)
        return FALSE;
    out.SetSize((int)dataLength);
    std::memcpy(out.GetData(), block + i + 1, (size_t)dataLength);
    return TRUE;
}

// --- signing and unwrapping ---

void CRSAPrivateKey::LockDigest(EDigestAlgorithm alg, const unsigned char* digest, CByteArray& out) const
{
    int prefixLength = 0;
    const unsigned char* prefix = DigestInfoPrefix(alg, &prefixLength);
    if (!prefix)
        AfxThrowNotSupportedException();
    const int digestLength = DigestLength(alg);
    unsigned char info[64];
    std::memcpy(info, prefix, (size_t)prefixLength);
    std::memcpy(info + prefixLength, digest, (size_t)digestLength);
    CRSAPrivateKey::EncodeData(info, (unsigned long)(prefixLength + digestLength), out, 1);
    CRSAPrivateKey::ProcessData(out, out);
}

void CRSAPrivateKey::LockDigest(EDigestAlgorithm alg, const unsigned char* digest, unsigned char* out,
                                unsigned long size) const
{
    CByteArray signature;
    LockDigest(alg, digest, signature);
    const unsigned long k = (unsigned long)signature.GetSize();
    if (size < k)
        AfxThrowUnlockException("CRSAPrivateKey::LockDigest - output buffer of %lu bytes is shorter than %lu", size, k);
    std::memset(out, 0, size - k);
    std::memcpy(out + size - k, signature.GetData(), k);
}

void CRSAPrivateKey::UnlockKey(const CByteArray& locked, CKey& key, unsigned short lockedBits) const
{
    CByteArray block, data;
    CRSAPrivateKey::ProcessData(locked, block);
    if (!CRSAPrivateKey::DecodeData(block, lockedBits, data, 2))
        AfxThrowUnlockException("CRSAPrivateKey::UnlockKey - locked key is corrupted (cannot decode RSA envelope)");
    // A key that refuses the bytes gets its own bytes back.
    CByteArray previous;
    previous.SetSize((int)key.Size());
    if (key.Size())
        std::memcpy(previous.GetData(), key.Data(), key.Size());
    const BOOL valid = key.Set(data.GetData(), (unsigned long)data.GetSize());
    vcSecureZero(data);
    vcSecureZero(block);
    if (!valid)
        key.Set(previous.GetData(), (unsigned long)previous.GetSize());
    vcSecureZero(previous);
    if (!valid)
        AfxThrowUnlockException("CRSAPrivateKey::UnlockKey - locked key is corrupted (data are not valid)");
}
