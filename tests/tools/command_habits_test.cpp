// Every command and sub-command of vcore and dlink against the habits of
// shell tools: --help, a missing file, a directory, an empty file, "-",
// unknown options, and a full disk on standard output.
#include <gtest/gtest.h>

#include <string>

#include "tools/tool_runner.h"

namespace {
const std::string kCert = std::string(VC_TEST_DATA) + "/der/sample_cert.der";
const std::string kLdap = std::string(VC_TEST_DATA) + "/ldap/add_success.der";

// {} stands for the file operand. The statuses are those of a missing file,
// a directory, an empty file and "-" with nothing on standard input; `works`
// is an operand with which the command succeeds and prints.
struct Case {
    const char* line;
    int missing, directory, empty, stdinEmpty;
    std::string works;
};

const Case kCases[] = {
    {"vcore dump {}", 1, 1, 1, 1, kCert},
    {"vcore dump --ldap {}", 1, 1, 1, 1, kLdap},
    {"vcore digest {}", 1, 1, 0, 0, kCert},
    {"vcore encrypt --cipher des --key 0123456789abcdef --ecb {} -", 1, 1, 0, 0, kCert},
    {"vcore decrypt --cipher des --key 0123456789abcdef --ecb {} out", 1, 1, 1, 1, ""},
    {"vcore keygen --bits 512 --out {}", 0, 1, 1, 0, "-"},
    {"dlink schema {}", 1, 1, 1, 1, "cn"},
    {"dlink dn check {}", 1, 1, 1, 0, "cn=x"},
    {"dlink dn plain {}", 1, 1, 1, 0, "cn=x"},
    {"dlink dn canon {}", 1, 1, 1, 0, "cn=x"},
    {"dlink dn split {}", 1, 1, 1, 0, "cn=x"},
    {"dlink add -f {}", 1, 1, 0, 0, ""},
    {"dlink modify -f {}", 1, 1, 0, 0, ""},
};

std::string with(const char* line, const std::string& operand)
{
    std::string text = line;
    return text.replace(text.find("{}"), 2, "'" + operand + "'");
}

std::string program(const char* line)
{
    return std::string(line).substr(0, 5);
}
}  // namespace

TEST(CommandHabits, HelpGoesToStandardOutputWithStatusZero)
{
    ToolSandbox box;
    for (const Case& c : kCases) {
        for (const char* help : {"--help", "-h"}) {
            ToolRun r = box.run(with(c.line, "x") + " " + help);
            EXPECT_EQ(r.status, 0) << c.line << help;
            EXPECT_EQ(r.out.rfind("usage: ", 0), 0u) << c.line << help;
            EXPECT_EQ(r.err, "") << c.line << help;
        }
    }
    for (const char* group : {"vcore --help", "dlink -h", "dlink dn --help"}) {
        ToolRun r = box.run(group);
        EXPECT_EQ(r.status, 0) << group;
        EXPECT_NE(r.out.find("usage:"), std::string::npos) << group;
    }
}

TEST(CommandHabits, BadInputsGiveOneLineAndStatusOne)
{
    ToolSandbox box;
    box.write("empty", "");
    for (const Case& c : kCases) {
        const struct {
            std::string operand;
            int expected;
            const char* input;
        } inputs[] = {{"nothere", c.missing, ""}, {".", c.directory, ""}, {"empty", c.empty, ""},
                      {"-", c.stdinEmpty, " < /dev/null"}};
        for (const auto& in : inputs) {
            std::remove(box.path("nothere").c_str());
            ToolRun r = box.run(with(c.line, in.operand) + in.input);
            EXPECT_EQ(r.status, in.expected) << c.line << " with " << in.operand << ": " << r.err;
            if (r.status != 0 && r.out != "invalid\n") {  // dn check answers "invalid" with status 1
                EXPECT_EQ(r.errLines(), 1) << c.line << " with " << in.operand << ": " << r.err;
                EXPECT_EQ(r.err.rfind(program(c.line) + ": ", 0), 0u) << r.err;
            }
        }
    }
}

TEST(CommandHabits, UsageErrorsGiveStatusTwoAndAShortUsage)
{
    ToolSandbox box;
    for (const Case& c : kCases) {
        for (const char* bad : {" --no-such-option", " extra-operand"}) {
            if (std::string(bad) == " extra-operand" && std::string(c.line).find("digest") != std::string::npos)
                continue;  // takes any number of files
            ToolRun r = box.run(with(c.line, "x") + bad);
            EXPECT_EQ(r.status, 2) << c.line << bad;
            EXPECT_NE(r.err.find("usage: " + program(c.line)), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "") << c.line << bad;
        }
    }
    for (const char* line : {"vcore", "vcore frob", "dlink dn", "dlink dn frob x"})
        EXPECT_EQ(box.run(line).status, 2) << line;
}

TEST(CommandHabits, AFullDiskOnStandardOutputIsAFailure)
{
    ToolSandbox box;
    for (const Case& c : kCases) {
        if (c.works.empty())
            continue;
        ToolRun r = box.run(with(c.line, c.works));
        ASSERT_EQ(r.status, 0) << c.line << ": " << r.err;
        ASSERT_NE(r.out, "") << c.line;
        r = box.run(with(c.line, c.works) + " > /dev/full");
        EXPECT_EQ(r.status, 1) << c.line;
        EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << c.line << ": " << r.err;
    }
    EXPECT_EQ(box.run("vcore dump --help > /dev/full").status, 1);
}
