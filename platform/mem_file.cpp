#include "platform/mem_file.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/exceptions.h"

IMPLEMENT_DYNAMIC(CMemFile, CFile)

// Memory files have no descriptor; a placeholder keeps IsOpen() true.
static const int kMemFileHandle = INT_MAX;

CMemFile::CMemFile(UINT growBytes) : m_nGrowBytes(growBytes)
{
    m_hFile = kMemFileHandle;
}

CMemFile::CMemFile(BYTE* buffer, UINT size, UINT growBytes) : m_nGrowBytes(growBytes)
{
    m_hFile = kMemFileHandle;
    Attach(buffer, size, growBytes);
}

CMemFile::~CMemFile()
{
    if (m_lpBuffer)
        Close();
    m_hFile = hFileNull;
}

void CMemFile::Attach(BYTE* buffer, UINT size, UINT growBytes)
{
    m_nGrowBytes = growBytes;
    m_nPosition = 0;
    m_nBufferSize = size;
    m_nFileSize = growBytes == 0 ? size : 0;
    m_lpBuffer = buffer;
    m_bAutoDelete = FALSE;
    m_hFile = kMemFileHandle;
}

BYTE* CMemFile::Detach()
{
    BYTE* buffer = m_lpBuffer;
    m_lpBuffer = nullptr;
    m_nFileSize = m_nBufferSize = m_nPosition = 0;
    return buffer;
}

BYTE* CMemFile::Alloc(size_t bytes)
{
    return (BYTE*)std::malloc(bytes ? bytes : 1);
}

BYTE* CMemFile::Realloc(BYTE* block, size_t bytes)
{
    return (BYTE*)std::realloc(block, bytes ? bytes : 1);
}

void CMemFile::Free(BYTE* block)
{
    std::free(block);
}

void CMemFile::GrowFile(size_t newLength)
{
    if (newLength <= m_nBufferSize)
        return;
    if (m_nGrowBytes == 0)
        AfxThrowMemoryException();
    size_t capacity = m_nBufferSize;
    while (capacity < newLength) {
        size_t step = capacity / 2 > m_nGrowBytes ? capacity / 2 : m_nGrowBytes;
        if (capacity > SIZE_MAX - step)
            AfxThrowMemoryException();
        capacity += step;
    }
    BYTE* fresh = m_lpBuffer ? Realloc(m_lpBuffer, capacity) : Alloc(capacity);
    if (!fresh)
        AfxThrowMemoryException();
    m_lpBuffer = fresh;
    m_nBufferSize = capacity;
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (m_nPosition >= m_nFileSize || count == 0)
        return 0;
    size_t n = m_nFileSize - m_nPosition;
    if (n > count)
        n = count;
    std::memcpy(buffer, m_lpBuffer + m_nPosition, n);
    m_nPosition += n;
    return (UINT)n;
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    if (m_nPosition > SIZE_MAX - count)
        AfxThrowMemoryException();
    size_t end = m_nPosition + count;
    if (end > m_nBufferSize)
        GrowFile(end);
    if (m_nPosition > m_nFileSize)  // a write after a seek past the end fills the gap
        std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    std::memcpy(m_lpBuffer + m_nPosition, buffer, count);
    m_nPosition = end;
    if (end > m_nFileSize)
        m_nFileSize = end;
}

long CMemFile::Seek(long offset, UINT from)
{
    long base = from == current ? (long)m_nPosition : from == end ? (long)m_nFileSize : 0;
    if ((offset < 0 && base < -offset) || (offset > 0 && base > LONG_MAX - offset))
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = (size_t)(base + offset);
    return (long)m_nPosition;
}

void CMemFile::SetLength(unsigned long newLength)
{
    if (newLength > m_nBufferSize)
        GrowFile(newLength);
    if (newLength > m_nFileSize)
        std::memset(m_lpBuffer + m_nFileSize, 0, newLength - m_nFileSize);
    m_nFileSize = newLength;
    if (m_nPosition > newLength)
        m_nPosition = newLength;
}

void CMemFile::Close()
{
    if (m_lpBuffer && m_bAutoDelete)
        Free(m_lpBuffer);
    m_lpBuffer = nullptr;
    m_nFileSize = m_nBufferSize = m_nPosition = 0;
    m_hFile = hFileNull;
}

void CMemFile::Abort()
{
    Close();
}
