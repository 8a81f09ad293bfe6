// IssuerAndSerialNumber after RFC 2315 section 6.7.
#include "vaultcore/pki/issuer_and_serial_number.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_IssuerAndSerialNumber, CASN1_SEQUENCE, 0x10)

// IssuerAndSerialNumber ::= SEQUENCE {
//         issuer        Name,
//         serialNumber  CertificateSerialNumber }
const ASN1_COMPONENT_INFO CASN1_IssuerAndSerialNumber::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging  validator                   opt rep any
    ASN1_COMPONENT_INFO(0, "issuer",        nullptr,  0x10, 0,    TM_NONE, CASN1_RDNSequence::isValid, 0,  0,  0),
    ASN1_COMPONENT_INFO(0, "serialNumber",  nullptr,  0x02, 0,    TM_NONE, nullptr,                    0,  0,  0),
    ASN1_END_OF_TABLE,
};

CASN1_IssuerAndSerialNumber::CASN1_IssuerAndSerialNumber(CASN1_RDNSequence* issuer, CASN1_INTEGER* serialNumber)
    : CASN1_IssuerAndSerialNumber()
{
    AddObject(issuer);
    AddObject(serialNumber);
}

CASN1_IssuerAndSerialNumber::CASN1_IssuerAndSerialNumber(const CCertificate& certificate)
    : CASN1_IssuerAndSerialNumber()
{
    AddObject(new CASN1_RDNSequence(certificate.m_issuer));
    AddObject(new CASN1_INTEGER(certificate.m_serialNumber.GetData(), (unsigned short)certificate.m_serialNumber.GetSize()));
}

CASN1_IssuerAndSerialNumber::CASN1_IssuerAndSerialNumber(const CASN1_Certificate& certificate)
    : CASN1_IssuerAndSerialNumber()
{
    AddObject(certificate.GetIssuer().clone());
    AddObject(certificate.GetSerialNumber().clone());
}

BOOL CASN1_IssuerAndSerialNumber::Names(const CASN1_Certificate& certificate) const
{
    if (___cmp(get_issuer(), certificate.GetIssuer()) != 0)
        return FALSE;
    return CSerialNumber(get_serialNumber()) == CSerialNumber(certificate.GetSerialNumber());
}
