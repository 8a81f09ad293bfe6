#include "dirlink/dirclient/ldap_config_dialog.h"

#include "dirlink/dirschema/dn_text.h"

namespace {
// Laid out in dialog units as the resource has it; the example host is in
// the reserved example.com domain, so copying it never sends a password to
// a real server.
const DialogItem kItems[] = {
    // kind                          id                             text                                                             x    y    cx   cy  style
    {DialogItemKind::GroupBox,      IDC_STATIC,                    "Server",                                                         7,   4, 222,  82, 0},
    {DialogItemKind::Label,         IDC_STATIC,                    "Enter the directory server's host name (e.g. ldap.example.com):", 14,  16, 208,   8, 0},
    {DialogItemKind::Edit,          IDC_CONFIG_SERVER,             "",                                                               14,  27, 208,  12, 0},
    {DialogItemKind::Label,         IDC_STATIC,                    "Enter server's port number here:",                              14,  47, 130,   8, 0},
    {DialogItemKind::Edit,          IDC_CONFIG_PORT,               "",                                                              160,  45,  62,  12, ES_NUMBER},
    {DialogItemKind::CheckBox,      IDC_CONFIG_NAME_FORM,          "Server supports only symbolic names of attributes",            14,  66, 208,  10, 0},
    {DialogItemKind::GroupBox,      IDC_STATIC,                    "Authentication",                                                 7,  90, 222,  72, 0},
    {DialogItemKind::Label,         IDC_STATIC,                    "Enter your name here (e.g. cn=P.Varek, c=BY): ",                14, 102, 208,   8, 0},
    {DialogItemKind::Edit,          IDC_CONFIG_USER_NAME,          "",                                                               14, 113, 208,  12, 0},
    {DialogItemKind::Label,         IDC_STATIC,                    "Enter password here:",                                          14, 133,  80,   8, 0},
    {DialogItemKind::Edit,          IDC_CONFIG_PASSWORD,           "",                                                              100, 131, 122,  12, ES_PASSWORD},
    {DialogItemKind::CheckBox,      IDC_CONFIG_REMEMBER_PASSWORD,  "Remember password",                                             14, 148, 100,  10, 0},
    {DialogItemKind::DefPushButton, IDOK,                          "OK",                                                           121, 168,  50,  14, 0},
    {DialogItemKind::PushButton,    IDCANCEL,                      "Cancel",                                                       179, 168,  50,  14, 0},
};

const DialogResource kResource = {
    IDD_LDAP_CONFIG, "Configure X.500 Directory Manager", 236, 188, "MS Sans Serif", 8,
    kItems, (int)(sizeof kItems / sizeof kItems[0]),
};

const char kInvalidDn[] = "The Distinguished name you have typed is not valid.";
const char kInvalidDnCaption[] = "Directory entry error";
}  // namespace

CLdapConfigDialog::CLdapConfigDialog(CWnd* parent) : CDialog(kResource, parent) {}

const DialogResource& CLdapConfigDialog::Resource()
{
    return kResource;
}

void CLdapConfigDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_CONFIG_SERVER, m_server);
    DDX_Text(pDX, IDC_CONFIG_PORT, m_port);
    DDV_MinMaxUInt(pDX, m_port, 0, kMaxPort);
    DDX_Check(pDX, IDC_CONFIG_NAME_FORM, m_nameForm);
    DDX_Text(pDX, IDC_CONFIG_USER_NAME, m_userName);
    if (pDX->m_bSaveAndValidate && !m_userName.IsEmpty() && !IsValidDn(m_userName)) {
        MessageBox(kInvalidDn, kInvalidDnCaption, MB_ICONEXCLAMATION);
        pDX->PrepareEditCtrl(IDC_CONFIG_USER_NAME);
        pDX->Fail();
    }
    DDX_Text(pDX, IDC_CONFIG_PASSWORD, m_password);
    DDX_Check(pDX, IDC_CONFIG_REMEMBER_PASSWORD, m_rememberPassword);
}
