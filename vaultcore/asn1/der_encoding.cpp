#include "vaultcore/asn1/der_encoding.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vaultcore/asn1/asn1_type.h"

IMPLEMENT_DYNAMIC(CDERDecodingException, CException)
IMPLEMENT_DYNAMIC(CMemFilePro, CMemFile)

namespace {
const char* const kConvertedMessage = "CException -> CDERDecodingException";
const unsigned long kCopyBlock = 1024;

// Runs a file operation; any class-library exception it raises becomes the
// decoding exception.
template <class Operation>
auto asDecodingFailure(Operation operation) -> decltype(operation())
{
    try {
        return operation();
    } catch (CDERDecodingException*) {
        throw;
    } catch (CException* e) {
        e->Delete();
        ___throwDERDecodingException("%s", kConvertedMessage);
    }
}
}  // namespace

CDERDecodingException* CDERDecodingException::shared()
{
    static CDERDecodingException instance;
    return &instance;
}

static unsigned long octetsFor(unsigned long value)
{
    unsigned long n = 0;
    for (; value; value >>= 8)
        ++n;
    return n;
}

unsigned long ___computeEncodedLength(unsigned char identifierLength, unsigned long contentsLength, int indefinite)
{
    if (indefinite)
        return identifierLength + 1 + contentsLength + 2;
    if (contentsLength < 128)
        return identifierLength + 1 + contentsLength;
    return identifierLength + 1 + octetsFor(contentsLength) + contentsLength;
}

long ___extractEncodingLength(const unsigned char* data, unsigned long available)
{
    if (available < 2)
        return -1;
    if ((data[0] & 0x1F) == 0x1F)
        return -4;
    if (data[1] == 0x80)
        return -3;
    unsigned long header = 2;
    unsigned long length = data[1];
    if (data[1] & 0x80) {
        unsigned long n = data[1] & 0x7F;
        if (n > 4)
            return -2;
        if (2 + n > available)
            return -1;
        length = 0;
        for (unsigned long i = 0; i < n; ++i)
            length = (length << 8) | data[2 + i];
        header = 2 + n;
    }
    if (length > 0x7FFFFFFFUL - header)
        return -2;
    return (long)(header + length);
}

long CUnknown::Release()
{
    // acq_rel: whatever other threads did with the object before their last
    // Release is visible to the thread that deletes it.
    long count = m_nRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0) {
        FinalRelease();
        if (m_bAutoDelete)
            delete this;
    }
    return count;
}

CMemFilePro::CMemFilePro(BYTE* buffer, UINT bufferSize, UINT growBytes, int autoDelete) : CMemFile(growBytes)
{
    Attach(buffer, bufferSize, growBytes);
    m_nFileSize = bufferSize;
    m_bAutoDelete = autoDelete;
}

BYTE* CByteArrayPro::Detach()
{
    BYTE* buffer = m_pData;
    m_pData = nullptr;
    m_nSize = m_nMaxSize = m_nGrowBy = 0;
    return buffer;
}

CDEREncoding::CDEREncoding(int autoDelete) : CUnknown(autoDelete)
{
    m_pFile = new CMemFilePro(1024);
    m_bOwnsFile = TRUE;
}

CDEREncoding::CDEREncoding(int autoDelete, const CASN1Type& value) : CDEREncoding(autoDelete)
{
    value.encodeTo(*this);
}

CDEREncoding::CDEREncoding(int autoDelete, const CASN1_PRIMITIVE_TYPE& value)
    : CDEREncoding(autoDelete, static_cast<const CASN1Type&>(value))
{
}

CDEREncoding::CDEREncoding(int autoDelete, const CByteArray& bytes) : CUnknown(autoDelete)
{
    *this = bytes;
}

CDEREncoding::CDEREncoding(int autoDelete, unsigned char* data, unsigned long size, int takeOver, int copy)
    : CUnknown(autoDelete)
{
    if (takeOver) {
        attachBuffer(data, size, 1024, TRUE);
    } else if (!copy) {
        attachBuffer(data, size, 0, FALSE);
        m_bExternal = TRUE;
    } else {
        unsigned char* own = (unsigned char*)std::malloc(size ? size : 1);
        if (!own)
            AfxThrowMemoryException();
        if (size)
            std::memcpy(own, data, size);
        attachBuffer(own, size, 1024, TRUE);
    }
}

CDEREncoding::CDEREncoding(int autoDelete, CFile* file, int external, int ownsFile)
    : CUnknown(autoDelete), m_bExternal(external), m_bOwnsFile(ownsFile), m_pFile(file)
{
}

CDEREncoding::~CDEREncoding()
{
    Clear();
}

void CDEREncoding::attachBuffer(unsigned char* data, unsigned long size, UINT growBytes, int autoDelete)
{
    if (size > 0xFFFFFFFFUL)
        AfxThrowMemoryException();
    m_pFile = new CMemFilePro(data, (UINT)size, growBytes, autoDelete);
    m_bOwnsFile = TRUE;
}

