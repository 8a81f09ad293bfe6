// Names in DER. ASN.1 after X.501 (1993) section 9.2 / RFC 5280 section 4.1.2.4.
#include "vaultcore/pki/distinguished_name_asn1.h"

#include <memory>

IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_AttributeValueAssertion, CASN1_SEQUENCE, 0x10, ___throwDerNotValid("CASN1_AttributeValueAssertion"))
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_RelativeDistinguishedName, CASN1_SET, 0x11)
IMPLEMENT_ASN1_SCHEMA_MEMBERS(CASN1_RDNSequence, CASN1_SEQUENCE, 0x10,
                              ___throwDERDecodingException("RDNSequence contents is not valid"))

// AttributeValueAssertion ::= SEQUENCE {
//         type    AttributeType,          -- OBJECT IDENTIFIER
//         value   AttributeValue }        -- ANY DEFINED BY type
const ASN1_COMPONENT_INFO CASN1_AttributeValueAssertion::m_compInfoList[] = {
    //                 end  name     resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "type",   nullptr,  0x06, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "value",  nullptr,  0x00, 0,    TM_NONE, nullptr,   0,  0,  1),
    ASN1_END_OF_TABLE,
};

// RelativeDistinguishedName ::= SET OF AttributeValueAssertion
const ASN1_COMPONENT_INFO CASN1_RelativeDistinguishedName::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                                opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x10, 0,    TM_NONE, CASN1_AttributeValueAssertion::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

// RDNSequence ::= SEQUENCE OF RelativeDistinguishedName
const ASN1_COMPONENT_INFO CASN1_RDNSequence::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator                                  opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, nullptr,  0x11, 0,    TM_NONE, CASN1_RelativeDistinguishedName::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

BOOL CASN1_AttributeValueAssertion::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged))
        return FALSE;
    // The table holds type and value; the value must be one of the string kinds.
    const CASN1Type* text = static_cast<const CASN1_CONSTRUCTED_TYPE*>(value)->getComponentAt(1);
    return CAttributeValue::IsStringKind(text->getIdentifier());
}

BOOL CASN1_RDNSequence::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return ___validateSchemaValue(m_compInfoList, m_tagAndClass, value, implicitlyTagged);
}

// --- attribute values ---

CASN1_AttributeValueAssertion::CASN1_AttributeValueAssertion(CASN1_OBJECT_IDENTIFIER* type, CASN1Type* value)
    : CASN1_AttributeValueAssertion()
{
    AddObject(type);
    AddObject(value);
}

namespace {
// A new string value of the kind holding the text; null for another kind.
CASN1Type* newString(unsigned kind, const CString& text)
{
    const unsigned char* bytes = (const unsigned char*)(const char*)text;
    const unsigned long length = (unsigned long)text.GetLength();
    switch (kind) {
    case CAttributeValue::kOctetString: return new CASN1_OCTET_STRING(bytes, length);
    case CAttributeValue::kPrintableString: return new CASN1_PrintableString(bytes, length);
    case CAttributeValue::kT61String: return new CASN1_T61String(bytes, length);
    case CAttributeValue::kIA5String: return new CASN1_IA5String(bytes, length);
    default: return nullptr;
    }
}
}  // namespace

void CASN1_AttributeValueAssertion::GetDataFrom(const CAttributeValue& record)
{
    clear();
    const int row = ___findDNAttrByName(record.m_attributeName);
    std::unique_ptr<CASN1Type> text(newString(record.m_stringKind, record.m_value));
    if (row < 0 || !text)
        return;
    AddObject(___newDNAttrOID(row));
    AddObject(text.release());
}

// Names are read where the decoder left their parts (generic SEQUENCE and
// SET values), without turning each part into its schema class first: a
// certificate holds some twenty of them, and converting them was most of
// the time its conversion took. The parts are checked as the accessors
// would check them.
namespace {
const CASN1_CONSTRUCTED_TYPE& constructedPart(const CASN1_CONSTRUCTED_TYPE& parent, int index, unsigned char identifier,
                                              const char* className)
{
    const CASN1Type* part = index < parent.getComponentCount() ? parent.getComponentAt(index) : nullptr;
    const auto* constructed = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(part);
    if (!constructed || part->getIdentifier() != identifier)
        ___throwMemberNotAvailable(className, ASN1_ELEMENT_NAME);
    return *constructed;
}

void readAssertion(const CASN1_CONSTRUCTED_TYPE& assertion, CAttributeValue& record)
{
    record = CAttributeValue();
    const CASN1Type* type = assertion.getComponentCount() > 0 ? assertion.getComponentAt(0) : nullptr;
    const auto* oid = dynamic_cast<const CASN1_OBJECT_IDENTIFIER*>(type);
    if (!oid)
        ___throwMemberNotAvailable("CASN1_AttributeValueAssertion", "type");
    if (assertion.getComponentCount() < 2)
        ___throwMemberNotAvailable("CASN1_AttributeValueAssertion", "value");
    const int row = ___findDNAttrByOID(*oid);
    record.m_attributeName = row >= 0 ? szDNAttrName[row] : kUnknownDNAttrName;
    const CASN1Type& text = *assertion.getComponentAt(1);
    text.GetString(record.m_value);
    record.m_stringKind = text.getIdentifier() & kASN1TagNumberMask;
}

void readRelativeName(const CASN1_CONSTRUCTED_TYPE& set, CRelativeDN& record)
{
    record.m_values.RemoveAll();
    for (int i = 0; i < set.getComponentCount(); ++i) {
        CAttributeValue* value = new CAttributeValue;
        record.Add(value);
        readAssertion(constructedPart(set, i, 0x10, "CASN1_RelativeDistinguishedName"), *value);
    }
}
}  // namespace

void CASN1_AttributeValueAssertion::SetDataTo(CAttributeValue& record) const
{
    readAssertion(*this, record);
}

// --- relative names ---

void CASN1_RelativeDistinguishedName::GetDataFrom(const CRelativeDN& record)
{
    clear();
    OnOffSorted(TRUE);  // DER orders the members of a SET OF
    for (int i = 0; i < record.m_values.GetSize(); ++i)
        if (record.m_values[i])
            AddObject(new CASN1_AttributeValueAssertion(*record.m_values[i]));
}

void CASN1_RelativeDistinguishedName::SetDataTo(CRelativeDN& record) const
{
    readRelativeName(*this, record);
}

// --- names ---

void CASN1_RDNSequence::GetDataFrom(const CDistinguishedName& record)
{
    clear();
    for (int i = 0; i < record.GetSize(); ++i)
        if (record[i])
            AddObject(new CASN1_RelativeDistinguishedName(*record[i]));
}

void CASN1_RDNSequence::SetDataTo(CDistinguishedName& record) const
{
    record.RemoveAll();
    for (int i = 0; i < getComponentCount(); ++i) {
        CRelativeDN* rdn = new CRelativeDN;
        record.Add(rdn);
        readRelativeName(constructedPart(*this, i, 0x11, "CASN1_RDNSequence"), *rdn);
    }
}

CASN1_RDNSequence::operator CDistinguishedName() const
{
    CDistinguishedName name;
    SetDataTo(name);
    return name;
}
