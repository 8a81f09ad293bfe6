// Revocation lists in DER. ASN.1 after RFC 5280 section 5.1, version 1
// lists only (no version 2 extensions).
#include "vaultcore/pki/crl_asn1.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_CRLEntry, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_RevokedCertificates, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_CertificateRevocationListData, CASN1_SEQUENCE, 0x10,
                              ___throwDerNotValid("CASN1_CertificateRevocationListData"))
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_CertificateRevocationList, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("CRL contents is not valid"))

// revokedCertificate ::= SEQUENCE {
//         userCertificate         CertificateSerialNumber,
//         revocationDate          Time }              -- UTCTime only here
const ASN1_COMPONENT_INFO CASN1_CRLEntry::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "userCertificate", nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "revocationDate",  nullptr,  0x17, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// revokedCertificates ::= SEQUENCE OF revokedCertificate
const ASN1_COMPONENT_INFO CASN1_RevokedCertificates::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                 opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_CRLEntry::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};

// TBSCertList ::= SEQUENCE {
//         version                 Version OPTIONAL,   -- v1 (0) only here
//         signature               AlgorithmIdentifier,
//         issuer                  Name,
//         thisUpdate              Time,               -- UTCTime only here
//         nextUpdate              Time,               -- required here
//         revokedCertificates     SEQUENCE OF ... OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_CertificateRevocationListData::m_compInfoList[] = {
    //                 end  name                  resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",             nullptr,  0x02, 0,    TM_NONE, nullptr,                              1,  0,  0),
    ASN1_COMPONENT_INFO(0, "signature",           nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "issuer",              nullptr,  0x10, 0,    TM_NONE, CASN1_RDNSequence::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "thisUpdate",          nullptr,  0x17, 0,    TM_NONE, CASN1_UTCTime::isValid,               0,  0,  0),
    ASN1_COMPONENT_INFO(0, "nextUpdate",          nullptr,  0x17, 0,    TM_NONE, CASN1_UTCTime::isValid,               0,  0,  0),
    ASN1_COMPONENT_INFO(0, "revokedCertificates", nullptr,  0x10, 0,    TM_NONE, CASN1_RevokedCertificates::isValid,   1,  0,  0),
    ASN1_END_OF_TABLE,
};

// CertificateList ::= SEQUENCE {
//         tbsCertList          TBSCertList,
//         signatureAlgorithm   AlgorithmIdentifier,
//         signatureValue       BIT STRING }
const ASN1_COMPONENT_INFO CASN1_CertificateRevocationList::m_compInfoList[] = {
    //                 end  name                 resolver  tag   class tagging  validator                                       opt rep any
    ASN1_COMPONENT_INFO(0, "tbsCertList",        nullptr,  0x10, 0,    TM_NONE, CASN1_CertificateRevocationListData::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signatureAlgorithm", nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid,             0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signature",          nullptr,  0x03, 0,    TM_NONE, nullptr,                                        0,  0,  0),
    ASN1_END_OF_TABLE,
};

// --- revokedCertificate ---

CASN1_CRLEntry::CASN1_CRLEntry(CASN1_INTEGER* userCertificate, CASN1_UTCTime* revocationDate) : CASN1_CRLEntry()
{
    AddObject(userCertificate);
    AddObject(revocationDate);
}

void CASN1_CRLEntry::GetDataFrom(const CCRLEntry& record)
{
    clear();
    AddObject(new CASN1_INTEGER(record.m_serialNumber.GetData(), (unsigned short)record.m_serialNumber.GetSize()));
    AddObject(new CASN1_UTCTime(record.m_revocationDate));
}

void CASN1_CRLEntry::SetDataTo(CCRLEntry& record) const
{
    const CASN1_INTEGER& serial = get_userCertificate();
    record.m_serialNumber = CSerialNumber(const_cast<unsigned char*>(serial.contentsData()), (int)serial.contentsLength());
    get_revocationDate().SetDataTo(record.m_revocationDate);
}

// --- revokedCertificates ---