CDEREncoding& CDEREncoding::operator=(const CByteArray& bytes)
{
    Clear();
    unsigned long size = (unsigned long)bytes.GetSize();
    unsigned char* own = (unsigned char*)std::malloc(size ? size : 1);
    if (!own)
        AfxThrowMemoryException();
    if (size)
        std::memcpy(own, bytes.GetData(), size);
    m_bExternal = FALSE;
    attachBuffer(own, size, 1024, TRUE);
    return *this;
}

void CDEREncoding::Clear()
{
    if (!m_pFile)
        return;
    CString path;
    if (m_bTmpFile)
        path = m_pFile->GetFilePath();
    if (m_bOwnsFile)
        delete m_pFile;
    else if (m_bTmpFile)
        m_pFile->Abort();
    m_pFile = nullptr;
    if (m_bTmpFile && !path.IsEmpty())
        std::remove(path);
}

unsigned char CDEREncoding::ReadByte()
{
    return asDecodingFailure([&] {
        unsigned char b;
        if (!m_pFile || m_pFile->Read(&b, 1) != 1)
            AfxThrowFileException(CFileException::endOfFile);
        return b;
    });
}

unsigned long CDEREncoding::Read(unsigned char* buffer, unsigned long n)
{
    return asDecodingFailure([&] {
        unsigned long done = 0;
        while (done < n && m_pFile) {
            UINT chunk = (UINT)(n - done > 0x40000000UL ? 0x40000000UL : n - done);
            UINT got = m_pFile->Read(buffer + done, chunk);
            done += got;
            if (got < chunk)
                break;
        }
        return done;
    });
}

unsigned long CDEREncoding::bytesLeft()
{
    return asDecodingFailure([&]() -> unsigned long {
        if (!m_pFile)
            return 0;
        unsigned long length = m_pFile->GetLength();
        unsigned long position = m_pFile->GetPosition();
        return length > position ? length - position : 0;
    });
}

unsigned long CDEREncoding::Read(CByteArray& bytes, unsigned long n)
{
    unsigned long available = bytesLeft();
    unsigned long wanted = n < available ? n : available;
    if (wanted > 0x7FFFFFFFUL)
        wanted = 0x7FFFFFFFUL;
    bytes.SetSize((int)wanted);
    unsigned long got = wanted ? Read(bytes.GetData(), wanted) : 0;
    if (got < wanted)
        bytes.SetSize((int)got);
    return got;
}

void CDEREncoding::Read(CFile& f, unsigned long n)
{
    asDecodingFailure([&] {
        unsigned char block[kCopyBlock];
        while (n > 0) {
            UINT chunk = (UINT)(n < kCopyBlock ? n : kCopyBlock);
            if (!m_pFile || m_pFile->Read(block, chunk) != chunk)
                AfxThrowFileException(CFileException::endOfFile);
            f.Write(block, chunk);
            n -= chunk;
        }
    });
}

unsigned long CDEREncoding::ReadAt(unsigned long position, unsigned char* buffer, unsigned long n)
{
    CDERPositionKeeper keep(*this);
    Seek((long)position, CFile::begin);
    return Read(buffer, n);
}

unsigned long CDEREncoding::ReadAt(unsigned long position, CByteArray& bytes, unsigned long n)
{
    CDERPositionKeeper keep(*this);
    Seek((long)position, CFile::begin);
    return Read(bytes, n);
}

CFile& CDEREncoding::writableFile()
{
    if (!m_pFile)
        ___throwDERDecodingException("%s", kConvertedMessage);
    return *m_pFile;
}

void CDEREncoding::WriteByte(unsigned char b)
{
    writableFile().Write(&b, 1);
}

void CDEREncoding::Write(const unsigned char* data, unsigned long n)
{
    CFile& file = writableFile();
    while (n > 0) {
        UINT chunk = (UINT)(n > 0x40000000UL ? 0x40000000UL : n);
        file.Write(data, chunk);
        data += chunk;
        n -= chunk;
    }
}

void CDEREncoding::Write(const CByteArray& bytes)
{
    CFile& file = writableFile();
    if (bytes.GetSize() > 0)
        file.Write(bytes.GetData(), (UINT)bytes.GetSize());
}

void CDEREncoding::Write(CFile& f, unsigned long n)
{
    CFile& file = writableFile();
    unsigned char block[kCopyBlock];
    while (n > 0) {
        UINT chunk = (UINT)(n < kCopyBlock ? n : kCopyBlock);
        if (f.Read(block, chunk) != chunk)
            AfxThrowFileException(CFileException::endOfFile, -1, f.GetFilePath());
        file.Write(block, chunk);
        n -= chunk;
    }
}

long CDEREncoding::Seek(long offset, unsigned int from)
{
    return asDecodingFailure([&] {
        if (!m_pFile)
            AfxThrowFileException(CFileException::badSeek);
        return m_pFile->Seek(offset, from);
    });
}

void CDEREncoding::SeekToBegin()
{
    Seek(0, CFile::begin);
}

unsigned long CDEREncoding::GetPosition()
{
    return (unsigned long)Seek(0, CFile::current);
}

int CDEREncoding::reached00()
{
    unsigned char two[2];
    if (Read(two, 2) < 2)
        ___throwDERDecodingException("Unexpected end of file");
    if (two[0] == 0 && two[1] == 0)
        return 1;
    Seek(-2, CFile::current);
    return 0;
}
