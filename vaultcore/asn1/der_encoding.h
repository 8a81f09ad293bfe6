#pragma once
// The byte layer under every ASN.1 value: CDEREncoding, a reference-counted
// source and sink of DER octets with one read/write position, the memory
// file and byte array it works with, the decoding exception, and the free
// functions that measure encodings without a value object.
//
// Threads: the reference count of a CDEREncoding may be taken and dropped
// from several threads at once (values decoded from one encoding and handed
// to different threads each hold a reference). Its position, its contents
// and everything else belong to one thread at a time. The last decoding
// message and offset are kept per thread.
#include <atomic>
#include <climits>

#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class CASN1Type;

// Deepest nesting of constructed values the decoders accept. Real
// structures (certificates, PKCS#7, LDAP messages) stay below 20 levels;
// the limit only stops hostile input from exhausting the stack.
const unsigned int kMaxDecodingDepth = 256;

// Thrown (as a pointer to one shared static object) by every decoding
// failure. It carries no message: a catcher learns only that decoding failed.
class VAULTCORE_API CDERDecodingException : public CException {
    DECLARE_DYNAMIC(CDERDecodingException)
public:
    CDERDecodingException() : CException(FALSE) {}
    // The one object every decoding failure throws.
    static CDERDecodingException* shared();
};

