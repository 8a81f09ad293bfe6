#pragma once
// IX500DirManager: the one interface through which a host uses a directory.
// It connects and logs in, searches, adds, modifies, deletes, renames,
// compares, sends extended operations, cancels, and keeps its settings.
// Every operation runs synchronously on the caller's thread and answers
// with a result code (DirManCode); GetErrorMessage then says what went
// wrong (it is empty after a success). Progress and results reach the
// host's INotifable sink as notifications (DirManNotification). No
// exception leaves an operation.
//
// While an operation blocks on the network, the thread's window messages
// keep flowing, and their procedures (or the sink) may call Cancel,
// IsBlocking, IsConnected, Disconnect, GetErrorMessage and the notification
// functions re-entrantly; any other operation then answers
// DCODE_E_IN_PROGRESS. One manager belongs to one thread.
//
//   IX500DirManager* manager = CreateLdapDirManager();
//   manager->SetOption(5, "ldap.example.com", 0);
//   manager->SetNotifySink(&sink);
//   manager->SetNotify(1);
//   if (manager->Connect(0) == DCODE_CODEBASE) {
//       manager->Search("dc=example,dc=com", 2, 0, 0, 0, 0, filter, attributes, 0);
//       manager->Disconnect();
//   }
//   manager->Release();
#include "dirlink/dirclient/attribute_value_assertion.h"
#include "dirlink/dirclient/modification.h"
#include "dirlink/dirclient/referable.h"
#include "dirlink/dirclient/search_filter.h"

class CWnd;

// Result codes of the manager's operations.
enum DirManCode : unsigned short {
    DCODE_CODEBASE = 0,          // success
    DCODE_E_FAIL = 1,            // the operation failed (message set)
    DCODE_E_LOGONFAIL = 2,       // connecting succeeded but the login failed
    DCODE_INTERRUPTED = 3,       // cancelled, or the connection was lost during the operation
    DCODE_E_IN_PROGRESS = 5,     // another operation of this manager is running
    DCODE_ABANDON_NOT_SENT = 6,  // the abandon request of a cancelled search failed to go out (no name)
    DCODE_E_NOT_SUPPORTED = 7,   // the operation is not supported
    DCODE_E_CONNECTEDYET = 8,    // Connect called while a connection exists
    DCODE_E_NOT_CONNECTED = 9,   // the operation needs a connection
    DCODE_NOT_BLOCKING = 10,     // Cancel with nothing to cancel (no name)
};

// The name of a result code ("DCODE_E_FAIL"), "<unknown>" for a code
// without one. The text is constant.
DIRLINK_API const char* DirManCodeToString(unsigned short code);

// Notification codes, Notify(code, param). Objects passed as param belong to
// the manager and are valid only during the call: the sink copies what it
// needs or, for a CSearchResult, takes a reference with AddRef.
enum DirManNotification : unsigned long {
    DNOTIFY_CONNECT_STARTED = 101,     // the manager
    DNOTIFY_TCP_CONNECTED = 102,       // the manager
    DNOTIFY_DISCONNECT_STARTED = 103,  // the manager
    DNOTIFY_DISCONNECTED = 104,        // the manager; after Disconnect or when the server closed a logged-in connection
    DNOTIFY_CONNECT_FAILED = 105,      // the manager; Connect ended without login
    DNOTIFY_SEARCH_STARTED = 111,      // the manager
    DNOTIFY_SEARCH_ENDED = 112,        // the manager
    DNOTIFY_MODIFY_STARTED = 117,      // the DN (const char*)
    DNOTIFY_MODIFY_ENDED = 118,        // the manager
    DNOTIFY_DELETE_STARTED = 119,      // the DN
    DNOTIFY_DELETE_ENDED = 120,        // the manager
    DNOTIFY_MODDN_STARTED = 121,       // the DN
    DNOTIFY_MODDN_ENDED = 122,         // the manager
    DNOTIFY_COMPARE_STARTED = 123,     // the DN
    DNOTIFY_COMPARE_ENDED = 124,       // the manager
    DNOTIFY_ABANDON_STARTED = 125,     // the manager
    DNOTIFY_ABANDON_ENDED = 126,       // the manager
    DNOTIFY_LOGIN_SENDING = 127,       // the manager
    DNOTIFY_LOGGED_IN = 128,           // the manager
    DNOTIFY_LOGOUT_SENDING = 129,      // the manager
    DNOTIFY_LOGOUT_SENT = 130,         // the manager
    DNOTIFY_SEARCH_RESULT = 131,       // the CSearchResult (entry, reference or the closing result)
    DNOTIFY_ADD_STARTED = 132,         // the DN
    DNOTIFY_ADD_ENDED = 133,           // the manager
    DNOTIFY_RESULT = 134,              // the CResultInfo of a response (for Extended: its CExtResponse)
    DNOTIFY_EXTENDED_STARTED = 135,    // the request name (const char*)
    DNOTIFY_EXTENDED_RESPONSE = 136,   // the CExtResponse
    DNOTIFY_EXTENDED_ENDED = 137,      // the manager
};

