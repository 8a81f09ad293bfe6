#include "dirlink/dirclient/substring_filter.h"

#include "dirlink/dirclient/holder_parts.h"
#include "dirlink/dirclient/slot_ops.h"

CSubstringFilter::CSubstringFilter() : m_initial(nullptr), m_final(nullptr) {}

CSubstringFilter::CSubstringFilter(const CSubstringFilter& other) : m_initial(nullptr), m_final(nullptr)
{
    *this = other;
}

CSubstringFilter& CSubstringFilter::operator=(const CSubstringFilter& other)
{
    if (this == &other)
        return *this;
    m_type = other.m_type;
    dirclient::copyValue(m_initial, other.m_initial);
    dirclient::copyValue(m_final, other.m_final);
    m_any.RemoveAll();
    for (int i = 0; i < other.m_any.GetSize(); ++i)
        if (const CUniDataHolder* piece = other.m_any[i])
            m_any.Add(piece->Clone());
    return *this;
}

CSubstringFilter::~CSubstringFilter()
{
    dirclient::releaseValue(m_initial);
    dirclient::releaseValue(m_final);
}

int CSubstringFilter::IsComplete() const
{
    if (m_type.IsEmpty())
        return 0;
    if ((m_initial && m_initial->GetSize()) || (m_final && m_final->GetSize()))
        return 1;
    for (int i = 0; i < m_any.GetSize(); ++i)
        if (m_any[i] && m_any[i]->GetSize())
            return 1;
    return 0;
}

void CSubstringFilter::Serialize(CArchive& ar)
{
    dirclient::serializeVersion(ar);
    if (ar.IsStoring())
        ar << m_type;
    else
        ar >> m_type;
    dirclient::serializeOptionalValue(ar, m_initial);
    dirclient::serializeOptionalValue(ar, m_final);
    dirclient::serializeOwnedArray<CUniDataHolder, dirclient::ValueSlot>(ar, m_any);
}
