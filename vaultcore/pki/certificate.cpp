#include "vaultcore/pki/certificate.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/pki/certificate_asn1.h"
#include "vaultcore/pki/crl.h"

IMPLEMENT_SERIAL(CCertificate, CObject, 1)

namespace {
const BYTE kFormat = 1;
// A signature of more bits would not fit its field.
const unsigned kMaxSignatureBits = 8 * CCertificate::kFieldSize;
const int kHexLineLength = 60;

// Upper-case hex of the number's significant octets (at least one), in
// lines of 60 digits, each indented by six spaces.
CString hexLines(const unsigned char* field, int size)
{
    int first = 0;
    while (first < size - 1 && field[first] == 0)
        ++first;
    const CString digits = OctetsToHexChars(field + first, size - first);
    CString text;
    for (int at = 0; at < digits.GetLength(); at += kHexLineLength) {
        if (at > 0)
            text += "\r\n";
        text += "      " + digits.Mid(at, kHexLineLength);
    }
    return text;
}
}  // namespace

CCertificate::CCertificate() : m_version(0), m_modulusBits(0)
{
    std::memset(m_publicExponent, 0, sizeof m_publicExponent);
    std::memset(m_modulus, 0, sizeof m_modulus);
}

CCertificate::CCertificate(const CCertificate& other)
    : CObject(), CSignedRecord(other), m_version(other.m_version), m_serialNumber(other.m_serialNumber),
      m_issuer(other.m_issuer), m_notBefore(other.m_notBefore), m_notAfter(other.m_notAfter), m_owner(other.m_owner),
      m_modulusBits(other.m_modulusBits)
{
    std::memcpy(m_publicExponent, other.m_publicExponent, sizeof m_publicExponent);
    std::memcpy(m_modulus, other.m_modulus, sizeof m_modulus);
}

CCertificate& CCertificate::operator=(const CCertificate& other)
{
    if (this == &other)
        return *this;
    CSignedRecord::operator=(other);
    m_version = other.m_version;
    m_serialNumber = other.m_serialNumber;
    m_issuer = other.m_issuer;
    m_notBefore = other.m_notBefore;
    m_notAfter = other.m_notAfter;
    m_owner = other.m_owner;
    m_modulusBits = other.m_modulusBits;
    std::memcpy(m_publicExponent, other.m_publicExponent, sizeof m_publicExponent);
    std::memcpy(m_modulus, other.m_modulus, sizeof m_modulus);
    return *this;
}

CCertificate::~CCertificate() = default;

void CCertificate::Done()
{
    m_serialNumber.RemoveAll();
    m_issuer.RemoveAll();
    m_owner.RemoveAll();
}

void CCertificate::GetDataFrom(const CRSAPublicKey& key)
{
    m_modulusBits = key.GetBits();
    std::memcpy(m_modulus, key.GetModulus(), sizeof m_modulus);
    std::memcpy(m_publicExponent, key.GetExponent(), sizeof m_publicExponent);
}

void CCertificate::SetDataTo(CRSAPublicKey& key) const
{
    if (!key.SetPublicKey(m_modulusBits, m_modulus, sizeof m_modulus, m_publicExponent, sizeof m_publicExponent))
        AfxThrowUnlockException("CCertificate::SetDataTo - a key of %u bits", (unsigned)m_modulusBits);
}

BOOL CCertificate::IsSignatureOKFor(const CCertificate& issuer) const
{
    CRSAPublicKey key;
    issuer.SetDataTo(key);
    return IsSignatureOKFor(key);
}

BOOL CCertificate::IsValidationPeriodOKFor(const CUTCTime& time) const
{
    return time >= m_notBefore && time <= m_notAfter;
}

BOOL CCertificate::IsIssuerOf(const CCertificate& other) const
{
    return m_owner == other.m_issuer && IsValidationPeriodOKFor(CUTCTime());
}

BOOL CCertificate::IsSelfSigned() const
{
    return m_issuer == m_owner;
}

