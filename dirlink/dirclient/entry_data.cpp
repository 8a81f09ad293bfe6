#include "dirlink/dirclient/entry_data.h"

#include "dirlink/dirclient/archive_layout.h"
#include "dirlink/dirclient/slot_ops.h"

CEntryData::CEntryData() = default;

CEntryData::CEntryData(const CEntryData& other)
{
    *this = other;
}

CEntryData& CEntryData::operator=(const CEntryData& other)
{
    if (this == &other)
        return *this;
    m_dn = other.m_dn;
    m_attributes.RemoveAll();
    m_attributes.SetSize(other.m_attributes.GetSize());
    for (int i = 0; i < other.m_attributes.GetSize(); ++i)
        if (const CAttribute* attribute = other.m_attributes[i])
            m_attributes[i] = new CAttribute(*attribute);
    return *this;
}

CEntryData::~CEntryData() = default;

void CEntryData::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        dirclient::writeVersion(ar);
        ar << m_dn;
    } else {
        dirclient::readVersion(ar);
        ar >> m_dn;
    }
    dirclient::serializeOwnedArray<CAttribute, dirclient::OwnedSlot<CAttribute>>(ar, m_attributes);
}

int CEntryData::FindNextAttribute(int after, const char* name) const
{
    if (!name)
        return -1;
    for (int i = after < 0 ? 0 : after + 1; i < m_attributes.GetSize(); ++i) {
        const CAttribute* attribute = m_attributes[i];
        if (attribute && attribute->m_name.CompareNoCase(name) == 0)
            return i;
    }
    return -1;
}

DIRCLIENT_ARRAY_HOOKS(CEntryData, dirclient::OwnedSlot<CEntryData>)
