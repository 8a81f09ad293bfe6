#pragma once
// The class library's exception family. Exceptions are thrown and caught by
// pointer; a catcher calls Delete(), which frees a heap exception and leaves
// a shared static one (auto-delete off) alone.
//
// Only this family leaves the platform layer: allocation failures throw
// CMemoryException (never std::bad_alloc), an index outside a string or an
// array throws CInvalidArgException, and failures of the standard library's
// threads and locks throw CResourceException (see AfxThrowFromStdException).
//
// Threads: an exception object belongs to the thread that caught it; the
// shared static objects are never changed after they are made.
#include <exception>

#include "platform/cstring.h"
#include "platform/object.h"

class PLATFORM_API CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
    void Delete();
    // A short text saying what went wrong; FALSE when there is none.
    virtual BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const;

    BOOL m_bAutoDelete;
};

class PLATFORM_API CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL autoDelete = TRUE) : CException(autoDelete) {}
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;
};

class PLATFORM_API CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    explicit CNotSupportedException(BOOL autoDelete = TRUE) : CException(autoDelete) {}
};

// An argument outside what the call accepts, such as an index beyond the
// elements of a string or an array.
class PLATFORM_API CInvalidArgException : public CException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    explicit CInvalidArgException(BOOL autoDelete = TRUE) : CException(autoDelete) {}
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;
};

class PLATFORM_API CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
public:
    explicit CResourceException(BOOL autoDelete = TRUE) : CException(autoDelete) {}
};

class PLATFORM_API CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
public:
    explicit CUserException(BOOL autoDelete = TRUE) : CException(autoDelete) {}
};

class PLATFORM_API CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };
    explicit CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr);
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;
    // The cause that matches an errno value.
    static int OsErrorToException(LONG osError);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class PLATFORM_API CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };
    explicit CArchiveException(int cause = none, const char* fileName = nullptr);
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;

    int m_cause;
    CString m_strFileName;
};

[[noreturn]] PLATFORM_API void AfxThrowMemoryException();
[[noreturn]] PLATFORM_API void AfxThrowInvalidArgException();
[[noreturn]] PLATFORM_API void AfxThrowNotSupportedException();
[[noreturn]] PLATFORM_API void AfxThrowResourceException();
[[noreturn]] PLATFORM_API void AfxThrowUserException();
[[noreturn]] PLATFORM_API void AfxThrowFileException(int cause, LONG osError = -1, const char* fileName = nullptr);
[[noreturn]] PLATFORM_API void AfxThrowArchiveException(int cause, const char* fileName = nullptr);

// Throws the family's counterpart of a standard-library exception:
// CMemoryException for std::bad_alloc and std::length_error,
// CInvalidArgException for std::out_of_range and std::invalid_argument,
// CFileException for std::ios_base::failure, CResourceException for the rest
// (std::system_error from threads and locks among them).
[[noreturn]] PLATFORM_API void AfxThrowFromStdException(const std::exception& e);

// Runs f and returns its result; a standard-library exception it throws
// leaves as its class-library counterpart. Wraps the calls into the
// standard library at the edges of the layer.
template <class F>
decltype(auto) vcTranslateStdExceptions(F&& f)
{
    try {
        return f();
    } catch (const std::exception& e) {
        AfxThrowFromStdException(e);
    }
}
