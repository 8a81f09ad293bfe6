#include "netcore/client_socket.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <new>

#include "netcore/dns_exception.h"
#include "netcore/name_resolution.h"

IMPLEMENT_DYNAMIC(CClientSocketEx, CObject)

static_assert(std::atomic<int>::is_always_lock_free, "the cancel flag is set from signal handlers");

namespace {
thread_local int t_lastError = 0;

const uint64_t kNoDeadline = UINT64_MAX;

// Messages one pump round dispatches at most before the socket is looked
// at again, so a procedure that keeps posting cannot stall the call.
const int kMaxDispatchPerRound = 100;

uint64_t nowMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
}

int failWith(int error)
{
    t_lastError = error;
    return -1;
}

BOOL failed(int error)
{
    t_lastError = error;
    return FALSE;
}

BOOL addressText(const sockaddr_storage& address, CString& text, UINT& port)
{
    char buffer[INET6_ADDRSTRLEN];
    const void* raw;
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        raw = &v4.sin_addr;
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        raw = &v6.sin6_addr;
        port = ntohs(v6.sin6_port);
    } else {
        t_lastError = EAFNOSUPPORT;
        return FALSE;
    }
    if (!inet_ntop(address.ss_family, raw, buffer, sizeof buffer)) {
        t_lastError = errno;
        return FALSE;
    }
    text = buffer;
    return TRUE;
}
}  // namespace

// Marks the object as in a call for the scope's lifetime and remembers
// which Close came last, so a Close from a message procedure is noticed.
class CClientSocketEx::CallScope {
public:
    CallScope(CClientSocketEx* socket, BlockingCall kind) : m_socket(socket)
    {
        socket->m_nBlockingCall = kind;
        socket->m_nCallCloseCount = socket->m_nCloseCount;
    }
    ~CallScope() { m_socket->m_nBlockingCall = callNone; }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    CClientSocketEx* m_socket;
};

CClientSocketEx::CClientSocketEx()
{
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        m_nWakeError = errno;
}

CClientSocketEx::~CClientSocketEx()
{
    CClientSocketEx::Close();
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

int CClientSocketEx::GetLastError()
{
    return t_lastError;
}

int CClientSocketEx::refusal(BOOL needsSocket) const
{
    if (m_nBlockingCall != callNone)
        return EINPROGRESS;
    if (m_wakeFd < 0)
        return m_nWakeError;
    if (needsSocket && m_hSocket == INVALID_SOCKET)
        return ENOTCONN;
    return 0;
}

BOOL CClientSocketEx::keepGoing(uint64_t deadline)
{
    MSG msg;
    for (int n = 0; n < kMaxDispatchPerRound && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            // The thread is asked to end: give up the call and leave the
            // request for the thread's own loop.
            PostQuitMessage((int)msg.wParam);
            t_lastError = EINTR;
            return FALSE;
        }
        DispatchMessage(&msg);
        if (m_cancelRequested.load() || m_nCloseCount != m_nCallCloseCount)
            break;
    }
    if (m_cancelRequested.exchange(0)) {
        t_lastError = EINTR;
        return FALSE;
    }
    if (m_nCloseCount != m_nCallCloseCount) {
        t_lastError = ECONNABORTED;
        return FALSE;
    }
    uint64_t now = nowMs();
    if ((m_bTimerArmed && now >= m_timerDeadline) || now >= deadline) {
        t_lastError = ETIMEDOUT;
        return FALSE;
    }
    return TRUE;
}

BOOL CClientSocketEx::waitReady(int fd, short events, uint64_t deadline)
{
    for (;;) {
        if (!keepGoing(deadline))
            return FALSE;
        uint64_t limit = deadline;
        if (m_bTimerArmed && m_timerDeadline < limit)
            limit = m_timerDeadline;
        int timeout = -1;
        if (limit != kNoDeadline) {
            uint64_t left = limit - nowMs();  // keepGoing saw limit still ahead
            timeout = left > (uint64_t)INT_MAX ? INT_MAX : (int)left;
        }
        pollfd fds[2] = {{fd, events, 0}, {m_wakeFd, POLLIN, 0}};
        if (MsgWaitForDescriptors(fds, 2, timeout) < 0) {
            t_lastError = errno;
            return FALSE;
        }
        if (fds[1].revents & POLLIN) {
            uint64_t counter;
            ssize_t got = read(m_wakeFd, &counter, sizeof counter);
            (void)got;
        }
        if (fds[0].revents && !m_cancelRequested.load())
            return TRUE;
    }
}

BOOL CClientSocketEx::Connect(LPCTSTR host, UINT port)
{
    if (int error = refusal(FALSE))
        return failed(error);
    if (m_hSocket != INVALID_SOCKET)
        return failed(EISCONN);
    if (port == 0 || port > 65535)
        return failed(EINVAL);

    CallScope scope(this, callConnect);
    m_bPeerClosed = FALSE;
    uint64_t deadline = m_nConnectTimeout ? nowMs() + m_nConnectTimeout : kNoDeadline;
    addrinfo* addresses = nullptr;
    try {
        NameResolution resolution(host, port);
        if (!resolution.start())
            return failed(errno);
        while (!resolution.done()) {
            if (!waitReady(resolution.readyFd(), POLLIN, deadline))
                return FALSE;
        }
        if (int error = resolution.error())
            AfxThrowDnsException(error, host);
        addresses = resolution.takeAddresses();
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }

    BOOL connected = FALSE;
    for (const addrinfo* address = addresses; address && !connected; address = address->ai_next) {
        connected = connectTo(address, deadline);
        int error = t_lastError;
        if (!connected && (error == EINTR || error == ETIMEDOUT || error == ECONNABORTED))
            break;  // the call itself ended: no further address is tried
    }
    freeaddrinfo(addresses);
    return connected;
}

