#include "common/output_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/command.h"
#include "common/input_file.h"
#include "common/interrupt.h"

namespace {
Failure systemFailure(const std::string& what, int error)
{
    return Failure(what + ": " + std::strerror(error));
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t currentUmask()
{
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}
}  // namespace

OutputFile::OutputFile(const std::string& name, Kind kind, bool force) : m_name(name), m_target(name)
{
    struct stat st;
    int fd = -1;
    if (name == "-") {
        std::fflush(stdout);  // text printed before goes first
        fd = 1;
    } else if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode))
            throw systemFailure(name, EISDIR);
        fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            throw systemFailure(name, errno);
    }
    if (fd >= 0) {
        struct stat out;
        if (::fstat(fd, &out) == 0) {
            m_device = out.st_dev;
            m_inode = out.st_ino;
            m_exists = S_ISREG(out.st_mode);
        }
        m_file = std::make_unique<CFile>(fd);
        m_file->SetFilePath(name.c_str());
        return;
    }

    mode_t mode = kind == PrivateKey ? 0600 : 0666 & ~currentUmask();
    if (::stat(name.c_str(), &st) == 0) {
        if (kind == PrivateKey && !force)
            throw Failure(name + ": already exists; give --force to replace it");
        // A file the user may not write is not replaced behind its back.
        if (::access(name.c_str(), W_OK) != 0)
            throw systemFailure(name, errno);
        char real[PATH_MAX];
        if (::realpath(name.c_str(), real))
            m_target = real;
        m_device = st.st_dev;
        m_inode = st.st_ino;
        m_exists = true;
        if (kind == Ordinary)
            mode = st.st_mode & 07777;
    }
    std::string base = m_target.substr(m_target.rfind('/') + 1);
    std::string pattern = folderOf(m_target) + "/." + base + ".XXXXXX";
    fd = ::mkostemp(&pattern[0], O_CLOEXEC);
    if (fd < 0)
        throw systemFailure(name + ": cannot create a file in " + folderOf(m_target), errno);
    m_temporary = pattern;
    RegisterTemporaryFile(m_temporary.c_str());
    if (::fchmod(fd, mode) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(m_temporary.c_str());
        UnregisterTemporaryFile(m_temporary.c_str());
        throw systemFailure(name, error);
    }
    // The replacement keeps the owner and group where the user may set them
    // (root may); otherwise it is the user's own, which is no failure.
    if (m_exists && ::fchown(fd, st.st_uid, st.st_gid) != 0)
        errno = 0;
    m_file = std::make_unique<CFile>(fd);
    m_file->SetFilePath(name.c_str());
}

OutputFile::~OutputFile()
{
    if (m_file && m_file->m_hFile > 1)
        m_file->Abort();
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        UnregisterTemporaryFile(m_temporary.c_str());
    }
}

void OutputFile::refuseSameFileAs(const InputFile& input) const
{
    const struct stat& in = input.status();
    if (m_exists && S_ISREG(in.st_mode) && in.st_dev == m_device && in.st_ino == m_inode)
        throw Failure(input.name() + " and " + m_name + " are the same file; write the output to another file");
}

void OutputFile::write(const void* data, size_t n)
{
    const char* bytes = static_cast<const char*>(data);
    try {
        for (size_t done = 0; done < n;) {
            UINT step = (UINT)std::min<size_t>(n - done, 1u << 30);
            m_file->Write(bytes + done, step);
            done += step;
        }
    } catch (CFileException* e) {
        const int error = (int)e->m_lOsError;
        e->Delete();
        throw systemFailure(m_name, error);
    }
}

void OutputFile::commit()
{
    if (m_temporary.empty()) {
        if (m_file->m_hFile > 1 && ::close(m_file->m_hFile) != 0)
            throw systemFailure(m_name, errno);
        m_file->m_hFile = CFile::hFileNull;
        return;
    }
    const int fd = m_file->m_hFile;
    m_file->m_hFile = CFile::hFileNull;
    // Written through to the disk before the rename, so a crash leaves the
    // old file or the whole new one.
    int error = ::fsync(fd) != 0 ? errno : 0;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        throw systemFailure(m_name, error);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throw systemFailure(m_name, errno);
    UnregisterTemporaryFile(m_temporary.c_str());
    m_temporary.clear();
}
