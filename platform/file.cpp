#include "platform/file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/exceptions.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

namespace {
[[noreturn]] void throwOsError(int err, const CString& name)
{
    AfxThrowFileException(CFileException::OsErrorToException(err), err, name);
}
}  // namespace

CFile::CFile(const char* fileName, UINT openFlags)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, fileName);
}

CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error)
{
    int flags = 0;
    switch (openFlags & 3) {
    case modeWrite: flags = O_WRONLY; break;
    case modeReadWrite: flags = O_RDWR; break;
    default: flags = O_RDONLY; break;
    }
    if (openFlags & modeCreate)
        flags |= (openFlags & modeNoTruncate) ? O_CREAT : (O_CREAT | O_TRUNC);
    flags |= O_CLOEXEC;
    int fd = ::open(fileName, flags, 0666);
    if (fd < 0) {
        if (error) {
            error->m_cause = CFileException::OsErrorToException(errno);
            error->m_lOsError = errno;
            error->m_strFileName = fileName;
        }
        return FALSE;
    }
    m_hFile = fd;
    m_bCloseOnDelete = TRUE;
    m_strFileName = fileName;
    return TRUE;
}

void CFile::Close()
{
    int fd = m_hFile;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (fd != hFileNull && ::close(fd) != 0)
        throwOsError(errno, m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull)
        ::close(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

UINT CFile::Read(void* buffer, UINT count)
{
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::read(m_hFile, (char*)buffer + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwOsError(errno, m_strFileName);
        }
        if (n == 0)
            break;
        done += (UINT)n;
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::write(m_hFile, (const char*)buffer + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwOsError(errno, m_strFileName);
        }
        done += (UINT)n;
    }
}

long CFile::Seek(long offset, UINT from)
{
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    off_t pos = ::lseek(m_hFile, (off_t)offset, whence);
    if (pos < 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return (long)pos;
}

unsigned long CFile::GetLength() const
{
    struct stat st;
    if (::fstat(m_hFile, &st) != 0)
        throwOsError(errno, m_strFileName);
    return (unsigned long)st.st_size;
}

void CFile::SetLength(unsigned long newLength)
{
    if (::ftruncate(m_hFile, (off_t)newLength) != 0)
        throwOsError(errno, m_strFileName);
}

unsigned long CFile::GetPosition() const
{
    off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0)
        AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return (unsigned long)pos;
}

void CFile::Flush()
{
    if (m_hFile != hFileNull && ::fsync(m_hFile) != 0 && errno != EINVAL)
        throwOsError(errno, m_strFileName);
}

CString CFile::GetFileName() const
{
    int slash = m_strFileName.ReverseFind('/');
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}

void CFile::Remove(const char* fileName)
{
    if (::unlink(fileName) != 0)
        throwOsError(errno, fileName);
}

void CFile::Rename(const char* oldName, const char* newName)
{
    if (std::rename(oldName, newName) != 0)
        throwOsError(errno, oldName);
}
