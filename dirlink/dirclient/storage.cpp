#include "dirlink/dirclient/storage.h"

#include <algorithm>
#include <cwchar>
#include <string>

IMPLEMENT_DYNCREATE(CStorage, CObject)

std::wstring StorageNameToWide(const char* name)
{
    std::wstring wide;
    const unsigned char* p = (const unsigned char*)name;
    while (*p) {
        int extra = *p < 0x80 ? 0 : (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : (*p & 0xF8) == 0xF0 ? 3 : -1;
        uint32_t code = extra == 0 ? *p : extra == 1 ? (*p & 0x1F) : extra == 2 ? (*p & 0x0F) : (*p & 0x07);
        bool valid = extra >= 0;
        for (int i = 1; valid && i <= extra; ++i) {
            valid = (p[i] & 0xC0) == 0x80;
            code = (code << 6) | (p[i] & 0x3F);
        }
        static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[extra] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            wide += (wchar_t)(0xDC00 + *p);  // a stray byte, kept as itself
            ++p;
            continue;
        }
        wide += (wchar_t)code;
        p += extra + 1;
    }
    return wide;
}

CString StorageNameFromWide(const wchar_t* name)
{
    std::string bytes;
    for (const wchar_t* p = name; *p; ++p) {
        uint32_t code = (uint32_t)*p;
        if (code >= 0xDC80 && code <= 0xDCFF) {
            bytes += (char)(code - 0xDC00);
        } else if (code < 0x80) {
            bytes += (char)code;
        } else if (code < 0x800) {
            bytes += (char)(0xC0 | (code >> 6));
            bytes += (char)(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += (char)(0xE0 | (code >> 12));
            bytes += (char)(0x80 | ((code >> 6) & 0x3F));
            bytes += (char)(0x80 | (code & 0x3F));
        } else {
            bytes += (char)(0xF0 | (code >> 18));
            bytes += (char)(0x80 | ((code >> 12) & 0x3F));
            bytes += (char)(0x80 | ((code >> 6) & 0x3F));
            bytes += (char)(0x80 | (code & 0x3F));
        }
    }
    return CString(bytes);
}

CStorage::~CStorage()
{
    Close();
}

void CStorage::Close()
{
    if (m_lpStorage)
        m_lpStorage->Release();
    m_lpStorage = nullptr;
}

CString CStorage::GetFileName() const
{
    return StorageNameFromWide(m_szName);
}

BOOL CStorage::finish(HRESULT status, IStorage* storage, const CString& name, CFileException* error)
{
    if (FAILED(status)) {
        if (!error)
            AfxThrowOleFileException(status, name);
        AfxFillOleFileException(error, status, name);
        return FALSE;
    }
    Close();
    m_lpStorage = storage;
    std::wstring wide = StorageNameToWide(name);
    wide.copy(m_szName, kMaxName);
    m_szName[std::min<size_t>(wide.size(), kMaxName)] = L'\0';
    return TRUE;
}

BOOL CStorage::Open(const char* name, DWORD mode, SNB exclusions, CFileException* error)
{
    if (!name)
        return Open((const wchar_t*)nullptr, mode, exclusions, error);
    return Open(StorageNameToWide(name).c_str(), mode, exclusions, error);
}

BOOL CStorage::Create(const char* name, DWORD mode, CFileException* error)
{
    if (!name)
        return Create((const wchar_t*)nullptr, mode, error);
    return Create(StorageNameToWide(name).c_str(), mode, error);
}

BOOL CStorage::Open(const wchar_t* name, DWORD mode, SNB exclusions, CFileException* error)
{
    CString path = name ? StorageNameFromWide(name) : CString();
    if (!name || std::wcslen(name) > (size_t)kMaxName)
        return finish(name ? STG_E_PATHNOTFOUND : STG_E_INVALIDNAME, nullptr, path, error);
    IStorage* storage = nullptr;
    HRESULT status = StgOpenStorage(path, nullptr, mode, exclusions, 0, &storage);
    m_bTemporary = FALSE;
    return finish(status, storage, path, error);
}

BOOL CStorage::Create(const wchar_t* name, DWORD mode, CFileException* error)
{
    CString path = name ? StorageNameFromWide(name) : CString();
    if (name && std::wcslen(name) > (size_t)kMaxName)
        return finish(STG_E_PATHNOTFOUND, nullptr, path, error);
    IStorage* storage = nullptr;
    HRESULT status = StgCreateDocfile(name ? (const char*)path : nullptr, mode, 0, &storage);
    if (SUCCEEDED(status) && !name) {
        // The generated name, from the storage itself.
        STATSTG stat;
        if (SUCCEEDED(storage->Stat(&stat, STATFLAG_DEFAULT)))
            path = stat.pwcsName;
    }
    BOOL done = finish(status, storage, path, error);
    if (done)
        m_bTemporary = name ? FALSE : TRUE;
    return done;
}

BOOL CStorage::Commit(CFileException* error)
{
    HRESULT status = m_lpStorage ? m_lpStorage->Commit(0) : STG_E_INVALIDHANDLE;
    if (SUCCEEDED(status))
        return TRUE;
    if (!error)
        AfxThrowOleFileException(status, GetFileName());
    AfxFillOleFileException(error, status, GetFileName());
    return FALSE;
}
