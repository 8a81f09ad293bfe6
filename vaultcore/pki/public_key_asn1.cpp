// RSAPublicKey after RFC 8017 appendix A.1.1; SubjectPublicKeyInfo after
// RFC 5280 section 4.1.2.7 and RFC 3279 section 2.3.1.
#include "vaultcore/pki/public_key_asn1.h"

#include <memory>

#include "vaultcore/asn1/object_identifiers.h"
#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/pki/certificate.h"
#include "vaultcore/pki/scoped_encoding.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_PublicKey, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_PublicKey"))
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_SubjectPublicKeyInfo, CASN1_SEQUENCE, 0x10,
                              ___throwDerNotValid("CASN1_SubjectPublicKeyInfo"))

// RSAPublicKey ::= SEQUENCE {
//         modulus           INTEGER,  -- n
//         publicExponent    INTEGER } -- e
const ASN1_COMPONENT_INFO CASN1_PublicKey::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "modulus",         nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "publicExponent",  nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// SubjectPublicKeyInfo ::= SEQUENCE {
//         algorithm            AlgorithmIdentifier,
//         subjectPublicKey     BIT STRING }
const ASN1_COMPONENT_INFO CASN1_SubjectPublicKeyInfo::m_compInfoList[] = {
    //                 end  name                resolver  tag   class tagging  validator                             opt rep any
    ASN1_COMPONENT_INFO(0, "algorithm",         nullptr,  0x10, 0,    TM_NONE, CASN1_AlgorithmIdentifier::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "subjectPublicKey",  nullptr,  0x03, 0,    TM_NONE, nullptr,                              0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kField = CRSAPublicKey::kFieldSize;
// Room for a 2048-bit number with a sign octet and a spare one.
const unsigned long kMaxClearOctets = 257;

// An INTEGER's value right-aligned in a 256-octet field; FALSE when the
// value is not an INTEGER or does not fit.
bool readNumber(const CASN1Type* value, unsigned char* field)
{
    const CASN1_INTEGER* integer = dynamic_cast<const CASN1_INTEGER*>(value);
    return integer && value->getIdentifier() == 2 &&
           ___placeRightAligned(field, kField, integer->contentsData(), integer->contentsLength());
}

std::unique_ptr<CASN1Type> decodeAll(CDEREncoding& encoding)
{
    try {
        return std::unique_ptr<CASN1Type>(___buildFromEncoding(encoding));
    } catch (CDERDecodingException* e) {
        e->Delete();
        return nullptr;
    }
}

// The BIT STRING's octets decoded as one value; null when they are not DER.
// The value is used only while the BIT STRING lives, so the octets of a
// primitive one are read where they are.
std::unique_ptr<CASN1Type> decodeOctets(const CASN1_BIT_STRING& bits)
{
    if (!bits.isConstructed() && bits.contentsLength() > 1) {
        CScopedEncoding encoding(bits.contentsData() + 1, bits.contentsLength() - 1);
        return decodeAll(*encoding);
    }
    CByteArrayPro octets;
    bits.GetClearData(octets, TRUE);
    CScopedEncoding encoding(octets);
    return decodeAll(*encoding);
}

// The DER of a key as the content of a BIT STRING.
CASN1_BIT_STRING* newKeyBits(const CASN1_PublicKey& key)
{
    CByteArray der;
    key.encodeTo(der);
    return new CASN1_BIT_STRING(der.GetData(), 8 * (unsigned long)der.GetSize(), TRUE);
}
}  // namespace

// --- RSAPublicKey ---

BOOL CASN1_PublicKey::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const auto* key = static_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
    return key->getComponentAt(0)->getClearContentsLength() <= kMaxClearOctets &&
           key->getComponentAt(1)->getClearContentsLength() <= kMaxClearOctets;
}

CASN1_PublicKey::CASN1_PublicKey(CASN1_INTEGER* modulus, CASN1_INTEGER* exponent) : CASN1_PublicKey()
{
    AddObject(modulus);
    AddObject(exponent);
}

void CASN1_PublicKey::GetDataFrom(const CRSAPublicKey& record)
{
    clear();
    AddObject(new CASN1_INTEGER(record.GetModulus(), (unsigned short)kField));
    AddObject(new CASN1_INTEGER(record.GetExponent(), (unsigned short)kField));
}