void CASN1_RevokedCertificates::GetDataFrom(const CCRLEntryArray& entries)
{
    clear();
    for (int i = 0; i < entries.GetSize(); ++i)
        if (entries[i])
            AddObject(new CASN1_CRLEntry(*entries[i]));
}

void CASN1_RevokedCertificates::SetDataTo(CCRLEntryArray& entries) const
{
    entries.RemoveAll();
    for (int i = 0; i < getComponentCount(); ++i) {
        CCRLEntry* entry = new CCRLEntry;
        entries.Add(entry);  // owned by the array from here, also when the conversion throws
        getComponent(i).SetDataTo(*entry);
    }
}

// --- TBSCertList ---

namespace {
// The version a decoded list carries: absent or 0.
bool isVersionZero(const CASN1Type& version)
{
    const CASN1_INTEGER* number = dynamic_cast<const CASN1_INTEGER*>(&version);
    unsigned long value;
    return number && number->GetInteger(value) && value == 0;
}
}  // namespace

BOOL CASN1_CertificateRevocationListData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const CASN1Type* first = static_cast<const CASN1_CONSTRUCTED_TYPE*>(value)->getComponentAt(0);
    return first->getIdentifier() != 2 || isVersionZero(*first);
}

void CASN1_CertificateRevocationListData::GetDataFrom(const CCertificateRevocationList& record)
{
    clear();
    if (CASN1_AlgorithmIdentifier* algorithm = ___newSignatureAlgorithmIdentifier(record.m_signatureAlgorithm))
        AddObject(algorithm);
    AddObject(new CASN1_RDNSequence(record.m_issuer));
    AddObject(new CASN1_UTCTime(record.m_lastUpdate));
    AddObject(new CASN1_UTCTime(record.m_nextUpdate));
    AddObject(new CASN1_RevokedCertificates(record.m_entries));
}

void CASN1_CertificateRevocationListData::SetDataTo(CCertificateRevocationList& record) const
{
    record.m_entries.RemoveAll();
    unsigned long version;
    if (is_version() && !get_version().GetInteger(version))
        ___throwDERDecodingException("Invalid CertificateRevocationListData (invalid version number)");
    const int code = ___signatureAlgorithmCode(get_signature().get_algorithm());
    if (code < 0)
        ___throwDERDecodingException("CASN1_CertificateRevocationListData::SetDataTo - unknown signature algorithm");
    record.m_signatureAlgorithm = code;
    get_issuer().SetDataTo(record.m_issuer);
    get_thisUpdate().SetDataTo(record.m_lastUpdate);
    get_nextUpdate().SetDataTo(record.m_nextUpdate);
    if (is_revokedCertificates())
        get_revokedCertificates().SetDataTo(record.m_entries);
}

// --- CertificateList ---

BOOL CASN1_CertificateRevocationList::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const auto* signature =
        dynamic_cast<const CASN1_BIT_STRING*>(static_cast<const CASN1_CONSTRUCTED_TYPE*>(value)->getComponentAt(2));
    return signature && signature->m_dwBits % 8 == 0;
}

CASN1_CertificateRevocationList::CASN1_CertificateRevocationList(CASN1_CertificateRevocationListData* data,
                                                                 CASN1_AlgorithmIdentifier* algorithm,
                                                                 CASN1_BIT_STRING* signature)
    : CASN1_CertificateRevocationList()
{
    AddObject(data);
    AddObject(algorithm);
    AddObject(signature);
}

void CASN1_CertificateRevocationList::GetDataFrom(const CCertificateRevocationList& record)
{
    clear();
    AddObject(new CASN1_CertificateRevocationListData(record));
    if (CASN1_AlgorithmIdentifier* algorithm = ___newSignatureAlgorithmIdentifier(record.m_signatureAlgorithm))
        AddObject(algorithm);
    AddObject(record.NewSignatureBits());
}

void CASN1_CertificateRevocationList::SetDataTo(CCertificateRevocationList& record) const
{
    const CASN1_CertificateRevocationListData& data = get_tbsCertList();
    data.SetDataTo(record);
    record.CacheDigestOf(data);
    record.TakeSignature(get_signature(), "CRL contents is not valid (cannot get signature)");
}
