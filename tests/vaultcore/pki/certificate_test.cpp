// Certificates: openssl's certificates decoded, converted and verified;
// signing; hostile DER; the dump and the stored form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/archive_helpers.h"
#include "vaultcore/pki/pki_test_support.h"

namespace {

struct Stored {
    const char* file;
    const char* issuer;  // file of the issuer's certificate
    int version, algorithm, modulusBits, signatureBits;
    const char* serial;
};

// What openssl made (tests/data/x509/make_certificates.sh).
const Stored kStored[] = {
    {"ca_512_sha1.der", "ca_512_sha1.der", 2, 2, 512, 512, "01"},
    {"ca_1024_md5.der", "ca_1024_md5.der", 2, 1, 1024, 1024, "02"},
    {"ca_2048_sha1.der", "ca_2048_sha1.der", 2, 2, 2048, 2048, "008A0102"},
    {"ee_512_md5.der", "ca_1024_md5.der", 2, 1, 512, 1024, "03E9"},
    {"ee_1024_sha1.der", "ca_2048_sha1.der", 2, 2, 1024, 2048, "00F1E2D3C4B5A697"},
    {"ee_2048_sha1.der", "ca_512_sha1.der", 2, 2, 2048, 512, "03"},
    {"v1_1024_sha1.der", "ca_2048_sha1.der", 0, 2, 1024, 2048, "04"},
};

CCertificate stored(const char* file)
{
    return certificateOf(readFileBytes(x509Data(file)));
}

// Verification that answers FALSE or throws the RSA exception counts as a
// refusal.
bool verifies(const CCertificate& certificate, const CCertificate& issuer)
{
    try {
        return certificate.IsSignatureOKFor(issuer) != 0;
    } catch (CUnlockException* e) {
        e->Delete();
        return false;
    }
}

TEST(Certificate, OpensslCertificatesDecodeConvertAndVerify)
{
    for (const Stored& s : kStored) {
        SCOPED_TRACE(s.file);
        const Bytes der = readFileBytes(x509Data(s.file));
        CCertificate certificate = certificateOf(der);
        CCertificate issuer = stored(s.issuer);
        EXPECT_EQ(certificate.m_version, s.version);
        EXPECT_EQ(certificate.m_signatureAlgorithm, s.algorithm);
        EXPECT_EQ(certificate.m_modulusBits, s.modulusBits);
        EXPECT_EQ(certificate.m_signatureBits, s.signatureBits);
        EXPECT_STREQ(CString(certificate.m_serialNumber), s.serial);
        EXPECT_EQ(certificate.m_notAfter.m_wYear, 2049);
        EXPECT_TRUE(certificate.IsSignatureOKFor(issuer));
        EXPECT_TRUE(issuer.IsIssuerOf(certificate));
        EXPECT_EQ(certificate.IsSelfSigned() != 0, std::strcmp(s.file, s.issuer) == 0);
        EXPECT_EQ(certificate.m_cachedDigestFlag != 0, s.algorithm != 2);
        EXPECT_EQ(certificate.m_cachedSHA1DigestFlag != 0, s.algorithm == 2);
        // Leading zero octets of the signature field stand in front of a
        // short signature.
        const int k = s.signatureBits / 8;
        EXPECT_EQ(std::vector<unsigned char>(certificate.m_signature, certificate.m_signature + 256 - k),
                  std::vector<unsigned char>(256 - k, 0));

        // Re-encoded from the record: a version 1 certificate comes back
        // byte for byte; a version 3 one loses its extensions, so only the
        // digest cached at decoding still matches the signature.
        const Bytes again = derOf(certificate);
        if (s.version == 0) {
            EXPECT_EQ(hexOf(again), hexOf(der));
        } else {
            EXPECT_LT(again.size(), der.size());
            CCertificate reread = certificateOf(again);
            EXPECT_EQ(reread.m_version, 2);
            EXPECT_TRUE(reread == certificate);
            EXPECT_FALSE(verifies(reread, issuer));
        }
        // Without the cache the digest is taken from the record.
        CCertificate uncached = certificate;
        uncached.m_cachedDigestFlag = uncached.m_cachedSHA1DigestFlag = 0;
        EXPECT_EQ(verifies(uncached, issuer), s.version == 0);
    }
}

TEST(Certificate, AnyFlippedOctetFailsVerification)
{
    const Bytes der = readFileBytes(x509Data("ee_1024_sha1.der"));
    const CCertificate issuer = stored("ca_2048_sha1.der");
    // Octets inside the serial number, the issuer, a time, the subject, the
    // key, an extension and the signature.
    int decoded = 0;
    for (size_t at : {20u, 80u, 100u, 230u, 320u, 600u, 700u, 831u}) {
        Bytes flipped = der;
        flipped[at] ^= 0x01;
        CCertificate certificate;
        std::string failure = decodingFailure([&] { certificate = certificateOf(flipped); });
        if (failure.empty()) {
            ++decoded;
            EXPECT_FALSE(verifies(certificate, issuer)) << at;
        }
    }
    EXPECT_GE(decoded, 6);
    // A certificate is not verified by another issuer's key.
    EXPECT_FALSE(verifies(stored("ee_1024_sha1.der"), stored("ca_512_sha1.der")));
}

TEST(Certificate, SignedCertificatesVerifyAndCacheWhatTheySigned)
{
    const CRSAPrivateKey caKey = privateKeyFile(x509Data("ca1024.key"));
    const CCertificate ca = stored("ca_1024_md5.der");
    // Built from a decoded version 3 certificate: signing digests the DER it
    // signs (without the extensions), not the digest cached at decoding.
    CCertificate certificate = stored("ee_1024_sha1.der");
    certificate.m_issuer = ca.m_owner;
    certificate.SignWith(caKey);
    EXPECT_EQ(certificate.m_signatureAlgorithm, 2);
    EXPECT_EQ(certificate.m_signatureBits, 1024);
    EXPECT_TRUE(certificate.IsSignatureOKFor(ca));
    const CCertificate reread = certificateOf(derOf(certificate));
    EXPECT_TRUE(reread.IsSignatureOKFor(ca));
    EXPECT_EQ(std::memcmp(reread.m_cachedSHA1Digest, certificate.m_cachedSHA1Digest, 20), 0);
    EXPECT_FALSE(certificate.m_cachedDigestFlag);
    CCertificate expired = ca;  // names match, the period is over
    expired.m_notAfter = CUTCTime(CString("200101000000Z"));
    EXPECT_TRUE(ca.IsIssuerOf(certificate));
    EXPECT_FALSE(expired.IsIssuerOf(certificate));

    // MD2 has no peer here: a signature of our own, checked by verification
    // through the cache and through the record.
    CCertificate md2 = certificate;
    md2.m_signatureAlgorithm = 0;
    unsigned char digest[16];
    std::unique_ptr<CASN1Type> tbs(md2.NewToBeSigned());
    ___digestOfEncoding(*tbs, eMD2, digest);
    caKey.LockDigest(eMD2, digest, md2.m_signature, 256);
    md2.m_cachedDigestFlag = md2.m_cachedSHA1DigestFlag = 0;
    EXPECT_TRUE(md2.IsSignatureOKFor(ca));
    const CCertificate md2Reread = certificateOf(derOf(md2));
    EXPECT_TRUE(md2Reread.m_cachedDigestFlag);
    EXPECT_TRUE(md2Reread.IsSignatureOKFor(ca));
    EXPECT_NE(std::string(CString(md2Reread)).find("MD2 With RSA Encryption"), std::string::npos);

    // A key whose blocks exceed the 256-octet field is refused before
    // anything changes.
    struct WideKey : CRSAPrivateKey {
        WideKey() { m_wBits = 4096; }
    } wide;
    CCertificate before = certificate;
    EXPECT_TRUE(throwsAndDeletes<CUnlockException>([&] { certificate.SignWith(wide); }));
    EXPECT_TRUE(certificate == before);
    EXPECT_EQ(std::memcmp(certificate.m_cachedSHA1Digest, before.m_cachedSHA1Digest, 20), 0);
    // A signature length beyond the field is no signature.
    certificate.m_signatureBits = 4096;
    EXPECT_FALSE(certificate.IsSignatureOKFor(ca));
    EXPECT_EQ(decodingFailure([&] { derOf(certificate); }), "The signature of 4096 bits does not fit its field");
}

// Certificate data built by hand around the key of a real certificate.
Bytes certificateWithData(const std::string& dataHex)
{
    const std::string algorithm = "30 0D 06 09 2A 86 48 86 F7 0D 01 01 05 05 00";
    const Bytes data = hexBytes(dataHex);
    Bytes out = {0x30, 0x82, 0, 0};
    out.insert(out.end(), data.begin(), data.end());
    const Bytes rest = hexBytes(algorithm + " 03 03 00 AB CD");
    out.insert(out.end(), rest.begin(), rest.end());
    out[2] = (unsigned char)((out.size() - 4) >> 8);
    out[3] = (unsigned char)(out.size() - 4);
    return out;
}

std::string dataWith(const std::string& version, const std::string& tail)
{
    const std::string body = version + " 02 01 05 30 0D 06 09 2A 86 48 86 F7 0D 01 01 05 05 00"
                             " 30 00 30 1E 17 0D 39 38 30 32 30 34 31 35 33 30 34 35 5A"
                             " 17 0D 34 39 31 32 33 31 32 33 35 39 35 39 5A 30 00"
                             " 30 1A 30 0D 06 09 2A 86 48 86 F7 0D 01 01 01 05 00 03 09 00 30 06 02 01 0B 02 01 03 " +
                             tail;
    const size_t length = hexBytes(body).size();
    char header[16];
    std::snprintf(header, sizeof header, "30 %02zX ", length);
    return header + body;
}

TEST(Certificate, ValidationOfHandMadeCertificates)
{
    struct Case {
        const char* reason;
        std::string version, tail;
        const char* failure;  // "" when it decodes
    } cases[] = {
        {"version 1, nothing after the key", "", "", ""},
        {"version 3 with extensions", "A0 03 02 01 02", "A3 02 30 00", ""},
        {"version 2 with unique identifiers", "A0 03 02 01 01", "81 02 00 FF 82 01 00", ""},
        {"version 2 with extensions", "A0 03 02 01 01", "A3 02 30 00", "Certificate contents is not valid"},
        {"version 1 with a unique identifier", "", "81 02 00 FF", "Certificate contents is not valid"},
        {"version 4", "A0 03 02 01 03", "", "Certificate contents is not valid"},
        {"version not an INTEGER", "A0 03 04 01 02", "", "Certificate contents is not valid"},
        {"version of five octets", "A0 07 02 05 01 00 00 00 00", "", "Certificate contents is not valid"},
        {"unique identifier not a BIT STRING", "A0 03 02 01 02", "81 02 09 FF", "Certificate contents is not valid"},
        {"two extension blocks", "A0 03 02 01 02", "A3 02 30 00 A3 02 30 00", "Certificate contents is not valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const Bytes der = certificateWithData(dataWith(c.version, c.tail));
        CCertificate record;
        EXPECT_EQ(decodingFailure([&] { record = certificateOf(der); }), c.failure);
        if (*c.failure)
            continue;
        EXPECT_EQ(record.m_modulusBits, 4);  // 0x0B, counted: NULL parameters
        EXPECT_EQ(record.m_publicExponent[255], 3);
        EXPECT_EQ(record.m_signatureBits, 16);
        EXPECT_EQ(record.m_notBefore.m_bForm, 17);
    }
    // Converting data that was never validated.
    struct Unvalidated {
        std::string version;
        const char* failure;
        int recordVersion;
    } unvalidated[] = {
        {"A0 03 02 01 03", "", 3},
        {"A0 03 04 01 02", "Cannot decode certificate data (Invalid version number)", 0},
    };
    for (const Unvalidated& u : unvalidated) {
        std::unique_ptr<CASN1Type> generic = decodeGeneric(hexBytes(dataWith(u.version, "")));
        CASN1_CertificateData data;
        ASSERT_TRUE(data.moveFrom(generic.release()));
        CCertificate record;
        EXPECT_EQ(decodingFailure([&] { data.SetDataTo(record); }), u.failure);
        EXPECT_EQ(record.m_version, u.recordVersion);
    }
}

TEST(Certificate, ConversionFailures)
{
    const std::string md4 = "30 0D 06 09 2A 86 48 86 F7 0D 01 01 03 05 00";
    // The key's algorithm with the header of the SubjectPublicKeyInfo around
    // it, whose length each replacement below keeps right.
    const std::string keyInfo = "30 1A 30 0D 06 09 2A 86 48 86 F7 0D 01 01 01 05 00";
    struct Case {
        const char* reason;
        std::string from, to;  // replaced in the valid version 1 data
        const char* failure;
    } cases[] = {
        {"unknown signature algorithm", "30 0D 06 09 2A 86 48 86 F7 0D 01 01 05 05 00 30 00", md4 + " 30 00",
         "CASN1_CertificateData::SetDataTo - unknown signature algorithm"},
        {"size parameter", keyInfo, "30 1B 30 0E 06 09 2A 86 48 86 F7 0D 01 01 01 02 01 40", ""},
        {"size parameter too large", keyInfo, "30 1D 30 10 06 09 2A 86 48 86 F7 0D 01 01 01 02 03 01 00 00",
         "SubjectPublicKeyInfo contents is not valid (invalid algorithm identifier parameter)"},
        {"other parameter", keyInfo, "30 1C 30 0F 06 09 2A 86 48 86 F7 0D 01 01 01 04 02 00 00",
         "SubjectPublicKeyInfo contents is not valid (invalid algorithm identifier parameter)"},
        {"time with a bad zone", "17 0D 39 38 30 32 30 34 31 35 33 30 34 35 5A", "17 0D 39 38 30 32 30 34 31 35 33 30 34 35 58",
         "CASN1_UTCTime::SetDataTo - invalid contents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::string data = dataWith("", "");
        const size_t at = data.find(c.from);
        ASSERT_NE(at, std::string::npos);
        data.replace(at, c.from.size(), c.to);
        Bytes body = hexBytes(data.substr(6));
        char header[8];
        std::snprintf(header, sizeof header, "30 %02zX ", body.size());
        CCertificate record;
        EXPECT_EQ(decodingFailure([&] { record = certificateOf(certificateWithData(header + data.substr(6))); }),
                  c.failure);
        if (!*c.failure) {
            EXPECT_EQ(record.m_modulusBits, 64);
        }
    }
}

TEST(Certificate, Dump)
{
    CCertificate certificate = stored("ee_1024_sha1.der");
    const std::string dump = (const char*)CString(certificate);
    const std::string head =
        "Syntax Version: 2\r\nSerial Number: 00F1E2D3C4B5A697\r\nSignature Algorithm: SHA1 With RSA Encryption\r\n"
        "Issuer:\r\nCountry name: DE\r\nOrganization name: Vault Test\r\nCommon name: Test CA 2048 sha1\r\n"
        "Valid not before: " + std::string(certificate.m_notBefore.GetTimeAsString(TRUE, FALSE)) + "\r\n";
    EXPECT_EQ(dump.substr(0, head.size()), head);
    const size_t key = dump.find("Public Key:\r\n   Modulus Length:\r\n      1024 bits\r\n   Modulus:\r\n");
    ASSERT_NE(key, std::string::npos);
    // 128 octets: four lines of 60 digits and one of 16, each after six spaces.
    const std::string modulus = (const char*)OctetsToHexChars(certificate.m_modulus + 128, 128);
    std::string lines;
    for (int at = 0; at < 256; at += 60)
        lines += (at ? "\r\n      " : "      ") + modulus.substr(at, 60);
    EXPECT_EQ(dump.substr(dump.find("   Modulus:\r\n") + 13), lines + "\r\n   Public Exponent:\r\n      010001");
    EXPECT_NE(std::string(CString(stored("ee_2048_sha1.der"))).find("Signature Algorithm: SHA1 With RSA Encryption"),
              std::string::npos);
    certificate.m_signatureAlgorithm = 7;
    EXPECT_NE(std::string(CString(certificate)).find("Signature Algorithm: <<< BAD!!! >>>"), std::string::npos);
}

TEST(Certificate, StoredForm)
{
    const CCertificate certificate = stored("ee_512_md5.der");
    CCertificate copy = certificate;
    std::vector<unsigned char> bytes = storedBytes(copy);
    ASSERT_GT(bytes.size(), 800u);
    EXPECT_EQ(bytes[0], 1);  // format
    CCertificate loaded;
    EXPECT_EQ(archiveLoadCause(loaded, bytes), 0);
    EXPECT_TRUE(loaded == certificate);
    EXPECT_TRUE(loaded.m_cachedDigestFlag);
    EXPECT_EQ(std::memcmp(loaded.m_cachedDigest, certificate.m_cachedDigest, 16), 0);
    EXPECT_TRUE(loaded.IsSignatureOKFor(stored("ca_1024_md5.der")));

    // Format 0 has no SHA-1 cache: a SHA-1 certificate stored in it
    // computes its digest when verified.
    CCertificate sha1 = stored("v1_1024_sha1.der");
    std::vector<unsigned char> format1 = storedBytes(sha1), format0 = format1;
    const size_t caches = 1 + 1 + 2 + 2 + 2 + 3 * 256;  // format, version, algorithm, two bit counts, fields
    ASSERT_EQ(format1[caches + 2], 1);  // SHA-1 flag after the empty 16-octet flag
    format0[0] = 0;
    format0.erase(format0.begin() + caches + 2, format0.begin() + caches + 4 + 20);
    CCertificate old;
    EXPECT_EQ(archiveLoadCause(old, format0), 0);
    EXPECT_FALSE(old.m_cachedSHA1DigestFlag);
    EXPECT_TRUE(old == sha1);
    EXPECT_TRUE(old.IsSignatureOKFor(stored("ca_2048_sha1.der")));

    const unsigned char kYear[] = {0x00, 0xEA, 0x07, 12};
    struct Case {
        const char* reason;
        size_t at;
        std::vector<unsigned char> octets;
        int cause;
    } cases[] = {
        {"format 2", 0, {2}, CArchiveException::genericException},
        {"algorithm 3", 2, {3, 0}, CArchiveException::genericException},
        {"signature bits 2056", 6, {0x08, 0x08}, CArchiveException::genericException},
        // The not-before time: format byte 0, then the year 2026.
        {"time format 1", (size_t)(std::search(bytes.begin() + 800, bytes.end(), std::begin(kYear), std::end(kYear)) - bytes.begin()),
         {1}, CArchiveException::genericException},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> bad = bytes;
        std::copy(c.octets.begin(), c.octets.end(), bad.begin() + (long)c.at);
        CCertificate target = certificate;
        EXPECT_EQ(archiveLoadCause(target, bad), c.cause) << c.reason;
        EXPECT_TRUE(target == certificate) << c.reason;
    }
    for (size_t cut = 1; cut < bytes.size(); cut += 97) {
        CCertificate target;
        EXPECT_NE(archiveLoadCause(target, std::vector<unsigned char>(bytes.begin(), bytes.begin() + (long)cut)), 0);
    }
    // Arrays of certificates held by value.
    CArray<CCertificate, const CCertificate&> array, arrayBack;
    array.Add(certificate);
    array.Add(sha1);
    EXPECT_EQ(archiveLoadCause(arrayBack, storedBytes(array)), 0);
    ASSERT_EQ(arrayBack.GetSize(), 2);
    EXPECT_TRUE(arrayBack[1] == sha1);
    // Arrays of certificate trees: the value model's stored form, DER inside.
    CArray<CASN1_Certificate, const CASN1_Certificate&> trees, treesBack;
    trees.Add(CASN1_Certificate(certificate));
    EXPECT_EQ(archiveLoadCause(treesBack, storedBytes(trees)), 0);
    ASSERT_EQ(treesBack.GetSize(), 1);
    EXPECT_EQ(encodingOf(treesBack[0]), encodingOf(trees[0]));
}

}  // namespace