void CASN1_PublicKey::SetDataTo(CRSAPublicKey& record) const
{
    unsigned char modulus[kField], exponent[kField];
    if (!readNumber(&get_modulus(), modulus))
        ___throwDERDecodingException("PublicKey contents is not valid (invalid modulus)");
    if (!readNumber(&get_publicExponent(), exponent))
        ___throwDERDecodingException("PublicKey contents is not valid (invalid public exponent)");
    record.SetPublicKey(___countBits(modulus, (int)kField), modulus, kField, exponent, kField);
}

// --- SubjectPublicKeyInfo ---

BOOL CASN1_SubjectPublicKeyInfo::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const auto* bits = dynamic_cast<const CASN1_BIT_STRING*>(static_cast<const CASN1_CONSTRUCTED_TYPE*>(value)->getComponentAt(1));
    if (!bits || bits->m_dwBits % 8 != 0)
        return FALSE;
    std::unique_ptr<CASN1Type> key = decodeOctets(*bits);
    return key && CASN1_PublicKey::isValid(key.get(), 0);
}

CASN1_SubjectPublicKeyInfo::CASN1_SubjectPublicKeyInfo(CASN1_AlgorithmIdentifier* algorithm,
                                                       CASN1_BIT_STRING* subjectPublicKey)
    : CASN1_SubjectPublicKeyInfo()
{
    AddObject(algorithm);
    AddObject(subjectPublicKey);
}

CASN1_SubjectPublicKeyInfo::CASN1_SubjectPublicKeyInfo(const CRSAPublicKey& key) : CASN1_SubjectPublicKeyInfo()
{
    GetDataFrom(key);
}

void CASN1_SubjectPublicKeyInfo::getKey(const unsigned char* modulus, const unsigned char* exponent)
{
    clear();
    AddObject(new CASN1_AlgorithmIdentifier(new CASN1_rsaEncryption, new CASN1_NULL));
    CASN1_PublicKey key(new CASN1_INTEGER(modulus, (unsigned short)kField),
                        new CASN1_INTEGER(exponent, (unsigned short)kField));
    AddObject(newKeyBits(key));
}

void CASN1_SubjectPublicKeyInfo::setKey(WORD& bits, unsigned char* modulus, unsigned char* exponent) const
{
    std::unique_ptr<CASN1Type> decoded = decodeOctets(get_subjectPublicKey());
    const CASN1_CONSTRUCTED_TYPE* key = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(decoded.get());
    const int count = key && key->getIdentifier() == 0x10 ? key->getComponentCount() : 0;
    if (count < 1 || !readNumber(key->getComponentAt(0), modulus))
        ___throwDERDecodingException("SubjectPublicKeyInfo contents is not valid (invalid modulus)");
    if (count < 2 || !readNumber(key->getComponentAt(1), exponent))
        ___throwDERDecodingException("SubjectPublicKeyInfo contents is not valid (invalid public exponent)");
    const CASN1_AlgorithmIdentifier& algorithm = get_algorithm();
    const CASN1Type* parameters = algorithm.is_parameters() ? &algorithm.get_parameters() : nullptr;
    const CASN1_INTEGER* size = dynamic_cast<const CASN1_INTEGER*>(parameters);
    unsigned long value = 0;
    if (!parameters || parameters->getIdentifier() == 5) {
        bits = ___countBits(modulus, (int)kField);
    } else if (size && parameters->getIdentifier() == 2 && size->GetInteger(value) && value <= 0xFFFF) {
        bits = (WORD)value;
    } else {
        ___throwDERDecodingException("SubjectPublicKeyInfo contents is not valid (invalid algorithm identifier parameter)");
    }
}

void CASN1_SubjectPublicKeyInfo::GetDataFrom(const CCertificate& record)
{
    getKey(record.m_modulus, record.m_publicExponent);
}

void CASN1_SubjectPublicKeyInfo::SetDataTo(CCertificate& record) const
{
    setKey(record.m_modulusBits, record.m_modulus, record.m_publicExponent);
}

void CASN1_SubjectPublicKeyInfo::GetDataFrom(const CRSAPublicKey& key)
{
    getKey(key.GetModulus(), key.GetExponent());
}

void CASN1_SubjectPublicKeyInfo::SetDataTo(CRSAPublicKey& key) const
{
    WORD bits;
    unsigned char modulus[kField], exponent[kField];
    setKey(bits, modulus, exponent);
    if (!key.SetPublicKey(bits, modulus, kField, exponent, kField))
        ___throwDERDecodingException("SubjectPublicKeyInfo contents is not valid (a key of %u bits)", (unsigned)bits);
}
