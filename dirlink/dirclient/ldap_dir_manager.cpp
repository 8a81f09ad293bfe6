#include "dirlink/dirclient/ldap_dir_manager.h"

#include <memory>
#include <new>

#include "dirlink/dirclient/message_parts.h"
#include "dirlink/dirclient/request_builders.h"
#include "dirlink/dirclient/response_parsers.h"
#include "dirlink/dirclient/search_entry_reader.h"

namespace {

// AbandonRequest ::= [APPLICATION 16] MessageID
const unsigned char kAbandonRequest = 0x50;

// LDAP result codes a compare answers with.
const DWORD kCompareFalse = 5, kCompareTrue = 6;

struct Releaser {
    void operator()(IReferable* object) const { object->Release(); }
};

CString textOf(const CASN1Type& value)
{
    CString text;
    value.GetString(text);
    return text;
}

}  // namespace

struct CLdapDirManager::RequestKind {
    unsigned long started, ended;
    const char* sendFailure;
    const char* receiveFailure;
    BOOL (*expected)(const CASN1_ProtocolOpChoice& operation);
    const char* unreadable;  // the result part cannot be read
    const char* rejection;   // the server's message and the code's text
};

// clang-format off
const CLdapDirManager::RequestKind CLdapDirManager::kModify = {
    DNOTIFY_MODIFY_STARTED, DNOTIFY_MODIFY_ENDED, "Modification request failed.",
    "Failed to receive modification response.",
    [](const CASN1_ProtocolOpChoice& op) { return op.is_modifyResponse(); },
    "Unexpected response received.", "Modify failed (server rejected: \"%s\", code: %s)."};
const CLdapDirManager::RequestKind CLdapDirManager::kAdd = {
    DNOTIFY_ADD_STARTED, DNOTIFY_ADD_ENDED, "Add request failed.",
    "Failed to receive modification response.",
    [](const CASN1_ProtocolOpChoice& op) { return op.is_addResponse(); },
    "Unexpected response received.", "Add failed (server rejected: \"%s\", code: %s)."};
const CLdapDirManager::RequestKind CLdapDirManager::kDelete = {
    DNOTIFY_DELETE_STARTED, DNOTIFY_DELETE_ENDED, "Delete request failed.",
    "Failed to receive Delete response.",
    [](const CASN1_ProtocolOpChoice& op) { return op.is_delResponse(); },
    "Invalid response received.", "Delete failed (server rejected: \"%s\", code: %s)."};
const CLdapDirManager::RequestKind CLdapDirManager::kModifyDn = {
    DNOTIFY_MODDN_STARTED, DNOTIFY_MODDN_ENDED, "Modify request failed.",
    "Failed to receive Modify response.",
    [](const CASN1_ProtocolOpChoice& op) { return op.is_modDNResponse(); },
    "Invalid response received.", "Modify failed (server rejected: \"%s\", code: %s)."};
const CLdapDirManager::RequestKind CLdapDirManager::kCompare = {
    DNOTIFY_COMPARE_STARTED, DNOTIFY_COMPARE_ENDED, "Compare request failed.",
    "Failed to receive Compare response.",
    [](const CASN1_ProtocolOpChoice& op) { return op.is_compareResponse(); },
    "Invalid response received.", "Compare failed (server rejected: \"%s\", code: %s)."};
const CLdapDirManager::RequestKind CLdapDirManager::kExtended = {
    DNOTIFY_EXTENDED_STARTED, DNOTIFY_EXTENDED_ENDED, "Extended request failed.",
    "Failed to receive ExtendedResponse.",
    [](const CASN1_ProtocolOpChoice& op) { return op.is_extendedResp(); },
    "Invalid response received.", "Extended Request failed (server rejected: \"%s\", code: %s)."};
// clang-format on

