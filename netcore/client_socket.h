#pragma once
// CClientSocketEx: a blocking TCP client socket that keeps the calling
// thread's window messages flowing while it blocks.
//
// Every blocking call (Connect, Send, Receive) waits in poll and, while it
// waits, dispatches the calling thread's queued messages and timers, so a
// host's window procedures run and may call back into their objects
// re-entrantly: CancelBlockingCall or Close end the call in progress, and a
// second blocking call on the same socket is refused. A call ends with -1
// (or FALSE) and GetLastError() says why: EINTR when cancelled (or when the
// pump met WM_QUIT, which it leaves in the queue), ETIMEDOUT when the timer
// or the connect time-out ran out, ECONNABORTED when the socket was closed
// under it, EINPROGRESS for a nested call, otherwise the system's errno.
//
// A socket object belongs to one thread at a time; only CancelBlockingCall
// may be called from any thread, and from a signal handler.
#include <atomic>
#include <cstdint>

#include "platform/afx.h"
#include "netcore/netcore_export.h"

typedef int SOCKET;
// All bits set: no socket.
const SOCKET INVALID_SOCKET = -1;

class NETCORE_API CClientSocketEx : public CObject {
    DECLARE_DYNAMIC(CClientSocketEx)
public:
    // What m_nBlockingCall holds while a call is in progress.
    enum BlockingCall { callNone = 0, callConnect = 1, callSend = 2, callReceive = 3 };

    // Connect gives up after this long unless told otherwise.
    static constexpr UINT kDefaultConnectTimeout = 30000;

    CClientSocketEx();
    ~CClientSocketEx() override;
    CClientSocketEx(const CClientSocketEx&) = delete;
    CClientSocketEx& operator=(const CClientSocketEx&) = delete;

    // Resolves host (a name, an IPv4 address, or an IPv6 address with or
    // without brackets), creates the socket and connects to the first
    // address that answers, all within the connect time-out. Nonzero on
    // success. A name the resolver does not know throws CDnsException;
    // every other failure returns FALSE with the last error set.
    BOOL Connect(LPCTSTR host, UINT port);
    // Sends all len bytes; returns len, or -1 when the call failed (bytes
    // may have gone out already: the stream is then unusable).
    virtual int Send(const void* buffer, int len, int flags = 0);
    // Reads at most len bytes, blocking until at least one is there.
    // Returns the count, 0 when the peer closed the connection (after
    // OnClose), or -1.
    virtual int Receive(void* buffer, int len, int flags = 0);
    // Closes the socket (m_hSocket becomes INVALID_SOCKET); a call blocked
    // on it ends with ECONNABORTED.
    virtual void Close();
    // Ends the blocking call in progress with EINTR; when none is in
    // progress, the next one ends so at once. Only async-signal-safe
    // operations: callable from another thread or a signal handler.
    virtual void CancelBlockingCall();
    // The peer closed the connection (errorCode 0) or reset it (the
    // errno). Called once per connection, by the call that noticed it,
    // after that call has ended its blocking state. Does nothing here.
    virtual void OnClose(int errorCode);

    // The calling thread's last error of this layer (errno values).
    static int GetLastError();

    // The peer's and the local address (numeric text, IPv6 without
    // brackets) and port. FALSE when the socket is not connected.
    BOOL GetPeerName(CString& address, UINT& port) const;
    BOOL GetSockName(CString& address, UINT& port) const;

    // Bounds the blocking calls that follow: once milliseconds have passed,
    // a waiting call ends with ETIMEDOUT, and so does every later one until
    // KillTimer. SetTimer again restarts the period. The deadline is kept by
    // the call itself rather than as a window timer: a WM_TIMER is made only
    // when the queue holds no posted message, so a busy queue could put a
    // time-out off without end.
    void SetTimer(UINT milliseconds);
    void KillTimer();

    // Milliseconds Connect may take for name resolution and the TCP
    // connection together; 0 means no limit.
    void SetConnectTimeout(UINT milliseconds) { m_nConnectTimeout = milliseconds; }
    UINT GetConnectTimeout() const { return m_nConnectTimeout; }

    BOOL IsBlocking() const { return m_nBlockingCall != callNone; }

    SOCKET m_hSocket = INVALID_SOCKET;
    // Non-zero (a BlockingCall) while the object is in a blocking call.
    int m_nBlockingCall = callNone;

private:
    class CallScope;
    // Why a call may not start (EINPROGRESS, ENOTCONN ...), or 0.
    int refusal(BOOL needsSocket) const;
    BOOL connectTo(const struct addrinfo* address, uint64_t deadline);
    // Pumps the thread's messages, then tells whether the call must end
    // (setting the last error): cancelled, timed out or closed.
    BOOL keepGoing(uint64_t deadline);
    // Waits until fd has one of events, pumping messages; FALSE (last error
    // set) when the call must end first.
    BOOL waitReady(int fd, short events, uint64_t deadline);
    void peerClosed(int errorCode);

    int m_wakeFd = -1;                       // eventfd that ends a waiting poll on cancel
    int m_nWakeError = 0;                    // why there is none: calls fail with it
    std::atomic<int> m_cancelRequested{0};   // lock-free, so a signal handler may set it
    UINT m_nConnectTimeout = kDefaultConnectTimeout;
    BOOL m_bTimerArmed = FALSE;
    uint64_t m_timerDeadline = 0;
    unsigned m_nCloseCount = 0;              // changes with every Close: a call sees its socket go
    unsigned m_nCallCloseCount = 0;
    BOOL m_bPeerClosed = FALSE;              // OnClose already told for this connection
};
