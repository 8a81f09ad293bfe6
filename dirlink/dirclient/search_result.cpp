#include "dirlink/dirclient/search_result.h"

#include "dirlink/dirclient/archive_layout.h"

CSearchResult::CSearchResult() : m_kind(kindEntry), m_payload(nullptr) {}

CSearchResult::CSearchResult(const CSearchResult& other) : IReferable(), m_kind(kindEntry), m_payload(nullptr)
{
    *this = other;
}

CSearchResult::~CSearchResult()
{
    Clear();
}

CSearchResult* CSearchResult::Create()
{
    CSearchResult* result = new CSearchResult;
    result->AddRef();
    return result;
}

CSearchResult& CSearchResult::operator=(const CSearchResult& other)
{
    if (this == &other)
        return *this;
    Clear();
    m_kind = other.m_kind;
    if (CEntryData* entry = other.GetEntry())
        m_payload = new CEntryData(*entry);
    else if (CStringArray* urls = other.GetReferences())
        m_payload = new CStringArray(*urls);
    else if (CResultInfo* info = other.GetResultInfo())
        m_payload = new CResultInfo(*info);
    return *this;
}

void CSearchResult::Clear()
{
    if (m_kind == kindEntry)
        delete static_cast<CEntryData*>(m_payload);
    else if (m_kind == kindReference)
        delete static_cast<CStringArray*>(m_payload);
    else if (m_kind == kindDone)
        delete static_cast<CResultInfo*>(m_payload);
    m_payload = nullptr;
}

CEntryData* CSearchResult::GetEntry() const
{
    return m_kind == kindEntry ? static_cast<CEntryData*>(m_payload) : nullptr;
}

CStringArray* CSearchResult::GetReferences() const
{
    return m_kind == kindReference ? static_cast<CStringArray*>(m_payload) : nullptr;
}

CResultInfo* CSearchResult::GetResultInfo() const
{
    return m_kind == kindDone ? static_cast<CResultInfo*>(m_payload) : nullptr;
}

void CSearchResult::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        // One byte holds the kind; anything else could not be read back.
        if (m_kind < kindEntry || m_kind > kindDone)
            dirclient::throwBadLayout(ar);
        dirclient::writeVersion(ar);
        ar << (BYTE)m_kind;
        dirclient::writeFlag(ar, m_payload != nullptr);
    } else {
        Clear();
        dirclient::readVersion(ar);
        BYTE kind;
        ar >> kind;
        if (kind > kindDone) {
            m_kind = kindEntry;
            dirclient::throwBadLayout(ar);
        }
        m_kind = kind;
        if (!dirclient::readFlag(ar))
            return;
        if (m_kind == kindEntry)
            m_payload = new CEntryData;
        else if (m_kind == kindReference)
            m_payload = new CStringArray;
        else
            m_payload = new CResultInfo;
    }
    if (CEntryData* entry = GetEntry())
        entry->Serialize(ar);
    else if (CStringArray* urls = GetReferences())
        urls->Serialize(ar);
    else if (CResultInfo* info = GetResultInfo())
        info->CResultInfo::Serialize(ar);
}

template <>
void DestructElements<CSearchResult*>(CSearchResult** elements, int count)
{
    for (int i = 0; i < count; ++i) {
        if (elements[i])
            elements[i]->Release();
        elements[i] = nullptr;
    }
}

template <>
void CopyElements<CSearchResult*>(CSearchResult**, CSearchResult* const*, int)
{
}

template <>
void SerializeElements<CSearchResult*>(CArchive& ar, CSearchResult** elements, int count)
{
    if (ar.IsStoring())
        dirclient::writeVersion(ar);
    else
        dirclient::readVersion(ar);
    for (int i = 0; i < count; ++i) {
        if (ar.IsStoring()) {
            dirclient::writeFlag(ar, elements[i] != nullptr);
            if (elements[i])
                elements[i]->Serialize(ar);
            continue;
        }
        if (elements[i])
            elements[i]->Release();
        elements[i] = nullptr;
        if (dirclient::readFlag(ar)) {
            elements[i] = CSearchResult::Create();
            elements[i]->Serialize(ar);
        }
    }
}
