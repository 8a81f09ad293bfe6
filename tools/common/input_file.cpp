#include "common/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "common/command.h"

namespace {
Failure systemFailure(const std::string& name, int error)
{
    return Failure(name + ": " + std::strerror(error));
}
}  // namespace

InputFile::InputFile(const std::string& name) : m_name(name)
{
    m_fd = name == "-" ? 0 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw systemFailure(name, errno);
    int error = ::fstat(m_fd, &m_status) != 0 ? errno : S_ISDIR(m_status.st_mode) ? EISDIR : 0;
    if (error) {
        if (m_fd > 0)
            ::close(m_fd);
        throw systemFailure(name, error);
    }
}

InputFile::~InputFile()
{
    if (m_fd > 0)
        ::close(m_fd);
    m_fd = -1;
}

long long InputFile::knownSize() const
{
    return S_ISREG(m_status.st_mode) ? (long long)m_status.st_size : -1;
}

size_t InputFile::read(void* buffer, size_t n)
{
    for (;;) {
        ssize_t got = ::read(m_fd, buffer, n);
        if (got >= 0)
            return (size_t)got;
        if (errno != EINTR)
            throw systemFailure(m_name, errno);
    }
}

std::vector<unsigned char> InputFile::readAll()
{
    std::vector<unsigned char> bytes;
    if (knownSize() > 0)
        bytes.reserve((size_t)knownSize() + kBlockSize);
    size_t used = 0;
    for (;;) {
        if (bytes.size() - used < kBlockSize)
            bytes.resize(used + kBlockSize);
        size_t got = read(bytes.data() + used, kBlockSize);
        if (got == 0)
            break;
        used += got;
    }
    bytes.resize(used);
    return bytes;
}
