// PKCS #7 against the openssl command, both ways: messages openssl makes now
// (make_pkcs7.sh on fresh certificates and lists) are listed, verified and
// opened by vcore; messages vcore signs and envelopes are verified and
// opened by openssl smime and cms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "vaultcore/pkcs7/pkcs7_test_support.h"

namespace {

using Result = ShellResult;

Result run(const std::string& command)
{
    return runCommand(command);
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The PEM blocks of a text, without what stands between them.
std::string pemBlocks(const std::string& text)
{
    std::string blocks;
    for (size_t begin = text.find("-----BEGIN"); begin != std::string::npos; begin = text.find("-----BEGIN", begin + 1)) {
        const size_t end = text.find("-----\n", text.find("-----END", begin)) + 6;
        blocks += text.substr(begin, end - begin);
    }
    return blocks;
}

const std::string vcore = std::string(VC_BINARY_DIR) + "/tools/vcore";
const std::string legacy = " -provider legacy -provider default";

class PKCS7Interop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/vc_pkcs7_interop_XXXXXX";
        s_dir = mkdtemp(pattern);
        const std::string data = std::string(VC_TEST_DATA);
        for (const std::string& script : {data + "/x509/make_certificates.sh " + s_dir,
                                          data + "/crl/make_crls.sh " + s_dir + " " + s_dir,
                                          data + "/pkcs7/make_pkcs7.sh " + s_dir + " " + s_dir + " " + s_dir})
            ASSERT_EQ(run(script + " 2>&1").status, 0) << script;
        run("openssl x509 -inform DER -in " + path("ee_1024_sha1.der") + " -out " + path("ee.pem"));
        run("openssl x509 -inform DER -in " + path("ca_2048_sha1.der") + " -out " + path("ca.pem"));
    }
    static void TearDownTestSuite() { run("rm -rf '" + s_dir + "'"); }
    static std::string path(const std::string& name) { return s_dir + "/" + name; }
    static std::string content() { return run("cat " + path("content.txt")).out; }

    static std::string s_dir;
};
std::string PKCS7Interop::s_dir;

TEST_F(PKCS7Interop, OpensslMessagesAreListed)
{
    const struct {
        const char* file;
        const char* expected;
    } files[] = {
        {"crl2pkcs7.der", "contentInfo: data, no content (detached)\ncertificates: 2\n"},
        {"crl2pkcs7.der", "crls: 1\n  issuer: C=DE, O=Vault Test, CN=Test CA 2048 sha1, 2 revoked\nsignerInfos: 0\n"},
        {"crl2pkcs7_nocrl.pem", "certificates: 1\n"},
        {"signed_attributes.der", "authenticatedAttributes: contentType, signingTime, messageDigest, 1.2.840.113549.1.9.15"},
        {"signed_streamed.der", "contentInfo: data, 35 bytes\n"},
        {"enveloped_rc2-40.der", "contentEncryptionAlgorithm: rc2-cbc\n  encryptedContent: 40 bytes\n"},
        {"digested.der", "contentType: digestedData\nversion: 0\ndigestAlgorithm: sha1\n"},
        {"encrypted.der", "contentType: encryptedData\nversion: 0\n"},
    };
    for (const auto& f : files) {
        const Result listed = run(vcore + " pkcs7 " + path(f.file));
        EXPECT_EQ(listed.status, 0) << f.file;
        EXPECT_TRUE(contains(listed.out, f.expected)) << f.file << ":\n" << listed.out;
    }
}

TEST_F(PKCS7Interop, Crl2pkcs7YieldsTheCertificatesOpensslPrints)
{
    // openssl prints the certificates, then the lists.
    const std::string opensslPrints = pemBlocks(run("openssl pkcs7 -inform DER -print_certs -in " + path("crl2pkcs7.der")).out);
    ASSERT_TRUE(contains(opensslPrints, "-----END CERTIFICATE-----\n-----BEGIN CERTIFICATE-----")) << opensslPrints;
    ASSERT_TRUE(contains(opensslPrints, "-----BEGIN X509 CRL-----")) << opensslPrints;
    EXPECT_EQ(run(vcore + " pkcs7 --certs " + path("crl2pkcs7.der")).out + run(vcore + " pkcs7 --crls " + path("crl2pkcs7.der")).out,
              opensslPrints);
    EXPECT_EQ(run(vcore + " pkcs7 --crls " + path("crl2pkcs7.der") + " | openssl crl -outform DER | cmp - " +
                  path("crl_2048_sha1.der") + " && echo same")
                  .out,
              "same\n");
}

