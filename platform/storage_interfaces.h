#pragma once
// Structured storage: the interfaces of a compound file (storages holding
// streams and further storages) and their status codes, with the window
// system's names and numbers. Element names are UTF-8 text of at most 31
// characters without '/', '\', ':' or '!'. Objects are reference counted:
// the creator's reference is released with Release().
#include "platform/cstring.h"
#include "platform/types.h"

typedef LONG HRESULT;
typedef LONG SCODE;
typedef int64_t LONGLONG;
typedef uint32_t ULONG;

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define SCODE_CODE(sc) ((sc) & 0xFFFF)
#define SCODE_FACILITY(sc) (((sc) >> 16) & 0x1FFF)

const int FACILITY_STORAGE = 3;

const HRESULT S_OK = 0;
const HRESULT S_FALSE = 1;
const HRESULT E_NOTIMPL = (HRESULT)0x80004001;
const HRESULT E_POINTER = (HRESULT)0x80004003;
const HRESULT E_FAIL = (HRESULT)0x80004005;
const HRESULT E_OUTOFMEMORY = (HRESULT)0x8007000E;
const HRESULT E_INVALIDARG = (HRESULT)0x80070057;

// Storage-facility codes; below 0x100 the code is the operating system's
// error number of the same meaning.
const HRESULT STG_E_INVALIDFUNCTION = (HRESULT)0x80030001;
const HRESULT STG_E_FILENOTFOUND = (HRESULT)0x80030002;
const HRESULT STG_E_PATHNOTFOUND = (HRESULT)0x80030003;
const HRESULT STG_E_TOOMANYOPENFILES = (HRESULT)0x80030004;
const HRESULT STG_E_ACCESSDENIED = (HRESULT)0x80030005;
const HRESULT STG_E_INVALIDHANDLE = (HRESULT)0x80030006;
const HRESULT STG_E_INSUFFICIENTMEMORY = (HRESULT)0x80030008;
const HRESULT STG_E_INVALIDPOINTER = (HRESULT)0x80030009;
const HRESULT STG_E_NOMOREFILES = (HRESULT)0x80030012;
const HRESULT STG_E_DISKISWRITEPROTECTED = (HRESULT)0x80030013;
const HRESULT STG_E_SEEKERROR = (HRESULT)0x80030019;
const HRESULT STG_E_WRITEFAULT = (HRESULT)0x8003001D;
const HRESULT STG_E_READFAULT = (HRESULT)0x8003001E;
const HRESULT STG_E_SHAREVIOLATION = (HRESULT)0x80030020;
const HRESULT STG_E_LOCKVIOLATION = (HRESULT)0x80030021;
const HRESULT STG_E_FILEALREADYEXISTS = (HRESULT)0x80030050;
const HRESULT STG_E_INVALIDPARAMETER = (HRESULT)0x80030057;
const HRESULT STG_E_MEDIUMFULL = (HRESULT)0x80030070;
const HRESULT STG_E_INVALIDHEADER = (HRESULT)0x800300FB;
const HRESULT STG_E_INVALIDNAME = (HRESULT)0x800300FC;
const HRESULT STG_E_UNKNOWN = (HRESULT)0x800300FD;
const HRESULT STG_E_UNIMPLEMENTEDFUNCTION = (HRESULT)0x800300FE;
const HRESULT STG_E_INVALIDFLAG = (HRESULT)0x800300FF;
const HRESULT STG_E_INUSE = (HRESULT)0x80030100;
const HRESULT STG_E_NOTCURRENT = (HRESULT)0x80030101;
const HRESULT STG_E_REVERTED = (HRESULT)0x80030102;
const HRESULT STG_E_CANTSAVE = (HRESULT)0x80030103;
const HRESULT STG_E_OLDFORMAT = (HRESULT)0x80030104;
const HRESULT STG_E_OLDDLL = (HRESULT)0x80030105;
const HRESULT STG_E_SHAREREQUIRED = (HRESULT)0x80030106;
const HRESULT STG_E_DOCFILECORRUPT = (HRESULT)0x80030109;

// Access and sharing modes (the same values as CFile's open flags).
const DWORD STGM_READ = 0x00000000;
const DWORD STGM_WRITE = 0x00000001;
const DWORD STGM_READWRITE = 0x00000002;
const DWORD STGM_SHARE_DENY_NONE = 0x00000040;
const DWORD STGM_SHARE_DENY_READ = 0x00000030;
const DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
const DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
const DWORD STGM_CREATE = 0x00001000;
const DWORD STGM_TRANSACTED = 0x00010000;
const DWORD STGM_DELETEONRELEASE = 0x04000000;
const DWORD STGM_FAILIFTHERE = 0x00000000;

// Seek origins.
const DWORD STREAM_SEEK_SET = 0;
const DWORD STREAM_SEEK_CUR = 1;
const DWORD STREAM_SEEK_END = 2;

// Element types and Stat flags.
const DWORD STGTY_STORAGE = 1;
const DWORD STGTY_STREAM = 2;
const DWORD STATFLAG_DEFAULT = 0;
const DWORD STATFLAG_NONAME = 1;

struct STATSTG {
    CString pwcsName;  // the element's name (the file's name for a root storage)
    DWORD type = 0;    // STGTY_
    ULONGLONG cbSize = 0;
    DWORD grfMode = 0;
    BYTE clsid[16] = {};
};

// Names of elements left out when a storage is opened: a null-terminated
// array of names.
typedef char** SNB;

class IStream {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;
    virtual HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) = 0;
    virtual HRESULT SetSize(ULONGLONG newSize) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
    // A second stream on the same bytes with its own position.
    virtual HRESULT Clone(IStream** clone) = 0;

protected:
    virtual ~IStream() = default;
};

class IStorage {
public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT CreateStream(const char* name, DWORD mode, DWORD reserved1, DWORD reserved2, IStream** stream) = 0;
    virtual HRESULT OpenStream(const char* name, void* reserved1, DWORD mode, DWORD reserved2, IStream** stream) = 0;
    virtual HRESULT CreateStorage(const char* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                  IStorage** storage) = 0;
    virtual HRESULT OpenStorage(const char* name, IStorage* priority, DWORD mode, SNB exclude, DWORD reserved,
                                IStorage** storage) = 0;
    virtual HRESULT DestroyElement(const char* name) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;

protected:
    virtual ~IStorage() = default;
};
