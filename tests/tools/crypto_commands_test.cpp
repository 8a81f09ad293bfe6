// vcore encrypt, decrypt and keygen from the shell, against openssl.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string kVcore = std::string(VC_BINARY_DIR) + "/tools/vcore";

struct Result {
    int status;
    std::string output;  // standard error and output together
};

Result run(const std::string& command)
{
    Result r{0, ""};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), (int)buffer.size(), pipe))
        r.output += buffer.data();
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class Dir {
public:
    Dir()
    {
        char pattern[] = "/tmp/vc_toolXXXXXX";
        m_path = mkdtemp(pattern);
        std::ofstream(file("plain"), std::ios::binary) << std::string(5000, 'x') << "tail";
    }
    ~Dir() { std::system(("rm -rf " + m_path).c_str()); }
    std::string file(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

const char* kKey3 = "0123456789abcdeffedcba987654321089abcdef01234567";

}  // namespace

TEST(VcoreEncrypt, OpensslReadsOursAndWeReadTheirs)
{
    if (run("openssl version").status != 0)
        GTEST_SKIP() << "no openssl command";
    Dir d;
    struct {
        const char* ours;
        const char* theirs;
        const char* key;
        const char* extra;
    } cases[] = {{"des", "des-cbc", "0123456789abcdef", ""},
                 {"3des", "des-ede3-cbc", kKey3, ""},
                 {"rc2", "rc2-40-cbc", "0102030405", "--bits 40"},
                 {"rc2", "rc2-cbc", "00112233445566778899aabbccddeeff", ""}};
    for (const auto& c : cases) {
        const std::string common = std::string(" --cipher ") + c.ours + " --key " + c.key + " --iv 0011223344556677 " +
                                   c.extra + " ";
        ASSERT_EQ(run(kVcore + " encrypt" + common + d.file("plain") + " " + d.file("ours")).status, 0) << c.theirs;
        const std::string openssl = std::string("openssl enc -") + c.theirs + " -K " + c.key +
                                    " -iv 0011223344556677 -provider legacy -provider default";
        EXPECT_EQ(run(openssl + " -d -in " + d.file("ours") + " | cmp - " + d.file("plain")).status, 0) << c.theirs;
        ASSERT_EQ(run(openssl + " -in " + d.file("plain") + " -out " + d.file("theirs")).status, 0);
        ASSERT_EQ(run(kVcore + " decrypt" + common + d.file("theirs") + " " + d.file("back")).status, 0);
        EXPECT_EQ(run("cmp " + d.file("back") + " " + d.file("plain")).status, 0) << c.theirs;
    }
}

TEST(VcoreEncrypt, ClearOneLineErrors)
{
    Dir d;
    const std::string common = std::string(" --cipher 3des --key ") + kKey3 + " --iv 0011223344556677 ";
    ASSERT_EQ(run(kVcore + " encrypt" + common + d.file("plain") + " " + d.file("c")).status, 0);
    // A wrong key: the padding check fails (or, rarely, garbage passes it).
    std::string wrong = kKey3;
    wrong[0] = '1';
    Result r = run(kVcore + " decrypt --cipher 3des --key " + wrong + " --iv 0011223344556677 " + d.file("c") + " " +
                   d.file("out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("decryption failed"), std::string::npos) << r.output;
    EXPECT_EQ(access(d.file("out").c_str(), F_OK), -1) << "a failed decryption left its output";
    // A truncated file.
    run("head -c 1001 " + d.file("c") + " > " + d.file("t"));
    r = run(kVcore + " decrypt" + common + d.file("t") + " " + d.file("out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("not a whole number"), std::string::npos) << r.output;
    // Bad options.
    for (const char* bad : {" encrypt --cipher des --key 0011 --iv 0011223344556677 ",
                            " encrypt --cipher foo --key 0011223344556677 --ecb ",
                            " encrypt --cipher des --key 0123456789abcdef "}) {
        r = run(kVcore + bad + d.file("plain") + " " + d.file("x"));
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    }
}

TEST(VcoreKeygen, Pkcs1OutputPassesOpensslCheck)
{
    if (run("openssl version").status != 0)
        GTEST_SKIP() << "no openssl command";
    Dir d;
    ASSERT_EQ(run(kVcore + " keygen --bits 1024 --exponent 3 --format pkcs1 --out " + d.file("k.der")).status, 0);
    EXPECT_EQ(run("openssl rsa -check -noout -inform DER -in " + d.file("k.der")).status, 0);
    ASSERT_EQ(run(kVcore + " keygen --bits 512 --out " + d.file("k.arc")).status, 0);
    std::ifstream stored(d.file("k.arc"), std::ios::binary | std::ios::ate);
    EXPECT_EQ((long)stored.tellg(), 5 + 512 + 3 + 256 + 2 + 256 + 256 + 128);
    EXPECT_EQ(run(kVcore + " keygen --bits 100 --out " + d.file("x")).status, 1);
}
