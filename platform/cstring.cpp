#include "platform/cstring.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "platform/exceptions.h"

namespace {
const char* orEmpty(const char* text)
{
    return text ? text : "";
}
bool isSpace(char ch)
{
    return std::isspace((unsigned char)ch) != 0;
}
}  // namespace

// Every call that may allocate goes through vcTranslateStdExceptions, so
// running out of memory throws CMemoryException.

CString::CString(const CString& other)
{
    vcTranslateStdExceptions([&] { m_s = other.m_s; });
}

CString::CString(const std::string& text)
{
    vcTranslateStdExceptions([&] { m_s = text; });
}

CString::CString(const char* text)
{
    vcTranslateStdExceptions([&] { m_s = orEmpty(text); });
}

CString::CString(const char* text, int length)
{
    if (text && length > 0)
        vcTranslateStdExceptions([&] { m_s.assign(text, (size_t)length); });
}

CString::CString(const unsigned char* text) : CString((const char*)text) {}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        vcTranslateStdExceptions([&] { m_s.assign((size_t)repeat, ch); });
}

CString& CString::operator=(const CString& other)
{
    vcTranslateStdExceptions([&] { m_s = other.m_s; });
    return *this;
}

CString& CString::operator=(const char* text)
{
    vcTranslateStdExceptions([&] { m_s = orEmpty(text); });
    return *this;
}

CString& CString::operator=(char ch)
{
    vcTranslateStdExceptions([&] { m_s.assign(1, ch); });
    return *this;
}

CString& CString::operator+=(const CString& text)
{
    vcTranslateStdExceptions([&] { m_s += text.m_s; });
    return *this;
}

CString& CString::operator+=(const char* text)
{
    vcTranslateStdExceptions([&] { m_s += orEmpty(text); });
    return *this;
}

CString& CString::operator+=(char ch)
{
    vcTranslateStdExceptions([&] { m_s += ch; });
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}
CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

int CString::Compare(const char* text) const
{
    return std::strcmp(m_s.c_str(), orEmpty(text));
}

int CString::CompareNoCase(const char* text) const
{
    return strcasecmp(m_s.c_str(), orEmpty(text));
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength() - std::max(first, 0));
}

CString CString::Mid(int first, int count) const
{
    first = std::max(first, 0);
    count = std::max(count, 0);
    if (first >= GetLength())
        return CString();
    count = std::min(count, GetLength() - first);
    return CString(m_s.data() + first, count);
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = std::min(std::max(count, 0), GetLength());
    return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(const char* charSet) const
{
    return Left((int)std::strspn(m_s.c_str(), orEmpty(charSet)));
}

CString CString::SpanExcluding(const char* charSet) const
{
    return Left((int)std::strcspn(m_s.c_str(), orEmpty(charSet)));
}

void CString::MakeUpper()
{
    for (char& ch : m_s)
        ch = (char)std::toupper((unsigned char)ch);
}

void CString::MakeLower()
{
    for (char& ch : m_s)
        ch = (char)std::tolower((unsigned char)ch);
}

void CString::MakeReverse()
{
    std::reverse(m_s.begin(), m_s.end());
}

int CString::Replace(char oldCh, char newCh)
{
    int count = 0;
    for (char& ch : m_s)
        if (ch == oldCh) {
            ch = newCh;
            ++count;
        }
    return count;
}

int CString::Replace(const char* oldText, const char* newText)
{
    return vcTranslateStdExceptions([&] {
        std::string from = orEmpty(oldText), to = orEmpty(newText);
        if (from.empty())
            return 0;
        int count = 0;
        for (size_t pos = m_s.find(from); pos != std::string::npos; pos = m_s.find(from, pos + to.size())) {
            m_s.replace(pos, from.size(), to);
            ++count;
        }
        return count;
    });
}

int CString::Remove(char ch)
{
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return (int)(before - m_s.size());
}

int CString::Insert(int index, char ch)
{
    index = std::min(std::max(index, 0), GetLength());
    vcTranslateStdExceptions([&] { m_s.insert((size_t)index, 1, ch); });
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    index = std::min(std::max(index, 0), GetLength());
    vcTranslateStdExceptions([&] { m_s.insert((size_t)index, orEmpty(text)); });
    return GetLength();
}

int CString::Delete(int index, int count)
{
    index = std::max(index, 0);
    if (count > 0 && index < GetLength())
        m_s.erase((size_t)index, (size_t)std::min(count, GetLength() - index));
    return GetLength();
}

void CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_s.size() && isSpace(m_s[n]))
        ++n;
    m_s.erase(0, n);
}

void CString::TrimLeft(char target)
{
    size_t n = 0;
    while (n < m_s.size() && m_s[n] == target)
        ++n;
    m_s.erase(0, n);
}

void CString::TrimLeft(const char* targets)
{
    size_t n = m_s.find_first_not_of(orEmpty(targets));
    m_s.erase(0, n == std::string::npos ? m_s.size() : n);
}

void CString::TrimRight()
{
    while (!m_s.empty() && isSpace(m_s.back()))
        m_s.pop_back();
}

void CString::TrimRight(char target)
{
    while (!m_s.empty() && m_s.back() == target)
        m_s.pop_back();
}

void CString::TrimRight(const char* targets)
{
    size_t n = m_s.find_last_not_of(orEmpty(targets));
    m_s.erase(n == std::string::npos ? 0 : n + 1);
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start >= GetLength())
        return -1;
    size_t pos = m_s.find(ch, (size_t)start);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t pos = m_s.find(orEmpty(sub), (size_t)start);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_s.rfind(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::FindOneOf(const char* charSet) const
{
    size_t pos = m_s.find_first_of(orEmpty(charSet));
    return pos == std::string::npos ? -1 : (int)pos;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        m_s.clear();
        return;
    }
    std::string text;
    vcTranslateStdExceptions([&] { text.resize((size_t)length + 1); });
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize((size_t)length);
    m_s.swap(text);
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        vcTranslateStdExceptions([&] { m_s.resize((size_t)minLength); });
    return &m_s[0];
}

char* CString::GetBufferSetLength(int length)
{
    vcTranslateStdExceptions([&] { m_s.resize((size_t)std::max(length, 0)); });
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        m_s.resize(std::strlen(m_s.c_str()));
    else
        vcTranslateStdExceptions([&] { m_s.resize((size_t)newLength); });
}

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
bool operator>(const CString& a, const CString& b) { return b < a; }
bool operator<=(const CString& a, const CString& b) { return !(b < a); }
bool operator>=(const CString& a, const CString& b) { return !(a < b); }
