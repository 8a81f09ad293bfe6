#include "dirlink/dirclient/ldap_exchange.h"

#include "dirlink/dirclient/search_entry_reader.h"

#include <algorithm>
#include <new>

namespace {
const DWORD kMaxMessageId = 0x7FFFFFFF;

// The message in bytes, or null when they are not a valid LDAP message.
std::unique_ptr<CASN1_LDAPMessage> decodeMessage(const CByteArray& bytes)
{
    CDEREncoding* encoding = new CDEREncoding(TRUE, bytes);
    encoding->AddRef();
    std::unique_ptr<CASN1_LDAPMessage> message;
    try {
        message.reset(new CASN1_LDAPMessage(*encoding));
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    encoding->Release();
    return message;
}
}  // namespace

DWORD CLdapExchange::NextMessageId()
{
    if (m_nextMessageId == 0 || m_nextMessageId > kMaxMessageId)
        m_nextMessageId = 1;
    return m_nextMessageId++;
}

PendingRequest* CLdapExchange::find(DWORD messageId) const
{
    for (const auto& request : m_pending) {
        if (request->messageId == messageId)
            return request.get();
    }
    return nullptr;
}

BOOL CLdapExchange::AddPendingRequest(DWORD messageId)
{
    if (find(messageId))
        return TRUE;
    try {
        m_pending.push_back(std::unique_ptr<PendingRequest>(new PendingRequest{messageId, {}}));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CLdapExchange::WaitForResponse(CLdapClient* client, DWORD messageId, CASN1_LDAPMessage*& message)
{
    return WaitForResponse(client, messageId, message, nullptr);
}

BOOL CLdapExchange::WaitForResponse(CLdapClient* client, DWORD messageId, CASN1_LDAPMessage*& message,
                                    const std::function<BOOL(const CByteArray& bytes)>& quick)
{
    message = nullptr;
    PendingRequest* request = find(messageId);
    if (!request)
        return FALSE;
    if (!request->queue.empty()) {
        message = request->queue.front().release();
        request->queue.pop_front();
        return TRUE;
    }
    if (!client)
        return FALSE;
    try {
        for (;;) {
            CByteArray bytes;
            if (!client->ReceiveResponse(bytes))
                return FALSE;
            DWORD peeked;
            if (quick && ldapPeekMessageId(bytes.GetData(), (unsigned long)bytes.GetSize(), peeked) &&
                peeked == messageId && quick(bytes))
                return TRUE;
            std::unique_ptr<CASN1_LDAPMessage> response = decodeMessage(bytes);
            unsigned long id;
            if (!response || !response->get_messageID().GetInteger(id))
                return FALSE;
            if (id == messageId) {
                message = response.release();
                return TRUE;
            }
            // Looked up afresh: the host may have changed the records while
            // the receive pumped its messages. Unsolicited messages go.
            if (PendingRequest* other = find((DWORD)id))
                other->queue.push_back(std::move(response));
        }
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return FALSE;
}

void CLdapExchange::RemovePendingRequest(DWORD messageId)
{
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [&](const std::unique_ptr<PendingRequest>& r) { return r->messageId == messageId; }),
                    m_pending.end());
}

void CLdapExchange::Clear()
{
    m_pending.clear();
}

int CLdapExchange::GetQueuedCount(DWORD messageId) const
{
    PendingRequest* request = find(messageId);
    return request ? (int)request->queue.size() : 0;
}
