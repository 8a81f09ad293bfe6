#pragma once
// CLdapDirManager: the LDAP implementation of IX500DirManager, made by
// CreateLdapDirManager. It runs every operation over one CLdapClient and
// one CLdapExchange; hosts use it through the interface only.
#include <vector>

#include "dirlink/dirclient/dir_manager.h"
#include "dirlink/dirclient/ext_response.h"
#include "dirlink/dirclient/ldap_dir_settings.h"
#include "dirlink/dirclient/ldap_exchange.h"

class CLdapDirManager : public IX500DirManager, private IClientEvents {
public:
    static const DWORD kDefaultProtocolVersion = 2;

    CLdapDirManager();

    void Clear() override;

    unsigned short Connect(DWORD unused) override;
    BOOL IsConnected() override;
    unsigned short Disconnect() override;
    unsigned short Search(const char* baseDn, unsigned long scope, unsigned long derefAliases, unsigned long sizeLimit,
                          unsigned long timeLimit, int typesOnly, const CSearchFilter& filter,
                          const CStringArray& attributes, unsigned long pageSizeLimit) override;
    unsigned short Modify(const char* dn, const CModificationArray& modifications) override;
    unsigned short Add(const char* dn, const CAttributeArray& attributes) override;
    unsigned short Delete(const char* dn) override;
    unsigned short ModifyDn(const char* dn, const char* newRdn, int deleteOldRdn, const char* newSuperior) override;
    unsigned short Compare(const char* dn, const CAttributeValueAssertion& assertion, int& compared,
                           CString& matchedSubtype) override;
    unsigned short Extended(const char* requestName, const CUniDataHolder* value) override;
    int ReservedQuery() override { return 0; }
    unsigned short UnsupportedOperation() override;
    unsigned short LoadConfiguration(CFile* file) override;
    unsigned short SaveConfiguration(CFile* file) override;
    unsigned short Configure(CWnd* parent) override;
    void GetDescription(CString& description) override;
    void GetServerUrl(CString& url) override { url = m_serverUrl; }
    void GetName(CString& name) override { name = "LDAP Client"; }
    void SetDefaults() override;
    unsigned short Cancel() override;
    BOOL IsBlocking() override;
    unsigned short SetOption(int option, const void* value, DWORD unused) override;

private:
    // What differs between the operations that send one request and read
    // one result.
    struct RequestKind;
    static const RequestKind kModify, kAdd, kDelete, kModifyDn, kCompare, kExtended;

    ~CLdapDirManager() override;

    void OnClientEvent(unsigned long code, void* p1, void* p2, void* p3, void* p4) override;

    // Starts an operation: message emptied, busy, not interrupted, the
    // start notification.
    void beginOperation(unsigned long started, const void* param);
    // Ends it: an interrupted operation answers DCODE_INTERRUPTED; clients
    // let go during it are freed; the end notification.
    void endOperation(unsigned long ended, unsigned short& result);
    // The common frame: refuses when busy or not connected, builds the
    // request with a new message ID through build(id, bytes), sends it,
    // waits for the answer and hands its operation to read(operation),
    // which returns the result code.
    template <class Build, class Read>
    unsigned short exchange(const RequestKind& kind, const char* subject, Build build, Read read);
    // Reads the result part of the operation into result and notifies it;
    // FALSE (message set) when it cannot be read.
    BOOL readResult(const RequestKind& kind, CASN1Type& operation, CResultInfo& result);
    // DCODE_CODEBASE for resultCode 0, else the rejection message and DCODE_E_FAIL.
    unsigned short judge(const RequestKind& kind, const CResultInfo& result);
    // readResult, then judge.
    unsigned short readAndJudge(const RequestKind& kind, CASN1Type& operation);
    // Sends one request and reads its one answer (the caller owns it).
    // FALSE with no message when either failed; sent says which.
    BOOL roundTrip(const CByteArray& request, DWORD messageId, CASN1_LDAPMessage*& response, BOOL& sent);
    unsigned short connectAndLogin();
    // The search loop after the request went out: DCODE_CODEBASE once the
    // closing result has been delivered.
    unsigned short readSearchResults(DWORD searchId, int& abandon);
    // The abandon request for a cancelled search.
    unsigned short sendAbandon(DWORD searchId);
    // Runs work, turning any exception into a failure message.
    template <class Work>
    void guarded(Work work);
    // Lets the connection go (closed at once, logged out): the client is
    // destroyed now when no operation runs, else once the running operation
    // has returned, since one of its socket calls may still be on the stack.
    void dropClient();
    void releaseRetiredClients();
    IX500DirManager* self() { return this; }

    CLdapClient* m_pClient = nullptr;
    std::vector<CLdapClient*> m_retiredClients;
    CLdapExchange m_exchange;  // message IDs and outstanding requests

    // Server, port, attribute-name form, user name, password and the
    // remember-password flag, with their stored form and dialog.
    CLdapDirSettings m_settings;
    CString m_serverUrl;  // named by the server at login
    DWORD m_protocolVersion = kDefaultProtocolVersion;
    DWORD m_connectTimeout = CClientSocketEx::kDefaultConnectTimeout;
    DWORD m_receiveTimeout = CLdapClient::kDefaultReceiveTimeout;
    DWORD m_maxMessageSize = CLdapClient::kDefaultMaxMessageSize;

    BOOL m_bBusy = FALSE;
    BOOL m_bLoggedIn = FALSE;
    BOOL m_bInterrupted = FALSE;
    int* m_pAbandonFlag = nullptr;  // the running search's, null when none runs
};
