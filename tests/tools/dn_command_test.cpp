// dlink dn: names from standard input, and a long name split in one pass.
#include <gtest/gtest.h>

#include <string>

#include "tools/tool_runner.h"

TEST(DnCommand, SplitsALongNameReadFromStandardInput)
{
    ToolSandbox box;
    // 20,000 RDNs: longer than one command-line argument may be.
    std::string dn;
    for (int i = 0; i < 20000; ++i)
        dn += (i ? "," : "") + std::string("cn=v") + std::to_string(i) + (i % 1000 == 0 ? "+sn=s" : "");
    box.write("dn.txt", dn + "\n");
    ToolRun r = box.run("dlink dn split - < dn.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("cn=v0+sn=s\n  cn=v0\n  sn=s\ncn=v1\n", 0), 0u);
    EXPECT_EQ(r.out.size() - r.out.rfind("cn=v19999\n"), 10u);
    EXPECT_EQ(box.run("dlink dn check - < dn.txt").out, "valid\n");
}
