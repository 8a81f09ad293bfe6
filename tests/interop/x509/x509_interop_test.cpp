// Certificates against the openssl command: certificates openssl makes now
// are read and verified by us, and certificates we sign are verified and
// printed by openssl.
#include <gtest/gtest.h>

#include <string>

#include "vaultcore/pki/pki_test_support.h"

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class X509Interop : public ::testing::Test {
protected:
    // One scratch folder of fresh openssl certificates for the whole suite.
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/vc_x509_interop_XXXXXX";
        s_dir = mkdtemp(pattern);
        int status = 0;
        runShell(x509Data("make_certificates.sh") + " " + s_dir + " 2>&1", &status);
        ASSERT_EQ(status, 0);
    }
    static void TearDownTestSuite() { runShell("rm -rf '" + s_dir + "'"); }

    static std::string path(const std::string& name) { return s_dir + "/" + name; }
    static CCertificate fresh(const std::string& name) { return certificateOf(readFileBytes(path(name))); }
    static CRSAPrivateKey key(const std::string& name) { return privateKeyFile(path(name)); }

    // Writes the certificate as PEM through openssl; the PEM file's path.
    static std::string pemFile(const std::string& name, const CCertificate& certificate)
    {
        writeFileBytes(path(name + ".der"), derOf(certificate));
        int status = 0;
        runShell("openssl x509 -inform DER -in " + path(name + ".der") + " -out " + path(name + ".pem") + " 2>&1", &status);
        EXPECT_EQ(status, 0) << name;
        return path(name + ".pem");
    }

    static std::string s_dir;
};
std::string X509Interop::s_dir;

TEST_F(X509Interop, FreshOpensslCertificatesVerifyAgainstTheirIssuers)
{
    const struct {
        const char *file, *issuer;
    } chains[] = {
        {"ca_512_sha1.der", "ca_512_sha1.der"},  {"ca_1024_md5.der", "ca_1024_md5.der"},
        {"ca_2048_sha1.der", "ca_2048_sha1.der"}, {"ee_512_md5.der", "ca_1024_md5.der"},
        {"ee_1024_sha1.der", "ca_2048_sha1.der"}, {"ee_2048_sha1.der", "ca_512_sha1.der"},
        {"v1_1024_sha1.der", "ca_2048_sha1.der"},
    };
    for (const auto& chain : chains) {
        SCOPED_TRACE(chain.file);
        const Bytes der = readFileBytes(path(chain.file));
        const CCertificate certificate = certificateOf(der), issuer = fresh(chain.issuer);
        EXPECT_TRUE(certificate.IsSignatureOKFor(issuer));
        EXPECT_TRUE(issuer.IsIssuerOf(certificate));
        // The serial number openssl prints.
        EXPECT_EQ(runShell("openssl x509 -inform DER -noout -serial -in " + path(chain.file)),
                  "serial=" + std::string(CString(certificate.m_serialNumber)).substr(
                                  certificate.m_serialNumber[0] == 0 ? 2 : 0) + "\n");
        // An octet of the subject's last value flipped.
        Bytes flipped = der;
        const std::string text(der.begin(), der.end());
        flipped[text.find("example.com") != std::string::npos ? text.rfind("example.com") : text.rfind("Test CA")] ^= 0x20;
        EXPECT_FALSE(certificateOf(flipped).IsSignatureOKFor(issuer));
        if (certificate.m_version == 0) {
            EXPECT_EQ(hexOf(derOf(certificate)), hexOf(der));
        }
    }
}

