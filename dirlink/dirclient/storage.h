#pragma once
// CStorage: a compound file's root storage, created or opened by file name.
// Hosts create it by class name ("CStorage") or directly, then open the
// streams they keep their data in with COleStream (the directory manager's
// configuration, for one). A failing call throws CFileException, or fills
// the exception object the caller passes and returns FALSE; the cause comes
// from the storage status (AfxFillOleFileException) and the exception
// carries the file name.
#include <string>

#include "dirlink/dirclient/compound_file.h"

class DIRLINK_API CStorage : public CObject {
    DECLARE_DYNCREATE(CStorage)
public:
    // Longest file name kept, in wide characters.
    static const int kMaxName = 260;

    CStorage() = default;
    // Releases the storage (in direct mode its changes reach the disk).
    ~CStorage() override;
    CStorage(const CStorage&) = delete;
    CStorage& operator=(const CStorage&) = delete;

    // Opens an existing compound file; exclusions name streams of the root
    // to open empty. The byte-character forms convert the name to wide
    // characters and call the wide ones. A longer name than kMaxName fails
    // with the badPath cause.
    virtual BOOL Open(const char* name, DWORD mode, SNB exclusions = nullptr, CFileException* error = nullptr);
    virtual BOOL Open(const wchar_t* name, DWORD mode, SNB exclusions = nullptr, CFileException* error = nullptr);
    // Creates a compound file; a null name (pass a typed null) makes a
    // temporary one whose generated name is read back from the storage.
    virtual BOOL Create(const char* name, DWORD mode, CFileException* error = nullptr);
    virtual BOOL Create(const wchar_t* name, DWORD mode, CFileException* error = nullptr);

    // Writes the changes to the disk (in transacted mode the only way).
    BOOL Commit(CFileException* error = nullptr);
    // Releases the storage; a storage can then be opened or created again.
    void Close();

    IStorage* GetStorage() const { return m_lpStorage; }
    const wchar_t* GetName() const { return m_szName; }
    // The name as byte characters, as the file system takes it.
    CString GetFileName() const;

    IStorage* m_lpStorage = nullptr;
    wchar_t m_szName[kMaxName + 1] = {};
    BOOL m_bTemporary = FALSE;  // made by Create without a name

private:
    BOOL finish(HRESULT status, IStorage* storage, const CString& name, CFileException* error);
};

// Names between byte characters (UTF-8) and wide characters. Bytes that are
// not UTF-8 travel as the wide characters 0xDC80-0xDCFF and come back as the
// same bytes, so every file name survives the round trip.
DIRLINK_API std::wstring StorageNameToWide(const char* name);
DIRLINK_API CString StorageNameFromWide(const wchar_t* name);
