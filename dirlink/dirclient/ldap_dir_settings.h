#pragma once
// The six settings of the LDAP directory manager (server, port, attribute-
// name form, user name, password, remember-password flag), their stored
// form, the configuration dialog and the option setter. The manager owns one
// CLdapDirSettings and forwards its configuration operations here, passing
// whether it is connected and its last-error message.
//
// Stored form, through the archive (buffer 4096 bytes), all integers
// little-endian:
//   u8 version 0, text server, u8 nameForm, text userName,
//   text password (empty unless rememberPassword is set), u32 port.
// rememberPassword itself is not stored: loading sets it exactly when the
// loaded password is not empty. The password is stored in clear.
//
// Defaults: the server is "localhost" and the dialog's example host lies in
// example.com, a domain reserved for examples. A user who keeps a default or
// copies the example therefore sends a user name and password to nobody but
// their own machine, never to a stranger's directory server.
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// Option numbers of the manager's SetOption.
enum LdapDirOption {
    LDAP_DIR_OPTION_PORT = 0,               // value: const DWORD*
    LDAP_DIR_OPTION_NAME_FORM = 1,          // value: const BYTE*
    LDAP_DIR_OPTION_USER_NAME = 2,          // value: const char*
    LDAP_DIR_OPTION_PASSWORD = 3,           // value: const char*
    LDAP_DIR_OPTION_REMEMBER_PASSWORD = 4,  // value: const DWORD*
    LDAP_DIR_OPTION_SERVER = 5,             // value: const char*
};

class DIRLINK_API CLdapDirSettings {
public:
    static const char kDefaultServer[];
    static const DWORD kDefaultPort = 389;
    static const int kArchiveBufferSize = 4096;
    // Result codes of the operations below (the manager's success and failure).
    static const WORD kSuccess = 0;
    static const WORD kFailure = 1;

    CLdapDirSettings() { SetDefaults(); }

    // localhost, port 389, nameForm 0, no user name or password, password
    // not remembered.
    void SetDefaults();

    // Writes the stored form; the class library's exceptions pass through.
    void Store(CArchive& ar) const;
    // Reads the stored form into the settings; a version other than 0 raises
    // the archive's generic exception. Fields read before a failure keep
    // their new values. Sets rememberPassword from the password.
    void Load(CArchive& ar);

    // Loads the settings from the file's current position. While connected:
    // message "Cannot load configurations when connected." and kFailure,
    // nothing read. On a read failure the server is emptied, the port reset
    // to 389, message "Failed to load configurations." and kFailure.
    // Otherwise the message is emptied and kSuccess returned.
    WORD LoadConfiguration(CFile* file, BOOL connected, CString& message);
    // Writes the settings at the file's current position (allowed while
    // connected). A write failure gives "Failed to save configuration." and
    // kFailure; otherwise the message is emptied and kSuccess returned.
    WORD SaveConfiguration(CFile* file, CString& message) const;
    // Shows the configuration dialog filled from the settings and copies the
    // six values back when the user chooses OK. kSuccess for OK and for
    // Cancel (dialogResult, when given, tells which: IDOK or IDCANCEL).
    // While connected: "Cannot configure when connected." and kFailure,
    // without a dialog. When no dialog can be shown (no display, no
    // terminal): "Cannot show the configuration dialog." and kFailure.
    WORD Configure(CWnd* parent, BOOL connected, CString& message, int* dialogResult = nullptr);
    // Sets one setting by option number (LdapDirOption). While connected:
    // "Cannot set options when connected." and kFailure. An unknown number
    // gives "Unknown option: N(0xN)." and a null value "No value given for
    // option N."; both kFailure. The message is emptied first.
    WORD SetOption(int option, const void* value, BOOL connected, CString& message);
    // "X.500 Directory LDAP-server: "SERVER".\r\nUser name: "USER".\r\n
    // Port number: "PORT"." with "<none>" for an empty server.
    CString GetDescription() const;

    CString m_server;
    DWORD m_port;
    BYTE m_nameForm;
    CString m_userName;
    CString m_password;
    BOOL m_rememberPassword;
};
