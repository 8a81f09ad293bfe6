#pragma once
// CLdapExchange: how requests and responses of one directory session meet.
// It hands out message IDs, keeps one record per outstanding request, and
// sorts arriving responses: the awaited one is handed out, one for another
// outstanding request waits in that request's queue, anything else is
// dropped. One exchange serves one thread; it has no lock.
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "dirlink/dirclient/ldap_client.h"
#include "vaultcore/ldapmsg/ldap_message.h"

// An outstanding request and the responses that came for it before
// anybody asked, oldest first.
struct PendingRequest {
    DWORD messageId;
    std::deque<std::unique_ptr<CASN1_LDAPMessage>> queue;
};

class DIRLINK_API CLdapExchange {
public:
    CLdapExchange() = default;
    ~CLdapExchange() { Clear(); }
    CLdapExchange(const CLdapExchange&) = delete;
    CLdapExchange& operator=(const CLdapExchange&) = delete;

    // The ID for the next request: the counter's value, which then moves
    // on. 0 is never handed out (it marks the server's unsolicited
    // notifications), and after the protocol's largest ID, 2^31 - 1, the
    // count starts again at 1.
    DWORD NextMessageId();

    // Registers an outstanding request unless one with that ID exists.
    // FALSE only when memory ran out.
    BOOL AddPendingRequest(DWORD messageId);
    // The next response for a registered request: a queued one without
    // reading, else read from client until it comes. The caller owns the
    // message. FALSE when the request is not registered, the receive
    // failed, or a message arrived that is not a valid LDAP message.
    BOOL WaitForResponse(CLdapClient* client, DWORD messageId, CASN1_LDAPMessage*& message);
    // The same, for callers that read some messages faster than the general
    // decoding: a message that arrives with the awaited ID is first offered,
    // as it arrived, to quick(bytes); when quick takes it (TRUE), the call
    // returns TRUE with message null.
    BOOL WaitForResponse(CLdapClient* client, DWORD messageId, CASN1_LDAPMessage*& message,
                         const std::function<BOOL(const CByteArray& bytes)>& quick);
    // Forgets a request together with every response still queued for it.
    void RemovePendingRequest(DWORD messageId);
    // Forgets every request.
    void Clear();

    BOOL IsPending(DWORD messageId) const { return find(messageId) != nullptr; }
    // How many responses wait for a request (0 when it is not registered).
    int GetQueuedCount(DWORD messageId) const;

    DWORD m_nextMessageId = 0;

private:
    PendingRequest* find(DWORD messageId) const;

    std::vector<std::unique_ptr<PendingRequest>> m_pending;  // in creation order
};
