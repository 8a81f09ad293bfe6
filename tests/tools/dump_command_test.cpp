// vcore dump over files of one or several DER values, against openssl asn1parse.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
    int status;
    std::string output;  // standard output, then standard error
};

Outcome runShell(const std::string& command)
{
    Outcome outcome{-1, ""};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        outcome.output += buffer;
    int raw = pipe ? pclose(pipe) : -1;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

const std::string kVcore = std::string(VC_BINARY_DIR) + "/tools/vcore";
const std::string kData = std::string(VC_TEST_DATA);

// Lines of a listing that start a top-level value (no indentation).
int topLevelValues(const std::string& listing)
{
    std::istringstream lines(listing);
    std::string line;
    int count = 0;
    while (std::getline(lines, line))
        count += line.compare(0, 1, "<") == 0;
    return count;
}

// Top-level values openssl asn1parse finds in a DER file.
int opensslTopLevelValues(const std::string& path)
{
    Outcome parsed = runShell("openssl asn1parse -inform DER -in '" + path + "'");
    std::istringstream lines(parsed.output);
    std::string line;
    int count = 0;
    while (std::getline(lines, line))
        count += line.find(":d=0 ") != std::string::npos;
    return count;
}

std::string writeTemporary(const std::string& name, const std::string& bytes)
{
    std::string path = std::string(VC_BINARY_DIR) + "/dump_command_" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(DumpCommand, ListsAsManyTopLevelValuesAsOpensslFinds)
{
    if (runShell("openssl version").status != 0)
        GTEST_SKIP() << "no openssl command";
    const std::string unbind("\x30\x05\x02\x01\x0F\x42\x00", 7);
    struct Case {
        const char* name;
        std::string path;
        int values;
    } cases[] = {
        {"certificate", kData + "/der/sample_cert.der", 1},
        {"revocation list", kData + "/der/crl.der", 1},
        {"signed PKCS#7", kData + "/der/pkcs7_signed.der", 1},
        {"search request then unbind",
         writeTemporary("two_messages.der", fileBytes(kData + "/ldap/search_filter_entry.request.der") + unbind), 2},
        {"three messages",
         writeTemporary("three_messages.der", fileBytes(kData + "/ldap/search_entry.der") +
                                                  fileBytes(kData + "/ldap/search_done_success.der") + unbind),
         3},
    };
    for (const Case& c : cases) {
        Outcome dumped = runShell(kVcore + " dump '" + c.path + "'");
        EXPECT_EQ(dumped.status, 0) << c.name << "\n" << dumped.output;
        EXPECT_EQ(topLevelValues(dumped.output), c.values) << c.name << "\n" << dumped.output;
        EXPECT_EQ(opensslTopLevelValues(c.path), c.values) << c.name;
    }
}

TEST(DumpCommand, SaysWhereAComponentRunsPastItsParent)
{
    std::string path = writeTemporary("past_parent.der", std::string("\x30\x03\x04\x05\x01\x02\x03\x04\x05", 9));
    Outcome dumped = runShell(kVcore + " dump '" + path + "'");
    EXPECT_EQ(dumped.status, 1);
    EXPECT_NE(dumped.output.find("Component runs past the end of its parent (at offset 2)"), std::string::npos)
        << dumped.output;
    EXPECT_EQ(dumped.output.find("SIZE: 2 + 7"), std::string::npos) << dumped.output;
    EXPECT_NE(runShell("openssl asn1parse -inform DER -in '" + path + "'").status, 0)
        << "openssl refuses it too";
    std::remove(path.c_str());
}
