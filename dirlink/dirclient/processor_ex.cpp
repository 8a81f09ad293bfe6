#include "dirlink/dirclient/processor_ex.h"

IMPLEMENT_DYNAMIC(CProcessorEx, CClientSocketEx)

namespace {
// The live processors of the process, built when the library is loaded and
// destroyed when it is unloaded.
struct ProcessorRegistry {
    CCriticalSection lock;
    CPtrArray processors;
} registry;
}  // namespace

CProcessorEx::CProcessorEx()
{
    m_created.Set(GetTickCount());
    CSingleLock lock(&registry.lock, TRUE);
    registry.processors.Add(this);
}

CProcessorEx::~CProcessorEx()
{
    CSingleLock lock(&registry.lock, TRUE);
    for (int i = 0; i < registry.processors.GetSize(); ++i) {
        if (registry.processors[i] == this) {
            registry.processors.RemoveAt(i);
            break;
        }
    }
}

void CProcessorEx::EnumProcessors(BOOL (*visit)(CProcessorEx*, void*), void* context)
{
    CSingleLock lock(&registry.lock, TRUE);
    for (int i = 0; i < registry.processors.GetSize(); ++i) {
        if (!visit(static_cast<CProcessorEx*>(registry.processors[i]), context))
            break;
    }
}

void CProcessorEx::CancelBlockingCall()
{
    m_breakRequested.store(1);
    CClientSocketEx::CancelBlockingCall();
}

int CProcessorEx::Cancel()
{
    if (m_hSocket != INVALID_SOCKET)
        CancelBlockingCall();
    return 1;
}

int CProcessorEx::Send(const void* buffer, int len, int flags)
{
    int sent = CClientSocketEx::Send(buffer, len, flags);
    if (sent > 0)
        m_bytesSent.Add((ULONGLONG)sent);
    return sent;
}

int CProcessorEx::Receive(void* buffer, int len, int flags)
{
    int received = CClientSocketEx::Receive(buffer, len, flags);
    if (received > 0)
        m_bytesReceived.Add((ULONGLONG)received);
    return received;
}

void CProcessorEx::Close()
{
    if (m_hSocket != INVALID_SOCKET)
        m_closed.Set(GetTickCount());
    CClientSocketEx::Close();
}

void CProcessorEx::RecordConnection()
{
    CString address;
    UINT port = 0;
    if (GetPeerName(address, port)) {
        m_peerAddress.Set(address);
        m_peerPort.Set(port);
    }
    if (GetSockName(address, port)) {
        m_localAddress.Set(address);
        m_localPort.Set(port);
    }
    m_connected.Set(GetTickCount());
}
