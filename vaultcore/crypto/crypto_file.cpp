#include "vaultcore/crypto/crypto_file.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/progress.h"
#include "vaultcore/crypto/secure_zero.h"

IMPLEMENT_DYNAMIC(CCryptoFile, CFile)

namespace {

const unsigned long kUnit = 8;

unsigned long roundUp(unsigned long n, unsigned long unit)
{
    return (n + unit - 1) / unit * unit;
}

}  // namespace

CCryptoFile::CCryptoFile(CFile* file, CCryptoProcessor& processor, unsigned long chunkSize, int ownsFile)
    : m_pProcessor(&processor), m_pFile(file), m_bOwnsFile(ownsFile)
{
    m_dwChunkSize = (DWORD)(chunkSize ? roundUp(chunkSize, kUnit) : kUnit);
    if (kUnit % processor.GetBlockSize() != 0)
        AfxThrowFileException(CFileException::genericException);
    const unsigned long fileLength = m_pFile->GetLength();
    if (fileLength % kUnit != 0)
        AfxThrowFileException(CFileException::genericException);
    m_plain.SetSize((int)m_dwChunkSize);
    m_cipher.SetSize((int)m_dwChunkSize);
    if (fileLength == 0)
        return;
    const unsigned long rest = fileLength % m_dwChunkSize;
    const unsigned long last = rest ? rest : m_dwChunkSize;
    readChunk(fileLength - last, last);
    const unsigned char* plain = m_plain.GetData();
    const unsigned char p = plain[last - 1];
    if (p < 1 || p > kUnit)
        AfxThrowFileException(CFileException::genericException);
    for (unsigned long i = last - p; i < last; ++i)
        if (plain[i] != p)
            AfxThrowFileException(CFileException::genericException);
    m_dwLength = (DWORD)(fileLength - p);
}

CCryptoFile::~CCryptoFile()
{
    // Destruction cannot report a failure; Close first when that matters.
    try {
        Close();
    } catch (CException* e) {
        e->Delete();
    }
    if (m_bOwnsFile)
        delete m_pFile;
    vcSecureZero(m_plain);
    vcSecureZero(m_cipher);
}

BOOL CCryptoFile::Open(const char*, UINT, CFileException*)
{
    return FALSE;
}

unsigned long CCryptoFile::chunkExtent(unsigned long chunkStart) const
{
    const unsigned long fileLength = m_pFile->GetLength();
    if (chunkStart >= fileLength)
        return 0;
    const unsigned long left = fileLength - chunkStart;
    return left < m_dwChunkSize ? left : m_dwChunkSize;
}

void CCryptoFile::readChunk(unsigned long chunkStart, unsigned long extent)
{
    m_pFile->Seek((long)chunkStart, CFile::begin);
    if (m_pFile->Read(m_cipher.GetData(), (UINT)extent) != extent)
        AfxThrowFileException(CFileException::endOfFile);
    m_pProcessor->ResetDecryptionContext();
    m_pProcessor->DecryptBlock(m_cipher.GetData(), extent, m_plain.GetData(), nullptr);
}

void CCryptoFile::writeChunk(unsigned long chunkStart, unsigned long extent)
{
    m_pProcessor->ResetEncryptionContext();
    m_pProcessor->EncryptBlock(m_plain.GetData(), extent, m_cipher.GetData(), nullptr);
    m_pFile->Seek((long)chunkStart, CFile::begin);
    m_pFile->Write(m_cipher.GetData(), (UINT)extent);
}

UINT CCryptoFile::Read(void* buffer, UINT count)
{
    unsigned long n = m_dwLength - m_dwPosition;
    if (count < n)
        n = count;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    unsigned long done = 0;
    while (done < n) {
        const unsigned long chunkStart = m_dwPosition - m_dwPosition % m_dwChunkSize;
        const unsigned long offset = m_dwPosition - chunkStart;
        unsigned long take = m_dwChunkSize - offset;
        if (take > n - done)
            take = n - done;
        readChunk(chunkStart, chunkExtent(chunkStart));
        std::memcpy(out + done, m_plain.GetData() + offset, take);
        done += take;
        m_dwPosition += (DWORD)take;
    }
    return (UINT)n;
}

void CCryptoFile::Write(const void* buffer, UINT count)
{
    const unsigned char* in = static_cast<const unsigned char*>(buffer);
    unsigned long done = 0;
    while (done < count) {
        const unsigned long chunkStart = m_dwPosition - m_dwPosition % m_dwChunkSize;
        const unsigned long offset = m_dwPosition - chunkStart;
        unsigned long take = m_dwChunkSize - offset;
        if (take > count - done)
            take = count - done;
        unsigned long extent = 0;
        if (chunkStart < m_dwLength) {
            extent = chunkExtent(chunkStart);
            readChunk(chunkStart, extent);
        } else {
            std::memset(m_plain.GetData(), 0, m_dwChunkSize);
        }
        std::memcpy(m_plain.GetData() + offset, in + done, take);
        const unsigned long needed = roundUp(offset + take, kUnit);
        if (needed > extent)
            extent = needed;
        writeChunk(chunkStart, extent);
        done += take;
        m_dwPosition += (DWORD)take;
        if (m_dwPosition > m_dwLength) {
            m_dwLength = m_dwPosition;
            m_bModified = 1;
        }
    }
}

