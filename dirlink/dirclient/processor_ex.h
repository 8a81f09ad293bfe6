#pragma once
// CProcessorEx: a client socket that keeps statistics of its connection and
// registers itself in a process-wide list of live processors; and
// IProcessorControl, through which others cancel its blocking calls.
#include <atomic>

#include "netcore/netcore.h"
#include "dirlink/dirlink_export.h"

// The control interface of a processor (operations in slot order).
class DIRLINK_API IProcessorControl {
public:
    virtual CClientSocketEx* GetSocket() = 0;
    // Reserved; answers 0.
    virtual int ReservedQuery() = 0;
    // Makes the blocking call in progress, and every receive after it, fail.
    // Safe from another thread and from a signal handler.
    virtual void CancelBlockingCall() = 0;
    // When the socket is open: tells the owner and cancels the blocking
    // call. Returns 1.
    virtual int Cancel() = 0;
    // What kind of processor this is (kLdapProcessor for CLdapClient).
    virtual int GetProcessorKind() = 0;

protected:
    ~IProcessorControl() = default;
};

const int kLdapProcessor = 11;

// One statistics value with a lock of its own: readers and writers on any
// thread take only this value's lock.
template <class T>
class CStatisticsField {
public:
    T Get() const
    {
        CSingleLock lock(&m_lock, TRUE);
        return m_value;
    }
    void Set(const T& value)
    {
        CSingleLock lock(&m_lock, TRUE);
        m_value = value;
    }
    void Add(const T& amount)
    {
        CSingleLock lock(&m_lock, TRUE);
        m_value += amount;
    }

private:
    mutable CCriticalSection m_lock;
    T m_value{};
};

class DIRLINK_API CProcessorEx : public CClientSocketEx, public IProcessorControl {
    DECLARE_DYNAMIC(CProcessorEx)
public:
    // Adds the processor to the registry (CMemoryException when it cannot).
    CProcessorEx();
    // Removes it from the registry.
    ~CProcessorEx() override;

    CClientSocketEx* GetSocket() override { return this; }
    int ReservedQuery() override { return 0; }
    // Sets m_breakRequested, then cancels the socket's blocking call.
    void CancelBlockingCall() override;
    int Cancel() override;
    int GetProcessorKind() override { return 0; }

    // The socket operations, recording what passes: the bytes of every
    // call that moved some, and the time of closing a live socket.
    int Send(const void* buffer, int len, int flags = 0) override;
    int Receive(void* buffer, int len, int flags = 0) override;
    void Close() override;

    // Calls visit for every live processor, in creation order, while the
    // registry's lock is held (visit must not create or destroy one);
    // stops when visit returns FALSE.
    static void EnumProcessors(BOOL (*visit)(CProcessorEx* processor, void* context), void* context);

    CStatisticsField<DWORD> m_created;    // tick count at construction
    CStatisticsField<DWORD> m_connected;  // tick count when the connection was made
    CStatisticsField<DWORD> m_closed;     // tick count when a live socket was last closed
    CStatisticsField<ULONGLONG> m_bytesSent;
    CStatisticsField<ULONGLONG> m_bytesReceived;
    CStatisticsField<CString> m_localAddress;
    CStatisticsField<UINT> m_localPort;
    CStatisticsField<CString> m_peerAddress;
    CStatisticsField<UINT> m_peerPort;
    // Set by CancelBlockingCall. A lock-free flag rather than a locked
    // field, so that a signal handler may set it.
    std::atomic<int> m_breakRequested{0};

protected:
    // Records the connected time and both ends' addresses and ports.
    void RecordConnection();
};
