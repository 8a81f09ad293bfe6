#pragma once
// Encryption of file contents with any CCryptoProcessor.
//
// EncryptFile / DecryptFile stream a whole file (or part of one) into
// another in chunks, with the processor's own final padding; chaining runs
// on across chunks, so a CBC processor gives the same bytes as encrypting
// the whole message at once.
//
// CCryptoFile is a file that sits on an encrypted file and reads, writes and
// seeks in the plaintext. Its layout: the plaintext, then p bytes of value p
// (p = 8 - length % 8, 1 to 8), cut into chunks of the chunk size (the last
// one shorter), each chunk encrypted on its own with the processor's
// chaining values reset to the initial vector first. No header, no key
// material: the caller must know processor, key, iv and chunk size.
// The processor's block size must divide 8.
#include "platform/afx.h"
#include "vaultcore/crypto/crypto_processor.h"

class VAULTCORE_API CCryptoFile : public CFile {
    DECLARE_DYNAMIC(CCryptoFile)
public:
    // Opens the plaintext view of an open encrypted file. chunkSize is
    // rounded up to a multiple of 8. Throws CFileException (generic) when the
    // file's length is not a multiple of 8 or its padding is wrong. With
    // ownsFile, Close closes the file and destruction deletes it.
    CCryptoFile(CFile* file, CCryptoProcessor& processor, unsigned long chunkSize, int ownsFile);
    ~CCryptoFile() override;

    // Always FALSE: a crypto file is made over an open file only.
    BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr) override;
    // Writes the padding when the file was changed in length, cuts the
    // underlying file after it and closes an owned underlying file.
    void Close() override;
    void Abort() override;

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    UINT ReadHuge(void* buffer, UINT count) { return Read(buffer, count); }
    void WriteHuge(const void* buffer, UINT count) { Write(buffer, count); }
    // Positions in the plaintext (CFile::begin, current, end); a target
    // outside 0..length throws CFileException (badSeek), position unchanged.
    long Seek(long offset, UINT from) override;
    unsigned long GetLength() const override { return m_dwLength; }
    // Shortens to n; n must not exceed the length and must be a multiple of 8
    // (else CFileException badSeek). The file is cut on Close.
    void SetLength(unsigned long n) override;
    unsigned long GetPosition() const override { return m_dwPosition; }
    void Flush() override;
    CString GetFilePath() const override;
    void SetFilePath(const char* path) override;
    CString GetFileName() const;
    // No buffer access: always 0.
    UINT GetBufferPtr(UINT, UINT = 0, void** = nullptr, void** = nullptr) { return 0; }

    CFile* GetUnderlyingFile() const { return m_pFile; }

protected:
    // Bytes of chunk c held by the underlying file.
    unsigned long chunkExtent(unsigned long chunkStart) const;
    void readChunk(unsigned long chunkStart, unsigned long extent);
    void writeChunk(unsigned long chunkStart, unsigned long extent);
    void writePadding();

    CCryptoProcessor* m_pProcessor;
    DWORD m_dwChunkSize;
    CFile* m_pFile;
    int m_bOwnsFile;
    int m_bModified = 0;
    DWORD m_dwPosition = 0;
    DWORD m_dwLength = 0;
    CByteArray m_plain;
    CByteArray m_cipher;
    int m_bClosed = 0;
};

// Encrypts n bytes of `in` from its position (n = 0: up to its end) into
// `out`: whole chunks through EncryptBlock, the rest through EncryptFinal.
// With a progress object and setUpProgress, the bar is first set up for
// CountHints(n, 1) steps. Processor failures throw CUnlockException with
// what was written so far left in out; a file shorter than n throws
// CFileException (endOfFile).
VAULTCORE_API void EncryptFile(CCryptoProcessor& processor, CFile& in, unsigned long n, CFile& out,
                               unsigned long chunkSize, CProgress* progress, int setUpProgress);
// The reverse, with DecryptFinal on the last chunk, so that the padding is
// always checked and removed.
VAULTCORE_API void DecryptFile(CCryptoProcessor& processor, CFile& in, unsigned long n, CFile& out,
                               unsigned long chunkSize, CProgress* progress, int setUpProgress);
