#pragma once
// CArchive: the binary serialisation stream over a CFile. Integers are
// little-endian. Counts, strings and objects keep the class library's own
// encodings so that stored files stay readable:
//   count:  WORD, or 0xFFFF followed by a DWORD when the count is 0xFFFF or more;
//   string: length BYTE when below 255; else 0xFF and a WORD when below 0xFFFE;
//           else 0xFF, 0xFFFF and a DWORD; then the characters;
//   object: 0x0000 for null; 0xFFFF, schema WORD, name length WORD and the
//           class name for a class met the first time; 0x8000|index for a
//           class met before; index for an object stored before.
//
// Errors: every failure throws CArchiveException or CFileException, and
// CMemoryException when memory runs out. A load that fails frees what it
// created; the archive is not to be read further after it.
//
// Threads: an archive belongs to one thread at a time.
#include <vector>

#include "platform/cstring.h"
#include "platform/file.h"

class PLATFORM_API CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return m_nMode == load; }
    BOOL IsStoring() const { return m_nMode == store; }
    CFile* GetFile() const { return m_pFile; }

    // Reads up to count octets; fewer only at the end of the file.
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Writes pending octets to the file; when loading, gives back to the
    // file the octets read ahead but not consumed.
    void Flush();
    void Close();
    void Abort();

    void WriteCount(DWORD count);
    DWORD ReadCount();
    void WriteString(const CString& text);
    CString ReadString();

    // Throws CArchiveException::endOfFile when fewer than count octets are
    // left to load (checked only where the file can tell its length).
    void EnsureAvailable(ULONGLONG count);

    void WriteObject(const CObject* object);
    // Reads an object written by WriteObject; when requested is given the
    // object must be of that class or derived from it (else badClass). The
    // caller owns an object this read created: *created (when given) is
    // TRUE then, and FALSE for null or an object read before. When the
    // object's own load fails, it is deleted and the exception goes on.
    CObject* ReadObject(const CRuntimeClass* requested, BOOL* created = nullptr);
    void WriteClass(const CRuntimeClass* cls);
    CRuntimeClass* ReadClass(const CRuntimeClass* requested = nullptr, UINT* schema = nullptr);

    CArchive& operator<<(BYTE v);
    CArchive& operator<<(char v) { return *this << (BYTE)v; }
    CArchive& operator<<(WORD v);
    CArchive& operator<<(short v) { return *this << (WORD)v; }
    CArchive& operator<<(DWORD v);
    CArchive& operator<<(int v) { return *this << (DWORD)v; }
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const CString& v)
    {
        WriteString(v);
        return *this;
    }
    CArchive& operator<<(const CObject* object)
    {
        WriteObject(object);
        return *this;
    }

    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(char& v) { return *this >> (BYTE&)v; }
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(short& v) { return *this >> (WORD&)v; }
    CArchive& operator>>(DWORD& v);
    CArchive& operator>>(int& v) { return *this >> (DWORD&)v; }
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(CString& v)
    {
        v = ReadString();
        return *this;
    }
    CArchive& operator>>(CObject*& object)
    {
        object = ReadObject(nullptr);
        return *this;
    }

    CString m_strFileName;

private:
    void fillBuffer(UINT wanted);
    void readExact(void* buffer, UINT count);
    CRuntimeClass* readClassWithTag(WORD tag, const CRuntimeClass* requested, UINT* schema);
    void requireLoading() const;
    void requireStoring() const;
    void forgetObjectsFrom(size_t index);

    CFile* m_pFile;
    UINT m_nMode;
    std::vector<BYTE> m_buffer;
    size_t m_cur = 0;  // next octet of m_buffer (loading) or fill (storing)
    size_t m_lim = 0;  // octets valid in m_buffer when loading
    std::vector<const void*> m_storedItems;  // classes and objects by index, storing
    std::vector<void*> m_loadedItems;        // the same, loading (index 0 unused)
    std::vector<bool> m_loadedIsClass;
};
