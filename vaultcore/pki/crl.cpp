#include "vaultcore/pki/crl.h"

#include "vaultcore/pki/certificate.h"
#include "vaultcore/pki/crl_asn1.h"

IMPLEMENT_SERIAL(CCRLEntry, CObject, 0)
IMPLEMENT_SERIAL(CCertificateRevocationList, CObject, 1)

namespace {
const BYTE kEntryFormat = 0;
const BYTE kListFormat = 1;
const unsigned kMaxSignatureBits = 8 * CSignedRecord::kSignatureFieldSize;
}  // namespace

// --- entries ---

CCRLEntry::CCRLEntry() = default;

CCRLEntry::CCRLEntry(const CSerialNumber& serialNumber, const CUTCTime& revocationDate)
    : m_serialNumber(serialNumber), m_revocationDate(revocationDate)
{
}

CCRLEntry::CCRLEntry(const CCRLEntry& other)
    : CObject(), m_serialNumber(other.m_serialNumber), m_revocationDate(other.m_revocationDate)
{
}

CCRLEntry& CCRLEntry::operator=(const CCRLEntry& other)
{
    m_serialNumber = other.m_serialNumber;
    m_revocationDate = other.m_revocationDate;
    return *this;
}

CCRLEntry::operator CString() const
{
    CString text;
    text.Format("Serial Number: %s Revocation Date: %s", (const char*)CString(m_serialNumber),
                (const char*)m_revocationDate.GetTimeAsString(TRUE, FALSE));
    return text;
}

void CCRLEntry::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kEntryFormat;
        m_serialNumber.Serialize(ar);
        m_revocationDate.Serialize(ar);
        return;
    }
    BYTE format;
    ar >> format;
    if (format != kEntryFormat)
        AfxThrowArchiveException(CArchiveException::genericException);
    CCRLEntry loaded;
    loaded.m_serialNumber.Serialize(ar);
    loaded.m_revocationDate.Serialize(ar);
    *this = loaded;
}

// --- lists ---

CCertificateRevocationList::CCertificateRevocationList() = default;

CCertificateRevocationList::CCertificateRevocationList(const CCertificateRevocationList& other)
    : CObject(), CSignedRecord(other), m_entries(other.m_entries), m_lastUpdate(other.m_lastUpdate),
      m_nextUpdate(other.m_nextUpdate), m_issuer(other.m_issuer)
{
}

CCertificateRevocationList& CCertificateRevocationList::operator=(const CCertificateRevocationList& other)
{
    if (this == &other)
        return *this;
    CSignedRecord::operator=(other);
    m_entries = other.m_entries;
    m_lastUpdate = other.m_lastUpdate;
    m_nextUpdate = other.m_nextUpdate;
    m_issuer = other.m_issuer;
    return *this;
}

CCertificateRevocationList::~CCertificateRevocationList() = default;

void CCertificateRevocationList::Done()
{
    m_entries.RemoveAll();
    m_issuer.RemoveAll();
}

BOOL CCertificateRevocationList::IsSignatureOKFor(const CCertificate& issuer) const
{
    CRSAPublicKey key;
    issuer.SetDataTo(key);
    return IsSignatureOKFor(key);
}

CASN1Type* CCertificateRevocationList::NewToBeSigned() const
{
    return new CASN1_CertificateRevocationListData(*this);
}

CCertificateRevocationList::operator CString() const
{
    CString text;
    text.Format("CRL issued by:\r\n%sLast Update: %s\r\nNext Update: %s\r\nRevoked Certificates:\r\n",
                (const char*)CString(m_issuer), (const char*)m_lastUpdate.GetTimeAsString(TRUE, FALSE),
                (const char*)m_nextUpdate.GetTimeAsString(TRUE, FALSE));
    if (m_entries.GetSize() == 0)
        return text + "No CRL Entries\r\n";
    for (int i = m_entries.GetSize() - 1; i >= 0; --i)
        if (m_entries[i])
            text += CString(*m_entries[i]) + "\r\n";
    return text;
}

void CCertificateRevocationList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kListFormat;
        ar.Write(m_signature, sizeof m_signature);
        ar << (WORD)m_signatureAlgorithm << m_signatureBits;
        StoreCachedDigests(ar);
        m_entries.Serialize(ar);
        m_lastUpdate.Serialize(ar);
        m_nextUpdate.Serialize(ar);
        m_issuer.Serialize(ar);
        return;
    }
    BYTE format;
    ar >> format;
    if (format > kListFormat)
        AfxThrowArchiveException(CArchiveException::genericException);
    // Loaded into a fresh list, so a failure leaves this one as it was.
    CCertificateRevocationList loaded;
    if (ar.Read(loaded.m_signature, sizeof loaded.m_signature) != sizeof loaded.m_signature)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    WORD algorithm;
    ar >> algorithm >> loaded.m_signatureBits;
    EDigestAlgorithm digest;
    int length;
    if (!___signatureDigest(algorithm, digest, length) || loaded.m_signatureBits > kMaxSignatureBits)
        AfxThrowArchiveException(CArchiveException::genericException);
    loaded.m_signatureAlgorithm = algorithm;
    loaded.LoadCachedDigests(ar, TRUE, format >= 1);
    loaded.m_entries.Serialize(ar);
    loaded.m_lastUpdate.Serialize(ar);
    loaded.m_nextUpdate.Serialize(ar);
    loaded.m_issuer.Serialize(ar);
    *this = loaded;
}
