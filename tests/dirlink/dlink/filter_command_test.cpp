// dlink filter from the shell: both text forms, the request as hex, and one
// line with the position for bad text.
#include <gtest/gtest.h>

#include <string>

#include "support/shell_command.h"

namespace {

const std::string dlink = std::string(VC_BINARY_DIR) + "/tools/dlink";

TEST(FilterCommand, PrintsBothFormsAndTheRequest)
{
    int status = -1;
    EXPECT_EQ("protocol: (&(cn=a)(!(mail=*)))\n"
              "readable: ((cn = a) AND (NOT (PRESENT mail)))\n"
              "der: 302b020101632604000a01020a0100020100020100010100a011a3070402636e040161a20687046d61"
              "696c3000\n",
              runShell(dlink + " filter --names --der '(&(cn=a)(!(mail=*)))'", &status));
    EXPECT_EQ(0, status);
    EXPECT_EQ("protocol: (2.5.4.3=x\\*)\nreadable: (2.5.4.3 = x\\*)\n",
              runShell("printf '2.5.4.3=x\\\\2a\\n' | " + dlink + " filter -", &status));
    EXPECT_EQ(0, status);
}

TEST(FilterCommand, BadTextAndBadUsage)
{
    int status = -1;
    EXPECT_EQ("dlink: bad filter at position 7: expected ')'\n",
              runShell(dlink + " filter '(&(a=1)x)' 2>&1 >/dev/null", &status));
    EXPECT_EQ(1, status);
    runShell(dlink + " filter 2>/dev/null", &status);
    EXPECT_EQ(2, status);
    runShell(dlink + " filter --bogus '(a=1)' 2>/dev/null", &status);
    EXPECT_EQ(2, status);
}

}  // namespace
