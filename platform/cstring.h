#pragma once
// CString: a text string of byte characters with the class library's
// interface. It may hold zero bytes; conversion to const char* gives a
// terminated buffer.
//
// Errors: GetAt, SetAt and operator[] take an index of a character
// (0 .. GetLength() - 1) and throw CInvalidArgException for any other; the
// slicing and editing calls (Mid, Left, Right, Insert, Delete ...) clamp
// their positions to the string instead. Running out of memory throws
// CMemoryException. No std:: exception leaves a CString call.
//
// Threads: a CString belongs to one thread at a time; several threads may
// read one that no thread changes.
#include <cstdarg>
#include <string>

#include "platform/platform_export.h"
#include "platform/types.h"

[[noreturn]] PLATFORM_API void AfxThrowInvalidArgException();

class PLATFORM_API CString {
public:
    CString() = default;
    CString(const CString& other);
    CString(CString&&) noexcept = default;
    CString(const char* text);                 // null gives the empty string
    CString(const char* text, int length);
    CString(const unsigned char* text);
    CString(char ch, int repeat = 1);
    explicit CString(const std::string& text);

    CString& operator=(const CString& other);
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text);
    CString& operator=(char ch);

    int GetLength() const { return (int)m_s.size(); }
    BOOL IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int index) const { return m_s[checked(index)]; }
    void SetAt(int index, char ch) { m_s[checked(index)] = ch; }
    char operator[](int index) const { return GetAt(index); }
    operator const char*() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    friend PLATFORM_API CString operator+(const CString& a, const CString& b);
    friend PLATFORM_API CString operator+(const CString& a, const char* b);
    friend PLATFORM_API CString operator+(const char* a, const CString& b);
    friend PLATFORM_API CString operator+(const CString& a, char b);
    friend PLATFORM_API CString operator+(char a, const CString& b);

    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;
    int Collate(const char* text) const { return Compare(text); }

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const char* charSet) const;
    CString SpanExcluding(const char* charSet) const;

    void MakeUpper();
    void MakeLower();
    void MakeReverse();
    int Replace(char oldCh, char newCh);
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    void TrimLeft();
    void TrimLeft(char target);
    void TrimLeft(const char* targets);
    void TrimRight();
    void TrimRight(char target);
    void TrimRight(const char* targets);

    int Find(char ch) const { return Find(ch, 0); }
    int Find(char ch, int start) const;
    int Find(const char* sub) const { return Find(sub, 0); }
    int Find(const char* sub, int start) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* charSet) const;

    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);

    // Direct access to the characters: GetBuffer makes room for at least
    // minLength characters; ReleaseBuffer(-1) then takes the length up to the
    // first zero byte, ReleaseBuffer(n) takes n characters.
    char* GetBuffer(int minLength);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

private:
    size_t checked(int index) const
    {
        if (index < 0 || (size_t)index >= m_s.size())
            AfxThrowInvalidArgException();
        return (size_t)index;
    }

    std::string m_s;
};

PLATFORM_API bool operator==(const CString& a, const CString& b);
PLATFORM_API bool operator==(const CString& a, const char* b);
PLATFORM_API bool operator==(const char* a, const CString& b);
PLATFORM_API bool operator!=(const CString& a, const CString& b);
PLATFORM_API bool operator!=(const CString& a, const char* b);
PLATFORM_API bool operator!=(const char* a, const CString& b);
PLATFORM_API bool operator<(const CString& a, const CString& b);
PLATFORM_API bool operator>(const CString& a, const CString& b);
PLATFORM_API bool operator<=(const CString& a, const CString& b);
PLATFORM_API bool operator>=(const CString& a, const CString& b);
