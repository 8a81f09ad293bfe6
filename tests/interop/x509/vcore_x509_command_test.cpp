// vcore x509 on openssl's certificates and keys, and openssl on what it issues.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "vaultcore/pki/pki_test_support.h"

namespace {

using Result = ShellResult;

Result run(const std::string& command)
{
    return runCommand(command);
}

const std::string vcore = std::string(VC_BINARY_DIR) + "/tools/vcore";

std::string data(const std::string& name)
{
    return "'" + x509Data(name) + "'";
}

// The library's dump with shell line ends.
std::string dumpOf(const CCertificate& certificate)
{
    std::string text = (const char*)CString(certificate), out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out + "\n";
}

class VcoreX509 : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vc_x509_command_XXXXXX";
        m_dir = mkdtemp(pattern);
    }
    void TearDown() override { run("rm -rf '" + m_dir + "'"); }
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    std::string m_dir;
};

TEST_F(VcoreX509, PrintsDerPemAndStandardInput)
{
    const std::string expected = dumpOf(certificateOf(readFileBytes(x509Data("ee_1024_sha1.der"))));
    for (const std::string& command : {vcore + " x509 " + data("ee_1024_sha1.der"), vcore + " x509 " + data("ee_1024_sha1.pem"),
                                       "cat " + data("ee_1024_sha1.pem") + " | " + vcore + " x509 -"}) {
        Result result = run(command);
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_EQ(result.out, expected) << command;
    }
    // The demo's sample certificate.
    Result sample = run(vcore + " x509 '" + VC_TEST_DATA + "/der/sample_cert.pem'");
    EXPECT_EQ(sample.status, 0);
    EXPECT_NE(sample.out.find("Owner:\nCountry name: DE\nOrganization name: Vaultcore Sample\n"), std::string::npos);
    // Two certificates in one PEM file print one after the other.
    run("openssl x509 -inform DER -in " + data("ca_512_sha1.der") + " > " + path("two.pem") + " && cat " +
        data("ee_1024_sha1.pem") + " >> " + path("two.pem"));
    Result two = run(vcore + " x509 " + path("two.pem"));
    EXPECT_EQ(two.out, dumpOf(certificateOf(readFileBytes(x509Data("ca_512_sha1.der")))) + "\n" + expected);
}

TEST_F(VcoreX509, RefusesWhatItCannotRead)
{
    // openssl's defaults: UTF8String names and a SHA-256 signature.
    run("openssl req -x509 -newkey rsa:1024 -nodes -keyout " + path("k.pem") + " -subj /CN=x -out " + path("modern.pem") +
        " 2>/dev/null");
    Result modern = run(vcore + " x509 " + path("modern.pem") + " 2>&1");
    EXPECT_EQ(modern.status, 1);
    EXPECT_NE(modern.out.find("not a certificate this library reads (Certificate contents is not valid)"),
              std::string::npos) << modern.out;
    Result missing = run(vcore + " x509 " + path("missing.der") + " 2>&1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(run(vcore + " x509 2>&1").status, 2);
    EXPECT_EQ(run(vcore + " x509 --key x " + data("ee_1024_sha1.der") + " 2>&1").status, 2);
    Result help = run(vcore + " x509 --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--sign CAKEY"), std::string::npos);
}

