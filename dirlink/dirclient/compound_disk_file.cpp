#include "dirlink/dirclient/compound_disk_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace compound_format {
namespace {
HRESULT readWholeFile(int fd, std::vector<BYTE>& bytes)
{
    BYTE buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return StatusFromErrno(errno, STG_E_READFAULT);
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
            return StatusFromErrno(errno, STG_E_WRITEFAULT);
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
}  // namespace

HRESULT StatusFromErrno(int error, HRESULT otherwise)
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

DiskFile::~DiskFile()
{
    if (!transacted() && m_dirty)
        save();  // nobody is left to hear of a failure; Commit reports it
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    if (m_mode & STGM_DELETEONRELEASE)
        ::unlink(m_path.c_str());
}

HRESULT DiskFile::lock()
{
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return StatusFromErrno(errno, STG_E_ACCESSDENIED);
    DWORD share = m_mode & 0x70;
    bool exclusive = writable() || share == STGM_SHARE_EXCLUSIVE || share == STGM_SHARE_DENY_READ;
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? STG_E_SHAREVIOLATION : StatusFromErrno(error, STG_E_LOCKVIOLATION);
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = fd;
    return S_OK;
}

HRESULT DiskFile::load(SNB exclude)
{
    int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return StatusFromErrno(errno, STG_E_FILENOTFOUND);
    std::vector<BYTE> bytes;
    HRESULT status = readWholeFile(fd, bytes);
    ::close(fd);
    return FAILED(status) ? status : Decode(bytes, exclude, m_root);
}

HRESULT DiskFile::save()
{
    std::vector<BYTE> encoded;
    HRESULT status = Encode(m_root, encoded);
    if (FAILED(status))
        return status;
    struct stat st;
    mode_t fileMode = ::stat(m_path.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    std::string temporary = m_path + ".XXXXXX";
    int fd = ::mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0)
        return StatusFromErrno(errno, STG_E_WRITEFAULT);
    status = writeAll(fd, encoded);
    if (SUCCEEDED(status) && (::fchmod(fd, fileMode) != 0 || ::fsync(fd) != 0))
        status = StatusFromErrno(errno, STG_E_WRITEFAULT);
    if (::close(fd) != 0 && SUCCEEDED(status))
        status = StatusFromErrno(errno, STG_E_WRITEFAULT);
    if (SUCCEEDED(status) && ::rename(temporary.c_str(), m_path.c_str()) != 0)
        status = StatusFromErrno(errno, STG_E_WRITEFAULT);
    if (FAILED(status)) {
        ::unlink(temporary.c_str());
        return status;
    }
    m_dirty = false;
    // The lock was on the file just replaced; take it on the new one.
    return m_lockFd >= 0 ? lock() : S_OK;
}

}  // namespace compound_format
