// vcore digest beside sha1sum and md5sum: the same lines, from files, pipes
// and FIFOs, with names that need escaping.
#include <gtest/gtest.h>

#include <string>

#include "tools/tool_runner.h"

TEST(DigestCommand, PrintsWhatSha1sumAndMd5sumPrint)
{
    ToolSandbox box;
    std::string text;
    for (int i = 0; i < 300000; ++i)
        text += "line " + std::to_string(i) + "\n";  // several read blocks
    box.write("input", text);
    EXPECT_EQ(box.run("vcore digest input").out, box.run("sha1sum input").out);
    EXPECT_EQ(box.run("vcore digest --md5 input input").out, box.run("md5sum input input").out);
    EXPECT_EQ(box.run("printf abc | vcore digest --md2 -").out, "da853b0d3f88d99b30283a69e6ded6bb  -\n");
}

TEST(DigestCommand, ReadsPipesFifosAndProcessSubstitution)
{
    ToolSandbox box;
    box.write("input", std::string(100000, 'q'));
    const std::string expected = box.run("sha1sum < input").out.substr(0, 40);
    for (const char* line : {"vcore digest /dev/stdin < input", "cat input | vcore digest /dev/stdin",
                             "vcore digest <(cat input)", "cat input | vcore digest",
                             "mkfifo fifo && { cat input > fifo & } && vcore digest fifo"}) {
        ToolRun r = box.run(line);
        EXPECT_EQ(r.status, 0) << line << ": " << r.err;
        EXPECT_EQ(r.out.substr(0, 40), expected) << line;
    }
}

TEST(DigestCommand, EscapedNamesPassSha1sumCheck)
{
    ToolSandbox box;
    for (const char* name : {"new\nline", "back\\slash", "both\\\nof them", "plain"})
        box.write(name, name);
    const char* names = "$'new\\nline' 'back\\slash' $'both\\\\\\nof them' plain";
    ToolRun ours = box.run(std::string("vcore digest ") + names + " > sums");
    ASSERT_EQ(ours.status, 0) << ours.err;
    EXPECT_EQ(box.read("sums"), box.run(std::string("sha1sum ") + names).out);
    ToolRun check = box.run("sha1sum -c sums");
    EXPECT_EQ(check.status, 0) << check.out << check.err;
}

TEST(DigestCommand, AFileThatFailsIsReportedAndTheOthersDigested)
{
    ToolSandbox box;
    ToolRun r = box.run("vcore digest /nonexistent/file . /dev/null");
    EXPECT_EQ(r.out, "da39a3ee5e6b4b0d3255bfef95601890afd80709  /dev/null\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.errLines(), 2) << r.err;
    EXPECT_EQ(box.run("vcore digest --md5 --sha1 /dev/null").status, 2);
}
