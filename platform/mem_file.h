#pragma once
// CMemFile: a file held in memory. Growable (grow size > 0) or over a
// caller's fixed buffer (grow size 0: writing past its end throws
// CMemoryException). The buffer is allocated with malloc, so a buffer handed
// over with Attach or taken with Detach is freed with free().
#include "platform/file.h"

class PLATFORM_API CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    explicit CMemFile(UINT growBytes = 1024);
    CMemFile(BYTE* buffer, UINT size, UINT growBytes = 0);
    ~CMemFile() override;

    // Uses the caller's buffer; with growBytes 0 its size is the file size,
    // otherwise the file starts empty and may outgrow (and reallocate) it.
    void Attach(BYTE* buffer, UINT size, UINT growBytes = 0);
    // Hands out the buffer (the caller frees it with free()) and empties the file.
    BYTE* Detach();

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    long Seek(long offset, UINT from) override;
    unsigned long GetLength() const override { return m_nFileSize; }
    void SetLength(unsigned long newLength) override;
    unsigned long GetPosition() const override { return m_nPosition; }
    void Flush() override {}
    void Close() override;
    void Abort() override;
    BOOL Open(const char*, UINT, CFileException* = nullptr) override { return FALSE; }

    const BYTE* GetBufferPointer() const { return m_lpBuffer; }

protected:
    virtual BYTE* Alloc(size_t bytes);
    virtual BYTE* Realloc(BYTE* block, size_t bytes);
    virtual void Free(BYTE* block);
    virtual void GrowFile(size_t newLength);

    UINT m_nGrowBytes;
    size_t m_nPosition = 0;
    size_t m_nBufferSize = 0;
    size_t m_nFileSize = 0;
    BYTE* m_lpBuffer = nullptr;
    BOOL m_bAutoDelete = TRUE;
};