IX500DirManager* CreateLdapDirManager()
{
    try {
        CLdapDirManager* manager = new CLdapDirManager;
        manager->AddRef();
        return manager;
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

CLdapDirManager::CLdapDirManager()
{
    SetDefaults();
}

CLdapDirManager::~CLdapDirManager()
{
    CLdapDirManager::Clear();
}

void CLdapDirManager::Clear()
{
    if (m_pClient) {
        m_pClient->Destroy();
        m_pClient = nullptr;
    }
    m_bBusy = FALSE;
    releaseRetiredClients();
    m_bLoggedIn = FALSE;
    m_bInterrupted = FALSE;
    m_pAbandonFlag = nullptr;
    m_settings.m_server.Empty();
    m_serverUrl.Empty();
    m_exchange.Clear();
}

void CLdapDirManager::SetDefaults()
{
    m_settings.SetDefaults();
    m_serverUrl.Empty();
    m_protocolVersion = kDefaultProtocolVersion;
    m_connectTimeout = CClientSocketEx::kDefaultConnectTimeout;
    m_receiveTimeout = CLdapClient::kDefaultReceiveTimeout;
    m_maxMessageSize = CLdapClient::kDefaultMaxMessageSize;
}

template <class Work>
void CLdapDirManager::guarded(Work work)
{
    try {
        work();
    } catch (CDERDecodingException* e) {
        e->Delete();
        SetErrorMessage("Corrupted response received.");
    } catch (CMemoryException* e) {
        e->Delete();
        SetErrorMessage("Out of memory.");
    } catch (CException* e) {
        char text[128] = "";
        e->GetErrorMessage(text, sizeof text);
        e->Delete();
        SetErrorMessage("Unexpected failure: %s", text);
    } catch (const std::bad_alloc&) {
        SetErrorMessage("Out of memory.");
    } catch (...) {
        SetErrorMessage("Unexpected failure.");
    }
}

void CLdapDirManager::dropClient()
{
    CLdapClient* client = m_pClient;
    m_pClient = nullptr;
    m_bLoggedIn = FALSE;
    if (!client)
        return;
    if (!m_bBusy) {
        client->Destroy();
        return;
    }
    client->ClientDone();
    try {
        m_retiredClients.push_back(client);
    } catch (const std::bad_alloc&) {
        // Kept alive rather than freed under a call that may still use it.
    }
}

void CLdapDirManager::releaseRetiredClients()
{
    std::vector<CLdapClient*> retired;
    retired.swap(m_retiredClients);
    for (CLdapClient* client : retired)
        client->Destroy();
}

void CLdapDirManager::OnClientEvent(unsigned long code, void*, void*, void*, void*)
{
    if (code == clientServerClosed && m_bLoggedIn) {
        m_bLoggedIn = FALSE;
        Notify(DNOTIFY_DISCONNECTED, self());
    }
}

void CLdapDirManager::beginOperation(unsigned long started, const void* param)
{
    m_errorMessage.Empty();
    m_bBusy = TRUE;
    m_bInterrupted = FALSE;
    guarded([&] { Notify(started, const_cast<void*>(param)); });
}

void CLdapDirManager::endOperation(unsigned long ended, unsigned short& result)
{
    if (m_bInterrupted) {
        m_bInterrupted = FALSE;
        result = DCODE_INTERRUPTED;
    }
    m_bBusy = FALSE;
    releaseRetiredClients();
    Notify(ended, self());
}

BOOL CLdapDirManager::roundTrip(const CByteArray& request, DWORD messageId, CASN1_LDAPMessage*& response, BOOL& sent)
{
    response = nullptr;
    sent = m_pClient && m_pClient->SendRequest(request);
    if (!sent)
        return FALSE;
    if (!m_exchange.AddPendingRequest(messageId))
        AfxThrowMemoryException();
    BOOL received = m_exchange.WaitForResponse(m_pClient, messageId, response);
    m_exchange.RemovePendingRequest(messageId);
    return received;
}

// ---------------------------------------------------------------------------
// Connection

BOOL CLdapDirManager::IsConnected()
{
    if (m_pClient && !m_pClient->IsOpen())
        dropClient();  // the server closed it, or a failure did
    return m_pClient && m_bLoggedIn;
}

unsigned short CLdapDirManager::Connect(DWORD)
{
    if (m_bBusy)
        return DCODE_E_IN_PROGRESS;
    if (m_pClient && !m_pClient->IsOpen())
        dropClient();  // a connection the server closed is no obstacle
    if (m_pClient)
        return DCODE_E_CONNECTEDYET;
    unsigned short result = DCODE_E_FAIL;
    beginOperation(DNOTIFY_CONNECT_STARTED, self());
    guarded([&] { result = connectAndLogin(); });
    if (result == DCODE_CODEBASE) {
        m_bBusy = FALSE;
        releaseRetiredClients();
        return result;
    }
    dropClient();
    endOperation(DNOTIFY_CONNECT_FAILED, result);
    return result;
}

unsigned short CLdapDirManager::connectAndLogin()
{
    CLdapClient* client = CLdapClient::Create(this);
    if (!client)
        AfxThrowMemoryException();
    client->SetConnectTimeout(m_connectTimeout);
    client->SetReceiveTimeout(m_receiveTimeout);
    client->SetMaxMessageSize(m_maxMessageSize);
    m_pClient = client;
    if (!client->Connect(m_settings.m_server, m_settings.m_port) || m_pClient != client) {
        SetErrorMessage("Cannot connect to \"%s\".", (const char*)m_settings.m_server);
        return DCODE_E_FAIL;
    }
    Notify(DNOTIFY_TCP_CONNECTED, self());

    const DWORD id = m_exchange.NextMessageId();
    Notify(DNOTIFY_LOGIN_SENDING, self());
    CByteArray request;
    const CString& password = m_settings.m_password;
    ldapCreateBindRequest(id, m_protocolVersion, m_settings.m_userName,
                          password.IsEmpty() ? nullptr : (const char*)password, request);
    CASN1_LDAPMessage* raw = nullptr;
    BOOL sent = FALSE;
    if (!roundTrip(request, id, raw, sent)) {
        SetErrorMessage(sent ? "Failed to receive login information." : "Failed to send login information.");
        return DCODE_E_LOGONFAIL;
    }
    std::unique_ptr<CASN1_LDAPMessage> response(raw);
    CASN1_ProtocolOpChoice operation = response->get_protocolOp();
    if (!operation.is_bindResponse()) {
        SetErrorMessage("Unexpected response received.");
        return DCODE_E_LOGONFAIL;
    }
    CResultInfo info;
    try {
        if (!ldapParseResult(operation.value(), info)) {
            SetErrorMessage("Invalid response received.");
            return DCODE_E_LOGONFAIL;
        }
        m_serverUrl.Empty();
        CASN1_BindResponse bind;
        auto* body = dynamic_cast<CASN1_TAGGED*>(&operation.value());
        if (body && bind.fromImplicit(*body) && bind.is_serverURL())
            m_serverUrl = textOf(bind.get_serverURL());
    } catch (CDERDecodingException* e) {
        e->Delete();
        SetErrorMessage("Invalid response received.");
        return DCODE_E_LOGONFAIL;
    }
    Notify(DNOTIFY_RESULT, &info);
    if (info.m_resultCode != 0) {
        SetErrorMessage("Login failed (server rejected: \"%s\", code: %s).", (const char*)info.m_errorMessage,
                        (const char*)ldapResultToString(info.m_resultCode));
        return DCODE_E_LOGONFAIL;
    }
    if (m_bInterrupted || m_pClient != client || !client->IsOpen())
        return DCODE_E_FAIL;  // cancelled, or closed, while the answer was handed on
    m_bLoggedIn = TRUE;
    Notify(DNOTIFY_LOGGED_IN, self());
    return DCODE_CODEBASE;
}

unsigned short CLdapDirManager::Disconnect()
{
    if (!m_pClient) {
        SetErrorMessage("Not connected.");
        return DCODE_E_NOT_CONNECTED;
    }
    m_errorMessage.Empty();
    Notify(DNOTIFY_DISCONNECT_STARTED, self());
    unsigned short result = DCODE_CODEBASE;
    if (m_bLoggedIn && !m_bBusy) {
        m_bBusy = TRUE;
        result = DCODE_E_FAIL;
        guarded([&] {
            Notify(DNOTIFY_LOGOUT_SENDING, self());
            m_bLoggedIn = FALSE;
            CByteArray request;
            ldapCreateUnbindRequest(m_exchange.NextMessageId(), request);
            if (m_pClient && m_pClient->SendRequest(request)) {
                Notify(DNOTIFY_LOGOUT_SENT, self());
                result = DCODE_CODEBASE;
            } else {
                SetErrorMessage("Failed to send logout request.");
            }
        });
        m_bBusy = FALSE;
        releaseRetiredClients();
    }
    // Called from within a running operation (Cancel), the operation stays
    // busy until it has returned.
    dropClient();
    Notify(DNOTIFY_DISCONNECTED, self());
    return result;
}

// ---------------------------------------------------------------------------
// Operations with one request and one result

template <class Build, class Read>
unsigned short CLdapDirManager::exchange(const RequestKind& kind, const char* subject, Build build, Read read)
{
    if (m_bBusy)
        return DCODE_E_IN_PROGRESS;
    if (!IsConnected()) {
        SetErrorMessage("Not connected.");
        return DCODE_E_NOT_CONNECTED;
    }
    unsigned short result = DCODE_E_FAIL;
    beginOperation(kind.started, subject);
    guarded([&] {
        const DWORD id = m_exchange.NextMessageId();
        CByteArray request;
        build(id, request);
        CASN1_LDAPMessage* raw = nullptr;
        BOOL sent = FALSE;
        if (!roundTrip(request, id, raw, sent)) {
            SetErrorMessage("%s", sent ? kind.receiveFailure : kind.sendFailure);
            return;
        }
        std::unique_ptr<CASN1_LDAPMessage> response(raw);
        CASN1_ProtocolOpChoice operation = response->get_protocolOp();
        if (!kind.expected(operation)) {
            SetErrorMessage("Unexpected response received.");
            return;
        }
        result = read(operation.value());
    });
    endOperation(kind.ended, result);
    return result;
}

BOOL CLdapDirManager::readResult(const RequestKind& kind, CASN1Type& operation, CResultInfo& result)
{
    if (!ldapParseResult(operation, result)) {
        SetErrorMessage("%s", kind.unreadable);
        return FALSE;
    }
    Notify(DNOTIFY_RESULT, &result);
    return TRUE;
}

unsigned short CLdapDirManager::judge(const RequestKind& kind, const CResultInfo& result)
{
    if (result.m_resultCode == 0)
        return DCODE_CODEBASE;
    SetErrorMessage(kind.rejection, (const char*)result.m_errorMessage,
                    (const char*)ldapResultToString(result.m_resultCode));
    return DCODE_E_FAIL;
}

unsigned short CLdapDirManager::readAndJudge(const RequestKind& kind, CASN1Type& operation)
{
    CResultInfo result;
    if (!readResult(kind, operation, result))
        return DCODE_E_FAIL;
    return judge(kind, result);
}

unsigned short CLdapDirManager::Modify(const char* dn, const CModificationArray& modifications)
{
    return exchange(
        kModify, dn,
        [&](DWORD id, CByteArray& request) { ldapCreateModifyRequest(id, dn, modifications, request, m_settings.m_nameForm); },
        [&](CASN1Type& operation) { return readAndJudge(kModify, operation); });
}

unsigned short CLdapDirManager::Add(const char* dn, const CAttributeArray& attributes)
{
    return exchange(
        kAdd, dn, [&](DWORD id, CByteArray& request) { ldapCreateAddRequest(id, dn, attributes, request, m_settings.m_nameForm); },
        [&](CASN1Type& operation) { return readAndJudge(kAdd, operation); });
}

unsigned short CLdapDirManager::Delete(const char* dn)
{
    return exchange(
        kDelete, dn, [&](DWORD id, CByteArray& request) { ldapCreateDeleteRequest(id, dn, request); },
        [&](CASN1Type& operation) { return readAndJudge(kDelete, operation); });
}

unsigned short CLdapDirManager::ModifyDn(const char* dn, const char* newRdn, int deleteOldRdn, const char* newSuperior)
{
    return exchange(
        kModifyDn, dn,
        [&](DWORD id, CByteArray& request) {
            ldapModifyDnRequest(id, dn, newRdn, deleteOldRdn, newSuperior, request);
        },
        [&](CASN1Type& operation) { return readAndJudge(kModifyDn, operation); });
}

unsigned short CLdapDirManager::Compare(const char* dn, const CAttributeValueAssertion& assertion, int& compared,
                                        CString& matchedSubtype)
{
    compared = -1;
    return exchange(
        kCompare, dn,
        [&](DWORD id, CByteArray& request) { ldapCompareRequest(id, dn, assertion, request, m_settings.m_nameForm); },
        [&](CASN1Type& operation) -> unsigned short {
            CResultInfo result;
            if (!readResult(kCompare, operation, result))
                return DCODE_E_FAIL;
            CASN1_CompareResponse response;
            auto* body = dynamic_cast<CASN1_TAGGED*>(&operation);
            if (body && response.fromImplicit(*body) && response.is_matchedSubtype())
                matchedSubtype = textOf(response.get_matchedSubtype());
            if (result.m_resultCode == kCompareFalse || result.m_resultCode == kCompareTrue) {
                compared = result.m_resultCode == kCompareTrue ? 1 : 0;
                return DCODE_CODEBASE;
            }
            return judge(kCompare, result);
        });
}

unsigned short CLdapDirManager::Extended(const char* requestName, const CUniDataHolder* value)
{
    return exchange(
        kExtended, requestName,
        [&](DWORD id, CByteArray& request) { ldapExtendedRequest(id, requestName, value, 0, request); },
        [&](CASN1Type& operation) -> unsigned short {
            CExtResponse result;
            CASN1_ExtendedResponse response;
            auto* body = dynamic_cast<CASN1_TAGGED*>(&operation);
            if (!body || !response.fromImplicit(*body) || !ldapParseExtResponse(response, result)) {
                SetErrorMessage("%s", kExtended.unreadable);
                return DCODE_E_FAIL;
            }
            Notify(DNOTIFY_RESULT, static_cast<CResultInfo*>(&result));
            Notify(DNOTIFY_EXTENDED_RESPONSE, &result);
            return judge(kExtended, result);
        });
}

// ---------------------------------------------------------------------------
// Search and its cancellation

unsigned short CLdapDirManager::Search(const char* baseDn, unsigned long scope, unsigned long derefAliases,
                                       unsigned long sizeLimit, unsigned long timeLimit, int typesOnly,
                                       const CSearchFilter& filter, const CStringArray& attributes,
                                       unsigned long pageSizeLimit)
{
    if (m_bBusy)
        return DCODE_E_IN_PROGRESS;
    if (!IsConnected()) {
        SetErrorMessage("Not connected.");
        return DCODE_E_NOT_CONNECTED;
    }
    unsigned short result = DCODE_E_FAIL;
    int abandon = 0;
    m_pAbandonFlag = &abandon;  // before anything can pump a Cancel
    beginOperation(DNOTIFY_SEARCH_STARTED, self());
    const DWORD id = m_exchange.NextMessageId();
    guarded([&] {
        CByteArray request;
        ldapCreateSearchRequest(id, baseDn, scope, derefAliases, sizeLimit, timeLimit, pageSizeLimit, typesOnly,
                                filter, attributes, request, m_settings.m_nameForm);
        if (!m_pClient || !m_pClient->SendRequest(request)) {
            SetErrorMessage("Search request failed.");
            return;
        }
        if (!m_exchange.AddPendingRequest(id))
            AfxThrowMemoryException();
        result = readSearchResults(id, abandon);
    });
    // Whatever is still on its way for this search is dropped on arrival.
    m_exchange.RemovePendingRequest(id);
    m_pAbandonFlag = nullptr;
    if (result != DCODE_CODEBASE && (!m_pClient || !m_pClient->IsOpen()))
        m_bInterrupted = TRUE;  // the connection was lost during the search
    endOperation(DNOTIFY_SEARCH_ENDED, result);
    return result;
}

unsigned short CLdapDirManager::readSearchResults(DWORD searchId, int& abandon)
{
    while (m_pClient) {
        if (abandon) {
            abandon = 0;
            m_pAbandonFlag = nullptr;
            sendAbandon(searchId);
            return DCODE_E_FAIL;  // interrupted: the caller answers DCODE_INTERRUPTED
        }
        std::unique_ptr<CSearchResult, Releaser> one(CSearchResult::Create());
        // Entries, the bulk of a search, are read straight from their bytes.
        auto quick = [&](const CByteArray& bytes) -> BOOL {
            DWORD id;
            return ldapReadSearchEntry(bytes.GetData(), (unsigned long)bytes.GetSize(), id, *one);
        };
        CASN1_LDAPMessage* raw = nullptr;
        if (!m_exchange.WaitForResponse(m_pClient, searchId, raw, quick)) {
            if (abandon && m_pClient && m_pClient->WasReceiveInterrupted())
                continue;  // Cancel ended the wait; the abandon goes out at the top
            SetErrorMessage("Failed to receive search response.");
            return DCODE_E_FAIL;
        }
        if (raw) {
            std::unique_ptr<CASN1_LDAPMessage> message(raw);
            if (!ldapParseSearchResponse(*message, *one)) {
                SetErrorMessage("Corrupted response received.");
                return DCODE_E_FAIL;
            }
        }
        Notify(DNOTIFY_SEARCH_RESULT, one.get());
        if (one->m_kind == CSearchResult::kindDone)
            return DCODE_CODEBASE;
    }
    return DCODE_E_FAIL;
}

unsigned short CLdapDirManager::sendAbandon(DWORD searchId)
{
    if (!m_pClient) {
        SetErrorMessage("Not connected");
        return DCODE_E_FAIL;
    }
    m_errorMessage.Empty();
    Notify(DNOTIFY_ABANDON_STARTED, self());
    CByteArray request;
    dirclient::encodeMessage(m_exchange.NextMessageId(),
                             std::unique_ptr<CASN1Type>(dirclient::implicitly(kAbandonRequest, CASN1_INTEGER(searchId))),
                             request);
    unsigned short result = DCODE_CODEBASE;
    if (!m_pClient->SendRequest(request)) {
        SetErrorMessage("Abandon request failed");
        result = DCODE_ABANDON_NOT_SENT;
    }
    Notify(DNOTIFY_ABANDON_ENDED, self());
    return result;
}

unsigned short CLdapDirManager::Cancel()
{
    if (!m_bBusy) {
        SetErrorMessage("Not currently blocking.");
        return DCODE_NOT_BLOCKING;
    }
    m_errorMessage.Empty();
    m_bInterrupted = FALSE;
    if (m_pAbandonFlag) {
        *m_pAbandonFlag = 1;
        m_bInterrupted = TRUE;
        if (m_pClient)
            m_pClient->InterruptReceive();  // a search waiting for its next result sends the abandon now
        return DCODE_CODEBASE;
    }
    if (m_pClient) {
        Disconnect();
        m_bInterrupted = TRUE;
        return DCODE_CODEBASE;
    }
    SetErrorMessage("Not currently blocking.");
    return DCODE_NOT_BLOCKING;
}

BOOL CLdapDirManager::IsBlocking()
{
    if (m_bBusy || m_pAbandonFlag)
        return TRUE;
    return m_pClient && m_pClient->m_nBlockingCall != CClientSocketEx::callNone;
}

// ---------------------------------------------------------------------------
// Settings

unsigned short CLdapDirManager::SetOption(int option, const void* value, DWORD)
{
    m_errorMessage.Empty();
    const BOOL connected = m_pClient != nullptr;
    if (connected || option < LDAP_DIR_OPTION_PROTOCOL_VERSION || option > LDAP_DIR_OPTION_MAX_MESSAGE_SIZE)
        return m_settings.SetOption(option, value, connected, m_errorMessage);
    if (!value) {
        SetErrorMessage("No value given for option %d.", option);
        return DCODE_E_FAIL;
    }
    const DWORD number = *static_cast<const DWORD*>(value);
    switch (option) {
    case LDAP_DIR_OPTION_PROTOCOL_VERSION:
        if (number != 2 && number != 3) {
            SetErrorMessage("Unsupported protocol version: %u.", (unsigned)number);
            return DCODE_E_FAIL;
        }
        m_protocolVersion = number;
        break;
    case LDAP_DIR_OPTION_CONNECT_TIMEOUT:
        m_connectTimeout = number;
        break;
    case LDAP_DIR_OPTION_RECEIVE_TIMEOUT:
        m_receiveTimeout = number;
        break;
    case LDAP_DIR_OPTION_MAX_MESSAGE_SIZE:
        if (number == 0 || number > 0x7FFFFFFF) {
            SetErrorMessage("Message size limit out of range: %u.", (unsigned)number);
            return DCODE_E_FAIL;
        }
        m_maxMessageSize = number;
        break;
    }
    return DCODE_CODEBASE;
}

void CLdapDirManager::GetDescription(CString& description)
{
    description = m_settings.GetDescription();
}

unsigned short CLdapDirManager::UnsupportedOperation()
{
    SetErrorMessage("Not supported.");
    return DCODE_E_NOT_SUPPORTED;
}

unsigned short CLdapDirManager::LoadConfiguration(CFile* file)
{
    return m_settings.LoadConfiguration(file, m_pClient != nullptr, m_errorMessage);
}

unsigned short CLdapDirManager::SaveConfiguration(CFile* file)
{
    return m_settings.SaveConfiguration(file, m_errorMessage);
}

unsigned short CLdapDirManager::Configure(CWnd* parent)
{
    return m_settings.Configure(parent, m_pClient != nullptr, m_errorMessage);
}
