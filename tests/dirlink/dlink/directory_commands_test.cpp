// dlink's directory commands against a real slapd, beside the OpenLDAP
// tools: search output is ldapsearch -LLL's text, LDIF that ldapsearch wrote
// adds back, change records apply, exit statuses are the LDAP result codes,
// and Ctrl-C abandons a long search.
#include <gtest/gtest.h>

#include <csignal>

#include "support/slapd_suite.h"

namespace {

const std::string dlink = std::string(VC_BINARY_DIR) + "/tools/dlink";

// Entries whose LDIF needs every rule of the text form: values in base64
// (UTF-8, tab, control character, leading and trailing space, leading colon
// and less-than sign, a password), lines folded at the tools' width, a DN in
// base64 and one that folds, and a referral object.
std::string directory()
{
    std::string ldif = SlapdServer::baseEntries();
    ldif += "dn: cn=Odd Values,ou=people,dc=example,dc=com\nobjectClass: inetOrgPerson\ncn: Odd Values\nsn: Odd\n"
            "description:: Y2Fmw6kgYXUgbGFpdA==\ndescription:: dGFiCWhlcmU=\ndescription:: Y3RsAXg=\n"
            "description:: IGxlYWQ=\ndescription:: dHJhaWwg\ndescription:: OmNvbG9u\ndescription:: PGxlc3M=\n"
            "description: " + std::string(64, 'a') + "\ndescription: " + std::string(65, 'b') + "\n"
            "description: " + std::string(200, 'c') + "\nuserPassword: secret\n\n";
    ldif += "dn:: Y249SsO8cmdlbixvdT1wZW9wbGUsZGM9ZXhhbXBsZSxkYz1jb20=\nobjectClass: inetOrgPerson\n"
            "cn:: SsO8cmdlbg==\nsn: J\n\n";
    ldif += "dn: cn=" + std::string(80, 'L') + ",ou=people,dc=example,dc=com\nobjectClass: person\ncn: " +
            std::string(80, 'L') + "\nsn: L\n\n";
    ldif += "dn: ou=elsewhere,dc=example,dc=com\nobjectClass: referral\nobjectClass: extensibleObject\n"
            "ou: elsewhere\nref: ldap://other.example.com/ou=elsewhere,dc=example,dc=com\n\n";
    ldif += "dn: ou=many,dc=example,dc=com\nobjectClass: organizationalUnit\nou: many\n\n";
    for (int i = 0; i < 3000; ++i)
        ldif += "dn: uid=u" + std::to_string(i) + ",ou=many,dc=example,dc=com\nobjectClass: inetOrgPerson\nuid: u" +
                std::to_string(i) + "\ncn: U\nsn: U\ndescription: " + std::string(500, 'x') + "\n\n";
    return ldif;
}

class DirectoryCommands : public SlapdSuite<::testing::Test, directory> {
protected:
    // "dlink COMMAND ..." with the server and the root login put right after
    // the command's name, then the arguments (whose options win).
    static std::string dlinkAsRoot(const std::string& command, const std::string& arguments, int* status)
    {
        const size_t name = command.find(' ');
        return runShell(dlink + " " + command.substr(0, name) + " -H " + server().url() + " -D " +
                                    SlapdServer::kRootDn + " -w " + SlapdServer::kRootPassword +
                                    (name == std::string::npos ? "" : command.substr(name)) + " " + arguments,
                                status);
    }
};

TEST_F(DirectoryCommands, SearchWritesWhatLdapsearchWrites)
{
    const char* searches[] = {
        "-b dc=example,dc=com -s one",
        "-b ou=people,dc=example,dc=com",
        "-b ou=people,dc=example,dc=com '(sn=Odd)' description userPassword",
        "-b 'cn=Odd Values,ou=people,dc=example,dc=com' -s base '(objectClass=*)' 1.1",
        "-b dc=example,dc=com '(|(ou=elsewhere)(cn=J*))'",
        "-P 2 -b ou=people,dc=example,dc=com '(cn=*)' cn",
    };
    for (const char* arguments : searches) {
        int ours = -1, theirs = -1;
        const std::string expected = server().tool("ldapsearch", std::string("-LLL ") + arguments, &theirs);
        ASSERT_EQ(0, theirs) << arguments;
        EXPECT_EQ(expected, dlinkAsRoot("search", arguments, &ours)) << arguments;
        EXPECT_EQ(0, ours) << arguments;
    }
}

TEST_F(DirectoryCommands, ExitStatusIsTheResultCode)
{
    struct Case {
        const char* reason;
        std::string command;
        int status;
        const char* error;  // the start of standard error
    } cases[] = {
        {"no such object", "search -b ou=nothere,dc=example,dc=com", 32, "dlink: server answered 32 (0x20) - noSuchObject"},
        {"size limit", "search -b ou=many,dc=example,dc=com -z 3", 4, "dlink: server answered 4 (0x4) - sizeLimitExceeded"},
        {"a referral", "search -b cn=x,ou=elsewhere,dc=example,dc=com", 10, "dlink: server answered 10 (0xa) - referral"},
        {"wrong password", "whoami -w wrong", 49, "dlink: Login failed (server rejected: \"\", code: 49 (0x31)"},
        {"who am I on version 2", "whoami -P 2", 2, "dlink: Extended Request failed"},
        {"compare true", "compare 'cn=Odd Values,ou=people,dc=example,dc=com' sn:Odd", 6, ""},
        {"compare false", "compare 'cn=Odd Values,ou=people,dc=example,dc=com' sn::RXZlbg==", 5, ""},
        {"compare a missing entry", "compare cn=nobody,dc=example,dc=com sn:Odd", 32, "dlink: Compare failed"},
        {"delete a missing entry", "delete cn=nobody,dc=example,dc=com", 32, "dlink: Delete failed"},
        {"a bad filter", "search '(cn=x'", 1, "dlink: bad filter at position"},
    };
    for (const Case& c : cases) {
        int status = -1;
        const std::string err = dlinkAsRoot(c.command, "2>&1 >/dev/null", &status);
        EXPECT_EQ(c.status, status) << c.reason << ": " << err;
        EXPECT_EQ(0u, err.find(c.error)) << c.reason << ": " << err;
    }
    int status = -1;
    EXPECT_EQ("dlink: write error on standard output: No space left on device\n",
              dlinkAsRoot("search", "-b ou=many,dc=example,dc=com 2>&1 >/dev/full", &status));
    EXPECT_EQ(1, status);
    EXPECT_EQ("TRUE\n", dlinkAsRoot("compare", "'cn=Odd Values,ou=people,dc=example,dc=com' sn:Odd", &status));
    EXPECT_EQ("dn:cn=admin,dc=example,dc=com\n", dlinkAsRoot("whoami", "", &status));
    EXPECT_EQ("anonymous\n", runShell(dlink + " whoami -H " + server().url(), &status));
    const std::string refused = runShell(dlink + " search -H ldap://127.0.0.1:1 2>&1", &status);
    EXPECT_EQ(1, status);
    EXPECT_EQ("dlink: Cannot connect to \"127.0.0.1\".\n", refused);
    runShell(dlink + " search -H http://127.0.0.1 2>/dev/null", &status);
    EXPECT_EQ(2, status);
    runShell(dlink + " search -w a -y /dev/null 2>/dev/null", &status);
    EXPECT_EQ(2, status);
}

TEST_F(DirectoryCommands, AddRecreatesWhatLdapsearchWroteAndModifyAppliesChanges)
{
    int status = -1;
    const std::string people = server().tool("ldapsearch", "-LLL -b ou=people,dc=example,dc=com", &status);
    ASSERT_EQ(0, status);
    const std::string file = server().writeFile("people.ldif", people);
    server().tool("ldapdelete", "-r ou=people,dc=example,dc=com", &status);
    ASSERT_EQ(0, status);
    const std::string added = dlinkAsRoot("add", "-f " + file, &status);
    EXPECT_EQ(0, status) << added;
    EXPECT_EQ(0u, added.find("adding new entry \"ou=people,dc=example,dc=com\"\n\n")) << added;
    EXPECT_EQ(people, server().tool("ldapsearch", "-LLL -b ou=people,dc=example,dc=com", &status));
    dlinkAsRoot("add", "-f " + file + " 2>/dev/null", &status);
    EXPECT_EQ(68, status);  // entryAlreadyExists, at the first record

    const std::string changes = server().writeFile(
        "changes.ldif",
        "dn: cn=New,ou=people,dc=example,dc=com\nchangetype: add\nobjectClass: person\ncn: New\nsn: One\n\n"
        "dn: cn=New,ou=people,dc=example,dc=com\nchangetype: modify\nreplace: sn\nsn: Two\n-\nadd: description\n"
        "description: added\n-\n\n"
        "dn: cn=New,ou=people,dc=example,dc=com\nchangetype: modrdn\nnewrdn: cn=Newer\ndeleteoldrdn: 1\n\n");
    dlinkAsRoot("modify", "-f " + changes, &status);
    EXPECT_EQ(0, status);
    EXPECT_EQ("dn: cn=Newer,ou=people,dc=example,dc=com\nobjectClass: person\nsn: Two\ndescription: added\ncn: Newer\n\n",
              server().tool("ldapsearch", "-LLL -b ou=people,dc=example,dc=com '(cn=Newer)'", &status));
    dlinkAsRoot("moddn", "cn=Newer,ou=people,dc=example,dc=com cn=Moved --superior dc=example,dc=com", &status);
    EXPECT_EQ(0, status);
    dlinkAsRoot("delete", "cn=Moved,dc=example,dc=com", &status);
    EXPECT_EQ(0, status);
    server().tool("ldapsearch", "-LLL -s base -b cn=Moved,dc=example,dc=com 2>/dev/null", &status);
    EXPECT_EQ(32, status);

    // A content record is no change: modify refuses the file before sending anything.
    const std::string content = server().writeFile("content.ldif", "dn: cn=X,dc=example,dc=com\ncn: X\n\n");
    EXPECT_EQ("dlink: " + content + ": the record of \"cn=X,dc=example,dc=com\" has no changetype (dlink add adds such records)\n",
              dlinkAsRoot("modify", "-f " + content + " 2>&1", &status));
    EXPECT_EQ(1, status);
}

TEST_F(DirectoryCommands, StoredConfigurationAndWhatTheCommandLineOverrides)
{
    // The stored form: u8 version 0, server, u8 name form, user, password
    // (texts with a one-octet length), u32 port little-endian.
    auto text = [](const std::string& t) { return std::string(1, (char)t.size()) + t; };
    std::string stored = std::string(1, '\0') + text("127.0.0.1") + '\1' + text(SlapdServer::kRootDn) +
                         text(SlapdServer::kRootPassword);
    for (int i = 0; i < 4; ++i)
        stored += (char)((server().port() >> (8 * i)) & 0xFF);
    const std::string file = server().writeFile("directory.cfg", stored);
    int status = -1;
    EXPECT_EQ("dn:cn=admin,dc=example,dc=com\n", runShell(dlink + " whoami --config " + file, &status));
    EXPECT_EQ("anonymous\n", runShell(dlink + " whoami --config " + file + " -D '' -w ''", &status));
    const std::string broken = server().writeFile("broken.cfg", "\1");
    EXPECT_EQ("dlink: " + broken + ": Failed to load configurations.\n",
              runShell(dlink + " whoami --config " + broken + " 2>&1", &status));
    EXPECT_EQ(1, status);
}

TEST_F(DirectoryCommands, CtrlCAbandonsALongSearch)
{
    // SIGINT once the first entries are out (job control on, so that the
    // background job does not start with SIGINT ignored).
    const std::string ldif = server().folder() + "/many.ldif", err = server().folder() + "/many.err";
    int status = -1;
    const std::string out = runShell(
        "bash -c 'set -m; " + dlink + " search -H " + server().url() + " -D " + SlapdServer::kRootDn + " -w " +
            SlapdServer::kRootPassword + " -b ou=many,dc=example,dc=com > " + ldif +
            " 2> " + err + " & pid=$!; while [ ! -s " + ldif + " ]; do sleep 0.01; done; kill -INT $pid; wait $pid; echo $?' 2>/dev/null",
        &status);
    EXPECT_EQ("3\n", out);
    EXPECT_EQ("dlink: cancelled\n", runShell("cat " + err, &status));
    const std::string entries = runShell("grep -c '^dn:' " + ldif, &status);
    EXPECT_LT(std::stoi(entries), 3001) << entries;
    // The server was left in order: it answers the next command at once.
    EXPECT_EQ("anonymous\n", runShell(dlink + " whoami -H " + server().url(), &status));
}

}  // namespace