BOOL CClientSocketEx::connectTo(const addrinfo* address, uint64_t deadline)
{
    int fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0)
        return failed(errno);
    m_hSocket = fd;
    // Requests are single small writes each waiting for their answer:
    // coalescing them would only add delay.
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    int error = 0;
    if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            if (waitReady(fd, POLLOUT, deadline)) {
                socklen_t length = sizeof error;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            } else {
                error = t_lastError;
            }
        }
    }
    if (error == 0)
        return TRUE;
    t_lastError = error;
    if (m_hSocket == fd) {  // not already closed by a message procedure
        close(fd);
        m_hSocket = INVALID_SOCKET;
    }
    return FALSE;
}

int CClientSocketEx::Send(const void* buffer, int len, int flags)
{
    if (int error = refusal(TRUE))
        return failWith(error);
    if (len < 0 || (!buffer && len > 0))
        return failWith(EINVAL);

    const char* data = static_cast<const char*>(buffer);
    int result = 0;
    int closedBy = -1;
    {
        CallScope scope(this, callSend);
        while (result < len) {
            if (!keepGoing(kNoDeadline)) {
                result = -1;
                break;
            }
            ssize_t sent = send(m_hSocket, data + result, (size_t)(len - result), flags | MSG_NOSIGNAL);
            if (sent >= 0) {
                result += (int)sent;
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!waitReady(m_hSocket, POLLOUT, kNoDeadline)) {
                    result = -1;
                    break;
                }
                continue;
            }
            t_lastError = errno;
            if (errno == EPIPE || errno == ECONNRESET)
                closedBy = errno;
            result = -1;
            break;
        }
    }
    if (closedBy >= 0)
        peerClosed(closedBy);
    return result;
}

int CClientSocketEx::Receive(void* buffer, int len, int flags)
{
    if (int error = refusal(TRUE))
        return failWith(error);
    if (len < 0 || (!buffer && len > 0))
        return failWith(EINVAL);
    if (len == 0)
        return 0;

    int result;
    int closedBy = -1;
    {
        CallScope scope(this, callReceive);
        for (;;) {
            if (!keepGoing(kNoDeadline)) {
                result = -1;
                break;
            }
            ssize_t got = recv(m_hSocket, buffer, (size_t)len, flags);
            if (got > 0) {
                result = (int)got;
                break;
            }
            if (got == 0) {
                t_lastError = 0;
                closedBy = 0;
                result = 0;
                break;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!waitReady(m_hSocket, POLLIN, kNoDeadline)) {
                    result = -1;
                    break;
                }
                continue;
            }
            t_lastError = errno;
            if (errno == ECONNRESET)
                closedBy = errno;
            result = -1;
            break;
        }
    }
    if (closedBy >= 0)
        peerClosed(closedBy);
    return result;
}

void CClientSocketEx::peerClosed(int errorCode)
{
    if (m_bPeerClosed)
        return;
    m_bPeerClosed = TRUE;
    // The caller reads the last error after the call: OnClose's own socket
    // work (closing, say) must not change it.
    int lastError = t_lastError;
    OnClose(errorCode);
    t_lastError = lastError;
}

void CClientSocketEx::Close()
{
    if (m_hSocket != INVALID_SOCKET) {
        close(m_hSocket);
        m_hSocket = INVALID_SOCKET;
    }
    ++m_nCloseCount;
    m_cancelRequested.store(0);  // a cancel aimed at this connection ends with it
}

void CClientSocketEx::CancelBlockingCall()
{
    int savedErrno = errno;  // a signal handler must leave errno as it was
    m_cancelRequested.store(1);
    if (m_wakeFd >= 0) {
        uint64_t one = 1;
        ssize_t written = write(m_wakeFd, &one, sizeof one);
        (void)written;
    }
    errno = savedErrno;
}

void CClientSocketEx::OnClose(int) {}

BOOL CClientSocketEx::GetPeerName(CString& address, UINT& port) const
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (m_hSocket == INVALID_SOCKET)
        return failed(ENOTCONN);
    if (getpeername(m_hSocket, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return failed(errno);
    return addressText(peer, address, port);
}

BOOL CClientSocketEx::GetSockName(CString& address, UINT& port) const
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (m_hSocket == INVALID_SOCKET)
        return failed(ENOTCONN);
    if (getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return failed(errno);
    return addressText(local, address, port);
}

void CClientSocketEx::SetTimer(UINT milliseconds)
{
    m_timerDeadline = nowMs() + milliseconds;
    m_bTimerArmed = TRUE;
}

void CClientSocketEx::KillTimer()
{
    m_bTimerArmed = FALSE;
}
