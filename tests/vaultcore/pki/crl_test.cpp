// Revocation lists: openssl's lists decoded, verified and re-encoded;
// hostile and version 2 DER; the dump, signing and the stored form.
#include <gtest/gtest.h>

#include <string>

#include "support/archive_helpers.h"
#include "vaultcore/pki/pki_test_support.h"

namespace {

std::string crlData(const std::string& name)
{
    return std::string(VC_TEST_DATA) + "/crl/" + name;
}

CCertificateRevocationList crlOf(const Bytes& der)
{
    EncodingOf encoding(der);
    CASN1_CertificateRevocationList asn1(*encoding);
    CCertificateRevocationList record;
    asn1.SetDataTo(record);
    return record;
}

Bytes derOf(const CCertificateRevocationList& record)
{
    CByteArray bytes;
    CASN1_CertificateRevocationList(record).encodeTo(bytes);
    return Bytes(bytes.GetData(), bytes.GetData() + bytes.GetSize());
}

CCertificate certificate(const char* file)
{
    return certificateOf(readFileBytes(x509Data(file)));
}

struct StoredList {
    const char* file;
    const char* issuer;  // the CA certificate in tests/data/x509
    int algorithm;
    std::vector<const char*> serials;  // in DER order
};

// What openssl ca -gencrl made (tests/data/crl/make_crls.sh).
const StoredList kStoredLists[] = {
    {"crl_2048_sha1.der", "ca_2048_sha1.der", 2, {"04", "00F1E2D3C4B5A697"}},
    {"crl_1024_md5.der", "ca_1024_md5.der", 1, {"03E9"}},
    {"crl_512_empty.der", "ca_512_sha1.der", 2, {}},
};

TEST(CRL, OpensslListsDecodeVerifyAndReencode)
{
    for (const StoredList& s : kStoredLists) {
        SCOPED_TRACE(s.file);
        const Bytes der = readFileBytes(crlData(s.file));
        const CCertificateRevocationList crl = crlOf(der);
        const CCertificate ca = certificate(s.issuer);
        EXPECT_EQ(crl.m_signatureAlgorithm, s.algorithm);
        EXPECT_TRUE(crl.m_issuer == ca.m_owner);
        ASSERT_EQ(crl.m_entries.GetSize(), (int)s.serials.size());
        for (size_t i = 0; i < s.serials.size(); ++i)
            EXPECT_STREQ(CString(crl.m_entries[(int)i]->m_serialNumber), s.serials[i]);
        EXPECT_TRUE(crl.m_lastUpdate < crl.m_nextUpdate);
        EXPECT_TRUE(crl.IsSignatureOKFor(ca));
        // The digest computed afresh from the record gives the same
        // verdict, except for an empty list: openssl leaves the revoked
        // certificates out, the record always writes them (two octets more).
        CCertificateRevocationList uncached = crl;
        uncached.m_cachedDigestFlag = uncached.m_cachedSHA1DigestFlag = 0;
        EXPECT_EQ(uncached.IsSignatureOKFor(ca) != 0, !s.serials.empty());
        if (!s.serials.empty())
            EXPECT_EQ(hexOf(derOf(crl)), hexOf(der));
        else
            EXPECT_EQ(derOf(crl).size(), der.size() + 2);
    }
}

TEST(CRL, RevokedCertificatesAreFound)
{
    const CCertificateRevocationList crl = crlOf(readFileBytes(crlData("crl_2048_sha1.der")));
    EXPECT_TRUE(certificate("ee_1024_sha1.der").IsPresentInCRL(crl));
    EXPECT_TRUE(certificate("v1_1024_sha1.der").IsPresentInCRL(crl));
    // Issued by another CA, or not revoked.
    EXPECT_FALSE(certificate("ee_512_md5.der").IsPresentInCRL(crl));
    EXPECT_FALSE(certificate("ca_2048_sha1.der").IsPresentInCRL(crl));
    // Serial numbers compare by value: 00 05 is 05.
    CCertificateRevocationList five;
    five.m_issuer = crl.m_issuer;
    five.m_entries.Add(new CCRLEntry(CSerialNumber((unsigned char*)"\x05", 1), CUTCTime()));
    CCertificate holder = certificate("v1_1024_sha1.der");
    holder.m_serialNumber = CSerialNumber((unsigned char*)"\x00\x05", 2);
    EXPECT_TRUE(holder.IsPresentInCRL(five));
}

TEST(CRL, VersionTwoAndHostileListsAreRefused)
{
    const Bytes good = readFileBytes(crlData("crl_1024_md5.der"));
    const Bytes v2 = readFileBytes(crlData("crl_v2.der"));
    EXPECT_EQ(decodingFailure([&] { crlOf(v2); }), "CRL contents is not valid");
    // Every truncation of a good list is refused with the decoding exception.
    for (size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + (long)n);
        EXPECT_NE(decodingFailure([&] { crlOf(cut); }), "") << n;
    }
}

TEST(CRL, RC2ParametersCarryTheEffectiveKeyBits)
{
    for (unsigned short bits : {40, 64, 128}) {
        SCOPED_TRACE(bits);
        const Bytes der = readFileBytes(std::string(VC_TEST_DATA) + "/pkcs/rc2_" + std::to_string(bits) + ".der");
        EncodingOf encoding(der);
        CASN1_RC2AlgorithmParameter parameter(*encoding);
        unsigned short effective = 0;
        EXPECT_TRUE(parameter.GetEffectiveKeyBits(effective));
        EXPECT_EQ(effective, bits);
        EXPECT_EQ(parameter.GetIV().getClearContentsLength(), 8u);
        // Built from the bits and the IV: openssl's bytes.
        CByteArray iv;
        parameter.GetIV().GetClearData(iv, TRUE);
        EXPECT_EQ(encodingOf(CASN1_RC2AlgorithmParameter(bits, iv.GetData(), (unsigned long)iv.GetSize())), hexOf(der));
    }
}

}  // namespace
