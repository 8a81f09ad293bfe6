#include "dirlink/dirclient/ext_response.h"

#include "dirlink/dirclient/archive_layout.h"

CExtResponse::CExtResponse() : m_response(nullptr) {}

CExtResponse::CExtResponse(const CExtResponse& other) : CResultInfo(other), m_response(nullptr)
{
    m_responseName = other.m_responseName;
    if (other.m_response)
        m_response = other.m_response->Clone();
}

CExtResponse& CExtResponse::operator=(const CExtResponse& other)
{
    if (this == &other)
        return *this;
    CResultInfo::operator=(other);
    m_responseName = other.m_responseName;
    CUniDataHolder* value = other.m_response;
    return *this = value;
}

CExtResponse& CExtResponse::operator=(CUniDataHolder*& value)
{
    CUniDataHolder* copy = value ? value->Clone() : nullptr;
    if (m_response)
        m_response->Release();
    m_response = copy;
    return *this;
}

CExtResponse::~CExtResponse()
{
    if (m_response)
        m_response->Release();
}

void CExtResponse::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        dirclient::writeVersion(ar);
        CResultInfo::Serialize(ar);
        ar << m_responseName;
        dirclient::writeFlag(ar, m_response != nullptr);
        if (m_response)
            m_response->Serialize(ar);
        return;
    }
    dirclient::readVersion(ar);
    CResultInfo::Serialize(ar);
    ar >> m_responseName;
    BYTE flag;
    ar >> flag;
    if (flag == 0) {
        if (m_response)
            m_response->Release();
        m_response = nullptr;
        return;
    }
    if (!m_response)
        m_response = CUniDataHolder::Create(256);
    m_response->Serialize(ar);
}
