// dlink configure on a pseudo-terminal: the file it writes, its mode, and
// what cancelling or a broken file leave behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/pty_session.h"

namespace {
const std::string dlink = std::string(VC_BINARY_DIR) + "/tools/dlink";

using Bytes = std::vector<unsigned char>;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

// Runs dlink configure FILE with the answers typed ahead; its exit status.
int runConfigure(const std::string& path, const std::vector<std::string>& answers, std::string* shown = nullptr)
{
    PtySession session([&] {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        execl(dlink.c_str(), "dlink", "configure", path.c_str(), (char*)nullptr);
    });
    if (!session.started())
        return -1;
    for (const std::string& answer : answers)
        session.type(answer);
    int status = session.wait();
    if (shown)
        *shown = session.output();
    return status;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

struct TempFolder {
    TempFolder()
    {
        char pattern[] = "/tmp/dlinkconfXXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};
}  // namespace

TEST(ConfigureCommand, WritesTheStoredLayoutPrivatelyWhenThePasswordIsKept)
{
    TempFolder folder;
    const std::string path = folder.path + "/directory.cfg";
    // server, port, name form, user name, password, remember, OK
    ASSERT_EQ(0, runConfigure(path, {"ldap.example.com", "636", "y", "cn=Admin, c=BY", "pw", "y", ""}));
    const Bytes withPassword = {0x00, 16, 'l', 'd', 'a', 'p', '.', 'e', 'x', 'a', 'm', 'p', 'l', 'e', '.', 'c', 'o',
                                'm',  0x01, 14, 'c', 'n', '=', 'A', 'd', 'm', 'i', 'n', ',', ' ', 'c', '=', 'B', 'Y',
                                2,    'p', 'w', 0x7C, 0x02, 0x00, 0x00};
    EXPECT_EQ(withPassword, readFile(path));
    EXPECT_EQ(0600u, modeOf(path));

    // Edited again without remembering: the password leaves the file.
    ASSERT_EQ(0, runConfigure(path, {"", "", "", "", "", "n", ""}));
    Bytes withoutPassword = withPassword;
    withoutPassword.erase(withoutPassword.end() - 7, withoutPassword.end() - 4);
    withoutPassword.insert(withoutPassword.end() - 4, 0x00);
    EXPECT_EQ(withoutPassword, readFile(path));
}

TEST(ConfigureCommand, CancelAndBrokenFilesLeaveTheFileAlone)
{
    TempFolder folder;
    const std::string path = folder.path + "/directory.cfg";
    std::string shown;
    EXPECT_EQ(1, runConfigure(path, {"changed.example.com", "", "", "", "", "", "c"}, &shown));
    EXPECT_NE(std::string::npos, shown.find("cancelled; " + path + " left as it was")) << shown;
    struct stat st;
    EXPECT_NE(0, stat(path.c_str(), &st));  // nothing created

    const Bytes broken = {0x01, 0x00};
    writeFile(path, broken);
    EXPECT_EQ(1, runConfigure(path, {}, &shown));
    EXPECT_NE(std::string::npos, shown.find(path + ": Failed to load configurations.")) << shown;
    EXPECT_EQ(broken, readFile(path));
}

TEST(ConfigureCommand, HelpSaysThePasswordIsKeptInClear)
{
    std::string out;
    FILE* pipe = popen((dlink + " configure --help").c_str(), "r");
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    EXPECT_EQ(0, pipe ? pclose(pipe) : -1);
    EXPECT_NE(std::string::npos, out.find("in clear\ntext")) << out;
    EXPECT_NE(std::string::npos, out.find("mode 0600")) << out;
}
