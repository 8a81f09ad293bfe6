#include "vaultcore/pki/key_container_asn1.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_CertificateSequence, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_RSAKeyWithCertsAndDistinguishedName, CASN1_SEQUENCE, 0x10,
                              ___throwDerNotValid("CASN1_RSAKeyWithCertsAndDistinguishedName"))
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_KCDNs, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("CASN1_KCDNs contents is not valid"))

namespace {
int isKey(const CASN1Type* value, int implicitlyTagged)
{
    return CASN1_PublicKey::isValid(value, implicitlyTagged) || CASN1_PrivateKey::isValid(value, implicitlyTagged);
}

int isNonEmptyText(const CASN1Type* value, int)
{
    return value->getClearContentsLength() > 0;
}

const int kKeyIndex = 1;
const int kWithOwner = 5;
}  // namespace

// SEQUENCE OF Certificate
const ASN1_COMPONENT_INFO CASN1_CertificateSequence::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                    opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_Certificate::isValid,  0,  1,  0),
    ASN1_END_OF_TABLE,
};

// RSAKeyWithCertsAndDistinguishedName ::= SEQUENCE {
//         version        INTEGER,
//         key            RSAPublicKey | RSAPrivateKey,
//         name           OCTET STRING,
//         certificates   SEQUENCE OF Certificate,
//         owner          RDNSequence OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_RSAKeyWithCertsAndDistinguishedName::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging  validator                            opt rep any
    ASN1_COMPONENT_INFO(0, "version",       nullptr,  0x02, 0,    TM_NONE, nullptr,                             0,  0,  0),
    ASN1_COMPONENT_INFO(0, "key",           nullptr,  0x10, 0,    TM_NONE, isKey,                               0,  0,  0),
    ASN1_COMPONENT_INFO(0, "name",          nullptr,  0x04, 0,    TM_NONE, isNonEmptyText,                      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "certificates",  nullptr,  0x10, 0,    TM_NONE, CASN1_CertificateSequence::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "owner",         nullptr,  0x10, 0,    TM_NONE, CASN1_RDNSequence::isValid,          1,  0,  0),
    ASN1_END_OF_TABLE,
};

// KCDNs ::= SEQUENCE OF RSAKeyWithCertsAndDistinguishedName
const ASN1_COMPONENT_INFO CASN1_KCDNs::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                                                opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_RSAKeyWithCertsAndDistinguishedName::isValid,     0,  1,  0),
    ASN1_END_OF_TABLE,
};

// --- one key ---

BOOL CASN1_RSAKeyWithCertsAndDistinguishedName::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const CASN1_INTEGER* version =
        dynamic_cast<const CASN1_INTEGER*>(static_cast<const CASN1_CONSTRUCTED_TYPE*>(value)->getComponentAt(0));
    unsigned long number;
    return version && version->GetInteger(number) && number == 0;
}

CASN1_RSAKeyWithCertsAndDistinguishedName::CASN1_RSAKeyWithCertsAndDistinguishedName(
    const CRSAPublicKey& key, const CString& name, const CDistinguishedName* owner)
    : CASN1_RSAKeyWithCertsAndDistinguishedName()
{
    build(new CASN1_PublicKey(key), name, owner);
}

CASN1_RSAKeyWithCertsAndDistinguishedName::CASN1_RSAKeyWithCertsAndDistinguishedName(
    const CRSAPrivateKey& key, const CString& name, const CDistinguishedName* owner)
    : CASN1_RSAKeyWithCertsAndDistinguishedName()
{
    build(new CASN1_PrivateKey(key), name, owner);
}

void CASN1_RSAKeyWithCertsAndDistinguishedName::build(CASN1Type* key, const CString& name,
                                                      const CDistinguishedName* owner)
{
    AddObject(new CASN1_INTEGER(0ul));
    AddObject(key);
    AddObject(new CASN1_OCTET_STRING(name));
    AddObject(new CASN1_CertificateSequence);
    if (owner)
        AddObject(new CASN1_RDNSequence(*owner));
}

void CASN1_RSAKeyWithCertsAndDistinguishedName::AddCertificate(CASN1_Certificate* certificate)
{
    get_certificates().AddObject(certificate);
}

BOOL CASN1_RSAKeyWithCertsAndDistinguishedName::IsPrivateKey() const
{
    return getComponentCount() > kKeyIndex && CASN1_PrivateKey::isValid(getComponentAt(kKeyIndex), 0);
}

BOOL CASN1_RSAKeyWithCertsAndDistinguishedName::IsDistinguishedName() const
{
    return getComponentCount() == kWithOwner;
}

void CASN1_RSAKeyWithCertsAndDistinguishedName::GetPublicKey(CRSAPublicKey& key) const
{
    if (IsPrivateKey()) {
        CRSAPrivateKey privateKey;
        GetPrivateKey(privateKey);
        key = privateKey;
        return;
    }
    member<CASN1_PublicKey>("key").SetDataTo(key);
}

void CASN1_RSAKeyWithCertsAndDistinguishedName::GetPrivateKey(CRSAPrivateKey& key) const
{
    if (!IsPrivateKey())
        ___throwMemberNotAvailable("CASN1_RSAKeyWithCertsAndDistinguishedName", "key");
    member<CASN1_PrivateKey>("key").SetDataTo(key);
}

CString CASN1_RSAKeyWithCertsAndDistinguishedName::GetName() const
{
    CString text;
    get_name().GetString(text);
    return text;
}

void CASN1_RSAKeyWithCertsAndDistinguishedName::GetDistinguishedName(CDistinguishedName& owner) const
{
    get_owner().SetDataTo(owner);
}

// --- the list ---

BOOL CASN1_KCDNs::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged);
}

int CASN1_KCDNs::Find(const CString& name) const
{
    for (int i = 0; i < getComponentCount(); ++i)
        if (getComponent(i).GetName() == name)
            return i;
    return -1;
}
