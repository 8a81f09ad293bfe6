#pragma once
// The byte layer under every ASN.1 value: CDEREncoding, a reference-counted
// source and sink of DER octets with one read/write position, the memory
// file and byte array it works with, the decoding exception, and the free
// functions that measure encodings without a value object.
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
// object deletes itself when Release brings the count back to 0.
class VAULTCORE_API CUnknown {
public:
    explicit CUnknown(int autoDelete) : m_nRef(0), m_bAutoDelete(autoDelete) {}
    virtual ~CUnknown() = default;
    long AddRef() { return ++m_nRef; }
    long Release();

protected:
    virtual void FinalRelease() {}

private:
    int32_t m_nRef;
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

    unsigned char ReadByte();
    unsigned long Read(unsigned char* buffer, unsigned long n);
    // Reads up to n octets into the array. The array is sized to the octets
    // actually available, never more, so a hostile length allocates nothing.
    unsigned long Read(CByteArray& bytes, unsigned long n);
    // Copies the next n octets to f; fewer left is a decoding failure.
    void Read(CFile& f, unsigned long n);
    void WriteByte(unsigned char b);
    void Write(const unsigned char* data, unsigned long n);
    void Write(const CByteArray& bytes);
    // Copies n octets from f at its position; f ending early raises the
    // file end-of-file exception.
    void Write(CFile& f, unsigned long n);
    long Seek(long offset, unsigned int from);
    void SeekToBegin();
    // Octets between the position and the end (0 when the file cannot tell).
    unsigned long bytesLeft();
    // End-of-contents test for indefinite lengths: 1 and behind the two zero
    // octets when they come next, else 0 with the position unchanged.
    int reached00();

    CFile* GetFile() const { return m_pFile; }
    int isExternal() const { return m_bExternal; }

    // Nesting depth of the decoding in progress on this encoding.
    unsigned int m_nDecodingDepth = 0;

protected:
    void FinalRelease() override { Clear(); }

private:
    void attachBuffer(unsigned char* data, unsigned long size, UINT growBytes, int autoDelete);

    int m_bExternal = FALSE;
    int m_bOwnsFile = FALSE;
    int m_bTmpFile = FALSE;
    CFile* m_pFile = nullptr;
};
