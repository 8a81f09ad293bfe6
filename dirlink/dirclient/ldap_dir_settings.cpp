#include "dirlink/dirclient/ldap_dir_settings.h"

#include "dirlink/dirclient/ldap_config_dialog.h"

namespace {
const BYTE kStoredVersion = 0;

const char kLoadWhileConnected[] = "Cannot load configurations when connected.";
const char kLoadFailed[] = "Failed to load configurations.";
const char kSaveFailed[] = "Failed to save configuration.";
const char kConfigureWhileConnected[] = "Cannot configure when connected.";
const char kNoDialog[] = "Cannot show the configuration dialog.";
const char kOptionWhileConnected[] = "Cannot set options when connected.";
const char kUnknownOption[] = "Unknown option: %d(0x%x).";
const char kNoOptionValue[] = "No value given for option %d.";
const char kDescription[] = "X.500 Directory LDAP-server: \"%s\".\r\nUser name: \"%s\".\r\nPort number: \"%u\".";
}  // namespace

const char CLdapDirSettings::kDefaultServer[] = "localhost";

void CLdapDirSettings::SetDefaults()
{
    m_server = kDefaultServer;
    m_port = kDefaultPort;
    m_nameForm = 0;
    m_userName.Empty();
    m_password.Empty();
    m_rememberPassword = FALSE;
}

void CLdapDirSettings::Store(CArchive& ar) const
{
    ar << kStoredVersion << m_server << m_nameForm << m_userName;
    ar << (m_rememberPassword ? m_password : CString());
    ar << m_port;
}

void CLdapDirSettings::Load(CArchive& ar)
{
    BYTE version;
    ar >> version;
    if (version != kStoredVersion)
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
    ar >> m_server >> m_nameForm >> m_userName >> m_password >> m_port;
    m_rememberPassword = m_password.IsEmpty() ? FALSE : TRUE;
}

WORD CLdapDirSettings::LoadConfiguration(CFile* file, BOOL connected, CString& message)
{
    if (connected) {
        message = kLoadWhileConnected;
        return kFailure;
    }
    message.Empty();
    try {
        if (!file)
            AfxThrowFileException(CFileException::invalidFile);
        CArchive ar(file, CArchive::load, kArchiveBufferSize);
        try {
            Load(ar);
        } catch (CException*) {
            ar.Abort();
            throw;
        }
        ar.Close();
    } catch (CException* e) {
        e->Delete();
        m_server.Empty();
        m_port = kDefaultPort;
        message = kLoadFailed;
        return kFailure;
    }
    return kSuccess;
}

WORD CLdapDirSettings::SaveConfiguration(CFile* file, CString& message) const
{
    message.Empty();
    try {
        if (!file)
            AfxThrowFileException(CFileException::invalidFile);
        CArchive ar(file, CArchive::store, kArchiveBufferSize);
        try {
            Store(ar);
            ar.Close();
        } catch (CException*) {
            ar.Abort();
            throw;
        }
    } catch (CException* e) {
        e->Delete();
        message = kSaveFailed;
        return kFailure;
    }
    return kSuccess;
}

WORD CLdapDirSettings::Configure(CWnd* parent, BOOL connected, CString& message, int* dialogResult)
{
    message.Empty();
    if (dialogResult)
        *dialogResult = IDCANCEL;
    if (connected) {
        message = kConfigureWhileConnected;
        return kFailure;
    }
    CLdapConfigDialog dialog(parent);
    dialog.m_server = m_server;
    dialog.m_port = m_port;
    dialog.m_nameForm = m_nameForm ? BST_CHECKED : BST_UNCHECKED;
    dialog.m_userName = m_userName;
    dialog.m_password = m_password;
    dialog.m_rememberPassword = m_rememberPassword ? BST_CHECKED : BST_UNCHECKED;
    int result = dialog.DoModal();
    if (result == -1) {
        message = kNoDialog;
        return kFailure;
    }
    if (dialogResult)
        *dialogResult = result;
    if (result == IDOK) {
        m_server = dialog.m_server;
        m_port = dialog.m_port;
        m_nameForm = dialog.m_nameForm == BST_CHECKED ? 1 : 0;
        m_userName = dialog.m_userName;
        m_password = dialog.m_password;
        m_rememberPassword = dialog.m_rememberPassword == BST_CHECKED ? TRUE : FALSE;
    }
    return kSuccess;
}

WORD CLdapDirSettings::SetOption(int option, const void* value, BOOL connected, CString& message)
{
    message.Empty();
    if (connected) {
        message = kOptionWhileConnected;
        return kFailure;
    }
    if (option < LDAP_DIR_OPTION_PORT || option > LDAP_DIR_OPTION_SERVER) {
        message.Format(kUnknownOption, option, (unsigned)option);
        return kFailure;
    }
    if (!value) {
        message.Format(kNoOptionValue, option);
        return kFailure;
    }
    switch (option) {
    case LDAP_DIR_OPTION_PORT: m_port = *(const DWORD*)value; break;
    case LDAP_DIR_OPTION_NAME_FORM: m_nameForm = *(const BYTE*)value; break;
    case LDAP_DIR_OPTION_USER_NAME: m_userName = (const char*)value; break;
    case LDAP_DIR_OPTION_PASSWORD: m_password = (const char*)value; break;
    case LDAP_DIR_OPTION_REMEMBER_PASSWORD: m_rememberPassword = (BOOL)*(const DWORD*)value; break;
    case LDAP_DIR_OPTION_SERVER: m_server = (const char*)value; break;
    }
    return kSuccess;
}

CString CLdapDirSettings::GetDescription() const
{
    CString description;
    description.Format(kDescription, m_server.IsEmpty() ? "<none>" : (const char*)m_server,
                       (const char*)m_userName, (unsigned)m_port);
    return description;
}
