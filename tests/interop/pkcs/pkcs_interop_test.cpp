// Revocation lists, certification requests and PKCS #1 keys against the
// openssl command, on files it makes now: its lists and requests are read
// and verified by us, ours by openssl.
#include <gtest/gtest.h>

#include <string>

#include "vaultcore/pki/pki_test_support.h"

namespace {

Bytes derOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return Bytes(bytes.GetData(), bytes.GetData() + bytes.GetSize());
}

class PkcsInterop : public ::testing::Test {
protected:
    // One scratch folder for the suite: fresh keys and certificates, the
    // lists of their CAs, requests for their keys.
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/vc_pkcs_interop_XXXXXX";
        s_dir = mkdtemp(pattern);
        const std::string data = VC_TEST_DATA;
        int status = 0;
        runShell(data + "/x509/make_certificates.sh " + s_dir + " 2>&1", &status);
        ASSERT_EQ(status, 0);
        runShell(data + "/crl/make_crls.sh " + s_dir + " " + s_dir + " 2>&1", &status);
        ASSERT_EQ(status, 0);
        runShell("X509DIR=" + s_dir + " " + data + "/pkcs/make_pkcs.sh " + s_dir + " 2>&1", &status);
        ASSERT_EQ(status, 0);
        runShell("openssl x509 -inform DER -in " + path("ca_2048_sha1.der") + " -out " + path("ca.pem"), &status);
        ASSERT_EQ(status, 0);
    }
    static void TearDownTestSuite() { runShell("rm -rf '" + s_dir + "'"); }

    static std::string path(const std::string& name) { return s_dir + "/" + name; }
    static CCertificate certificate(const std::string& name) { return certificateOf(readFileBytes(path(name))); }

    static std::string s_dir;
};
std::string PkcsInterop::s_dir;

CCertificateRevocationList listOf(const Bytes& der)
{
    EncodingOf encoding(der);
    CCertificateRevocationList crl;
    CASN1_CertificateRevocationList(*encoding).SetDataTo(crl);
    return crl;
}

TEST_F(PkcsInterop, OpensslListsVerifyFindTheRevokedAndReencode)
{
    const struct {
        const char *file, *ca;
        std::vector<const char*> revoked;
    } lists[] = {
        {"crl_2048_sha1.der", "ca_2048_sha1.der", {"ee_1024_sha1.der", "v1_1024_sha1.der"}},
        {"crl_1024_md5.der", "ca_1024_md5.der", {"ee_512_md5.der"}},
        {"crl_512_empty.der", "ca_512_sha1.der", {}},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.file);
        const Bytes der = readFileBytes(path(l.file));
        const CCertificateRevocationList crl = listOf(der);
        EXPECT_TRUE(crl.IsSignatureOKFor(certificate(l.ca)));
        for (const char* file : l.revoked)
            EXPECT_TRUE(certificate(file).IsPresentInCRL(crl)) << file;
        EXPECT_FALSE(certificate(l.ca).IsPresentInCRL(crl));
        // Re-encoded from the record: the same octets, except that an empty
        // list of revoked certificates, which openssl leaves out, is written
        // (two octets more); the digest taken at decoding still verifies it,
        // one computed from the record then does not.
        CCertificateRevocationList uncached = crl;
        uncached.m_cachedDigestFlag = uncached.m_cachedSHA1DigestFlag = 0;
        EXPECT_EQ(uncached.IsSignatureOKFor(certificate(l.ca)) != 0, !l.revoked.empty());
        const Bytes again = derOf(CASN1_CertificateRevocationList(crl));
        if (l.revoked.empty()) {
            EXPECT_EQ(again.size(), der.size() + 2);
        } else {
            EXPECT_EQ(hexOf(again), hexOf(der));
        }
    }
    // openssl's version 2 list is refused as such.
    const Bytes v2 = readFileBytes(path("crl_v2.der"));
    EXPECT_EQ(decodingFailure([&] { listOf(v2); }), "CRL contents is not valid");
}

TEST_F(PkcsInterop, OpensslVerifiesTheListsWeSign)
{
    // A list of the 2048-bit CA's: one certificate revoked, one that is not.
    CCertificateRevocationList crl;
    const CCertificate ca = certificate("ca_2048_sha1.der"), revoked = certificate("ee_1024_sha1.der");
    crl.m_issuer = ca.m_owner;
    crl.m_lastUpdate = CUTCTime(CString("260101000000Z"));
    crl.m_nextUpdate = CUTCTime(CString("490101000000Z"));
    crl.m_entries.Add(new CCRLEntry(revoked.m_serialNumber, CUTCTime(CString("260102030405Z"))));
    crl.m_entries.Add(new CCRLEntry(CSerialNumber((unsigned char*)"\x7F\x01", 2), CUTCTime(CString("260103000000Z"))));
    crl.SignWith(privateKeyFile(path("ca2048.key")));
    writeFileBytes(path("ours.der"), derOf(CASN1_CertificateRevocationList(crl)));
    int status = 0;
    const std::string verified =
        runShell("openssl crl -inform DER -in " + path("ours.der") + " -CAfile " + path("ca.pem") + " -noout -verify 2>&1",
            &status);
    EXPECT_EQ(status, 0) << verified;
    EXPECT_NE(verified.find("verify OK"), std::string::npos) << verified;
    const std::string text = runShell("openssl crl -inform DER -in " + path("ours.der") + " -noout -text");
    EXPECT_NE(text.find("Version 1 (0x0)"), std::string::npos) << text;
    EXPECT_NE(text.find("Serial Number: F1E2D3C4B5A697"), std::string::npos) << text;
    EXPECT_NE(text.find("Serial Number: 7F01"), std::string::npos) << text;
    EXPECT_NE(text.find("Next Update: Jan  1 00:00:00 2049 GMT"), std::string::npos) << text;
    // Signed by another key, openssl refuses it (with exit status 0).
    crl.SignWith(privateKeyFile(path("ca1024.key")));
    writeFileBytes(path("wrong.der"), derOf(CASN1_CertificateRevocationList(crl)));
    const std::string refused =
        runShell("openssl crl -inform DER -in " + path("wrong.der") + " -CAfile " + path("ca.pem") + " -noout -verify 2>&1");
    EXPECT_NE(refused.find("verify failure"), std::string::npos) << refused;
}

