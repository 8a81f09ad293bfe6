// vcore crl, req and keys from the shell: openssl's files, openssl on what
// they write, and one line for every kind of bad input.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "tools/tool_runner.h"

namespace {

std::string data(const std::string& name)
{
    return "'" + std::string(VC_TEST_DATA) + "/" + name + "'";
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(VcoreCrl, PrintsVerifiesAndChecks)
{
    ToolSandbox box;
    // DER, PEM and standard input print the same dump, entries last first.
    const ToolRun der = box.run("vcore crl " + data("crl/crl_2048_sha1.der"));
    EXPECT_EQ(der.status, 0);
    EXPECT_EQ(der.out.find("CRL issued by:\nCountry name: DE\n"), 0u) << der.out;
    EXPECT_LT(der.out.find("Serial Number: 00F1E2D3C4B5A697"), der.out.find("Serial Number: 04")) << der.out;
    EXPECT_EQ(box.run("vcore crl - < " + data("crl/crl_2048_sha1.pem")).out, der.out);
    EXPECT_TRUE(contains(box.run("vcore crl " + data("crl/crl_512_empty.der")).out, "No CRL Entries\n"));

    const ToolRun verified = box.run("vcore crl --verify " + data("x509/ca_2048_sha1.der") + " " + data("crl/crl_2048_sha1.der"));
    EXPECT_EQ(verified.status, 0);
    EXPECT_EQ(verified.out.substr(0, 35), "signature: OK\nissuer: OK\nupdate: OK") << verified.out;
    const ToolRun wrong = box.run("vcore crl --verify " + data("x509/ca_1024_md5.der") + " " + data("crl/crl_2048_sha1.der"));
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(contains(wrong.out, "signature: WRONG") && contains(wrong.out, "issuer: NOT")) << wrong.out;

    const struct {
        const char *certificate, *list;
        int status;
        const char* says;
    } checks[] = {
        {"x509/ee_1024_sha1.der", "crl/crl_2048_sha1.der", 3, "revoked: serial number 00F1E2D3C4B5A697 on "},
        {"x509/ee_512_md5.der", "crl/crl_1024_md5.der", 3, "revoked: serial number 03E9"},
        {"x509/ca_2048_sha1.der", "crl/crl_2048_sha1.der", 0, "not revoked: serial number 008A0102"},
        {"x509/ee_2048_sha1.der", "crl/crl_2048_sha1.der", 1, ""},  // another issuer's list
    };
    for (const auto& c : checks) {
        const ToolRun checked = box.run(std::string("vcore crl --check ") + data(c.certificate) + " " + data(c.list));
        EXPECT_EQ(checked.status, c.status) << c.certificate << checked.err;
        EXPECT_EQ(checked.out.substr(0, std::string(c.says).size()), c.says) << c.certificate;
    }
    // A list that does not verify is not consulted.
    EXPECT_EQ(box.run("vcore crl --verify " + data("x509/ca_1024_md5.der") + " --check " + data("x509/ee_1024_sha1.der") +
                      " " + data("crl/crl_2048_sha1.der")).status, 1);
    EXPECT_TRUE(contains(box.run("vcore crl --help").out, "3 revoked"));
}

TEST(VcoreReq, MakesRequestsOpensslVerifiesAndChecksOpensslsRequests)
{
    ToolSandbox box;
    for (const char* file : {"pkcs/req_1024_sha1.der", "pkcs/req_512_attributes.der", "pkcs/req_2048_sha1.pem"}) {
        const ToolRun shown = box.run(std::string("vcore req ") + data(file));
        EXPECT_EQ(shown.status, 0) << file << shown.err;
        EXPECT_TRUE(contains(shown.out, "Signature Algorithm: SHA1 With RSA Encryption\nsignature: OK\n")) << shown.out;
    }
    EXPECT_TRUE(contains(box.run("vcore req " + data("pkcs/req_512_attributes.der")).out,
                         "Attributes:\n   challengePassword: secret words\n   unstructuredName: Example Mail Gateway\n"));

    ASSERT_EQ(box.run("vcore req --key " + data("x509/ee1024.key") +
                      " --subject 'C=DE, O=Vault Test, OU=Mail+CN=Ann Example, L=M\xfcnchen, emailAddress=ann@example.com'"
                      " -o ann.csr").status, 0);
    const ToolRun openssl = box.run("openssl req -in ann.csr -verify -noout -subject 2>&1");
    EXPECT_EQ(openssl.status, 0);
    EXPECT_EQ(openssl.out, "Certificate request self-signature verify OK\nsubject=C = DE, O = Vault Test, OU = Mail + "
                           "CN = Ann Example, L = M\\C3\\BCnchen, emailAddress = ann@example.com\n");
    EXPECT_EQ(box.run("vcore req ann.csr").status, 0);
    ASSERT_EQ(box.run("vcore req --der --key " + data("x509/ca512.key") + " --subject /CN=x > x.der").status, 0);
    EXPECT_EQ(box.run("openssl req -inform DER -in x.der -verify -noout").status, 0);

    // A request whose signature was damaged (one octet of the name).
    box.run("openssl req -in ann.csr -outform DER | sed 's/Ann Example/Ann Exemple/' > bad.der");
    const ToolRun bad = box.run("vcore req bad.der");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(contains(bad.out, "signature: WRONG")) << bad.out;
}

TEST(VcoreKeys, AddListAndExport)
{
    ToolSandbox box;
    ASSERT_EQ(box.run("vcore keys add kc --name bob --key " + data("x509/ee1024.key") + " --cert " +
                      data("x509/ee_1024_sha1.pem")).status, 0);
    struct stat status;
    ASSERT_EQ(stat(box.path("kc").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(box.run("vcore keys add kc --name 'the CA' --public --key " + data("x509/ca2048.key") +
                      " --owner 'C=DE, CN=Root'").status, 0);
    const ToolRun listed = box.run("vcore keys list kc");
    EXPECT_EQ(listed.status, 0);
    EXPECT_TRUE(contains(listed.out, "bob: private key, 1024 bits, 1 certificate\n   owner: Country name: DE, State")) << listed.out;
    EXPECT_TRUE(contains(listed.out, "the CA: public key, 2048 bits, 0 certificates\n   owner: Country name: DE, "
                                     "Common name: Root\n")) << listed.out;

    // The private key comes back as openssl's PKCS #1, the certificate and
    // the public key as openssl reads them.
    ASSERT_EQ(box.run("vcore keys export kc bob -o bob.key").status, 0);
    EXPECT_EQ(box.run("cmp <(openssl rsa -in bob.key -outform DER 2>/dev/null) <(openssl rsa -in " +
                      data("x509/ee1024.key") + " -outform DER 2>/dev/null)").status, 0);
    ASSERT_EQ(stat(box.path("bob.key").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(box.run("vcore keys export kc bob --certs | openssl x509 -noout -serial").out, "serial=F1E2D3C4B5A697\n");
    EXPECT_EQ(box.run("vcore keys export kc 'the CA' | openssl rsa -RSAPublicKey_in -noout -modulus").out,
              box.run("openssl rsa -in " + data("x509/ca2048.key") + " -noout -modulus").out);

    // Refusals: a name taken, a name missing, an existing key file, a file
    // that is not a container; nothing changes.
    const std::string before = box.read("kc");
    const struct {
        const char* command;
        int status;
        const char* says;
    } refusals[] = {
        {"vcore keys add kc --name bob --key x", 1, "already holds a key called \"bob\""},
        {"vcore keys export kc alice", 1, "no key called \"alice\""},
        {"vcore keys export kc bob -o bob.key", 1, "already exists"},
        {"vcore keys list bob.key", 1, "not a key container this library reads"},
    };
    for (const auto& r : refusals) {
        const ToolRun refused = box.run(r.command);
        EXPECT_EQ(refused.status, r.status) << r.command;
        EXPECT_TRUE(contains(refused.err, r.says)) << r.command << ": " << refused.err;
    }
    EXPECT_EQ(box.read("kc"), before);
}

TEST(VcorePkiCommands, BadInputGivesOneLine)
{
    ToolSandbox box;
    box.write("truncated.der", box.run("head -c 100 " + data("crl/crl_2048_sha1.der")).out);
    box.write("trailing.der", box.run("cat " + data("crl/crl_1024_md5.der") + "; printf x").out);
    box.run("openssl genrsa -out pkcs8.key 512 2>/dev/null; openssl genrsa -traditional -out big.key 2100 2>/dev/null");
    const struct {
        std::string command, says;
    } cases[] = {
        {"vcore crl truncated.der", "not valid DER at offset 0"},
        {"vcore crl trailing.der", "1 octets follow a revocation list"},
        {"vcore crl " + data("crl/crl_v2.der"), "not a revocation list this library reads (CRL contents is not valid)"},
        {"vcore req " + data("crl/crl_1024_md5.der"), "not a certification request this library reads"},
        {"vcore req --key pkcs8.key --subject CN=x", "a PKCS #8 key; PKCS #1 is needed"},
        {"vcore req --key big.key --subject CN=x", "keys of more than 2048 bits are not supported"},
        {"vcore req --key " + data("crl/crl_1024_md5.der") + " --subject CN=x", "not a PKCS #1 RSA private key"},
    };
    for (const auto& c : cases) {
        const ToolRun failed = box.run(c.command);
        EXPECT_EQ(failed.status, 1) << c.command;
        EXPECT_EQ(failed.errLines(), 1) << c.command << ": " << failed.err;
        EXPECT_TRUE(contains(failed.err, c.says)) << c.command << ": " << failed.err;
        EXPECT_EQ(failed.out, "") << c.command;
    }
    for (const char* usage : {"vcore crl", "vcore req --subject CN=x x.csr", "vcore req --key k --subject 'XX=1'",
                              "vcore keys add kc --name x"})
        EXPECT_EQ(box.run(usage).status, 2) << usage;
    EXPECT_EQ(box.hiddenFiles(), "");
}

}  // namespace
