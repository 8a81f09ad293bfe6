// The configuration dialog through the scripted backend: what it shows, its
// validation messages and focus, and what OK and Cancel leave in the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>

#include "dirlink/dirlink.h"

namespace {
struct UseBackend {
    explicit UseBackend(CDialogBackend* backend) : previous(AfxSetDialogBackend(backend)) { AfxSetAppName("dirtest"); }
    ~UseBackend() { AfxSetDialogBackend(previous); }
    CDialogBackend* previous;
};

CLdapDirSettings sample()
{
    CLdapDirSettings settings;
    settings.m_server = "ldap.example.com";
    settings.m_port = 636;
    settings.m_nameForm = 1;
    settings.m_userName = "cn=P.Varek, c=BY";
    settings.m_password = "s3cret";
    settings.m_rememberPassword = TRUE;
    return settings;
}

void expectSame(const CLdapDirSettings& a, const CLdapDirSettings& b)
{
    EXPECT_EQ(a.m_server, b.m_server);
    EXPECT_EQ(a.m_port, b.m_port);
    EXPECT_EQ(a.m_nameForm, b.m_nameForm);
    EXPECT_EQ(a.m_userName, b.m_userName);
    EXPECT_EQ(a.m_password, b.m_password);
    EXPECT_EQ(a.m_rememberPassword, b.m_rememberPassword);
}

WORD configure(CLdapDirSettings& settings, CScriptedDialogBackend& script, int* dialogResult = nullptr)
{
    UseBackend use(&script);
    CString message = "old";
    WORD code = settings.Configure(nullptr, FALSE, message, dialogResult);
    EXPECT_TRUE(message.IsEmpty());
    return code;
}
}  // namespace

TEST(LdapConfigDialog, ShowsTheSettingsInTabOrder)
{
    CLdapDirSettings settings = sample();
    CScriptedDialogBackend script;
    script.Press(IDOK);
    int result = 0;
    EXPECT_EQ(0, configure(settings, script, &result));
    EXPECT_EQ(IDOK, result);
    const std::vector<CString> expected = {
        "show \"Configure X.500 Directory Manager\"",
        "field 1134 \"ldap.example.com\"",
        "field 1142 \"636\"",
        "check 1135 1",
        "field 1136 \"cn=P.Varek, c=BY\"",
        "field 1001 \"s3cret\"",
        "check 1137 1",
        "focus 1134",
        "end 1",
    };
    EXPECT_EQ(expected, script.Transcript());
    expectSame(sample(), settings);
}

TEST(LdapConfigDialog, OkCopiesEveryValueBack)
{
    CLdapDirSettings settings = sample();
    CScriptedDialogBackend script;
    script.Type(IDC_CONFIG_SERVER, "localhost")
        .Type(IDC_CONFIG_PORT, "10000")
        .Check(IDC_CONFIG_NAME_FORM, BST_UNCHECKED)
        .Type(IDC_CONFIG_USER_NAME, "")  // an empty user name is accepted
        .Type(IDC_CONFIG_PASSWORD, "other")
        .Check(IDC_CONFIG_REMEMBER_PASSWORD, BST_UNCHECKED)
        .Press(IDOK);
    EXPECT_EQ(0, configure(settings, script));
    EXPECT_TRUE(script.Messages().empty());
    EXPECT_EQ(CString("localhost"), settings.m_server);
    EXPECT_EQ(10000u, settings.m_port);
    EXPECT_EQ(0, settings.m_nameForm);
    EXPECT_TRUE(settings.m_userName.IsEmpty());
    EXPECT_EQ(CString("other"), settings.m_password);
    EXPECT_FALSE(settings.m_rememberPassword);
}

