// RSAPrivateKey after RFC 8017 appendix A.1.2.
#include "vaultcore/pki/private_key_asn1.h"

#include "vaultcore/crypto/secure_zero.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_PrivateKey, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_PrivateKey"))

// RSAPrivateKey ::= SEQUENCE {
//         version           Version,
//         modulus           INTEGER,  -- n
//         publicExponent    INTEGER,  -- e
//         privateExponent   INTEGER,  -- d
//         prime1            INTEGER,  -- p
//         prime2            INTEGER,  -- q
//         exponent1         INTEGER,  -- d mod (p-1)
//         exponent2         INTEGER,  -- d mod (q-1)
//         coefficient       INTEGER,  -- (inverse of q) mod p
//         otherPrimeInfos   OtherPrimeInfos OPTIONAL }  -- not with version 0
const ASN1_COMPONENT_INFO CASN1_PrivateKey::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "version",         nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modulus",         nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "publicExponent",  nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "privateExponent", nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "prime1",          nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "prime2",          nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "exponent1",       nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "exponent2",       nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "coefficient",     nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kField = CRSAPublicKey::kFieldSize;
const unsigned long kPrimeField = CRSAPublicKey::kPrimeFieldSize;
// Room for a number of the field's size, a sign octet and a spare one.
const unsigned long kMaxClearOctets = kField + 1;
const unsigned long kMaxPrimeClearOctets = kPrimeField + 1;

// The eight numbers after the version, in component order, with the size
// of their fields and the message for a number that does not fit.
const struct {
    unsigned long field;
    const char* failure;
} kNumbers[] = {
    {kField,      "PribvateKey contents is not valid (invalid modulus)"},
    {kField,      "PrivateKey contents is not valid (invalid public exponent)"},
    {kField,      "PrivateKey contents is not valid (invalid private exponent)"},
    {kPrimeField, "PrivateKey contents is not valid (invalid p)"},
    {kPrimeField, "PrivateKey contents is not valid (invalid q)"},
    {kPrimeField, "PrivateKey contents is not valid (invalid d mod (p - 1))"},
    {kPrimeField, "PrivateKey contents is not valid (invalid d mod (q - 1))"},
    {kPrimeField, "PrivateKey contents is not valid (invalid (inverse of q) mod p)"},
};
const int kNumberCount = (int)(sizeof kNumbers / sizeof kNumbers[0]);
}  // namespace

CASN1_PrivateKey::~CASN1_PrivateKey()
{
    for (int i = 0; i < getComponentCount(); ++i)
        if (auto* number = dynamic_cast<CASN1_PRIMITIVE_TYPE*>(getComponentAt(i)))
            vcSecureZero(number->GetData(), (size_t)number->GetSize());
    vcSecureZero(GetData(), (size_t)GetSize());
}

BOOL CASN1_PrivateKey::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    const auto* key = static_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
    const CASN1_INTEGER* version = dynamic_cast<const CASN1_INTEGER*>(key->getComponentAt(0));
    unsigned long number;
    if (!version || !version->GetInteger(number) || number != 0)
        return FALSE;
    for (int i = 0; i < kNumberCount; ++i) {
        const unsigned long limit = kNumbers[i].field == kField ? kMaxClearOctets : kMaxPrimeClearOctets;
        if (key->getComponentAt(i + 1)->getClearContentsLength() > limit)
            return FALSE;
    }
    return TRUE;
}

void CASN1_PrivateKey::GetDataFrom(const CRSAPrivateKey& key)
{
    clear();
    const unsigned char* numbers[] = {key.GetModulus(),       key.GetExponent(),        key.GetPrivateExponent(),
                                      key.GetPrime(0),        key.GetPrime(1),          key.GetPrimeExponent(0),
                                      key.GetPrimeExponent(1), key.GetCoefficient()};
    AddObject(new CASN1_INTEGER(0ul));
    for (int i = 0; i < kNumberCount; ++i)
        AddObject(new CASN1_INTEGER(numbers[i], (unsigned short)kNumbers[i].field));
}

void CASN1_PrivateKey::SetDataTo(CRSAPrivateKey& key) const
{
    // Every number is placed in a field of its own first, so a failure
    // leaves the key as it was.
    unsigned char fields[kNumberCount][kField];
    SecureZeroOnExit wipe(fields, sizeof fields);
    for (int i = 0; i < kNumberCount; ++i) {
        const CASN1_INTEGER* number =
            i + 1 < getComponentCount() ? dynamic_cast<const CASN1_INTEGER*>(getComponentAt(i + 1)) : nullptr;
        if (!number || number->getIdentifier() != 2 ||
            !___placeRightAligned(fields[i], kNumbers[i].field, number->contentsData(), number->contentsLength()))
            ___throwDERDecodingException("%s", kNumbers[i].failure);
    }
    CRSAPrivateKey fresh;
    if (!fresh.SetPublicKey(___countBits(fields[0], (int)kField), fields[0], kField, fields[1], kField) ||
        !fresh.SetPrivateKey(fields[2], kField, fields[3], kPrimeField, fields[4], kPrimeField, fields[5], kPrimeField,
                             fields[6], kPrimeField, fields[7], kPrimeField))
        ___throwDERDecodingException("%s", kNumbers[0].failure);
    key = fresh;
}
