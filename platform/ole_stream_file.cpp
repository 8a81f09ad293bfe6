#include "platform/ole_stream_file.h"

#include <climits>

IMPLEMENT_DYNAMIC(COleStreamFile, CFile)

COleStreamFile::COleStreamFile(IStream* stream) : m_lpStream(stream) {}

COleStreamFile::~COleStreamFile()
{
    Abort();
}

void COleStreamFile::throwFor(HRESULT status) const
{
    AfxThrowOleFileException(status, m_strFileName);
}

void COleStreamFile::Attach(IStream* stream)
{
    Abort();
    m_lpStream = stream;
}

IStream* COleStreamFile::Detach()
{
    IStream* stream = m_lpStream;
    m_lpStream = nullptr;
    return stream;
}

BOOL COleStreamFile::OpenStream(IStorage* storage, const char* name, DWORD openFlags, CFileException* error)
{
    IStream* stream = nullptr;
    HRESULT status = storage ? storage->OpenStream(name, nullptr, openFlags, 0, &stream) : STG_E_INVALIDPOINTER;
    return adopt(status, stream, name, error);
}

BOOL COleStreamFile::CreateStream(IStorage* storage, const char* name, DWORD openFlags, CFileException* error)
{
    IStream* stream = nullptr;
    HRESULT status = storage ? storage->CreateStream(name, openFlags, 0, 0, &stream) : STG_E_INVALIDPOINTER;
    return adopt(status, stream, name, error);
}

BOOL COleStreamFile::adopt(HRESULT status, IStream* stream, const char* name, CFileException* error)
{
    if (FAILED(status)) {
        if (error)
            AfxFillOleFileException(error, status, name);
        return FALSE;
    }
    Attach(stream);
    m_strFileName = name;
    return TRUE;
}

UINT COleStreamFile::Read(void* buffer, UINT count)
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    ULONG done = 0;
    HRESULT status = m_lpStream->Read(buffer, count, &done);
    if (FAILED(status))
        throwFor(status);
    return done;
}

void COleStreamFile::Write(const void* buffer, UINT count)
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    ULONG done = 0;
    HRESULT status = m_lpStream->Write(buffer, count, &done);
    if (FAILED(status))
        throwFor(status);
    if (done != count)
        throwFor(STG_E_MEDIUMFULL);
}

long COleStreamFile::Seek(long offset, UINT from)
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    ULONGLONG position = 0;
    HRESULT status = m_lpStream->Seek(offset, from, &position);
    if (FAILED(status))
        throwFor(status);
    if (position > (ULONGLONG)LONG_MAX)
        throwFor(STG_E_SEEKERROR);
    return (long)position;
}

unsigned long COleStreamFile::GetLength() const
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    STATSTG stat;
    HRESULT status = m_lpStream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(status))
        throwFor(status);
    return (unsigned long)stat.cbSize;
}

void COleStreamFile::SetLength(unsigned long newLength)
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    HRESULT status = m_lpStream->SetSize(newLength);
    if (FAILED(status))
        throwFor(status);
}

unsigned long COleStreamFile::GetPosition() const
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    ULONGLONG position = 0;
    HRESULT status = m_lpStream->Seek(0, STREAM_SEEK_CUR, &position);
    if (FAILED(status))
        throwFor(status);
    return (unsigned long)position;
}

void COleStreamFile::Flush()
{
    if (!m_lpStream)
        throwFor(STG_E_INVALIDHANDLE);
    HRESULT status = m_lpStream->Commit(0);
    if (FAILED(status))
        throwFor(status);
}

void COleStreamFile::Close()
{
    Abort();
}

void COleStreamFile::Abort()
{
    if (m_lpStream)
        m_lpStream->Release();
    m_lpStream = nullptr;
}
