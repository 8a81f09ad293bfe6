#pragma once
// CFile: a binary file over a POSIX descriptor, with the class library's
// interface. Failures throw CFileException (by pointer).
// A file object belongs to one thread at a time.
#include "platform/cstring.h"
#include "platform/object.h"

class PLATFORM_API CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };
    static const int hFileNull = -1;

    CFile() = default;
    explicit CFile(int fd) : m_hFile(fd), m_bCloseOnDelete(FALSE) {}
    CFile(const char* fileName, UINT openFlags);  // throws CFileException
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens the file; on failure returns FALSE and fills *error when given.
    virtual BOOL Open(const char* fileName, UINT openFlags, class CFileException* error = nullptr);
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();

    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual long Seek(long offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    unsigned long SeekToEnd() { return (unsigned long)Seek(0, end); }
    virtual unsigned long GetLength() const;
    virtual void SetLength(unsigned long newLength);
    virtual unsigned long GetPosition() const;
    virtual void Flush();
    virtual CString GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(const char* path) { m_strFileName = path; }
    CString GetFileName() const;
    BOOL IsOpen() const { return m_hFile != hFileNull; }

    static void Remove(const char* fileName);  // throws CFileException
    static void Rename(const char* oldName, const char* newName);

    int m_hFile = hFileNull;

protected:
    BOOL m_bCloseOnDelete = FALSE;
    CString m_strFileName;
};
