#pragma once
// A loopback TCP server for socket and connection tests: on a thread of its
// own it accepts one client and plays a script of sends (one send call each,
// Nagle off, so a pause splits segments), pauses, reads and a close. It then
// holds the connection until destroyed; the destructor stops it wherever it is.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

class ScriptedServer {
public:
    using Bytes = std::vector<unsigned char>;
    struct Step {
        enum Kind { send, pause, read, close } kind;
        Bytes bytes;     // send: what goes out
        int amount = 0;  // pause: milliseconds; read: octets taken in
    };
    static Step Send(Bytes bytes) { return Step{Step::send, std::move(bytes), 0}; }
    static Step Pause(int ms) { return Step{Step::pause, {}, ms}; }
    static Step Read(int octets) { return Step{Step::read, {}, octets}; }
    static Step Close() { return Step{Step::close, {}, 0}; }

    // Listens on 127.0.0.1, or ::1 with ipv6, at a free port; ok() is false
    // when that is impossible (no IPv6 here, say).
    explicit ScriptedServer(std::vector<Step> script, bool ipv6 = false) : m_script(std::move(script))
    {
        sockaddr_in6 v6{};
        sockaddr_in v4{};
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_loopback;
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sockaddr* address = ipv6 ? (sockaddr*)&v6 : (sockaddr*)&v4;
        socklen_t length = ipv6 ? sizeof v6 : sizeof v4;
        m_listen = socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (bind(m_listen, address, length) != 0 || listen(m_listen, 4) != 0 ||
            getsockname(m_listen, address, &length) != 0)
            return;
        m_port = ntohs(ipv6 ? v6.sin6_port : v4.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~ScriptedServer()
    {
        uint64_t one = 1;
        ssize_t written = write(m_stop, &one, sizeof one);
        (void)written;
        if (m_thread.joinable())
            m_thread.join();
        for (int fd : {m_client, m_listen, m_stop})
            ::close(fd);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    bool ok() const { return m_port != 0; }
    unsigned port() const { return m_port; }
    bool finished() const { return m_finished.load(); }
    const Bytes& received() const { return m_received; }  // once finished

private:
    // Waits for events on fd (none: just the time); false on the stop request.
    bool waitFor(int fd, short events, int ms = -1)
    {
        pollfd fds[2] = {{fd, events, 0}, {m_stop, POLLIN, 0}};
        return poll(fds, 2, ms) >= 0 && !(fds[1].revents & POLLIN);
    }
    void run()
    {
        if (!waitFor(m_listen, POLLIN) || (m_client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC)) < 0)
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
                unsigned char buffer[65536];
                ssize_t got = waitFor(m_client, POLLIN) ? recv(m_client, buffer, std::min<size_t>(sizeof buffer, left), 0) : -1;
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
    int m_stop = eventfd(0, EFD_CLOEXEC);
    int m_listen = -1;
    int m_client = -1;
    unsigned m_port = 0;
    std::atomic<bool> m_finished{false};
    Bytes m_received;
    std::thread m_thread;
};
