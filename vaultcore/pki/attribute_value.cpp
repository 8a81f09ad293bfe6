#include "vaultcore/pki/attribute_value.h"

IMPLEMENT_SERIAL(CAttributeValue, CObject, 0)

namespace {
const BYTE kFormatVersion = 0;
}

BOOL CAttributeValue::IsStringKind(unsigned kind)
{
    return kind == kPrintableString || kind == kIA5String || kind == kT61String || kind == kOctetString;
}

CAttributeValue::CAttributeValue() : m_stringKind(kPrintableString) {}

CAttributeValue::CAttributeValue(DNAttrNameEnum type, const char* text)
    : m_value(text), m_stringKind(kPrintableString)
{
    // A type outside the enumeration leaves the name empty: such a value
    // cannot be encoded, but nothing is read outside the table.
    if (type >= 0 && type < AfxGetLenArrayOfDNAttrName())
        m_attributeName = szDNAttrName[type];
    if (type == dnEMailAddress) {
        m_value.MakeLower();
        m_stringKind = kIA5String;
    }
}

CAttributeValue::CAttributeValue(const CAttributeValue& other)
    : CObject(), m_attributeName(other.m_attributeName), m_value(other.m_value), m_stringKind(other.m_stringKind)
{
}

CAttributeValue& CAttributeValue::operator=(const CAttributeValue& other)
{
    m_attributeName = other.m_attributeName;
    m_value = other.m_value;
    m_stringKind = other.m_stringKind;
    return *this;
}

CAttributeValue::operator CString() const
{
    return m_attributeName + ": " + m_value;
}

void CAttributeValue::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kFormatVersion << m_attributeName << m_value << m_stringKind;
        return;
    }
    BYTE version;
    ar >> version;
    if (version != kFormatVersion)
        AfxThrowArchiveException(CArchiveException::genericException);
    CString name, value;
    BYTE kind;
    ar >> name >> value >> kind;
    if (!IsStringKind(kind))
        AfxThrowArchiveException(CArchiveException::genericException);
    m_attributeName = name;
    m_value = value;
    m_stringKind = kind;
}

BOOL operator==(const CAttributeValue& a, const CAttributeValue& b)
{
    return a.m_attributeName == b.m_attributeName && a.m_value == b.m_value && a.m_stringKind == b.m_stringKind;
}

BOOL operator!=(const CAttributeValue& a, const CAttributeValue& b)
{
    return !(a == b);
}

namespace {
bool same(const CAttributeValue* a, const CAttributeValue* b)
{
    return a && b ? *a == *b : a == b;
}
}  // namespace

BOOL operator==(const CAttributeValueArray& a, const CAttributeValueArray& b)
{
    if (a.GetSize() != b.GetSize())
        return FALSE;
    for (int i = 0; i < a.GetSize(); ++i) {
        int j = 0;
        while (j < b.GetSize() && !same(a[i], b[j]))
            ++j;
        if (j == b.GetSize())
            return FALSE;
    }
    return TRUE;
}