TEST_F(X509Interop, OpensslVerifiesAndPrintsWhatWeSign)
{
    // Our own CA (version 1) with openssl's 2048-bit key, and under it an end
    // entity with several relative names and an e-mail address.
    CCertificate ca;
    ca.m_serialNumber = CSerialNumber((unsigned char*)"\x01", 1);
    ca.m_issuer.Add(new CRelativeDN);
    ca.m_issuer[0]->Add(new CAttributeValue(dnCountryName, "DE"));
    ca.m_issuer.Add(new CRelativeDN);
    ca.m_issuer[1]->Add(new CAttributeValue(dnCommonName, "Our CA"));
    ca.m_owner = ca.m_issuer;
    ca.m_notBefore = CUTCTime(CString("250101000000Z"));
    ca.m_notAfter = CUTCTime(CString("491231235959Z"));
    const CRSAPrivateKey caKey = key("ca2048.key");
    ca.GetDataFrom(caKey);
    ca.SignWith(caKey);

    CCertificate ee;
    ee.m_version = 2;
    ee.m_serialNumber = CSerialNumber((unsigned char*)"\x8A\x00\x01", 3);
    ee.m_issuer = ca.m_owner;
    for (auto row : {std::make_pair(dnCountryName, "DE"), std::make_pair(dnOrganizationName, "Example Org"),
                     std::make_pair(dnOrganizationalUnitName, "Mail"), std::make_pair(dnCommonName, "Eve Example"),
                     std::make_pair(dnEMailAddress, "Eve@Example.COM")}) {
        ee.m_owner.Add(new CRelativeDN);
        ee.m_owner[ee.m_owner.GetSize() - 1]->Add(new CAttributeValue(row.first, row.second));
    }
    ee.m_notBefore = CUTCTime(CString("260101093000Z"));
    ee.m_notAfter = CUTCTime(CString("491130120000Z"));
    ee.GetDataFrom(key("ee1024.key"));
    ee.SignWith(caKey);

    const std::string caPem = pemFile("our_ca", ca), eePem = pemFile("our_ee", ee);
    int status = 0;
    EXPECT_EQ(runShell("openssl verify -auth_level 0 -CAfile " + caPem + " " + eePem + " 2>&1", &status), eePem + ": OK\n");
    EXPECT_EQ(status, 0);
    // At security level 1 openssl refuses SHA-1 below the root: it does check.
    EXPECT_TRUE(contains(runShell("openssl verify -auth_level 1 -CAfile " + caPem + " " + eePem + " 2>&1", &status),
                         "digest algorithm too weak"));

    const std::string text = runShell("openssl x509 -noout -text -nameopt oneline -in " + eePem);
    EXPECT_TRUE(contains(text, "Version: 3 (0x2)")) << text;
    EXPECT_TRUE(contains(text, "Serial Number:")) << text;
    EXPECT_TRUE(contains(text, "(0x8a0001)")) << text;
    EXPECT_TRUE(contains(text, "Signature Algorithm: sha1WithRSAEncryption")) << text;
    EXPECT_TRUE(contains(text, "Subject: C = DE, O = Example Org, OU = Mail, CN = Eve Example, emailAddress = eve@example.com"))
        << text;
    EXPECT_TRUE(contains(text, "Public-Key: (1024 bit)")) << text;
    EXPECT_EQ(runShell("openssl x509 -noout -dates -in " + eePem),
              "notBefore=Jan  1 09:30:00 2026 GMT\nnotAfter=Nov 30 12:00:00 2049 GMT\n");

    // A time of the 11-character form is read by openssl x509, though its
    // verify insists on seconds (the profile of RFC 5280).
    ee.m_notBefore = CUTCTime(CString("2601010930Z"));
    ee.SignWith(caKey);
    const std::string shortPem = pemFile("short_time", ee);
    EXPECT_EQ(runShell("openssl x509 -noout -startdate -in " + shortPem), "notBefore=Jan  1 09:30:00 2026 GMT\n");

    // Re-signed records that came from decoding carry their times in the
    // 17-character form; they are written as openssl reads them.
    CCertificate resigned = fresh("ee_512_md5.der");
    resigned.m_issuer = ca.m_owner;
    resigned.SignWith(caKey);
    const std::string resignedPem = pemFile("resigned", resigned);
    EXPECT_EQ(runShell("openssl verify -auth_level 0 -CAfile " + caPem + " " + resignedPem + " 2>&1", &status),
              resignedPem + ": OK\n");
    EXPECT_EQ(runShell("openssl x509 -noout -enddate -in " + resignedPem), "notAfter=" +
              runShell("openssl x509 -inform DER -noout -enddate -in " + path("ee_512_md5.der")).substr(9));
}

TEST_F(X509Interop, ShortKeysSignAndVerifyBothWays)
{
    // A 512-bit CA of our own over openssl's key: a 512-bit signature with
    // 192 zero octets in front of it in the field.
    CCertificate ca = fresh("ca_512_sha1.der");
    ca.m_cachedDigestFlag = ca.m_cachedSHA1DigestFlag = 0;
    ca.m_version = 0;
    ca.SignWith(key("ca512.key"));
    EXPECT_EQ(ca.m_signatureBits, 512);
    EXPECT_EQ(Bytes(ca.m_signature, ca.m_signature + 192), Bytes(192, 0));
    const std::string caPem = pemFile("our_ca512", ca);
    int status = 0;
    EXPECT_EQ(runShell("openssl verify -auth_level 0 -CAfile " + caPem + " " + caPem + " 2>&1", &status), caPem + ": OK\n");
    // openssl's end entity under the original 512-bit CA verifies against
    // our re-made CA (same name and key).
    EXPECT_TRUE(fresh("ee_2048_sha1.der").IsSignatureOKFor(ca));
    const std::string eePem = path("ee_2048_sha1.pem");
    runShell("openssl x509 -inform DER -in " + path("ee_2048_sha1.der") + " -out " + eePem);
    EXPECT_EQ(runShell("openssl verify -auth_level 0 -CAfile " + caPem + " " + eePem + " 2>&1", &status), eePem + ": OK\n");
}

}  // namespace
