#include "dirlink/dirclient/compound_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "dirlink/dirclient/compound_disk_file.h"

using compound_format::DiskFile;
using compound_format::Element;
using compound_format::kMaxStreamSize;

namespace {
template <class Interface>
class Counted : public Interface {
public:
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override
    {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> m_references{1};
};

bool canWrite(DWORD mode)
{
    return (mode & 3) == STGM_WRITE || (mode & 3) == STGM_READWRITE;
}

class StreamObject : public Counted<IStream> {
public:
    StreamObject(std::shared_ptr<DiskFile> file, std::shared_ptr<Element> element, DWORD mode, bool owner)
        : m_file(std::move(file)), m_element(std::move(element)), m_mode(mode), m_owner(owner)
    {
        if (m_owner)
            m_element->streamOpen = true;
    }
    ~StreamObject() override
    {
        if (m_owner)
            m_element->streamOpen = false;
    }

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        if ((m_mode & 3) == STGM_WRITE)
            return STG_E_ACCESSDENIED;
        const std::vector<BYTE>& bytes = m_element->bytes;
        ULONG n = m_position >= bytes.size() ? 0 : (ULONG)std::min<ULONGLONG>(count, bytes.size() - m_position);
        if (n)
            std::memcpy(buffer, bytes.data() + m_position, n);
        m_position += n;
        if (read)
            *read = n;
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written)
            *written = 0;
        if (!buffer && count)
            return STG_E_INVALIDPOINTER;
        if (!canWrite(m_mode))
            return STG_E_ACCESSDENIED;
        if (count == 0)
            return S_OK;
        if (m_position + count > kMaxStreamSize)
            return STG_E_MEDIUMFULL;
        std::vector<BYTE>& bytes = m_element->bytes;
        if (bytes.size() < m_position + count)
            bytes.resize((size_t)(m_position + count));
        std::memcpy(bytes.data() + m_position, buffer, count);
        m_position += count;
        m_file->touch();
        if (written)
            *written = count;
        return S_OK;
    }

    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override
    {
        LONGLONG base = origin == STREAM_SEEK_SET   ? 0
                        : origin == STREAM_SEEK_CUR ? (LONGLONG)m_position
                        : origin == STREAM_SEEK_END ? (LONGLONG)m_element->bytes.size()
                                                    : -1;
        if (base < 0)
            return STG_E_INVALIDFUNCTION;
        if ((move < 0 && -move > base) || (move > 0 && (ULONGLONG)move > kMaxStreamSize))
            return STG_E_INVALIDFUNCTION;
        m_position = (ULONGLONG)(base + move);
        if (newPosition)
            *newPosition = m_position;
        return S_OK;
    }

    HRESULT SetSize(ULONGLONG newSize) override
    {
        if (!canWrite(m_mode))
            return STG_E_ACCESSDENIED;
        if (newSize > kMaxStreamSize)
            return STG_E_MEDIUMFULL;
        m_element->bytes.resize((size_t)newSize);
        m_file->touch();
        return S_OK;
    }

    HRESULT Commit(DWORD) override { return m_file->transacted() ? S_OK : m_file->save(); }
    HRESULT Revert() override { return S_OK; }

    HRESULT Stat(STATSTG* stat, DWORD flags) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG();
        if (!(flags & STATFLAG_NONAME))
            stat->pwcsName = m_element->name.c_str();
        stat->type = STGTY_STREAM;
        stat->cbSize = m_element->bytes.size();
        stat->grfMode = m_mode;
        return S_OK;
    }

    HRESULT Clone(IStream** clone) override
    {
        if (!clone)
            return STG_E_INVALIDPOINTER;
        auto* copy = new StreamObject(m_file, m_element, m_mode, false);
        copy->m_position = m_position;
        *clone = copy;
        return S_OK;
    }

private:
    std::shared_ptr<DiskFile> m_file;
    std::shared_ptr<Element> m_element;
    DWORD m_mode;
    bool m_owner;  // the opened stream, not a clone: marks the element open
    ULONGLONG m_position = 0;
};