TEST(LdapConfigDialog, InvalidInputKeepsTheDialogOpen)
{
    struct Case {
        int field;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {IDC_CONFIG_PORT, "10001", "message \"dirtest\" \"Please enter an integer between 0 and 10000.\" 0x30"},
        {IDC_CONFIG_PORT, "99999999999", "message \"dirtest\" \"Please enter an integer between 0 and 10000.\" 0x30"},
        {IDC_CONFIG_PORT, "", "message \"dirtest\" \"Please enter a positive integer.\" 0x30"},
        {IDC_CONFIG_PORT, "3 89", "message \"dirtest\" \"Please enter a positive integer.\" 0x30"},
        {IDC_CONFIG_USER_NAME, "P.Varek",
         "message \"Directory entry error\" \"The Distinguished name you have typed is not valid.\" 0x30"},
        {IDC_CONFIG_USER_NAME, "nosuchtype=x, c=BY",
         "message \"Directory entry error\" \"The Distinguished name you have typed is not valid.\" 0x30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CLdapDirSettings settings = sample();
        CScriptedDialogBackend script;
        script.Type(IDC_CONFIG_SERVER, "changed.example.com").Type(c.field, c.typed).Press(IDOK).Press(IDCANCEL);
        int result = 0;
        EXPECT_EQ(0, configure(settings, script, &result));
        EXPECT_EQ(IDCANCEL, result);
        const std::vector<CString>& lines = script.Transcript();
        ASSERT_GE(lines.size(), 3u);
        // The message, then the focus on the field to mend, then Cancel.
        EXPECT_EQ(CString(c.message), lines[lines.size() - 3]);
        CString focus;
        focus.Format("focus %d", c.field);
        EXPECT_EQ(focus, lines[lines.size() - 2]);
        EXPECT_EQ(CString("end 2"), lines.back());
        expectSame(sample(), settings);
    }
}

TEST(LdapConfigDialog, MendedInputIsAccepted)
{
    CLdapDirSettings settings = sample();
    CScriptedDialogBackend script;
    script.Type(IDC_CONFIG_USER_NAME, "Varek")
        .Press(IDOK)
        .Type(IDC_CONFIG_USER_NAME, "cn=Varek, o=Example, c=BY")
        .Press(IDOK);
    EXPECT_EQ(0, configure(settings, script));
    EXPECT_EQ(1u, script.Messages().size());
    EXPECT_EQ(CString("end 1"), script.Transcript().back());
    EXPECT_EQ(CString("cn=Varek, o=Example, c=BY"), settings.m_userName);
}

TEST(LdapConfigDialog, CancelLeavesTheSettings)
{
    CLdapDirSettings settings = sample();
    CScriptedDialogBackend script;
    script.Type(IDC_CONFIG_SERVER, "elsewhere").Type(IDC_CONFIG_PASSWORD, "x").Press(IDCANCEL);
    int result = 0;
    EXPECT_EQ(0, configure(settings, script, &result));
    EXPECT_EQ(IDCANCEL, result);
    expectSame(sample(), settings);
}

TEST(LdapConfigDialog, NoDialogWhileConnected)
{
    CLdapDirSettings settings = sample();
    CScriptedDialogBackend script;
    UseBackend use(&script);
    CString message;
    EXPECT_EQ(1, settings.Configure(nullptr, TRUE, message));
    EXPECT_EQ(CString("Cannot configure when connected."), message);
    EXPECT_TRUE(script.Transcript().empty());
}

TEST(LdapConfigDialog, NoBackendIsAFailureNotAnOk)
{
    // No chosen backend, no display, no terminal on standard input.
    UseBackend use(nullptr);
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    std::string wayland = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    int savedStdin = dup(STDIN_FILENO);
    int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    close(null);

    CLdapDirSettings settings = sample();
    CString message;
    int result = 0;
    WORD code = settings.Configure(nullptr, FALSE, message, &result);

    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1);
    if (!wayland.empty())
        setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
    EXPECT_EQ(1, code);
    EXPECT_EQ(CString("Cannot show the configuration dialog."), message);
    EXPECT_EQ(IDCANCEL, result);
    expectSame(sample(), settings);
}

TEST(LdapConfigDialog, TheLibrariesDoNotBringInGtk)
{
    // Dialogs have run in this process (scripted); the desktop plug-in is
    // loaded only for a display, so no GTK library may be mapped.
    CLdapDirSettings settings;
    CScriptedDialogBackend script;
    script.Press(IDOK);
    configure(settings, script);
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        EXPECT_EQ(std::string::npos, line.find("libgtk")) << line;
}