BOOL CCertificate::IsPresentInCRL(const CCertificateRevocationList& crl) const
{
    if (!(m_issuer == crl.m_issuer))
        return FALSE;
    for (int i = crl.m_entries.GetSize() - 1; i >= 0; --i)
        if (crl.m_entries[i] && crl.m_entries[i]->m_serialNumber == m_serialNumber)
            return TRUE;
    return FALSE;
}

CASN1Type* CCertificate::NewToBeSigned() const
{
    return new CASN1_CertificateData(*this);
}

CCertificate::operator CString() const
{
    CString text;
    text.Format("Syntax Version: %d\r\nSerial Number: %s\r\nSignature Algorithm: %s\r\nIssuer:\r\n%s"
                "Valid not before: %s\r\nValid not after: %s\r\nOwner:\r\n%sPublic Key:\r\n   Modulus Length:\r\n"
                "      %d bits\r\n   Modulus:\r\n%s\r\n   Public Exponent:\r\n%s",
                (int)m_version, (const char*)CString(m_serialNumber), ___signatureAlgorithmText(m_signatureAlgorithm),
                (const char*)CString(m_issuer), (const char*)m_notBefore.GetTimeAsString(TRUE, FALSE),
                (const char*)m_notAfter.GetTimeAsString(TRUE, FALSE), (const char*)CString(m_owner), (int)m_modulusBits,
                (const char*)hexLines(m_modulus, kFieldSize), (const char*)hexLines(m_publicExponent, kFieldSize));
    return text;
}

void CCertificate::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kFormat << m_version << (WORD)m_signatureAlgorithm << m_modulusBits << m_signatureBits;
        ar.Write(m_publicExponent, sizeof m_publicExponent);
        ar.Write(m_modulus, sizeof m_modulus);
        ar.Write(m_signature, sizeof m_signature);
        StoreCachedDigests(ar);
        m_serialNumber.Serialize(ar);
        m_issuer.Serialize(ar);
        m_notBefore.Serialize(ar);
        m_notAfter.Serialize(ar);
        m_owner.Serialize(ar);
        return;
    }
    BYTE format;
    ar >> format;
    if (format > kFormat)
        AfxThrowArchiveException(CArchiveException::genericException);
    // Loaded into a fresh record, so a failure leaves this one as it was.
    CCertificate loaded;
    WORD algorithm;
    ar >> loaded.m_version >> algorithm >> loaded.m_modulusBits >> loaded.m_signatureBits;
    EDigestAlgorithm digest;
    int length;
    if (!___signatureDigest(algorithm, digest, length) || loaded.m_signatureBits > kMaxSignatureBits)
        AfxThrowArchiveException(CArchiveException::genericException);
    loaded.m_signatureAlgorithm = algorithm;
    for (unsigned char* field : {loaded.m_publicExponent, loaded.m_modulus, loaded.m_signature})
        if (ar.Read(field, kFieldSize) != kFieldSize)
            AfxThrowArchiveException(CArchiveException::endOfFile);
    loaded.LoadCachedDigests(ar, TRUE, format >= 1);
    loaded.m_serialNumber.Serialize(ar);
    loaded.m_issuer.Serialize(ar);
    loaded.m_notBefore.Serialize(ar);
    loaded.m_notAfter.Serialize(ar);
    loaded.m_owner.Serialize(ar);
    *this = loaded;
}

BOOL operator==(const CCertificate& a, const CCertificate& b)
{
    return a.m_version == b.m_version && a.m_serialNumber == b.m_serialNumber && a.m_issuer == b.m_issuer &&
           a.m_notBefore == b.m_notBefore && a.m_notAfter == b.m_notAfter && a.m_owner == b.m_owner &&
           a.m_modulusBits == b.m_modulusBits &&
           std::memcmp(a.m_publicExponent, b.m_publicExponent, sizeof a.m_publicExponent) == 0 &&
           std::memcmp(a.m_modulus, b.m_modulus, sizeof a.m_modulus) == 0 && a.SameSignatureAs(b);
}

BOOL operator!=(const CCertificate& a, const CCertificate& b)
{
    return !(a == b);
}