class StorageObject : public Counted<IStorage> {
public:
    StorageObject(std::shared_ptr<DiskFile> file, std::shared_ptr<Element> element, DWORD mode)
        : m_file(std::move(file)), m_element(std::move(element)), m_mode(mode)
    {
    }

    HRESULT CreateStream(const char* name, DWORD mode, DWORD, DWORD, IStream** stream) override
    {
        HRESULT status = checkCreate(name, mode, stream);
        if (FAILED(status))
            return status;
        std::shared_ptr<Element> element = m_element->find(name);
        if (element && (element->isStorage || element->streamOpen))
            return STG_E_ACCESSDENIED;
        if (!element) {
            element = std::make_shared<Element>();
            element->name = name;
            m_element->children.push_back(element);
        }
        element->bytes.clear();
        m_file->touch();
        *stream = new StreamObject(m_file, element, mode, true);
        return S_OK;
    }

    HRESULT OpenStream(const char* name, void*, DWORD mode, DWORD, IStream** stream) override
    {
        HRESULT status = checkOpen(name, mode, stream);
        if (FAILED(status))
            return status;
        std::shared_ptr<Element> element = m_element->find(name);
        if (!element || element->isStorage)
            return STG_E_FILENOTFOUND;
        if (element->streamOpen)
            return STG_E_ACCESSDENIED;
        *stream = new StreamObject(m_file, element, mode, true);
        return S_OK;
    }

    HRESULT CreateStorage(const char* name, DWORD mode, DWORD, DWORD, IStorage** storage) override
    {
        HRESULT status = checkCreate(name, mode, storage);
        if (FAILED(status))
            return status;
        std::shared_ptr<Element> element = m_element->find(name);
        if (element && !element->isStorage)
            return STG_E_ACCESSDENIED;
        if (element) {
            element->children.clear();
        } else {
            element = std::make_shared<Element>();
            element->isStorage = true;
            element->name = name;
            m_element->children.push_back(element);
        }
        m_file->touch();
        *storage = new StorageObject(m_file, element, mode);
        return S_OK;
    }

    HRESULT OpenStorage(const char* name, IStorage* priority, DWORD mode, SNB, DWORD, IStorage** storage) override
    {
        if (priority)
            return STG_E_INVALIDPARAMETER;
        HRESULT status = checkOpen(name, mode, storage);
        if (FAILED(status))
            return status;
        std::shared_ptr<Element> element = m_element->find(name);
        if (!element || !element->isStorage)
            return STG_E_FILENOTFOUND;
        *storage = new StorageObject(m_file, element, mode);
        return S_OK;
    }

    HRESULT DestroyElement(const char* name) override
    {
        if (!name)
            return STG_E_INVALIDPOINTER;
        if (!canWrite(m_mode))
            return STG_E_ACCESSDENIED;
        auto& children = m_element->children;
        auto found = std::find_if(children.begin(), children.end(), [&](const auto& e) { return e->name == name; });
        if (found == children.end())
            return STG_E_FILENOTFOUND;
        if ((*found)->streamOpen)
            return STG_E_ACCESSDENIED;
        children.erase(found);
        m_file->touch();
        return S_OK;
    }

    HRESULT Commit(DWORD) override
    {
        bool isRoot = m_element.get() == &m_file->root();
        return m_file->transacted() && !isRoot ? S_OK : m_file->save();
    }

    HRESULT Revert() override { return m_file->transacted() ? STG_E_UNIMPLEMENTEDFUNCTION : S_OK; }

    HRESULT Stat(STATSTG* stat, DWORD flags) override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG();
        bool isRoot = m_element.get() == &m_file->root();
        if (!(flags & STATFLAG_NONAME))
            stat->pwcsName = isRoot ? m_file->path().c_str() : m_element->name.c_str();
        stat->type = STGTY_STORAGE;
        stat->grfMode = m_mode;
        std::memcpy(stat->clsid, m_element->clsid, sizeof stat->clsid);
        return S_OK;
    }

