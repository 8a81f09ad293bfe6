#include "vaultcore/pki/relative_dn.h"

IMPLEMENT_SERIAL(CRelativeDN, CObject, 0)

namespace {
const BYTE kFormatVersion = 0;
}

const char* const CRelativeDN::kDefaultLabel = "Set";

CRelativeDN::CRelativeDN(const char* label) : m_label(label) {}

CRelativeDN::CRelativeDN(const CRelativeDN& other) : CObject(), m_values(other.m_values), m_label(other.m_label) {}

CRelativeDN& CRelativeDN::operator=(const CRelativeDN& other)
{
    m_values = other.m_values;
    m_label = other.m_label;
    return *this;
}

int CRelativeDN::Add(CAttributeValue* value)
{
    return m_values.Add(value);
}

BOOL CRelativeDN::Find(DNAttrNameEnum type, CString& value) const
{
    if (type < 0 || type >= AfxGetLenArrayOfDNAttrName())
        return FALSE;
    const CString name(szDNAttrName[type]);
    for (int i = 0; i < m_values.GetSize(); ++i) {
        const CAttributeValue* attribute = m_values[i];
        if (attribute && attribute->m_attributeName == name) {
            value = attribute->m_value;
            return TRUE;
        }
    }
    return FALSE;
}

CRelativeDN::operator CString() const
{
    CString text;
    for (int i = 0; i < m_values.GetSize(); ++i)
        if (m_values[i])
            text += CString(*m_values[i]) + "\r\n";
    return text;
}

void CRelativeDN::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kFormatVersion << m_label;
        m_values.Serialize(ar);
        return;
    }
    BYTE version;
    ar >> version;
    if (version != kFormatVersion)
        AfxThrowArchiveException(CArchiveException::genericException);
    ar >> m_label;
    m_values.RemoveAll();
    m_values.Serialize(ar);
}

BOOL operator==(const CRelativeDN& a, const CRelativeDN& b)
{
    return a.m_values == b.m_values;
}

BOOL operator!=(const CRelativeDN& a, const CRelativeDN& b)
{
    return !(a == b);
}
