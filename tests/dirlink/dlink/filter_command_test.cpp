// dlink filter from the shell: both text forms, the request as hex, and one
// line with the position for bad text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

// Runs a shell command; its standard output (and error, when merged by the
// command line) and exit status.
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

const std::string dlink = std::string(VC_BINARY_DIR) + "/tools/dlink";

TEST(FilterCommand, PrintsBothFormsAndTheRequest)
{
    int status = -1;
    EXPECT_EQ("protocol: (&(cn=a)(!(mail=*)))\n"
              "readable: ((cn = a) AND (NOT (PRESENT mail)))\n"
              "der: 302b020101632604000a01020a0100020100020100010100a011a3070402636e040161a20687046d61"
              "696c3000\n",
              run(dlink + " filter --names --der '(&(cn=a)(!(mail=*)))'", &status));
    EXPECT_EQ(0, status);
    EXPECT_EQ("protocol: (2.5.4.3=x\\*)\nreadable: (2.5.4.3 = x\\*)\n",
              run("printf '2.5.4.3=x\\\\2a\\n' | " + dlink + " filter -", &status));
    EXPECT_EQ(0, status);
}

TEST(FilterCommand, BadTextAndBadUsage)
{
    int status = -1;
    EXPECT_EQ("dlink: bad filter at position 7: expected ')'\n",
              run(dlink + " filter '(&(a=1)x)' 2>&1 >/dev/null", &status));
    EXPECT_EQ(1, status);
    run(dlink + " filter 2>/dev/null", &status);
    EXPECT_EQ(2, status);
    run(dlink + " filter --bogus '(a=1)' 2>/dev/null", &status);
    EXPECT_EQ(2, status);
}

}  // namespace
