#include "vaultcore/pki/signed_record.h"

#include <cstring>
#include <memory>

#include "vaultcore/crypto/crypto_exceptions.h"

CSignedRecord::CSignedRecord()
    : m_signatureAlgorithm(0), m_signatureBits(0), m_cachedDigestFlag(0), m_cachedSHA1DigestFlag(0)
{
    std::memset(m_signature, 0, sizeof m_signature);
    std::memset(m_cachedDigest, 0, sizeof m_cachedDigest);
    std::memset(m_cachedSHA1Digest, 0, sizeof m_cachedSHA1Digest);
}

CSignedRecord::CSignedRecord(const CSignedRecord& other) : CSignedRecord()
{
    *this = other;
}

CSignedRecord& CSignedRecord::operator=(const CSignedRecord& other)
{
    m_signatureAlgorithm = other.m_signatureAlgorithm;
    std::memmove(m_signature, other.m_signature, sizeof m_signature);
    m_signatureBits = other.m_signatureBits;
    m_cachedDigestFlag = other.m_cachedDigestFlag;
    if (m_cachedDigestFlag)
        std::memmove(m_cachedDigest, other.m_cachedDigest, sizeof m_cachedDigest);
    m_cachedSHA1DigestFlag = other.m_cachedSHA1DigestFlag;
    if (m_cachedSHA1DigestFlag)
        std::memmove(m_cachedSHA1Digest, other.m_cachedSHA1Digest, sizeof m_cachedSHA1Digest);
    return *this;
}

CSignedRecord::~CSignedRecord() = default;

const unsigned char* CSignedRecord::SignatureOctets(unsigned long& k) const
{
    k = ((unsigned long)m_signatureBits + 7) / 8;
    return k <= kSignatureFieldSize ? m_signature + kSignatureFieldSize - k : nullptr;
}

void CSignedRecord::SignWith(const CRSAPrivateKey& key)
{
    const unsigned long k = key.RsaOutputSize();
    if (k > kSignatureFieldSize)
        AfxThrowUnlockException("CCertificate::SignWith fails - key.RsaOutputSize() = %d", (int)k);
    // The algorithm is part of the signed data, so it is set before the
    // to-be-signed value is built, and put back if signing fails.
    struct Restore {
        int32_t& field;
        int32_t old;
        bool keep;
        ~Restore()
        {
            if (!keep)
                field = old;
        }
    } restore{m_signatureAlgorithm, m_signatureAlgorithm, false};
    m_signatureAlgorithm = eSHA1WithRSAEncryption;
    unsigned char digest[kSHA1DigestSize], signature[kSignatureFieldSize];
    {
        std::unique_ptr<CASN1Type> toBeSigned(NewToBeSigned());
        ___digestOfEncoding(*toBeSigned, eSHA1, digest);
    }
    key.LockDigest(eSHA1, digest, signature, sizeof signature);
    restore.keep = true;
    std::memcpy(m_signature, signature, sizeof m_signature);
    m_signatureBits = (WORD)(8 * k);
    std::memcpy(m_cachedSHA1Digest, digest, sizeof digest);
    m_cachedSHA1DigestFlag = 1;
    m_cachedDigestFlag = 0;
}

BOOL CSignedRecord::IsSignatureOKFor(const CRSAPublicKey& key) const
{
    EDigestAlgorithm algorithm;
    int length;
    unsigned long k;
    const unsigned char* signature = SignatureOctets(k);
    if (!___signatureDigest(m_signatureAlgorithm, algorithm, length) || !signature)
        return FALSE;
    unsigned char expected[kSHA1DigestSize], unlocked[kSHA1DigestSize];
    const int32_t cached = algorithm == eSHA1 ? m_cachedSHA1DigestFlag : m_cachedDigestFlag;
    if (cached) {
        std::memcpy(expected, algorithm == eSHA1 ? m_cachedSHA1Digest : m_cachedDigest, (size_t)length);
    } else {
        std::unique_ptr<CASN1Type> toBeSigned(NewToBeSigned());
        ___digestOfEncoding(*toBeSigned, algorithm, expected);
    }
    key.UnlockDigest(algorithm, signature, k, unlocked, m_signatureBits);
    return std::memcmp(expected, unlocked, (size_t)length) == 0;
}

void CSignedRecord::TakeSignature(const CASN1Type& bits, const char* failureMessage)
{
    const CASN1_BIT_STRING* string = dynamic_cast<const CASN1_BIT_STRING*>(&bits);
    if (!string || !bits.GetClearData(m_signature, sizeof m_signature, FALSE, TRUE) ||
        string->m_dwBits > 8 * kSignatureFieldSize)
        ___throwDERDecodingException("%s", failureMessage);
    m_signatureBits = (WORD)string->m_dwBits;
}

CASN1_BIT_STRING* CSignedRecord::NewSignatureBits() const
{
    unsigned long k;
    const unsigned char* signature = SignatureOctets(k);
    if (!signature)
        ___throwDERDecodingException("The signature of %u bits does not fit its field", (unsigned)m_signatureBits);
    return new CASN1_BIT_STRING(signature, m_signatureBits, FALSE);
}

void CSignedRecord::CacheDigestOf(const CASN1Type& toBeSigned)
{
    m_cachedDigestFlag = 0;
    m_cachedSHA1DigestFlag = 0;
    EDigestAlgorithm algorithm;
    int length;
    if (!___signatureDigest(m_signatureAlgorithm, algorithm, length))
        return;
    if (algorithm == eSHA1) {
        ___digestOfEncoding(toBeSigned, algorithm, m_cachedSHA1Digest);
        m_cachedSHA1DigestFlag = 1;
    } else {
        ___digestOfEncoding(toBeSigned, algorithm, m_cachedDigest);
        m_cachedDigestFlag = 1;
    }
}

BOOL CSignedRecord::SameSignatureAs(const CSignedRecord& other) const
{
    return m_signatureAlgorithm == other.m_signatureAlgorithm && m_signatureBits == other.m_signatureBits &&
           std::memcmp(m_signature, other.m_signature, sizeof m_signature) == 0;
}

void CSignedRecord::StoreCachedDigests(CArchive& ar) const
{
    ar << (WORD)(m_cachedDigestFlag != 0);
    if (m_cachedDigestFlag)
        ar.Write(m_cachedDigest, sizeof m_cachedDigest);
    ar << (WORD)(m_cachedSHA1DigestFlag != 0);
    if (m_cachedSHA1DigestFlag)
        ar.Write(m_cachedSHA1Digest, sizeof m_cachedSHA1Digest);
}

namespace {
void loadCache(CArchive& ar, int32_t& flag, unsigned char* digest, UINT size)
{
    WORD stored;
    ar >> stored;
    flag = stored != 0;
    if (flag && ar.Read(digest, size) != size)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}
}  // namespace

void CSignedRecord::LoadCachedDigests(CArchive& ar, BOOL withDigest, BOOL withSHA1Digest)
{
    m_cachedDigestFlag = 0;
    m_cachedSHA1DigestFlag = 0;
    if (withDigest)
        loadCache(ar, m_cachedDigestFlag, m_cachedDigest, sizeof m_cachedDigest);
    if (withSHA1Digest)
        loadCache(ar, m_cachedSHA1DigestFlag, m_cachedSHA1Digest, sizeof m_cachedSHA1Digest);
}
