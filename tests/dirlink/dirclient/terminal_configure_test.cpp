// The configuration dialog on a terminal: a child process on a pseudo-
// terminal answers the questions the way a user would, including a refused
// port and user name, while the test checks the prompts, the echo and what
// is stored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dirlink/dirlink.h"
#include "support/pty_session.h"

namespace {
// The child: configures the given settings on its terminal and stores them.
[[noreturn]] void runConfigureChild(const std::string& storePath)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    AfxSetAppName("dirtest");
    CLdapDirSettings settings;
    CString message;
    int result = 0;
    WORD code = settings.Configure(nullptr, FALSE, message, &result);
    CFile file;
    if (!file.Open(storePath.c_str(), CFile::modeCreate | CFile::modeWrite))
        _exit(90);
    settings.SaveConfiguration(&file, message);
    file.Close();
    _exit(code * 10 + (result == IDOK ? 1 : 0));
}

struct Exchange {
    const char* prompt;
    const char* answer;
};

std::string tempPath()
{
    char path[] = "/tmp/configXXXXXX";
    int fd = mkstemp(path);
    close(fd);
    return path;
}
}  // namespace

TEST(TerminalConfigure, AsksInTabOrderAndStoresTheAnswers)
{
    const std::string storePath = tempPath();
    PtySession terminal([&] { runConfigureChild(storePath); });
    ASSERT_TRUE(terminal.started());
    const Exchange exchanges[] = {
        {"Configure X.500 Directory Manager\n", nullptr},
        {"\nServer\n------\n", nullptr},
        {"Enter the directory server's host name (e.g. ldap.example.com):\n[localhost]: ", "ldap.example.com"},
        {"Enter server's port number here:\n[389]: ", "63x"},
        {"Only digits are allowed here.\nEnter server's port number here:\n[389]: ", "20000"},
        {"Server supports only symbolic names of attributes [y/N]: ", "y"},
        {"\nAuthentication\n--------------\n", nullptr},
        {"Enter your name here (e.g. cn=P.Varek, c=BY):\n[]: ", "Varek"},
        {"Enter password here:\n[]: ", "hunter2"},
        {"Remember password [y/N]: ", "y"},
        {"OK / Cancel [OK]: ", ""},
        // The port is refused first; the questions resume at the port.
        {"dirtest: Please enter an integer between 0 and 10000.\n", nullptr},
        {"Enter server's port number here:\n[20000]: ", "636"},
        {"Server supports only symbolic names of attributes [Y/n]: ", ""},
        {"Enter your name here (e.g. cn=P.Varek, c=BY):\n[Varek]: ", ""},
        {"Enter password here:\n[unchanged]: ", ""},
        {"Remember password [Y/n]: ", ""},
        {"OK / Cancel [OK]: ", "o"},
        {"Directory entry error: The Distinguished name you have typed is not valid.\n", nullptr},
        {"Enter your name here (e.g. cn=P.Varek, c=BY):\n[Varek]: ", "cn=Varek, c=BY"},
        {"Enter password here:\n[unchanged]: ", ""},
        {"Remember password [Y/n]: ", ""},
        {"OK / Cancel [OK]: ", "OK"},
    };
    for (const Exchange& step : exchanges) {
        ASSERT_TRUE(terminal.waitFor(step.prompt)) << "waiting for: " << step.prompt << "\nafter:\n"
                                                   << terminal.output();
        if (step.answer) {
            ASSERT_TRUE(terminal.type(step.answer));
        }
    }
    EXPECT_EQ(1, terminal.wait());  // code 0, OK chosen

    // Answers are echoed, the password is not.
    EXPECT_NE(std::string::npos, terminal.output().find("[localhost]: ldap.example.com"));
    EXPECT_EQ(std::string::npos, terminal.output().find("hunter2"));

    CLdapDirSettings stored;
    CFile file(storePath.c_str(), CFile::modeRead);
    CString message;
    ASSERT_EQ(0, stored.LoadConfiguration(&file, FALSE, message));
    unlink(storePath.c_str());
    EXPECT_EQ(CString("ldap.example.com"), stored.m_server);
    EXPECT_EQ(636u, stored.m_port);
    EXPECT_EQ(1, stored.m_nameForm);
    EXPECT_EQ(CString("cn=Varek, c=BY"), stored.m_userName);
    EXPECT_EQ(CString("hunter2"), stored.m_password);
    EXPECT_TRUE(stored.m_rememberPassword);
}

TEST(TerminalConfigure, EndOfInputCancels)
{
    const std::string storePath = tempPath();
    PtySession terminal([&] { runConfigureChild(storePath); });
    ASSERT_TRUE(terminal.waitFor("[localhost]: "));
    ASSERT_TRUE(terminal.type("changed.example.com"));
    ASSERT_TRUE(terminal.waitFor("[389]: "));
    terminal.type("\x04", false);  // Ctrl-D at the start of a line
    EXPECT_EQ(0, terminal.wait());  // code 0, cancelled

    CLdapDirSettings stored;
    CFile file(storePath.c_str(), CFile::modeRead);
    CString message;
    ASSERT_EQ(0, stored.LoadConfiguration(&file, FALSE, message));
    unlink(storePath.c_str());
    EXPECT_EQ(CString("localhost"), stored.m_server);
}
