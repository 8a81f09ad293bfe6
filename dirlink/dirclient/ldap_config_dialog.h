#pragma once
// The "Configure X.500 Directory Manager" dialog (resource 161): server,
// port, attribute-name form, user name, password and whether to remember
// the password. On OK the port must lie between 0 and 10000 and a user name,
// when given, must be a valid distinguished name; otherwise the user is told
// and the dialog stays open with the focus on the field to mend.
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// Control ids of the dialog.
const int IDD_LDAP_CONFIG = 161;
const int IDC_CONFIG_SERVER = 1134;
const int IDC_CONFIG_PORT = 1142;
const int IDC_CONFIG_NAME_FORM = 1135;
const int IDC_CONFIG_USER_NAME = 1136;
const int IDC_CONFIG_PASSWORD = 1001;
const int IDC_CONFIG_REMEMBER_PASSWORD = 1137;

class DIRLINK_API CLdapConfigDialog : public CDialog {
public:
    explicit CLdapConfigDialog(CWnd* parent = nullptr);

    // The dialog's layout: 236 x 188 dialog units, controls in tab order.
    static const DialogResource& Resource();

    static const UINT kMaxPort = 10000;

    CString m_server;
    UINT m_port = 389;
    int m_nameForm = 0;
    CString m_userName;
    CString m_password;
    int m_rememberPassword = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
