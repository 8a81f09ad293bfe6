#pragma once
// Helpers of the socket and connection tests: a message window whose
// procedure is a lambda, a listening socket whose backlog is full (so a
// connect to it hangs), a scoped SIGINT handler, and timing.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/afx.h"

// A window of the calling thread; its procedure calls onMessage.
struct TestWindow {
    std::function<void(UINT message, WPARAM wParam)> onMessage;
    HWND hwnd;
    TestWindow() : hwnd(CreateMessageWindow(procedure, this)) {}
    ~TestWindow() { DestroyWindow(hwnd); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    static LRESULT procedure(HWND, UINT message, WPARAM wParam, LPARAM, void* context)
    {
        auto* self = static_cast<TestWindow*>(context);
        if (self->onMessage)
            self->onMessage(message, wParam);
        return 0;
    }
};

inline long long millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return (long long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

// Runs action on another thread after ms; joined by the destructor.
class Later {
public:
    Later(int ms, std::function<void()> action)
        : m_thread([ms, action] {
              std::this_thread::sleep_for(std::chrono::milliseconds(ms));
              action();
          })
    {
    }
    ~Later() { m_thread.join(); }

private:
    std::thread m_thread;
};

// A loopback listener with backlog 0 whose accept queue has been filled:
// a further connect gets no answer to its SYN and hangs. ok() is false
// when the kernel answered every connect (then a test must skip).
class FullBacklog {
public:
    FullBacklog()
    {
        m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listen, 0) != 0 ||
            getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        for (int i = 0; i < 8 && !m_full; ++i) {
            int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            m_fillers.push_back(fd);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                continue;
            pollfd done{fd, POLLOUT, 0};
            m_full = poll(&done, 1, 100) == 0;
        }
    }
    ~FullBacklog()
    {
        for (int fd : m_fillers)
            close(fd);
        close(m_listen);
    }
    FullBacklog(const FullBacklog&) = delete;
    FullBacklog& operator=(const FullBacklog&) = delete;

    bool ok() const { return m_full; }
    unsigned port() const { return m_port; }

private:
    int m_listen = -1;
    unsigned m_port = 0;
    bool m_full = false;
    std::vector<int> m_fillers;
};

// Installs a SIGINT handler calling onSignal for the scope's lifetime.
class ScopedSigint {
public:
    explicit ScopedSigint(void (*onSignal)(int))
    {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~ScopedSigint() { sigaction(SIGINT, &m_previous, nullptr); }
    ScopedSigint(const ScopedSigint&) = delete;
    ScopedSigint& operator=(const ScopedSigint&) = delete;

private:
    struct sigaction m_previous {};
};

// A port on 127.0.0.1 where nothing listens, kept bound so that nothing
// else takes it while the object lives.
class ClosedPort {
public:
    ClosedPort()
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~ClosedPort() { close(m_fd); }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    unsigned port() const { return m_port; }

private:
    int m_fd;
    unsigned m_port = 0;
};

// Waits (up to two seconds) until condition holds.
inline bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 200 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}
