#pragma once
// A loopback TCP server for socket and connection tests: on a thread of its
// own it accepts one client and plays a script, sending exactly the bytes
// and pauses a case needs (each send step is one send call, with Nagle off,
// so a pause splits segments). After the script it keeps the connection
// open until it is destroyed; the destructor ends the thread whatever it
// is doing.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class ScriptedServer {
public:
    using Bytes = std::vector<unsigned char>;

    struct Step {
        enum Kind { send, pause, read, close } kind;
        Bytes bytes;      // send: what goes out
        int amount = 0;   // pause: milliseconds; read: octets to take in
    };
    static Step Send(Bytes bytes) { return Step{Step::send, std::move(bytes), 0}; }
    static Step Pause(int ms) { return Step{Step::pause, {}, ms}; }
    static Step Read(int octets) { return Step{Step::read, {}, octets}; }
    static Step Close() { return Step{Step::close, {}, 0}; }

    // Listens on 127.0.0.1 (or ::1 with ipv6) at a free port. ok() is false
    // when that is impossible (no IPv6 on the machine, say).
    explicit ScriptedServer(std::vector<Step> script, bool ipv6 = false) : m_script(std::move(script))
    {
        m_stop = eventfd(0, EFD_CLOEXEC);
        m_listen = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_storage address{};
        socklen_t length;
        if (ipv6) {
            auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
            v6.sin6_family = AF_INET6;
            v6.sin6_addr = in6addr_loopback;
            length = sizeof v6;
        } else {
            auto& v4 = reinterpret_cast<sockaddr_in&>(address);
            v4.sin_family = AF_INET;
            v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof v4;
        }
        if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(m_listen, 4) != 0 || getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6&>(address).sin6_port
                            : reinterpret_cast<sockaddr_in&>(address).sin_port);
        m_thread = std::thread([this] { run(); });
    }

    ~ScriptedServer()
    {
        uint64_t one = 1;
        ssize_t written = write(m_stop, &one, sizeof one);
        (void)written;
        if (m_thread.joinable())
            m_thread.join();
        if (m_client >= 0)
            ::close(m_client);
        if (m_listen >= 0)
            ::close(m_listen);
        ::close(m_stop);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    bool ok() const { return m_port != 0; }
    unsigned port() const { return m_port; }
    // Whether every step has been played.
    bool finished() const { return m_finished.load(); }
    // What the read steps took in (read it once finished).
    const Bytes& received() const { return m_received; }

private:
    // Waits for fd to have events, or the stop request (false), or ms.
    bool waitFor(int fd, short events, int ms = -1)
    {
        pollfd fds[2] = {{fd, events, 0}, {m_stop, POLLIN, 0}};
        return poll(fds, 2, ms) >= 0 && !(fds[1].revents & POLLIN);
    }

    void run()
    {
        if (!waitFor(m_listen, POLLIN))
            return;
        m_client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (m_client < 0)
            return;
        int one = 1;
        setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        for (const Step& step : m_script) {
            if (!play(step))
                return;
        }
        m_finished = true;
        waitFor(-1, 0);
    }

    bool play(const Step& step)
    {
        switch (step.kind) {
        case Step::send:
            return ::send(m_client, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL) == (ssize_t)step.bytes.size();
        case Step::pause:
            return waitFor(-1, 0, step.amount);
        case Step::read:
            for (int left = step.amount; left > 0;) {
                unsigned char buffer[4096];
                if (!waitFor(m_client, POLLIN))
                    return false;
                ssize_t got = recv(m_client, buffer, std::min<size_t>(sizeof buffer, (size_t)left), 0);
                if (got <= 0)
                    return false;
                m_received.insert(m_received.end(), buffer, buffer + got);
                left -= (int)got;
            }
            return true;
        case Step::close:
            ::close(m_client);
            m_client = -1;
            return true;
        }
        return false;
    }

    std::vector<Step> m_script;
    int m_stop = -1;
    int m_listen = -1;
    int m_client = -1;
    unsigned m_port = 0;
    std::atomic<bool> m_finished{false};
    Bytes m_received;
    std::thread m_thread;
};