// Formats the message printf-style (kept only as the last decoding message
// of the calling thread, for diagnostics) and throws the shared
// CDERDecodingException.
[[noreturn]] VAULTCORE_API void ___throwDERDecodingException(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// The message given to the last ___throwDERDecodingException on this thread.
VAULTCORE_API const char* ___lastDERDecodingMessage();

// Where the last decoding failure on this thread happened: the offset, in
// the encoding being decoded, of the identifier octet of the innermost value
// whose decoding failed. -1 when that failure did not happen while a value
// was being decoded (a failed read of referenced contents, for example).
VAULTCORE_API long ___lastDERDecodingOffset();

// Size of a complete encoding whose identifier takes identifierLength octets
// and whose contents take contentsLength octets; with indefinite set, the
// 0x80 length octet and the two end-of-contents octets are counted.
VAULTCORE_API unsigned long ___computeEncodedLength(unsigned char identifierLength, unsigned long contentsLength,
                                                    int indefinite);

// Total size of the encoding at the head of data, or a negative code:
// -1 more data needed, -2 length too large (more than 4 length octets or
// beyond 0x7FFFFFFF), -3 indefinite length, -4 high-tag-number identifier.
VAULTCORE_API long ___extractEncodingLength(const unsigned char* data, unsigned long available);

// Reference-counted base. The count starts at 0; with autoDelete set the
// object deletes itself when Release brings the count back to 0. AddRef and
// Release may be called from several threads at once (the count is atomic).
class VAULTCORE_API CUnknown {
public:
    explicit CUnknown(int autoDelete) : m_nRef(0), m_bAutoDelete(autoDelete) {}
    virtual ~CUnknown() = default;
    long AddRef() { return m_nRef.fetch_add(1, std::memory_order_relaxed) + 1; }
    long Release();

protected:
    virtual void FinalRelease() {}

private:
    std::atomic<int32_t> m_nRef;
    int m_bAutoDelete;
};

// Memory file that can take a caller's buffer as its whole contents, own it
// or not, and carry a file path.
class VAULTCORE_API CMemFilePro : public CMemFile {
    DECLARE_DYNAMIC(CMemFilePro)
public:
    explicit CMemFilePro(UINT growBytes = 1024) : CMemFile(growBytes) {}
    // The whole buffer is the file's contents (size = bufferSize, position 0),
    // whatever the grow size; autoDelete says whether the file frees it.
    CMemFilePro(BYTE* buffer, UINT bufferSize, UINT growBytes, int autoDelete);
    void SetAutoDelete(int autoDelete) { m_bAutoDelete = autoDelete; }
    void SetFilePath(const char* path) override { m_strFileName = path; }
    CString GetFilePath() const override { return m_strFileName; }
};

// Byte array that can hand out its buffer.
class VAULTCORE_API CByteArrayPro : public CByteArray {
public:
    // Returns the buffer (allocated with malloc; the taker frees it) and
    // leaves the array empty without freeing it.
    BYTE* Detach();
};

class VAULTCORE_API CDEREncoding : public virtual CUnknown {
public:
    // Empty, over a new growable memory file that the encoding owns.
    explicit CDEREncoding(int autoDelete);
    // The value's encoding, positioned at its end (SeekToBegin before decoding).
    CDEREncoding(int autoDelete, const CASN1Type& value);
    // Primitive values are byte arrays too: they are taken as values.
    CDEREncoding(int autoDelete, const class CASN1_PRIMITIVE_TYPE& value);
    // A copy of the array's octets, positioned at 0.
    CDEREncoding(int autoDelete, const CByteArray& bytes);
    // takeOver: adopt the caller's malloc'ed buffer; else copy == 0: read
    // the buffer in place (it must outlive the encoding); else copy it.
    CDEREncoding(int autoDelete, unsigned char* data, unsigned long size, int takeOver, int copy);
    // Wraps the caller's file at its current position.
    CDEREncoding(int autoDelete, CFile* file, int external, int ownsFile);
    ~CDEREncoding() override;
    CDEREncoding(const CDEREncoding&) = delete;
    CDEREncoding& operator=(const CDEREncoding&) = delete;

    CDEREncoding& operator=(const CByteArray& bytes);
    void Clear();
    void OnOffTmpFile(int temporary) { m_bTmpFile = temporary; }

    // Reads fail with the decoding exception when no octet can be read or
    // the encoding has no file (Read of a buffer returns a short count).
    unsigned char ReadByte();
    unsigned long Read(unsigned char* buffer, unsigned long n);
    // Reads up to n octets into the array. The array is sized to the octets
    // actually available, never more, so a hostile length allocates nothing.
    unsigned long Read(CByteArray& bytes, unsigned long n);
    // Copies the next n octets to f; fewer left is a decoding failure.
    void Read(CFile& f, unsigned long n);
    // Reads up to n octets from position onwards and puts the position back
    // where it was: the octets a decoded value refers to are read this way,
    // so reading them never disturbs a decoding in progress on the same
    // encoding. Returns the count read.
    unsigned long ReadAt(unsigned long position, unsigned char* buffer, unsigned long n);
    // As above into an array sized to the octets actually available.
    unsigned long ReadAt(unsigned long position, CByteArray& bytes, unsigned long n);
    // Writes pass the file's errors on; an encoding without a file fails
    // with the decoding exception, as its reads do.
    void WriteByte(unsigned char b);
    void Write(const unsigned char* data, unsigned long n);
    void Write(const CByteArray& bytes);
    // Copies n octets from f at its position; f ending early raises the
    // file end-of-file exception.
    void Write(CFile& f, unsigned long n);
    long Seek(long offset, unsigned int from);
    void SeekToBegin();
    // The position (Seek(0, CFile::current)).
    unsigned long GetPosition();
    // Octets between the position and the end (0 when the file cannot tell).
    unsigned long bytesLeft();
    // End-of-contents test for indefinite lengths: 1 and behind the two zero
    // octets when they come next, else 0 with the position unchanged.
    int reached00();

    CFile* GetFile() const { return m_pFile; }
    int isExternal() const { return m_bExternal; }

    // State of the decoding in progress on this encoding: nesting depth, and
    // the position where the contents of the innermost definite-length
    // constructed value end (kUnbounded outside any). No component may run
    // past that end.
    static constexpr unsigned long kUnbounded = ULONG_MAX;
    unsigned int m_nDecodingDepth = 0;
    unsigned long m_dwDecodingEnd = kUnbounded;

protected:
    void FinalRelease() override { Clear(); }

private:
    void attachBuffer(unsigned char* data, unsigned long size, UINT growBytes, int autoDelete);
    // The file to write to; the decoding exception when there is none.
    CFile& writableFile();

    int m_bExternal = FALSE;
    int m_bOwnsFile = FALSE;
    int m_bTmpFile = FALSE;
    CFile* m_pFile = nullptr;
};

// Puts an encoding back at the position it had when the keeper was made,
// whatever way the scope is left. Used around reads of octets a value
// refers to, which must not move the position a caller or a decoding in
// progress relies on.
class CDERPositionKeeper {
public:
    explicit CDERPositionKeeper(CDEREncoding& encoding) : m_encoding(encoding), m_position(encoding.GetPosition()) {}
    ~CDERPositionKeeper()
    {
        try {
            m_encoding.Seek((long)m_position, CFile::begin);
        } catch (CException* e) {
            // Only a file that can no longer seek gets here; its next read
            // fails anyway, and a destructor must not throw.
            e->Delete();
        }
    }
    CDERPositionKeeper(const CDERPositionKeeper&) = delete;
    CDERPositionKeeper& operator=(const CDERPositionKeeper&) = delete;

private:
    CDEREncoding& m_encoding;
    unsigned long m_position;
};
