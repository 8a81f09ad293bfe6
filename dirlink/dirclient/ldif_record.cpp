#include "dirlink/dirclient/ldif.h"

CLdifRecord::CLdifRecord() : m_changeType(changeNone), m_deleteOldRdn(0), m_newSuperior(nullptr) {}

CLdifRecord::CLdifRecord(const CLdifRecord& other) : CLdifRecord()
{
    *this = other;
}

CLdifRecord& CLdifRecord::operator=(const CLdifRecord& other)
{
    if (this == &other)
        return *this;
    m_changeType = other.m_changeType;
    m_entry = other.m_entry;
    m_modifications.RemoveAll();
    for (int i = 0; i < other.m_modifications.GetSize(); ++i)
        m_modifications.Add(other.m_modifications[i] ? new CModification(*other.m_modifications[i]) : nullptr);
    m_newRdn = other.m_newRdn;
    m_deleteOldRdn = other.m_deleteOldRdn;
    delete m_newSuperior;
    m_newSuperior = other.m_newSuperior ? new CString(*other.m_newSuperior) : nullptr;
    return *this;
}

CLdifRecord::~CLdifRecord()
{
    delete m_newSuperior;
}

void CLdifRecord::Clear()
{
    m_changeType = changeNone;
    m_entry = CEntryData();
    m_modifications.RemoveAll();
    m_newRdn.Empty();
    m_deleteOldRdn = 0;
    delete m_newSuperior;
    m_newSuperior = nullptr;
}
