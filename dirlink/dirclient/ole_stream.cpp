#include "dirlink/dirclient/ole_stream.h"

IMPLEMENT_DYNCREATE(COleStream, COleStreamFile)

COleStream::COleStream(IStream* stream)
{
    if (stream)
        Attach(stream);
}

COleStream::~COleStream()
{
    Abort();
}

void COleStream::Attach(IStream* stream)
{
    COleStreamFile::Attach(stream);
    m_bAttached = stream != nullptr;
    m_strName.Empty();
    STATSTG stat;
    if (stream && SUCCEEDED(stream->Stat(&stat, STATFLAG_DEFAULT)))
        m_strName = stat.pwcsName;
    m_strFileName = m_strName;
}

IStream* COleStream::Detach()
{
    m_bAttached = FALSE;
    m_strName.Empty();
    return COleStreamFile::Detach();
}

COleStream* COleStream::Clone()
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    IStream* copy = nullptr;
    HRESULT status = m_lpStream->Clone(&copy);
    if (FAILED(status))
        throwFor(status);
    auto* clone = new COleStream(copy);
    clone->m_bAttached = m_bAttached;
    return clone;
}

void COleStream::Close()
{
    COleStreamFile::Close();
    m_bAttached = FALSE;
}

void COleStream::Abort()
{
    COleStreamFile::Abort();
    m_bAttached = FALSE;
}