long CCryptoFile::Seek(long offset, UINT from)
{
    long long target;
    switch (from) {
    case CFile::begin: target = offset; break;
    case CFile::current: target = (long long)m_dwPosition + offset; break;
    case CFile::end: target = (long long)m_dwLength + offset; break;
    default: AfxThrowFileException(CFileException::badSeek);
    }
    if (target < 0 || target > (long long)m_dwLength)
        AfxThrowFileException(CFileException::badSeek);
    m_dwPosition = (DWORD)target;
    return (long)target;
}

void CCryptoFile::SetLength(unsigned long n)
{
    if (n > m_dwLength || n % kUnit != 0)
        AfxThrowFileException(CFileException::badSeek);
    if (n != m_dwLength)
        m_bModified = 1;  // Close writes the new padding and cuts the file
    m_dwLength = m_dwPosition = (DWORD)n;
}

void CCryptoFile::writePadding()
{
    const unsigned long rest = m_dwLength % m_dwChunkSize;
    unsigned long end;
    if (rest) {
        const unsigned long chunkStart = m_dwLength - rest;
        const unsigned long extent = chunkExtent(chunkStart);
        if (extent < rest)
            AfxThrowFileException(CFileException::endOfFile);
        readChunk(chunkStart, extent);
        const unsigned char p = (unsigned char)(kUnit - rest % kUnit);
        std::memset(m_plain.GetData() + rest, p, p);
        writeChunk(chunkStart, rest + p);
        end = chunkStart + rest + p;
    } else {
        std::memset(m_plain.GetData(), (int)kUnit, kUnit);
        writeChunk(m_dwLength, kUnit);
        end = m_dwLength + kUnit;
    }
    m_pFile->SetLength(end);
}

void CCryptoFile::Close()
{
    if (m_bClosed)
        return;
    m_bClosed = 1;
    if (m_bModified) {
        m_bModified = 0;
        writePadding();
    }
    if (m_bOwnsFile && m_pFile->IsOpen())
        m_pFile->Close();
}

void CCryptoFile::Abort()
{
    m_bClosed = 1;
    m_bModified = 0;
    m_pFile->Abort();
}

void CCryptoFile::Flush()
{
    m_pFile->Flush();
}

CString CCryptoFile::GetFilePath() const
{
    return m_pFile->GetFilePath();
}

void CCryptoFile::SetFilePath(const char* path)
{
    m_pFile->SetFilePath(path);
}

CString CCryptoFile::GetFileName() const
{
    return m_pFile->GetFileName();
}

// --- whole-file streaming ---

namespace {

unsigned long remainingLength(CFile& in, unsigned long n)
{
    if (n)
        return n;
    const unsigned long length = in.GetLength(), position = in.GetPosition();
    return length > position ? length - position : 0;
}

void readExactly(CFile& in, unsigned char* buffer, unsigned long n)
{
    if (n && in.Read(buffer, (UINT)n) != n)
        AfxThrowFileException(CFileException::endOfFile);
}

}  // namespace

void EncryptFile(CCryptoProcessor& processor, CFile& in, unsigned long n, CFile& out, unsigned long chunkSize,
                 CProgress* progress, int setUpProgress)
{
    const unsigned long b = processor.GetBlockSize();
    chunkSize = chunkSize ? roundUp(chunkSize, b) : b;
    n = remainingLength(in, n);
    processor.CheckPlaintextSize(n);
    if (progress && setUpProgress)
        progress->SetUp((int)processor.CountHints(n, 1), 1, 1, 1);
    CByteArray plain, cipher;
    plain.SetSize((int)chunkSize);
    cipher.SetSize((int)(chunkSize + b));
    for (unsigned long i = 0; i < n / chunkSize; ++i) {
        readExactly(in, plain.GetData(), chunkSize);
        processor.EncryptBlock(plain.GetData(), chunkSize, cipher.GetData(), progress);
        out.Write(cipher.GetData(), (UINT)chunkSize);
    }
    const unsigned long rest = n % chunkSize;
    readExactly(in, plain.GetData(), rest);
    const unsigned long written = processor.EncryptFinal(plain.GetData(), rest, cipher.GetData(), progress);
    if (written)
        out.Write(cipher.GetData(), (UINT)written);
    vcSecureZero(plain);
}

void DecryptFile(CCryptoProcessor& processor, CFile& in, unsigned long n, CFile& out, unsigned long chunkSize,
                 CProgress* progress, int setUpProgress)
{
    const unsigned long b = processor.GetBlockSize();
    chunkSize = chunkSize ? roundUp(chunkSize, b) : b;
    n = remainingLength(in, n);
    processor.CheckCiphertextSize(n);
    if (progress && setUpProgress)
        progress->SetUp((int)processor.CountHints(n, 0), 1, 1, 1);
    CByteArray cipher, plain;
    cipher.SetSize((int)chunkSize);
    plain.SetSize((int)chunkSize);
    // The last chunk (a whole one when n is a multiple of the chunk size)
    // goes to DecryptFinal.
    unsigned long rest = n % chunkSize;
    unsigned long whole = n / chunkSize;
    if (rest == 0) {
        rest = chunkSize;
        --whole;
    }
    for (unsigned long i = 0; i < whole; ++i) {
        readExactly(in, cipher.GetData(), chunkSize);
        processor.DecryptBlock(cipher.GetData(), chunkSize, plain.GetData(), progress);
        out.Write(plain.GetData(), (UINT)chunkSize);
    }
    readExactly(in, cipher.GetData(), rest);
    const unsigned long written = processor.DecryptFinal(cipher.GetData(), rest, plain.GetData(), progress);
    if (written)
        out.Write(plain.GetData(), (UINT)written);
    vcSecureZero(plain);
}
