#include "dirlink/dirclient/ldap_client.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <sys/socket.h>

#include "dirlink/dirclient/connection_trace.h"
#include "vaultcore/asn1/der_encoding.h"

IMPLEMENT_DYNAMIC(CLdapClient, CProcessorEx)

namespace {
// A message body arrives in calls of at most this many octets, and the
// buffer grows only as they come: an announced length alone allocates
// nothing beyond one chunk.
const int kReceiveChunk = 64 * 1024;
// The longest header the length rules take: identifier, first length octet
// and up to four more.
const int kHeaderPeek = 6;

const char* orNone(const char* text)
{
    return text ? text : "";
}

[[noreturn]] void throwFileFailure(int osError, const char* text)
{
    AfxThrowFileException(CFileException::genericException, osError, text);
}
}  // namespace

CLdapClient::CLdapClient(IClientEvents* owner) : m_pOwner(owner) {}

CLdapClient* CLdapClient::Create(IClientEvents* owner)
{
    try {
        return new CLdapClient(owner);
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

void CLdapClient::Destroy()
{
    ClientDone();
    delete this;
}

void CLdapClient::notifyOwner(unsigned long code)
{
    if (m_pOwner)
        m_pOwner->OnClientEvent(code, nullptr, nullptr, nullptr, nullptr);
}

template <class Work>
BOOL CLdapClient::guarded(const char* prefix, Work work)
{
    const char* kind;
    CException* caught = nullptr;
    try {
        work();
        return TRUE;
    } catch (CMemoryException* e) {
        kind = "Out-of-memory exception";
        caught = e;
    } catch (const std::bad_alloc&) {
        kind = "Out-of-memory exception";
    } catch (CFileException* e) {
        kind = "File-specific exception";
        caught = e;
    } catch (CArchiveException* e) {
        kind = "Archive-specific exception";
        caught = e;
    } catch (CNotSupportedException* e) {
        kind = "Request for an unsupported operation";
        caught = e;
    } catch (CResourceException* e) {
        kind = "Windows resource not found or not createable";
        caught = e;
    } catch (CUserException* e) {
        kind = "User Exception";
        caught = e;
    } catch (CDnsException* e) {
        kind = "Dns Exception";
        caught = e;
    } catch (CException* e) {
        kind = "Unexpected MFC Exception";
        caught = e;
    } catch (...) {
        kind = "Unhandled ??? Exception";
    }
    char message[128] = "";
    if (caught) {
        caught->GetErrorMessage(message, sizeof message);
        caught->Delete();
    }
    connectionTrace(kTraceError, "%s%s", prefix, kind);
    m_strLastFailure = CString(prefix) + kind;
    if (message[0])
        m_strLastFailure += CString(": ") + message;
    return FALSE;
}

void CLdapClient::shutDownAfterFailure()
{
    guarded("THREAD_CATCH:(bRes = FALSE,ClientDone()): ", [&] { ClientDone(); });
}

void CLdapClient::ClientDone()
{
    guarded("THREAD_CATCH:ClientDone(): ", [&] {
        KillTimer();
        Close();
        notifyOwner(clientDone);
    });
}

BOOL CLdapClient::Connect(LPCTSTR host, UINT port)
{
    BOOL connected = FALSE;
    BOOL ran = guarded("THREAD_CATCH:CLdapClient::Connect: ", [&] {
        notifyOwner(clientConnecting);
        if (!CClientSocketEx::Connect(host, port)) {
            int error = GetLastError();
            connectionTrace(kTraceError, "Socket = %d, Connection to LDAP server [%s,%d] failed", m_hSocket,
                            orNone(host), (int)port);
            m_strLastFailure.Format("Connection to LDAP server [%s,%u] failed: %s", orNone(host), port,
                                    strerror(error));
            ClientDone();
            return;
        }
        connectionTrace(kTraceInformation, "Socket = %d, Created \"LDAP\" client, connection '%s'", m_hSocket,
                        orNone(host));
        RecordConnection();
        connectionTrace(kTraceInformation, "Socket = %d, SocketAddress=%s,SocketPort=%d,PeerAddress=%s,PeerPort=%d",
                        m_hSocket, (const char*)m_localAddress.Get(), (int)m_localPort.Get(),
                        (const char*)m_peerAddress.Get(), (int)m_peerPort.Get());
        notifyOwner(clientConnected);
        connected = TRUE;
    });
    if (!ran)
        shutDownAfterFailure();
    return ran && connected;
}

BOOL CLdapClient::SendRequest(const CByteArray& request)
{
    BOOL sent = FALSE;
    if (!guarded("THREAD_CATCH:CLdapClient::SendRequest: ", [&] { sent = DER_Send(request); })) {
        shutDownAfterFailure();
        return FALSE;
    }
    return sent;
}

BOOL CLdapClient::DER_Send(const CByteArray& request)
{
    if (!IsOpen())
        return FALSE;
    int size = request.GetSize();
    if (Send(request.GetData(), size, 0) != size)
        throwFileFailure(GetLastError(), "::DER_Send: Winsock Send Error");
    return TRUE;
}

BOOL CLdapClient::ReceiveResponse(CByteArray& response)
{
    m_bReceiveInterrupted = FALSE;
    m_bInterruptRequested = FALSE;
    BOOL received = FALSE;
    if (!guarded("THREAD_CATCH:CLdapClient::ReceiveResponse: ", [&] { received = DER_Receive(response); })) {
        response.RemoveAll();
        shutDownAfterFailure();
        return FALSE;
    }
    return received;
}

BOOL CLdapClient::DER_Receive(CByteArray& response)
{
    if (!IsOpen())
        return FALSE;
    response.SetSize(2);
    int received = 0;
    int headerBuffer = 2;  // grows by 2 until the length parser knows the total
    int total = 0;         // 0 until known
    bool peeked = false;
    auto takeLength = [&](long length) {
        if (length > 0) {
            if ((unsigned long)length > m_dwMaxMessageSize)
                throwFileFailure(0, "::DER_Receive: Message too large");
            total = (int)length;
        } else if (length != -1) {
            throwFileFailure(0, "::DER_Receive: BAD DER Encoding");
        }
    };
    for (;;) {
        if (m_breakRequested.load())
            throwFileFailure(0, "::DER_Receive: Winsock Receive break");

        // First a look at the header without taking it: when its length is
        // complete in what is there, header and contents come in one call
        // (two calls a message rather than three), and still no octet beyond
        // the message is taken.
        unsigned char head[kHeaderPeek];
        const bool peek = !total && received == 0 && !peeked;
        unsigned char* target = head;
        int wanted = kHeaderPeek;
        if (!peek && total) {
            wanted = total - received < kReceiveChunk ? total - received : kReceiveChunk;
            if (response.GetSize() < received + wanted) {
                // Doubling keeps the copies linear; the size never passes
                // twice what has arrived (plus one chunk), nor the total.
                long long grown = 2LL * received;
                if (grown < received + wanted)
                    grown = received + wanted;
                response.SetSize(grown < total ? (int)grown : total);
            }
            target = response.GetData() + received;
        } else if (!peek) {
            // Never past the header: its size is known from the second
            // octet, and the contents may be empty.
            int limit = headerBuffer;
            if (received >= 2 && (response[1] & 0x80)) {
                int headerSize = 2 + (response[1] & 0x7F);
                if (headerSize < limit)
                    limit = headerSize;
            }
            if (response.GetSize() < limit)
                response.SetSize(limit);
            wanted = limit - received;
            target = response.GetData() + received;
        }

        if (m_dwReceiveTimeout)
            SetTimer(m_dwReceiveTimeout);
        // A look is not counted in the statistics: the octets come again.
        int got = peek ? CClientSocketEx::Receive(target, wanted, MSG_PEEK) : Receive(target, wanted, 0);
        int error = GetLastError();
        KillTimer();
        if (got < 0 && error == EINTR && m_bInterruptRequested && !m_breakRequested.load()) {
            m_bInterruptRequested = FALSE;
            if (received == 0) {
                m_bReceiveInterrupted = TRUE;
                response.RemoveAll();
                return FALSE;
            }
            continue;  // part of a message is in: the rest follows
        }
        if (got <= 0)
            throwFileFailure(error, "::DER_Receive: Winsock Receive Error");
        if (peek) {
            peeked = true;
            takeLength(___extractEncodingLength(head, (unsigned long)got));
            continue;
        }
        received += got;

        if (!total) {
            long length = ___extractEncodingLength(response.GetData(), (unsigned long)received);
            takeLength(length);
            if (length == -1 && received == headerBuffer)
                headerBuffer += 2;
        }
        if (total && received == total) {
            response.SetSize(total);
            return TRUE;
        }
    }
}

void CLdapClient::InterruptReceive()
{
    if (m_nBlockingCall != callReceive)
        return;
    m_bInterruptRequested = TRUE;
    // Only the socket's own cancel: the processor's would fail every later receive.
    CClientSocketEx::CancelBlockingCall();
}

int CLdapClient::Cancel()
{
    if (!guarded("THREAD_CATCH:CLdapClient::Cancel: ", [&] {
            if (IsOpen()) {
                notifyOwner(clientCancel);
                CancelBlockingCall();
            }
        }))
        shutDownAfterFailure();
    return 1;
}

void CLdapClient::OnClose(int)
{
    if (!guarded("THREAD_CATCH:CLdapClient::OnClose: ", [&] {
            notifyOwner(clientServerClosed);
            ClientDone();
        }))
        shutDownAfterFailure();
}
