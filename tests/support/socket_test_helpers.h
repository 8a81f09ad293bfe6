#pragma once
// Helpers of the socket and connection tests: a message window whose
// procedure is a lambda, an action run later on another thread, a listener
// whose full backlog makes a connect hang, a port where nobody listens, a
// scoped SIGINT handler, and timing.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/afx.h"

struct TestWindow {
    std::function<void(UINT message, WPARAM wParam)> onMessage;
    HWND hwnd = CreateMessageWindow(procedure, this);
    ~TestWindow() { DestroyWindow(hwnd); }
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
    auto elapsed = std::chrono::steady_clock::now() - start;
    return (long long)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

// Runs action on another thread after ms; joined when the object goes.
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

// A socket bound to a free loopback port; listening with backlog 0 and its
// accept queue filled when asked, so that a further connect gets no answer.
class LoopbackPort {
public:
    explicit LoopbackPort(bool fillBacklog)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        m_fds.push_back(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (bind(m_fds[0], (sockaddr*)&address, length) != 0 || getsockname(m_fds[0], (sockaddr*)&address, &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        if (!fillBacklog || listen(m_fds[0], 0) != 0)
            return;
        while (m_fds.size() < 8 && !m_full) {
            m_fds.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            pollfd done{m_fds.back(), POLLOUT, 0};
            m_full = connect(done.fd, (sockaddr*)&address, sizeof address) != 0 && poll(&done, 1, 100) == 0;
        }
    }
    ~LoopbackPort()
    {
        for (int fd : m_fds)
            close(fd);
    }
    unsigned port() const { return m_port; }
    bool full() const { return m_full; }  // false: the kernel answered every connect

private:
    std::vector<int> m_fds;
    unsigned m_port = 0;
    bool m_full = false;
};

class ScopedSigint {
public:
    explicit ScopedSigint(void (*onSignal)(int))
    {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigaction(SIGINT, &action, &m_previous);
    }
    ~ScopedSigint() { sigaction(SIGINT, &m_previous, nullptr); }

private:
    struct sigaction m_previous {};
};

// Waits up to two seconds for condition.
inline bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 200 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}
