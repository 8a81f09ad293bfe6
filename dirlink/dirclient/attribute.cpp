#include "dirlink/dirclient/attribute.h"

#include <cstring>

#include "dirlink/dirclient/archive_layout.h"
#include "dirlink/dirclient/slot_ops.h"
#include "dirlink/dirschema/attribute_description.h"
#include "dirlink/dirschema/attribute_types.h"
#include "dirlink/dirschema/syntaxes.h"

namespace {
// Values longer than this print cut.
const unsigned long kPrintedValueBytes = 80;
}  // namespace

CAttribute::CAttribute() = default;

CAttribute::CAttribute(const CAttribute& other)
{
    *this = other;
}

CAttribute& CAttribute::operator=(const CAttribute& other)
{
    if (this == &other)
        return *this;
    m_name = other.m_name;
    m_values.RemoveAll();
    m_values.SetSize(other.m_values.GetSize());
    for (int i = 0; i < other.m_values.GetSize(); ++i)
        if (const CUniDataHolder* value = other.m_values[i])
            m_values[i] = value->Clone();
    return *this;
}

CAttribute::~CAttribute() = default;

void CAttribute::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        dirclient::writeVersion(ar);
        ar << m_name;
    } else {
        dirclient::readVersion(ar);
        ar >> m_name;
    }
    dirclient::serializeOwnedArray<CUniDataHolder, dirclient::ValueSlot>(ar, m_values);
}

void CAttribute::GetString(CString& text) const
{
    text = m_name;
    CString type;
    ParseAttributeDescription(m_name, type, nullptr);
    if (IsTextualSyntax(GetAttributeSyntaxName(type)) != 1)
        return;
    for (int i = 0; i < m_values.GetSize(); ++i) {
        const CUniDataHolder* value = m_values[i];
        if (!value)
            continue;
        CString shown;
        value->Get(shown, kPrintedValueBytes, 0);
        text += i == 0 ? ": \"" : "; \"";
        text += shown;
        text += '"';
    }
}

int CAttribute::AddValue(const void* bytes, unsigned long n)
{
    CUniDataHolder* value = CUniDataHolder::Create(0);
    try {
        value->Put(bytes, n);
        return m_values.Add(value);
    } catch (CException*) {
        value->Release();
        throw;
    }
}

int CAttribute::AddValue(const char* text)
{
    return AddValue(text, text ? std::strlen(text) : 0);
}

DIRCLIENT_ARRAY_HOOKS(CAttribute, dirclient::OwnedSlot<CAttribute>)