private:
    // Element modes: streams and sub-storages are opened exclusively.
    template <class Out>
    HRESULT checkOpen(const char* name, DWORD mode, Out** out) const
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!compound_format::IsValidElementName(name))
            return STG_E_INVALIDNAME;
        if ((mode & 0x70) != STGM_SHARE_EXCLUSIVE || (mode & 3) == 3)
            return STG_E_INVALIDFLAG;
        if (canWrite(mode) && !canWrite(m_mode))
            return STG_E_ACCESSDENIED;
        return S_OK;
    }

    template <class Out>
    HRESULT checkCreate(const char* name, DWORD mode, Out** out) const
    {
        HRESULT status = checkOpen(name, mode, out);
        if (FAILED(status))
            return status;
        if (!canWrite(mode) || !canWrite(m_mode))
            return STG_E_ACCESSDENIED;
        if (!(mode & STGM_CREATE) && m_element->find(name))
            return STG_E_FILEALREADYEXISTS;
        return S_OK;
    }

    std::shared_ptr<DiskFile> m_file;
    std::shared_ptr<Element> m_element;
    DWORD m_mode;
};

// The root storage of a file: shares the file's lifetime.
IStorage* rootOf(const std::shared_ptr<DiskFile>& file)
{
    std::shared_ptr<Element> root(file, &file->root());
    return new StorageObject(file, root, file->mode());
}

HRESULT checkRootMode(DWORD mode)
{
    if ((mode & 3) == 3)
        return STG_E_INVALIDFLAG;
    DWORD share = mode & 0x70;
    if (share != 0 && share != STGM_SHARE_DENY_NONE && share != STGM_SHARE_DENY_READ &&
        share != STGM_SHARE_DENY_WRITE && share != STGM_SHARE_EXCLUSIVE)
        return STG_E_INVALIDFLAG;
    return S_OK;
}
}  // namespace

HRESULT StgCreateDocfile(const char* name, DWORD mode, DWORD reserved, IStorage** storage)
{
    if (!storage)
        return STG_E_INVALIDPOINTER;
    *storage = nullptr;
    if (reserved != 0)
        return STG_E_INVALIDPARAMETER;
    HRESULT status = checkRootMode(mode);
    if (FAILED(status))
        return status;
    if (!canWrite(mode))
        return STG_E_INVALIDFLAG;

    std::string path;
    int fd = -1;
    bool existed = true;
    if (name) {
        path = name;
        struct stat st;
        existed = ::stat(name, &st) == 0;
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | ((mode & STGM_CREATE) ? 0 : O_EXCL);
        fd = ::open(name, flags, 0666);
    } else {
        existed = false;
        const char* folder = std::getenv("TMPDIR");
        path = std::string(folder && *folder ? folder : "/tmp") + "/~stg.XXXXXX";
        fd = ::mkostemp(&path[0], O_CLOEXEC);
    }
    if (fd < 0)
        return compound_format::StatusFromErrno(errno, STG_E_ACCESSDENIED);
    ::close(fd);

    auto file = std::make_shared<DiskFile>(path, mode);
    status = file->lock();
    if (SUCCEEDED(status))
        status = file->save();  // the new, empty file is on disk at once
    if (FAILED(status)) {
        if (!existed)
            ::unlink(path.c_str());
        return status;
    }
    *storage = rootOf(file);
    return S_OK;
}

HRESULT StgOpenStorage(const char* name, IStorage* priority, DWORD mode, SNB exclude, DWORD reserved,
                       IStorage** storage)
{
    if (!storage)
        return STG_E_INVALIDPOINTER;
    *storage = nullptr;
    if (!name)
        return STG_E_INVALIDNAME;
    if (priority || reserved != 0)
        return STG_E_INVALIDPARAMETER;
    HRESULT status = checkRootMode(mode);
    if (FAILED(status))
        return status;
    auto file = std::make_shared<DiskFile>(name, mode & ~STGM_DELETEONRELEASE);
    status = file->lock();
    if (SUCCEEDED(status))
        status = file->load(exclude);
    if (FAILED(status))
        return status;
    *storage = rootOf(file);
    return S_OK;
}
