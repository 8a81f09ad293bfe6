#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {
// Runs a shell command; its standard output and exit status.
std::string run(const std::string& command, int* status)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    int raw = pipe ? pclose(pipe) : -1;
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

const std::string vcore = std::string(VC_BINARY_DIR) + "/tools/vcore";
}  // namespace

TEST(DigestCommand, PrintsLikeSha1sumAndMd5sum)
{
    std::string path = std::string(VC_BINARY_DIR) + "/digest_command_input.txt";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 5000; ++i)
            out << "line " << i << "\n";
    }
    int status = 0, reference = 0;
    EXPECT_EQ(run(vcore + " digest '" + path + "'", &status), run("sha1sum '" + path + "'", &reference));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run(vcore + " digest --md5 '" + path + "' '" + path + "'", &status),
              run("md5sum '" + path + "' '" + path + "'", &reference));
    EXPECT_EQ(run("printf abc | " + vcore + " digest --md2 -", &status), "da853b0d3f88d99b30283a69e6ded6bb  -\n");
    std::remove(path.c_str());
}

TEST(DigestCommand, MissingFilesFailButOthersAreStillDigested)
{
    int status = 0;
    std::string out = run(vcore + " digest /nonexistent/file /dev/null 2>/dev/null", &status);
    EXPECT_EQ(out, "da39a3ee5e6b4b0d3255bfef95601890afd80709  /dev/null\n");
    EXPECT_EQ(status, 1);
    run(vcore + " digest --sha512 x 2>/dev/null", &status);
    EXPECT_NE(status, 0);
}
