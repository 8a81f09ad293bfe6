#include "vaultcore/pki/cipher_parameters_asn1.h"

#include "vaultcore/crypto/keys.h"

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_RC2AlgorithmParameter, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("CASN1_RC2AlgorithmParameter contents is not valid"))
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_RC5AlgorithmParameter, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("CASN1_RC5AlgorithmParameter contents is not valid"))

// RC2-CBC-Parameter ::= SEQUENCE {
//         rc2ParameterVersion  INTEGER,
//         iv                   OCTET STRING (SIZE(8)) }
const ASN1_COMPONENT_INFO CASN1_RC2AlgorithmParameter::m_compInfoList[] = {
    //                 end  name                  resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "rc2ParameterVersion", nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "iv",                  nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// RC5-CBC-Parameters ::= SEQUENCE {
//         version           INTEGER (v1-0(16)),
//         rounds            INTEGER (8..127),
//         blockSizeInBits   INTEGER (64, 128),
//         iv                OCTET STRING OPTIONAL }
// The iv is read by position (IsIV, GetIV): components after it are allowed.
const ASN1_COMPONENT_INFO CASN1_RC5AlgorithmParameter::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "version",         nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "rounds",          nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "blockSizeInBits", nullptr,  0x02, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

namespace {
const unsigned long kRC5Version = 16;
const int kRC5IVIndex = 3;
const unsigned char kIntegerTag = 0x02;
const unsigned char kOctetStringTag = 0x04;

bool readNumber(const CASN1Type* value, unsigned long& number)
{
    const CASN1_INTEGER* integer = dynamic_cast<const CASN1_INTEGER*>(value);
    return integer && value->getIdentifier() == kIntegerTag && integer->GetInteger(number);
}

// The value is a constructed SEQUENCE (its own tag unless implicitly tagged).
const CASN1_CONSTRUCTED_TYPE* sequenceOf(const CASN1Type* value, int implicitlyTagged)
{
    const auto* sequence = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
    if (!sequence || !value->isConstructed() || (!implicitlyTagged && value->getIdentifier() != 0x10))
        return nullptr;
    return sequence;
}
}  // namespace

// --- RC2 ---

BOOL CASN1_RC2AlgorithmParameter::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged);
}

CASN1_RC2AlgorithmParameter::CASN1_RC2AlgorithmParameter(unsigned short effectiveBits, const unsigned char* iv,
                                                         unsigned long ivLength)
    : CASN1_RC2AlgorithmParameter()
{
    AddObject(new CASN1_INTEGER((unsigned long)CRC2key::BitsToVersion(effectiveBits)));
    AddObject(new CASN1_OCTET_STRING(iv, ivLength));
}

BOOL CASN1_RC2AlgorithmParameter::GetEffectiveKeyBits(unsigned short& bits) const
{
    unsigned long version;
    if (!get_rc2ParameterVersion().GetInteger(version) || version > 0xFFFF ||
        !CRC2key::IsValidVersion((unsigned short)version))
        return FALSE;
    bits = CRC2key::VersionToBits((unsigned short)version);
    return TRUE;
}

// --- RC5 ---

BOOL CASN1_RC5AlgorithmParameter::isValid(const CASN1Type* value, int implicitlyTagged)
{
    const CASN1_CONSTRUCTED_TYPE* sequence = sequenceOf(value, implicitlyTagged);
    if (!sequence || sequence->getComponentCount() < 3)
        return FALSE;
    unsigned long version;
    if (!readNumber(sequence->getComponentAt(0), version) || version < kRC5Version)
        return FALSE;
    if (sequence->getComponentAt(1)->getIdentifier() != kIntegerTag ||
        sequence->getComponentAt(2)->getIdentifier() != kIntegerTag)
        return FALSE;
    return sequence->getComponentCount() <= kRC5IVIndex ||
           sequence->getComponentAt(kRC5IVIndex)->getIdentifier() == kOctetStringTag;
}

CASN1_RC5AlgorithmParameter::CASN1_RC5AlgorithmParameter(unsigned long rounds, unsigned long blockSizeInBits,
                                                         const unsigned char* iv, unsigned long ivLength)
    : CASN1_RC5AlgorithmParameter()
{
    AddObject(new CASN1_INTEGER(kRC5Version));
    AddObject(new CASN1_INTEGER(rounds));
    AddObject(new CASN1_INTEGER(blockSizeInBits));
    if (iv)
        AddObject(new CASN1_OCTET_STRING(iv, ivLength));
}

BOOL CASN1_RC5AlgorithmParameter::IsIV() const
{
    return getComponentCount() > kRC5IVIndex && getComponentAt(kRC5IVIndex)->getIdentifier() == kOctetStringTag;
}

const CASN1_OCTET_STRING& CASN1_RC5AlgorithmParameter::GetIV() const
{
    auto* self = const_cast<CASN1_RC5AlgorithmParameter*>(this);
    return ___componentAs<CASN1_OCTET_STRING>(self->m_components, IsIV() ? kRC5IVIndex : -1,
                                              "CASN1_RC5AlgorithmParameter", "iv");
}
