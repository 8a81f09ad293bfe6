#include "vaultcore/crypto/digest_maker.h"

#include <cstring>

#include "vaultcore/crypto/progress.h"

void CDigestMaker::UpdateBlock(const unsigned char* data, int n, CProgress* progress, int finish, int count)
{
    if (n < 0)
        n = 0;
    if (count && n)
        UpdateTotalLength(n);
    const int bs = m_nBlockSize;
    if (m_nBuffered > 0 && n > 0) {
        int take = bs - m_nBuffered < n ? bs - m_nBuffered : n;
        std::memcpy(blockBuffer() + m_nBuffered, data, (size_t)take);
        m_nBuffered += take;
        data += take;
        n -= take;
        if (m_nBuffered == bs) {
            UpdateDigest(blockBuffer());
            m_nBuffered = 0;
            if (progress)
                progress->Hint(1);
        }
    }
    while (n > bs) {
        UpdateDigest(data);
        data += bs;
        n -= bs;
        if (progress)
            progress->Hint(1);
    }
    if (n > 0) {
        std::memcpy(blockBuffer() + m_nBuffered, data, (size_t)n);
        m_nBuffered += n;
        if (m_nBuffered == bs) {
            UpdateDigest(blockBuffer());
            m_nBuffered = 0;
            if (progress)
                progress->Hint(1);
        }
    }
    if (finish) {
        UpdateLastBytes();
        if (progress)
            progress->Hint(1);
    }
}

void CDigestMaker::UpdateFile(CFile& file, unsigned long n, CProgress* progress, int finish)
{
    if (n == 0) {
        unsigned long length = file.GetLength();
        unsigned long position = file.GetPosition();
        n = length > position ? length - position : 0;
    }
    if (progress)
        progress->SetUp((int)(n / 8), 0, 1, 0);
    unsigned char chunk[1024];
    unsigned long chunks = n / sizeof chunk;
    unsigned long rest = n % sizeof chunk;
    for (unsigned long i = 0; i <= chunks; ++i) {
        UINT want = i < chunks ? (UINT)sizeof chunk : (UINT)rest;
        if (want && file.Read(chunk, want) != want)
            AfxThrowFileException(CFileException::endOfFile, -1, file.GetFilePath());
        UpdateBlock(chunk, (int)want, progress, finish && i == chunks, 1);
    }
    if (progress)
        progress->SetUp(1, 0, 1, 1);
}

CString OctetsToHexChars(const unsigned char* p, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(n > 0 ? (size_t)n * 2 : 0);
    for (int i = 0; i < n; ++i) {
        text += digits[p[i] >> 4];
        text += digits[p[i] & 0x0F];
    }
    return CString(text);
}

unsigned char HexCharToDigit(char c)
{
    if (c >= '0' && c <= '9')
        return (unsigned char)(c - '0');
    if (c >= 'a' && c <= 'f')
        return (unsigned char)(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return (unsigned char)(c - 'A' + 10);
    return 0;
}

void HexCharsToOctets(CString& s, unsigned char* out, int n)
{
    if (n <= 0)
        return;
    std::memset(out, 0, (size_t)n);
    // Walk the text from its last digit, filling the output from its last byte.
    int digit = s.GetLength() - 1;
    for (int i = n - 1; i >= 0 && digit >= 0; --i) {
        unsigned char value = HexCharToDigit(s[digit--]);
        if (digit >= 0)
            value = (unsigned char)(value | (HexCharToDigit(s[digit--]) << 4));
        out[i] = value;
    }
}

namespace {
bool isHexDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
}  // namespace

BOOL IsHexCharsString(const unsigned char* p, int n)
{
    if (n <= 0 || !p)
        return FALSE;
    for (int i = 0; i < n; ++i)
        if (!isHexDigit(p[i]))
            return FALSE;
    return TRUE;
}

BOOL IsHexCharsString(CString& s)
{
    return IsHexCharsString((const unsigned char*)(const char*)s, s.GetLength());
}