TEST_F(VcoreX509, VerifiesSignatureAndValidity)
{
    Result good = run(vcore + " x509 --verify " + data("ca_1024_md5.der") + " " + data("ee_512_md5.der"));
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out.substr(0, 28), "signature: OK\nvalidity: OK (");
    Result wrongIssuer = run(vcore + " x509 --verify " + data("ca_512_sha1.der") + " " + data("ee_512_md5.der"));
    EXPECT_EQ(wrongIssuer.status, 1);
    EXPECT_EQ(wrongIssuer.out.substr(0, 16), "signature: WRONG");
    // Right signature, period over.
    CCertificate expired = certificateOf(readFileBytes(x509Data("v1_1024_sha1.der")));
    expired.m_notAfter = CUTCTime(CString("200101000000Z"));
    expired.SignWith(privateKeyFile(x509Data("ca2048.key")));
    const Bytes der = derOf(expired);
    FILE* out = std::fopen(path("expired.der").c_str(), "wb");
    std::fwrite(der.data(), 1, der.size(), out);
    std::fclose(out);
    Result late = run(vcore + " x509 --verify " + data("ca_2048_sha1.der") + " " + path("expired.der"));
    EXPECT_EQ(late.status, 1);
    EXPECT_EQ(late.out.substr(0, 33), "signature: OK\nvalidity: EXPIRED (");
}

TEST_F(VcoreX509, IssuesCertificatesOpensslVerifies)
{
    const std::string sign = vcore + " x509 --sign " + data("ca2048.key") + " --issuer " + data("ca_2048_sha1.der");
    Result issued = run(sign + " --key " + data("ee512.key") +
                        " --subject '/C=DE/O=Example Org/OU=Mail+CN=Frank Example/L=M\xfcnchen/emailAddress=Frank@Example.org'"
                        " --serial 0102A0 --days 30 --version 3 -o " + path("frank.pem"));
    ASSERT_EQ(issued.status, 0);
    run("openssl x509 -inform DER -in " + data("ca_2048_sha1.der") + " -out " + path("ca.pem"));
    Result verified = run("openssl verify -auth_level 0 -CAfile " + path("ca.pem") + " " + path("frank.pem") + " 2>&1");
    EXPECT_EQ(verified.out, path("frank.pem") + ": OK\n");
    Result text = run("openssl x509 -noout -text -in " + path("frank.pem"));
    EXPECT_NE(text.out.find("Version: 3 (0x2)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Serial Number: 66208 (0x102a0)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Subject: C = DE, O = Example Org, OU = Mail + CN = Frank Example, L = M\\C3\\BCnchen, "
                            "emailAddress = frank@example.org"),
              std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Public-Key: (512 bit)"), std::string::npos) << text.out;
    EXPECT_NE(run("openssl asn1parse -in " + path("frank.pem")).out.find("T61STRING"), std::string::npos);
    // And vcore reads back what it wrote, in DER too.
    ASSERT_EQ(run(sign + " --key " + data("ee1024.key") + " --subject /CN=G --der -o " + path("g.der")).status, 0);
    EXPECT_EQ(run(vcore + " x509 --verify " + data("ca_2048_sha1.der") + " " + path("g.der")).status, 0);
    EXPECT_EQ(certificateOf(readFileBytes(path("g.der"))).m_version, 0);

    // Mistakes: a key that is not the CA's, a name openssl's form does not
    // hold, a validity beyond 2049, a key above 2048 bits.
    EXPECT_EQ(run(sign.substr(0, sign.find("--issuer")) + "--issuer " + data("ca_512_sha1.der") + " --key " +
                  data("ee512.key") + " --subject /CN=x -o " + path("x.pem") + " 2>&1").status, 1);
    EXPECT_EQ(run(sign + " --key " + data("ee512.key") + " --subject /XY=1 2>&1").status, 2);
    EXPECT_EQ(run(sign + " --key " + data("ee512.key") + " --subject CN 2>&1").status, 2);
    EXPECT_EQ(run(sign + " --key " + data("ee512.key") + " --subject /CN=x --days 36500 2>&1").status, 2);
    run("openssl genrsa -traditional -out " + path("big.key") + " 3072 2>/dev/null");
    Result big = run(sign + " --key " + path("big.key") + " --subject /CN=x 2>&1");
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.out.find("keys of more than 2048 bits are not supported"), std::string::npos) << big.out;
    EXPECT_EQ(run("ls " + m_dir).out.find("x.pem"), std::string::npos);  // nothing left behind by the failure
}

}  // namespace