TEST_F(PkcsInterop, OpensslVerifiesAndCertifiesOurRequests)
{
    // Ours: openssl verifies it and issues a certificate from it, which we
    // read back with the requested name and key.
    const CRSAPrivateKey key = privateKeyFile(path("ee2048.key"));
    CDistinguishedName subject;
    subject.Add(new CRelativeDN);
    subject[0]->Add(new CAttributeValue(dnCountryName, "DE"));
    subject.Add(new CRelativeDN);
    subject[1]->Add(new CAttributeValue(dnCommonName, "Our Request"));
    CASN1_SET attributes;
    CASN1_SET values;
    values.AddObject(new CASN1_PrintableString((const unsigned char*)"let me in", 9));
    attributes.AddObject(new CASN1_Attribute(new CASN1_ChallengePassword, new CASN1_SET(values)));
    auto* info = new CASN1_CertificationRequestInfo(new CASN1_RDNSequence(subject), new CASN1_SubjectPublicKeyInfo(key),
                                                    attributes);
    unsigned char digest[20];
    ___digestOfEncoding(*info, eSHA1, digest);
    CByteArray signature;
    key.LockDigest(eSHA1, digest, signature);
    const CASN1_CertificationRequest request(info, ___newSignatureAlgorithmIdentifier(eSHA1WithRSAEncryption),
                                             new CASN1_BIT_STRING(signature.GetData(), 8 * signature.GetSize(), FALSE));
    writeFileBytes(path("ours.csr"), derOf(request));
    int status = 0;
    const std::string text =
        runShell("openssl req -inform DER -in " + path("ours.csr") + " -verify -noout -text 2>&1", &status);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("verify OK"), std::string::npos) << text;
    EXPECT_NE(text.find("Subject: C = DE, CN = Our Request"), std::string::npos) << text;
    EXPECT_NE(text.find("challengePassword        :let me in"), std::string::npos) << text;
    runShell("openssl x509 -req -inform DER -in " + path("ours.csr") + " -CA " + path("ca.pem") + " -CAkey " +
            path("ca2048.key") + " -sha1 -set_serial 77 -days 30 -outform DER -out " + path("issued.der") + " 2>&1",
        &status);
    ASSERT_EQ(status, 0);
    const CCertificate issued = certificate("issued.der");
    EXPECT_TRUE(issued.m_owner == subject);
    CRSAPublicKey certified;
    issued.SetDataTo(certified);
    EXPECT_TRUE(certified == static_cast<const CRSAPublicKey&>(key));
    EXPECT_TRUE(issued.IsSignatureOKFor(certificate("ca_2048_sha1.der")));
}

TEST_F(PkcsInterop, TraditionalKeysSignAsOpensslDoes)
{
    for (const char* bits : {"512", "1024", "2048"}) {
        SCOPED_TRACE(bits);
        const std::string key = path(std::string("fresh") + bits + ".key");
        int status = 0;
        runShell(std::string("openssl genrsa -traditional -out ") + key + " " + bits + " 2>&1", &status);
        ASSERT_EQ(status, 0);
        const Bytes pem = readFileBytes(key);
        const Bytes der = pemBody(std::string(pem.begin(), pem.end()));
        EncodingOf encoding(der);
        const CASN1_PrivateKey asn1(*encoding);
        CRSAPrivateKey privateKey;
        asn1.SetDataTo(privateKey);
        EXPECT_EQ(std::to_string(privateKey.GetBits()), bits);
        EXPECT_EQ(hexOf(derOf(CASN1_PrivateKey(privateKey))), hexOf(der));

        const std::string message = path("message.txt");
        const Bytes text = readFileBytes(message);
        unsigned char digest[20];
        CSHA1DigestMaker sha1;
        sha1.UpdateBlock(text.data(), (int)text.size(), nullptr, 1);
        sha1.GetCurrentDigest(digest);
        CByteArray ours;
        privateKey.LockDigest(eSHA1, digest, ours);
        runShell("openssl dgst -sha1 -sign " + key + " -out " + path("theirs.sig") + " " + message, &status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(hexOf(ours), hexOf(readFileBytes(path("theirs.sig"))));
    }
}

}  // namespace
