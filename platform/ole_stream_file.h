#pragma once
// COleStreamFile: a CFile over a stream of a compound file (IStream), so an
// archive can read and write inside the compound file. Failing stream calls
// throw CFileException with the cause derived from the storage status (see
// AfxFillOleFileException).
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/storage_interfaces.h"

class PLATFORM_API COleStreamFile : public CFile {
    DECLARE_DYNAMIC(COleStreamFile)
public:
    // Attaches the stream when given (the file then owns that reference).
    explicit COleStreamFile(IStream* stream = nullptr);
    // Closes a stream still held.
    ~COleStreamFile() override;

    // Takes over the stream's reference (a stream held before is released).
    virtual void Attach(IStream* stream);
    // Hands the stream (and its reference) back to the caller.
    virtual IStream* Detach();
    IStream* GetStream() const { return m_lpStream; }

    // Opens or creates the named stream of the storage with CFile's mode
    // and sharing flags (which equal the storage's STGM_ ones); FALSE on
    // failure, with *error filled when given.
    BOOL OpenStream(IStorage* storage, const char* name,
                    DWORD openFlags = modeReadWrite | shareExclusive, CFileException* error = nullptr);
    BOOL CreateStream(IStorage* storage, const char* name,
                      DWORD openFlags = modeReadWrite | shareExclusive | modeCreate, CFileException* error = nullptr);

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    long Seek(long offset, UINT from) override;
    unsigned long GetLength() const override;
    void SetLength(unsigned long newLength) override;
    unsigned long GetPosition() const override;
    // Commits the stream's changes.
    void Flush() override;
    // Releases the stream; throws nothing the release could report.
    void Close() override;
    void Abort() override;
    BOOL Open(const char*, UINT, CFileException* = nullptr) override { return FALSE; }

    IStream* m_lpStream = nullptr;

protected:
    // Throws the file exception for a failed stream call.
    [[noreturn]] void throwFor(HRESULT status) const;
    // Takes the stream an open or create call gave, or reports its failure.
    BOOL adopt(HRESULT status, IStream* stream, const char* name, CFileException* error);
};

// Fills a file exception from a failed storage call: a storage-facility code
// below 0x100 is the operating system's error of that number and gives its
// cause; STG_E_INUSE and STG_E_SHAREREQUIRED give sharingViolation;
// anything else genericException. m_lOsError keeps the status.
PLATFORM_API void AfxFillOleFileException(CFileException* error, SCODE status, const char* fileName = nullptr);
[[noreturn]] PLATFORM_API void AfxThrowOleFileException(SCODE status, const char* fileName = nullptr);
// The CFileException cause for an operating-system error number of the
// window system (ERROR_FILE_NOT_FOUND 2 ...).
PLATFORM_API int AfxCauseFromSystemError(LONG error);
