// Certificates in DER. ASN.1 after RFC 5280 section 4.1 (X.509 version 3).
#include "vaultcore/pki/certificate_asn1.h"

#include <memory>

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_Validity, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_CertificateData, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_CertificateData"))
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_Certificate, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("Certificate contents is not valid"))

namespace {
// Unique identifiers are implicitly tagged BIT STRINGs.
int isBitString(const CASN1Type* value, int)
{
    const CASN1_TAGGED* tagged = dynamic_cast<const CASN1_TAGGED*>(value);
    if (!tagged)
        return FALSE;
    CASN1_TAGGED copy(*tagged);
    CASN1_BIT_STRING bits;
    return bits.fromImplicit(copy);
}
}  // namespace

// Validity ::= SEQUENCE {
//         notBefore      Time,
//         notAfter       Time }        -- UTCTime only here
const ASN1_COMPONENT_INFO CASN1_Validity::m_compInfoList[] = {
    //                 end  name         resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "notBefore",  nullptr,  0x17, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "notAfter",   nullptr,  0x17, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// TBSCertificate ::= SEQUENCE {
//         version         [0]  EXPLICIT Version DEFAULT v1,
//         serialNumber         CertificateSerialNumber,
//         signature            AlgorithmIdentifier,
//         issuer               Name,
//         validity             Validity,
//         subject              Name,
//         subjectPublicKeyInfo SubjectPublicKeyInfo,
//         issuerUniqueID  [1]  IMPLICIT UniqueIdentifier OPTIONAL,
//                              -- If present, version MUST be v2 or v3
//         subjectUniqueID [2]  IMPLICIT UniqueIdentifier OPTIONAL,
//                              -- If present, version MUST be v2 or v3
//         extensions      [3]  EXPLICIT Extensions OPTIONAL
//                              -- If present, version MUST be v3
//         }
const ASN1_COMPONENT_INFO CASN1_CertificateData::m_compInfoList[] = {
    //                 end  name                   resolver  tag   class tagging      validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "version",              nullptr,  0x80, 2,    TM_EXPLICIT, nullptr,                              1,  0,  0),
    ASN1_COMPONENT_INFO(0, "serialNumber",         nullptr,  0x02, 0,    TM_NONE,     nullptr,                              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signature",            nullptr,  0x10, 0,    TM_NONE,     CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "issuer",               nullptr,  0x10, 0,    TM_NONE,     CASN1_RDNSequence::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "validity",             nullptr,  0x10, 0,    TM_NONE,     CASN1_Validity::isValid,              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "subject",              nullptr,  0x10, 0,    TM_NONE,     CASN1_RDNSequence::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "subjectPublicKeyInfo", nullptr,  0x10, 0,    TM_NONE,     CASN1_SubjectPublicKeyInfo::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "issuerUniqueID",       nullptr,  0x81, 2,    TM_IMPLICIT, isBitString,                          1,  0,  0),
    ASN1_COMPONENT_INFO(0, "subjectUniqueID",      nullptr,  0x82, 2,    TM_IMPLICIT, isBitString,                          1,  0,  0),
    ASN1_COMPONENT_INFO(0, "extensions",           nullptr,  0x83, 2,    TM_EXPLICIT, nullptr,                              1,  0,  0),
    ASN1_END_OF_TABLE,
};

// Certificate ::= SEQUENCE {
//         tbsCertificate       TBSCertificate,
//         signatureAlgorithm   AlgorithmIdentifier,
//         signatureValue       BIT STRING }
const ASN1_COMPONENT_INFO CASN1_Certificate::m_compInfoList[] = {
    //                 end  name                 resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "certificateData",    nullptr,  0x10, 0,    TM_NONE, CASN1_CertificateData::isValid,       0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signatureAlgorithm", nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "signature",          nullptr,  0x03, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned char kVersionTag = 0x80;
const unsigned char kExtensionsTag = 0x83;
const unsigned long kHighestVersion = 2;  // X.509 version 3

// The INTEGER inside an explicit [0]; FALSE when there is none or it needs
// more than 32 bits.
bool readVersion(const CASN1Type& tagged, unsigned long& version)
{
    const CASN1_CONSTRUCTED_TYPE* outer = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(&tagged);
    if (!outer || !tagged.isConstructed() || outer->getComponentCount() != 1)
        return false;
    const CASN1_INTEGER* number = dynamic_cast<const CASN1_INTEGER*>(outer->getComponentAt(0));
    return number && number->getIdentifier() == 2 && number->GetInteger(version);
}
}  // namespace

// --- Validity ---

CASN1_Validity::CASN1_Validity(CASN1_UTCTime* notBefore, CASN1_UTCTime* notAfter) : CASN1_Validity()
{
    AddObject(notBefore);
    AddObject(notAfter);
}

void CASN1_Validity::GetDataFrom(const CUTCTime& notBefore, const CUTCTime& notAfter)
{
    clear();
    AddObject(new CASN1_UTCTime(notBefore));
    AddObject(new CASN1_UTCTime(notAfter));
}

void CASN1_Validity::SetDataTo(CUTCTime& notBefore, CUTCTime& notAfter) const
{
    get_notBefore().SetDataTo(notBefore);
    get_notAfter().SetDataTo(notAfter);
}

void CASN1_Validity::GetDataFrom(const CCertificate& record)
{
    GetDataFrom(record.m_notBefore, record.m_notAfter);
}

void CASN1_Validity::SetDataTo(CCertificate& record) const
{
    SetDataTo(record.m_notBefore, record.m_notAfter);
}

// --- TBSCertificate ---

BOOL CASN1_CertificateData::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    // The table has placed every component; the version decides which of
    // the optional ones after the key may be there.
    const auto* data = static_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
    unsigned long version = 0;
    int first = 0;
    if (data->getComponentAt(0)->getIdentifier() == kVersionTag) {
        if (!readVersion(*data->getComponentAt(0), version) || version > kHighestVersion)
            return FALSE;
        first = 1;
    }
    const int afterKey = first + 6;
    for (int i = afterKey; i < data->getComponentCount(); ++i)
        if (version == 0 || (version == 1 && data->getComponentAt(i)->getIdentifier() == kExtensionsTag))
            return FALSE;
    return TRUE;
}

void CASN1_CertificateData::GetDataFrom(const CCertificate& record)
{
    clear();
    if (record.m_version != 0) {
        CASN1_TAGGED* version = new CASN1_TAGGED(kVersionTag, FALSE);
        AddObject(version);
        version->AddObject(new CASN1_INTEGER((unsigned long)record.m_version));
    }
    AddObject(new CASN1_INTEGER(record.m_serialNumber.GetData(), (unsigned short)record.m_serialNumber.GetSize()));
    if (CASN1_AlgorithmIdentifier* algorithm = ___newSignatureAlgorithmIdentifier(record.m_signatureAlgorithm))
        AddObject(algorithm);
    AddObject(new CASN1_RDNSequence(record.m_issuer));
    AddObject(new CASN1_Validity(record));
    AddObject(new CASN1_RDNSequence(record.m_owner));
    AddObject(new CASN1_SubjectPublicKeyInfo(record));
}

void CASN1_CertificateData::SetDataTo(CCertificate& record) const
{
    record.Done();
    record.m_version = 0;
    if (is_version()) {
        unsigned long version;
        if (!readVersion(get_version(), version))
            ___throwDERDecodingException("Cannot decode certificate data (Invalid version number)");
        record.m_version = (BYTE)version;
    }
    const CASN1_INTEGER& serial = get_serialNumber();
    record.m_serialNumber = CSerialNumber(const_cast<unsigned char*>(serial.contentsData()), (int)serial.contentsLength());
    const int code = ___signatureAlgorithmCode(get_signature().get_algorithm());
    if (code < 0)
        ___throwDERDecodingException("CASN1_CertificateData::SetDataTo - unknown signature algorithm");
    record.m_signatureAlgorithm = code;
    get_issuer().SetDataTo(record.m_issuer);
    get_validity().SetDataTo(record);
    get_subject().SetDataTo(record.m_owner);
    get_subjectPublicKeyInfo().SetDataTo(record);
}

// --- Certificate ---

BOOL CASN1_Certificate::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const auto* signature =
        dynamic_cast<const CASN1_BIT_STRING*>(static_cast<const CASN1_CONSTRUCTED_TYPE*>(value)->getComponentAt(2));
    return signature && signature->m_dwBits % 8 == 0;
}

CASN1_Certificate::CASN1_Certificate(CASN1_CertificateData* data, CASN1_AlgorithmIdentifier* algorithm,
                                     CASN1_BIT_STRING* signature)
    : CASN1_Certificate()
{
    AddObject(data);
    AddObject(algorithm);
    AddObject(signature);
}

void CASN1_Certificate::GetDataFrom(const CCertificate& record)
{
    clear();
    AddObject(new CASN1_CertificateData(record));
    if (CASN1_AlgorithmIdentifier* algorithm = ___newSignatureAlgorithmIdentifier(record.m_signatureAlgorithm))
        AddObject(algorithm);
    AddObject(record.NewSignatureBits());
}

void CASN1_Certificate::SetDataTo(CCertificate& record) const
{
    const CASN1_CertificateData& data = get_certificateData();
    data.SetDataTo(record);
    record.CacheDigestOf(data);
    record.TakeSignature(get_signature(), "Invalid Certificate's signature");
}