// Options of SetOption beyond the six settings (0 port, 1 attribute-name
// form, 2 user name, 3 password, 4 remember-password flag, 5 server).
// Each value is a const DWORD*.
enum LdapDirConnectionOption {
    LDAP_DIR_OPTION_PROTOCOL_VERSION = 100,  // LDAP version of the bind request: 2 (default) or 3
    LDAP_DIR_OPTION_CONNECT_TIMEOUT = 101,   // milliseconds for name resolution and connect (0: none); 30000
    LDAP_DIR_OPTION_RECEIVE_TIMEOUT = 102,   // milliseconds one receive may wait (0: none); 600000
    LDAP_DIR_OPTION_MAX_MESSAGE_SIZE = 103,  // largest response accepted, in octets (1 to 0x7FFFFFFF); 64 MiB
};

class DIRLINK_API IX500DirManager : public IReferable {
public:
    // The receiver of notifications (not reference counted; null: none).
    void SetNotifySink(INotifable* sink) { m_pSink = sink; }
    // Notifications are delivered only while the flag is non-zero (0 after
    // creation). Returns the previous flag.
    int SetNotify(int enabled);
    // Calls the sink's OnNotify when notifications are on and a sink is set.
    void Notify(unsigned long code, void* param);
    // Formats the message of the current operation, printf-style.
    void SetErrorMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    CString GetErrorMessage() const { return m_errorMessage; }

    // Connects to the configured server and logs in with the user name and
    // password. The argument is not used.
    virtual unsigned short Connect(DWORD unused) = 0;
    // Whether a connection exists and its login succeeded; a connection the
    // server has closed is let go here.
    virtual BOOL IsConnected() = 0;
    // Logs out (when logged in and nothing runs) and closes the connection.
    virtual unsigned short Disconnect() = 0;
    // Searches: scope 0 base, 1 one level, 2 subtree; derefAliases 0-3;
    // limits 0 for none. Every entry, reference and the closing result reach
    // the sink one by one (DNOTIFY_SEARCH_RESULT) and are not kept. Success
    // means the search ran to its end: its own LDAP result code is in the
    // closing result (kind done).
    virtual unsigned short Search(const char* baseDn, unsigned long scope, unsigned long derefAliases,
                                  unsigned long sizeLimit, unsigned long timeLimit, int typesOnly,
                                  const CSearchFilter& filter, const CStringArray& attributes,
                                  unsigned long pageSizeLimit) = 0;
    virtual unsigned short Modify(const char* dn, const CModificationArray& modifications) = 0;
    virtual unsigned short Add(const char* dn, const CAttributeArray& attributes) = 0;
    virtual unsigned short Delete(const char* dn) = 0;
    // newSuperior null: the entry keeps its parent.
    virtual unsigned short ModifyDn(const char* dn, const char* newRdn, int deleteOldRdn, const char* newSuperior) = 0;
    // compared: 1 true, 0 false, -1 when the server answered neither.
    virtual unsigned short Compare(const char* dn, const CAttributeValueAssertion& assertion, int& compared,
                                   CString& matchedSubtype) = 0;
    // requestName: an object identifier as text; value null: none sent.
    virtual unsigned short Extended(const char* requestName, const CUniDataHolder* value) = 0;
    // Answers 0.
    virtual int ReservedQuery() = 0;
    // Sets "Not supported." and answers DCODE_E_NOT_SUPPORTED.
    virtual unsigned short UnsupportedOperation() = 0;
    // The six settings from (to) the file at its current position, in the
    // stored configuration form; loading only while not connected.
    virtual unsigned short LoadConfiguration(CFile* file) = 0;
    virtual unsigned short SaveConfiguration(CFile* file) = 0;
    // The "Configure X.500 Directory Manager" dialog over the six settings,
    // while not connected; DCODE_CODEBASE for OK and for Cancel alike.
    virtual unsigned short Configure(CWnd* parent) = 0;
    virtual void GetDescription(CString& description) = 0;
    // The URL the server named at login (empty when it named none).
    virtual void GetServerUrl(CString& url) = 0;
    virtual void GetName(CString& name) = 0;
    // Every setting and option back to its default.
    virtual void SetDefaults() = 0;
    // Cancels the running operation: a search is abandoned (the connection
    // stays), anything else loses its connection. The operation then
    // answers DCODE_INTERRUPTED.
    virtual unsigned short Cancel() = 0;
    virtual BOOL IsBlocking() = 0;
    // Sets a setting (0 port, 1 attribute-name form, 2 user name, 3
    // password, 4 remember-password flag, 5 server) or an option (see
    // LdapDirConnectionOption) while not connected. The last argument is not used.
    virtual unsigned short SetOption(int option, const void* value, DWORD unused) = 0;

protected:
    IX500DirManager() = default;

    INotifable* m_pSink = nullptr;
    int32_t m_notifyEnabled = 0;
    CString m_errorMessage;  // emptied when an operation starts
};

// A new LDAP directory manager with every setting at its default and a
// reference count of 1; null when memory ran out.
DIRLINK_API IX500DirManager* CreateLdapDirManager();
