#pragma once
// CLdapClient: one TCP connection to a directory server. It connects, sends
// one DER-encoded message at a time, reads back exactly one whole DER
// message per call, and tells its owner about the connection's events.
// No exception leaves it: every failure is traced, shuts the connection
// down and is reported as FALSE.
#include "dirlink/dirclient/processor_ex.h"

// Events a client reports to its owner.
enum ClientEvent {
    clientDone = 5,           // the connection has been shut down (ClientDone)
    clientCancel = 10,        // Cancel was called on an open connection
    clientConnecting = 14,    // Connect starts
    clientConnected = 16,     // the connection is established
    clientServerClosed = 17,  // the server closed the connection
};

// The owner of a client; it outlives the client.
class DIRLINK_API IClientEvents {
public:
    // code is a ClientEvent; the client passes 0 for p1 to p4.
    virtual void OnClientEvent(unsigned long code, void* p1, void* p2, void* p3, void* p4) = 0;

protected:
    ~IClientEvents() = default;
};

class DIRLINK_API CLdapClient : public CProcessorEx {
    DECLARE_DYNAMIC(CLdapClient)
public:
    // A receive that waits longer than this for its next bytes fails.
    static constexpr DWORD kDefaultReceiveTimeout = 600000;
    // A message announcing more than this many octets is refused.
    static constexpr DWORD kDefaultMaxMessageSize = 64 * 1024 * 1024;

    // A new client (no socket yet) reporting to owner; null when it could
    // not be made.
    static CLdapClient* Create(IClientEvents* owner);
    // ClientDone, then deletion. Not while one of the client's blocking
    // calls is still on the stack.
    void Destroy();

    // Resolves and connects (within the connect time-out). TRUE when connected.
    BOOL Connect(LPCTSTR host, UINT port);
    // Sends the whole encoded message in one socket call. FALSE when the
    // socket is not open or the send failed (the connection is then shut down).
    BOOL SendRequest(const CByteArray& request);
    // Reads exactly one DER message into response, never beyond it: a look
    // at the header without taking it, then header and contents together
    // when the look showed the whole length (else the header two octets at
    // a time, then the rest). FALSE when the
    // socket is not open or the receive failed: cancelled, timed out, closed
    // by the server, a header the length rules refuse, or a message above
    // the size limit; the connection is then shut down and response is empty.
    BOOL ReceiveResponse(CByteArray& response);
    // Ends a ReceiveResponse of this thread that is waiting for the first
    // octet of a message, leaving the connection open: that call returns
    // FALSE and WasReceiveInterrupted() answers TRUE. A receive in the middle
    // of a message reads on to its end. Does nothing when no receive is in
    // progress. For the thread's message procedures (the socket pumps them
    // while it waits), so that an owner can stop waiting without losing the
    // connection.
    void InterruptReceive();
    // Whether the last ReceiveResponse ended through InterruptReceive.
    BOOL WasReceiveInterrupted() const { return m_bReceiveInterrupted; }
    BOOL IsOpen() const { return m_hSocket != INVALID_SOCKET; }
    // Stops the receive timer, closes the socket and tells the owner clientDone.
    void ClientDone();

    int Cancel() override;
    int GetProcessorKind() override { return kLdapProcessor; }
    // The server closed the connection: tells the owner, then ClientDone.
    void OnClose(int errorCode) override;

    // Milliseconds one receive call may wait (0: no limit).
    void SetReceiveTimeout(DWORD milliseconds) { m_dwReceiveTimeout = milliseconds; }
    DWORD GetReceiveTimeout() const { return m_dwReceiveTimeout; }
    // Largest message accepted, in octets (at most 0x7FFFFFFF).
    void SetMaxMessageSize(DWORD octets) { m_dwMaxMessageSize = octets > 0x7FFFFFFF ? 0x7FFFFFFF : octets; }
    DWORD GetMaxMessageSize() const { return m_dwMaxMessageSize; }
    // What the last failure was ("THREAD_CATCH:CLdapClient::ReceiveResponse:
    // File-specific exception: ..."), empty when there was none.
    CString GetLastFailure() const { return m_strLastFailure; }

    IClientEvents* m_pOwner;

protected:
    explicit CLdapClient(IClientEvents* owner);
    ~CLdapClient() override = default;

    BOOL DER_Send(const CByteArray& request);
    BOOL DER_Receive(CByteArray& response);

private:
    void notifyOwner(unsigned long code);
    // Runs work, catching every exception in the class library's order:
    // traced with prefix and its kind, its text kept as the last failure,
    // deleted. FALSE when one was caught.
    template <class Work>
    BOOL guarded(const char* prefix, Work work);
    // The clean-up after a caught failure.
    void shutDownAfterFailure();

    DWORD m_dwReceiveTimeout = kDefaultReceiveTimeout;
    DWORD m_dwMaxMessageSize = kDefaultMaxMessageSize;
    CString m_strLastFailure;
    BOOL m_bInterruptRequested = FALSE;
    BOOL m_bReceiveInterrupted = FALSE;
};
