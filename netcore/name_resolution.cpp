#include "netcore/name_resolution.h"

#include <errno.h>
#include <netdb.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <system_error>
#include <thread>

struct NameResolution::Shared {
    std::string host;
    std::string service;
    int readyFd = -1;
    std::mutex mutex;
    bool done = false;
    int error = 0;
    addrinfo* addresses = nullptr;

    ~Shared()
    {
        if (addresses)
            freeaddrinfo(addresses);
        if (readyFd >= 0)
            close(readyFd);
    }

    // Looks the name up with the given flags and records the answer.
    void resolve(int flags)
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        hints.ai_flags = flags | AI_NUMERICSERV;
        addrinfo* found = nullptr;
        int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        std::lock_guard<std::mutex> lock(mutex);
        error = rc;
        addresses = rc == 0 ? found : nullptr;
        done = true;
        uint64_t one = 1;
        ssize_t written = write(readyFd, &one, sizeof one);
        (void)written;
    }
};

NameResolution::NameResolution(const char* host, unsigned port) : m_shared(std::make_shared<Shared>())
{
    std::string name = host ? host : "";
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    m_shared->host = name;
    m_shared->service = std::to_string(port);
}

NameResolution::~NameResolution() = default;

bool NameResolution::start()
{
    m_shared->readyFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_shared->readyFd < 0)
        return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* numeric = nullptr;
    if (getaddrinfo(m_shared->host.c_str(), nullptr, &hints, &numeric) == 0) {
        freeaddrinfo(numeric);
        m_shared->resolve(AI_NUMERICHOST);
        return true;
    }
    try {
        std::shared_ptr<Shared> shared = m_shared;
        std::thread([shared] { shared->resolve(0); }).detach();
    } catch (const std::system_error& e) {
        errno = e.code().value() ? e.code().value() : EAGAIN;
        return false;
    }
    return true;
}

int NameResolution::readyFd() const
{
    return m_shared->readyFd;
}

bool NameResolution::done() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->done;
}

int NameResolution::error() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->error;
}

addrinfo* NameResolution::takeAddresses()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    addrinfo* taken = m_shared->addresses;
    m_shared->addresses = nullptr;
    return taken;
}
