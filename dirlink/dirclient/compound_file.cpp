#include "dirlink/dirclient/compound_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gsf/gsf.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// Largest stream: the format's streams count their size in 32 bits, and
// memory streams here stay below 2 GiB.
const ULONGLONG kMaxStreamSize = 0x7FFFFFFF;
// Deepest nesting of storages read from a file.
const int kMaxDepth = 32;
// Longest element name, in UTF-16 units, as the format stores it.
const size_t kMaxElementName = 31;

// ---- Elements held in memory ----------------------------------------------

struct Element {
    bool isStorage = false;
    std::string name;
    std::vector<BYTE> bytes;                        // a stream's contents
    std::vector<std::shared_ptr<Element>> children;  // a storage's elements
    BYTE clsid[16] = {};
    bool streamOpen = false;  // a stream object is open on it

    std::shared_ptr<Element> find(const std::string& wanted) const
    {
        for (const auto& child : children)
            if (child->name == wanted)
                return child;
        return nullptr;
    }
};

// A valid element name: UTF-8 text of 1 to 31 UTF-16 units without the
// characters the format reserves.
bool isValidElementName(const char* name)
{
    if (!name || !*name)
        return false;
    size_t units = 0;
    for (const unsigned char* p = (const unsigned char*)name; *p;) {
        if (std::strchr("/\\:!", *p))
            return false;
        int extra = *p < 0x80 ? 0 : (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : (*p & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || (extra == 1 && *p < 0xC2))
            return false;
        for (int i = 1; i <= extra; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        units += extra == 3 ? 2 : 1;
        p += extra + 1;
    }
    return units <= kMaxElementName;
}

HRESULT statusFromErrno(int error, HRESULT otherwise)
{
    switch (error) {
    case ENOENT: return STG_E_FILENOTFOUND;
    case ENOTDIR:
    case ENAMETOOLONG: return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return STG_E_ACCESSDENIED;
    case EROFS: return STG_E_DISKISWRITEPROTECTED;
    case EMFILE:
    case ENFILE: return STG_E_TOOMANYOPENFILES;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return STG_E_MEDIUMFULL;
    case ENOMEM: return STG_E_INSUFFICIENTMEMORY;
    case EEXIST: return STG_E_FILEALREADYEXISTS;
    default: return otherwise;
    }
}

void ignoreLibraryMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libgsf reports damaged files on standard error as well as through its
// results; the results are what this library acts on, and the host's
// standard error is not ours to write to.
void initGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const GLogLevelFlags levels = (GLogLevelFlags)(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR);
        for (const char* domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, levels, ignoreLibraryMessage, nullptr);
    });
}

// ---- Reading and writing the format through libgsf --------------------------

class TreeReader {
public:
    TreeReader(size_t fileSize, SNB exclude) : m_budget((ULONGLONG)fileSize * 16 + 65536), m_exclude(exclude) {}

    HRESULT readStorage(GsfInfile* folder, Element& into, int depth)
    {
        if (depth > kMaxDepth)
            return STG_E_DOCFILECORRUPT;
        gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(folder), into.clsid);
        int count = gsf_infile_num_children(folder);
        for (int i = 0; i < count; ++i) {
            const char* name = gsf_infile_name_by_index(folder, i);
            GsfInput* input = gsf_infile_child_by_index(folder, i);
            if (!name || !input) {
                if (input)
                    g_object_unref(input);
                return STG_E_DOCFILECORRUPT;
            }
            auto element = std::make_shared<Element>();
            element->name = name;
            HRESULT status = S_OK;
            if (GSF_IS_INFILE(input) && gsf_infile_num_children(GSF_INFILE(input)) >= 0) {
                element->isStorage = true;
                status = readStorage(GSF_INFILE(input), *element, depth + 1);
            } else if (!(depth == 0 && excluded(name))) {
                status = readStream(input, element->bytes);
            }
            g_object_unref(input);
            if (FAILED(status))
                return status;
            into.children.push_back(element);
        }
        return S_OK;
    }