TEST_F(PKCS7Interop, SmimeSignaturesVerify)
{
    for (const char* file : {"signed_attributes.der", "signed_no_attributes.der", "signed_streamed.der"}) {
        const Result verified = run(vcore + " verify -o " + path("out.txt") + " " + path(file));
        EXPECT_EQ(verified.status, 0) << file;
        EXPECT_TRUE(contains(verified.out, "signer 1: C=DE, ST=Bavaria, L=Munich, O=Example Org, OU=Mail + CN=Bob "
                                           "Example, emailAddress=bob@example.com: signature OK"))
            << verified.out;
        EXPECT_EQ(run("cat " + path("out.txt")).out, content()) << file;
    }
    EXPECT_EQ(run(vcore + " verify --content " + path("content.txt") + " " + path("signed_detached.der")).status, 0);
    // Another content, and a signature with its last octet changed.
    run("printf x > " + path("other.txt"));
    const Result changed = run(vcore + " verify --content " + path("other.txt") + " " + path("signed_detached.der"));
    EXPECT_EQ(changed.status, 1);
    EXPECT_TRUE(contains(changed.out, "the content does not match the signed message digest")) << changed.out;
    run("cp " + path("signed_no_attributes.der") + " " + path("bad.der") + " && printf '\\125' | dd of=" + path("bad.der") +
        " bs=1 seek=$(( $(stat -c %s " + path("bad.der") + ") - 1 )) conv=notrunc 2>/dev/null");
    const Result bad = run(vcore + " verify " + path("bad.der"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(contains(bad.out, "signature WRONG")) << bad.out;
}

TEST_F(PKCS7Interop, VcoreSignaturesPassOpenssl)
{
    const std::string sign = vcore + " sign --key " + path("ee1024.key") + " --cert " + path("ee_1024_sha1.der");
    for (const std::string options : {"", "--attributes", "--detached", "--attributes --detached --pem"}) {
        const bool pem = contains(options, "--pem"), detached = contains(options, "--detached");
        ASSERT_EQ(run(sign + " " + options + " " + path("content.txt") + " " + path("mine.p7")).status, 0) << options;
        const std::string input = std::string(pem ? " -inform PEM" : " -inform DER") + " -in " + path("mine.p7") +
                                  (detached ? " -content " + path("content.txt") : "");
        const Result smime = run("openssl smime -verify -noverify -binary" + input + " -out " + path("out.txt") + " 2>&1");
        EXPECT_EQ(smime.out, "Verification successful\n") << options;
        EXPECT_EQ(run("cat " + path("out.txt")).out, content()) << options;
        const Result cms = run("openssl cms -verify -binary -auth_level 0 -CAfile " + path("ca.pem") + input +
                               " -out /dev/null 2>&1");
        EXPECT_EQ(cms.out, "CMS Verification successful\n") << options;
        EXPECT_EQ(run(vcore + " verify " + (detached ? "--content " + path("content.txt") + " " : "") + path("mine.p7"))
                      .status,
                  0)
            << options;
    }
}

TEST_F(PKCS7Interop, OpensslEnvelopesOpen)
{
    for (const char* cipher : {"des", "des3", "rc2-40", "rc2-64", "rc2-128"}) {
        const std::string file = path(std::string("enveloped_") + cipher + ".der");
        const Result opened = run(vcore + " open --key " + path("ee1024.key") + " --cert " + path("ee.pem") + " " + file + " -");
        EXPECT_EQ(opened.status, 0) << cipher;
        EXPECT_EQ(opened.out, content()) << cipher;
    }
}

// openssl opens what vcore envelopes, and reads RC2's effective key bits
// from the parameter version (RFC 2268: 40 bits 160, 64 bits 120, 128 bits 58).
TEST_F(PKCS7Interop, VcoreEnvelopesOpenWithOpenssl)
{
    const struct {
        const char* options;
        const char* parameters;
    } ciphers[] = {
        {"--cipher des", "des-cbc"},
        {"--cipher 3des", "des-ede3-cbc"},
        {"--cipher rc2 --bits 40", ":A0\n"},
        {"--cipher rc2 --bits 64", ":78\n"},
        {"--cipher rc2 --bits 128", ":3A\n"},
        {"--cipher 3des --pem", "des-ede3-cbc"},
    };
    for (const auto& c : ciphers) {
        const bool pem = contains(c.options, "--pem");
        ASSERT_EQ(run(vcore + " envelope --cert " + path("ee.pem") + " " + c.options + " " + path("content.txt") + " " +
                      path("sealed.p7")).status,
                  0)
            << c.options;
        const std::string form = pem ? " -inform PEM" : " -inform DER";
        EXPECT_TRUE(contains(run("openssl asn1parse" + form + " -in " + path("sealed.p7")).out, c.parameters)) << c.options;
        const Result opened = run("openssl smime -decrypt -binary" + legacy + form + " -in " + path("sealed.p7") +
                                  " -recip " + path("ee.pem") + " -inkey " + path("ee1024.key"));
        EXPECT_EQ(opened.status, 0) << c.options;
        EXPECT_EQ(opened.out, content()) << c.options;
    }
}

// Bad input ends a command with status 1 and one line on standard error.
TEST_F(PKCS7Interop, BadInputGivesOneClearLine)
{
    run("head -c 100 " + path("signed_attributes.der") + " > " + path("truncated.der") + " && : > " + path("empty.der"));
    // Valid to the validators, but the inner content's [0] is empty.
    using namespace pkcs7_parts;
    const Bytes emptyInner = tlv(0x30, {hexBytes("06 09 2A 86 48 86 F7 0D 01 07 02"),
                                        tlv(0xA0, {tlv(0x30, {kVersion1, kEmptySet, tlv(0x30, {kDataType, tlv(0xA0, {})}),
                                                              kEmptySet})})});
    std::FILE* file = std::fopen(path("empty_inner.der").c_str(), "wb");
    std::fwrite(emptyInner.data(), 1, emptyInner.size(), file);
    std::fclose(file);
    const struct {
        std::string command, says;
    } cases[] = {
        {"pkcs7 " + path("truncated.der"), "not valid DER at offset"},
        {"pkcs7 " + path("empty.der"), "empty input"},
        {"pkcs7 " + path("empty_inner.der"), "a malformed part (CASN1_ContentInfo::get_content - member not present)"},
        {"pkcs7 " + path("ee_1024_sha1.der"), "not a PKCS #7 message (ContentInfo)"},
        {"verify " + path("enveloped_des.der"), "holds envelopedData, not signedData"},
        {"verify " + path("signed_detached.der"), "give the signed content with --content FILE"},
        {"open --key " + path("ee2048.key") + " " + path("enveloped_des3.der") + " " + path("x"),
         "unwraps the content key of none of the 1 recipients"},
        {"open --key " + path("ee1024.key") + " --cert " + path("ee_2048_sha1.der") + " " + path("enveloped_des3.der") + " " +
             path("x"),
         "not the key of"},
        {"sign --key " + path("ee512.key") + " --cert " + path("ee.pem") + " " + path("content.txt") + " " + path("x"),
         "not the key of"},
        {"envelope --cert " + path("ee1024.key") + " " + path("content.txt") + " " + path("x"), "no PEM block labelled CERTIFICATE"},
    };
    for (const auto& c : cases) {
        const Result failed = run(vcore + " " + c.command + " 2>&1 >/dev/null");
        EXPECT_EQ(failed.status, 1) << c.command;
        EXPECT_EQ(std::count(failed.out.begin(), failed.out.end(), '\n'), 1) << failed.out;
        EXPECT_TRUE(contains(failed.out, c.says)) << failed.out;
    }
    EXPECT_EQ(run("ls " + path("x") + " 2>/dev/null").out, "");  // no output file left behind
}

}  // namespace
