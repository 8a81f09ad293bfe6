#include "dirlink/dirclient/result_info.h"

#include "dirlink/dirclient/archive_layout.h"

CResultInfo::CResultInfo() : m_resultCode(0), m_resultText("success"), m_totalCount(nullptr) {}

CResultInfo::CResultInfo(const CResultInfo& other) : m_resultCode(0), m_totalCount(nullptr)
{
    *this = other;
}

CResultInfo& CResultInfo::operator=(const CResultInfo& other)
{
    if (this == &other)
        return *this;
    m_resultCode = other.m_resultCode;
    m_resultText = other.m_resultText;
    if (other.m_totalCount) {
        if (!m_totalCount)
            m_totalCount = new DWORD;
        *m_totalCount = *other.m_totalCount;
    } else {
        delete m_totalCount;
        m_totalCount = nullptr;
    }
    m_matchedDN = other.m_matchedDN;
    m_errorMessage = other.m_errorMessage;
    m_referral.RemoveAll();
    for (int i = 0; i < other.m_referral.GetSize(); ++i)
        m_referral.Add(other.m_referral[i]);
    return *this;
}

CResultInfo::~CResultInfo()
{
    delete m_totalCount;
}

void CResultInfo::Clear()
{
    m_resultCode = 0;
    delete m_totalCount;
    m_totalCount = nullptr;
    m_resultText.Empty();
    m_matchedDN.Empty();
    m_errorMessage.Empty();
    m_referral.RemoveAll();
}

void CResultInfo::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        dirclient::writeVersion(ar);
    else
        dirclient::readVersion(ar);
    if (ar.IsStoring()) {
        ar << m_resultCode;
        dirclient::writeFlag(ar, m_totalCount != nullptr);
        if (m_totalCount)
            ar << *m_totalCount;
        ar << m_resultText << m_matchedDN << m_errorMessage;
    } else {
        ar >> m_resultCode;
        if (dirclient::readFlag(ar)) {
            if (!m_totalCount)
                m_totalCount = new DWORD(0);
            ar >> *m_totalCount;
        } else {
            delete m_totalCount;
            m_totalCount = nullptr;
        }
        ar >> m_resultText >> m_matchedDN >> m_errorMessage;
    }
    m_referral.Serialize(ar);
}