private:
    bool excluded(const char* name) const
    {
        for (SNB p = m_exclude; p && *p; ++p)
            if (std::strcmp(*p, name) == 0)
                return true;
        return false;
    }

    HRESULT readStream(GsfInput* input, std::vector<BYTE>& bytes)
    {
        gsf_off_t size = gsf_input_size(input);
        // A damaged file may claim sizes far beyond what it holds.
        if (size < 0 || (ULONGLONG)size > kMaxStreamSize || (ULONGLONG)size > m_budget)
            return STG_E_DOCFILECORRUPT;
        m_budget -= (ULONGLONG)size;
        while ((gsf_off_t)bytes.size() < size) {
            size_t step = (size_t)std::min<gsf_off_t>(size - (gsf_off_t)bytes.size(), 1 << 16);
            const guint8* data = gsf_input_read(input, step, nullptr);
            if (!data)
                return STG_E_DOCFILECORRUPT;
            bytes.insert(bytes.end(), data, data + step);
        }
        return S_OK;
    }

    ULONGLONG m_budget;
    SNB m_exclude;
};

bool writeElements(GsfOutfile* folder, const Element& storage)
{
    for (const auto& child : storage.children) {
        GsfOutput* out = gsf_outfile_new_child(folder, child->name.c_str(), child->isStorage);
        if (!out)
            return false;
        bool ok = true;
        if (child->isStorage) {
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out), child->clsid);
            ok = writeElements(GSF_OUTFILE(out), *child);
        } else if (!child->bytes.empty()) {
            ok = gsf_output_write(out, child->bytes.size(), child->bytes.data());
        }
        ok = gsf_output_close(out) && ok;
        g_object_unref(out);
        if (!ok)
            return false;
    }
    return true;
}

HRESULT encodeTree(const Element& root, std::vector<BYTE>& encoded)
{
    initGsf();
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), root.clsid);
    bool ok = writeElements(ole, root);
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;  // also closes the sink
    g_object_unref(ole);
    if (ok) {
        const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
        gsf_off_t size = gsf_output_size(sink);
        encoded.assign(bytes, bytes + size);
    }
    g_object_unref(sink);
    return ok ? S_OK : STG_E_WRITEFAULT;
}

HRESULT decodeTree(const std::vector<BYTE>& encoded, SNB exclude, Element& root)
{
    initGsf();
    GsfInput* input = gsf_input_memory_new(encoded.data(), (gsf_off_t)encoded.size(), FALSE);
    GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
    HRESULT status = STG_E_FILEALREADYEXISTS;  // the file is not a compound file
    if (ole) {
        status = TreeReader(encoded.size(), exclude).readStorage(ole, root, 0);
        g_object_unref(ole);
    }
    g_object_unref(input);
    return status;
}

// ---- The file on disk -------------------------------------------------------

HRESULT readWholeFile(int fd, std::vector<BYTE>& bytes)
{
    BYTE buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return statusFromErrno(errno, STG_E_READFAULT);
        if (n == 0)
            return S_OK;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
}

HRESULT writeAll(int fd, const std::vector<BYTE>& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return statusFromErrno(errno, STG_E_WRITEFAULT);
        done += (size_t)n;
    }
    return S_OK;
}

mode_t currentUmask()
{
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

// One compound file with every object open in it; written back, in direct
// mode, when the last of them is released.
class CompoundFile {
public:
    CompoundFile(std::string path, DWORD mode) : m_path(std::move(path)), m_mode(mode) {}
    ~CompoundFile()
    {
        if (!transacted() && m_dirty)
            save();  // nobody is left to hear of a failure; Commit reports it
        if (m_lockFd >= 0)
            ::close(m_lockFd);
        if (m_mode & STGM_DELETEONRELEASE)
            ::unlink(m_path.c_str());
    }
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    const std::string& path() const { return m_path; }
    DWORD mode() const { return m_mode; }
    bool transacted() const { return (m_mode & STGM_TRANSACTED) != 0; }
    bool writable() const { return (m_mode & 3) != STGM_READ; }
    Element& root() { return m_root; }
    void touch() { m_dirty = true; }

    // Takes the lock the mode asks for on the file at the path.
    HRESULT lock()
    {
        int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return statusFromErrno(errno, STG_E_ACCESSDENIED);
        DWORD share = m_mode & 0x70;
        bool exclusive = writable() || share == STGM_SHARE_EXCLUSIVE || share == STGM_SHARE_DENY_READ;
        if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            int error = errno;
            ::close(fd);
            return error == EWOULDBLOCK ? STG_E_SHAREVIOLATION : statusFromErrno(error, STG_E_LOCKVIOLATION);
        }
        if (m_lockFd >= 0)
            ::close(m_lockFd);
        m_lockFd = fd;
        return S_OK;
    }

    HRESULT load(SNB exclude)
    {
        int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return statusFromErrno(errno, STG_E_FILENOTFOUND);
        std::vector<BYTE> bytes;
        HRESULT status = readWholeFile(fd, bytes);
        ::close(fd);
        return FAILED(status) ? status : decodeTree(bytes, exclude, m_root);
    }

    // Writes the whole file beside the old one and renames it over it.
    HRESULT save()
    {
        std::vector<BYTE> encoded;
        HRESULT status = encodeTree(m_root, encoded);
        if (FAILED(status))
            return status;
        struct stat st;
        mode_t fileMode = ::stat(m_path.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
        std::string temporary = m_path + ".XXXXXX";
        int fd = ::mkostemp(&temporary[0], O_CLOEXEC);
        if (fd < 0)
            return statusFromErrno(errno, STG_E_WRITEFAULT);
        status = writeAll(fd, encoded);
        if (SUCCEEDED(status) && (::fchmod(fd, fileMode) != 0 || ::fsync(fd) != 0))
            status = statusFromErrno(errno, STG_E_WRITEFAULT);
        if (::close(fd) != 0 && SUCCEEDED(status))
            status = statusFromErrno(errno, STG_E_WRITEFAULT);
        if (SUCCEEDED(status) && ::rename(temporary.c_str(), m_path.c_str()) != 0)
            status = statusFromErrno(errno, STG_E_WRITEFAULT);
        if (FAILED(status)) {
            ::unlink(temporary.c_str());
            return status;
        }
        m_dirty = false;
        // The lock was on the file just replaced; take it on the new one.
        return m_lockFd >= 0 ? lock() : S_OK;
    }

private:
    std::string m_path;
    DWORD m_mode;
    Element m_root;
    int m_lockFd = -1;
    bool m_dirty = false;
};

// ---- The interfaces -----------------------------------------------------------

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
    StreamObject(std::shared_ptr<CompoundFile> file, std::shared_ptr<Element> element, DWORD mode, bool owner)
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
    std::shared_ptr<CompoundFile> m_file;
    std::shared_ptr<Element> m_element;
    DWORD m_mode;
    bool m_owner;  // the opened stream, not a clone: marks the element open
    ULONGLONG m_position = 0;
};

class StorageObject : public Counted<IStorage> {
public:
    StorageObject(std::shared_ptr<CompoundFile> file, std::shared_ptr<Element> element, DWORD mode)
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
        if (!isValidElementName(name))
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

    std::shared_ptr<CompoundFile> m_file;
    std::shared_ptr<Element> m_element;
    DWORD m_mode;
};

// The root storage of a file: shares the file's lifetime.
IStorage* rootOf(const std::shared_ptr<CompoundFile>& file)
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
        return statusFromErrno(errno, STG_E_ACCESSDENIED);
    ::close(fd);

    auto file = std::make_shared<CompoundFile>(path, mode);
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
    auto file = std::make_shared<CompoundFile>(name, mode & ~STGM_DELETEONRELEASE);
    status = file->lock();
    if (SUCCEEDED(status))
        status = file->load(exclude);
    if (FAILED(status))
        return status;
    *storage = rootOf(file);
    return S_OK;
}
