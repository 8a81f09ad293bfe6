// Revocation lists: hand-made and version 2 DER, the dump, signing and the
// stored form (openssl's lists: the interop tests).
#include <gtest/gtest.h>

#include <cstring>
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

// DER of a SEQUENCE around the hex pieces (short lengths only).
Bytes sequenceOf(const std::string& hex, unsigned char tag = 0x30)
{
    const Bytes body = hexBytes(hex);
    Bytes der = {tag, (unsigned char)body.size()};
    der.insert(der.end(), body.begin(), body.end());
    return der;
}

TEST(CRL, ValidationOfHandMadeLists)
{
    const std::string alg = "30 0D 06 09 2A 86 48 86 F7 0D 01 01 05 05 00 ";
    const std::string name = "30 0D 31 0B 30 09 06 03 55 04 06 13 02 44 45 ";
    const std::string time = "17 0D 32 36 30 31 30 31 31 30 30 30 30 35 5A ";
    const std::string entry = "30 12 02 01 05 " + time;
    const std::string entries = "30 14 " + entry;
    const struct {
        const char* reason;
        std::string tbs;
        bool valid;
    } cases[] = {
        {"no version", alg + name + time + time + entries, true},
        {"version 0", "02 01 00 " + alg + name + time + time + entries, true},
        {"no revoked certificates", alg + name + time + time, true},
        {"empty revoked certificates", alg + name + time + time + "30 00", true},
        {"version 1 (an X.509 version 2 list)", "02 01 01 " + alg + name + time + time + entries, false},
        {"version of five octets", "02 05 01 00 00 00 00 " + alg + name + time + time, false},
        {"no next update", alg + name + time + entries, false},
        {"GeneralizedTime", alg + name + "18 0F 32 30 32 36 30 31 30 31 31 30 30 30 30 35 5A " + time, false},
        {"not a time", alg + name + "17 03 41 42 43 " + time, false},
        {"entry with extensions", alg + name + time + time + "30 16 30 14 02 01 05 " + time + "30 00", false},
        {"entry without date", alg + name + time + time + "30 05 30 03 02 01 05", false},
        {"extensions after the entries", alg + name + time + time + entries + "A0 02 30 00", false},
        {"no algorithm", name + time + time, false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        const Bytes tbs = sequenceOf(c.tbs);
        const Bytes crl = sequenceOf(hexOf(tbs) + " " + alg + "03 03 00 AB CD");
        EXPECT_EQ(decodingFailure([&] { crlOf(crl); }).empty(), c.valid) << c.reason;
    }
    // The signature BIT STRING holds whole octets.
    const Bytes tbs = sequenceOf(alg + name + time + time);
    EXPECT_EQ(decodingFailure([&] { crlOf(sequenceOf(hexOf(tbs) + " " + alg + "03 03 04 AB C0")); }),
              "CRL contents is not valid");
    // Three components exactly.
    EXPECT_EQ(decodingFailure([&] { crlOf(sequenceOf(hexOf(tbs) + " " + alg + "03 03 00 AB CD 05 00")); }),
              "CRL contents is not valid");
}

// A list of our own: issuer C=DE, CN=Our CA; entries 0C, 00 05 and 7F in
// that order.
CCertificateRevocationList ownList()
{
    CCertificateRevocationList crl;
    crl.m_issuer.Add(new CRelativeDN);
    crl.m_issuer[0]->Add(new CAttributeValue(dnCountryName, "DE"));
    crl.m_issuer.Add(new CRelativeDN);
    crl.m_issuer[1]->Add(new CAttributeValue(dnCommonName, "Our CA"));
    crl.m_lastUpdate = CUTCTime(CString("260101100005Z"));
    crl.m_nextUpdate = CUTCTime(CString("270101100005Z"));
    const char* serials[] = {"\x0C", "\x00\x05", "\x7F"};
    const int lengths[] = {1, 2, 1};
    for (int i = 0; i < 3; ++i)
        crl.m_entries.Add(new CCRLEntry(CSerialNumber((unsigned char*)serials[i], lengths[i]),
                                        CUTCTime(CString(i == 1 ? "251224120000Z" : "251231235959Z"))));
    return crl;
}

TEST(CRL, DumpListsEntriesFromLastToFirst)
{
    CCertificateRevocationList crl = ownList();
    EXPECT_STREQ(CString(crl),
                 "CRL issued by:\r\nCountry name: DE\r\nCommon name: Our CA\r\n"
                 "Last Update: 1 January, 2026, 10:00 05 sec GMT\r\nNext Update: 1 January, 2027, 10:00 05 sec GMT\r\n"
                 "Revoked Certificates:\r\n"
                 "Serial Number: 7F Revocation Date: 31 December, 2025, 23:59 59 sec GMT\r\n"
                 "Serial Number: 0005 Revocation Date: 24 December, 2025, 12:00 00 sec GMT\r\n"
                 "Serial Number: 0C Revocation Date: 31 December, 2025, 23:59 59 sec GMT\r\n");
    crl.m_entries.RemoveAll();
    const std::string empty = (const char*)CString(crl);
    EXPECT_EQ(empty.substr(empty.find("Revoked Certificates:")), "Revoked Certificates:\r\nNo CRL Entries\r\n");
}

TEST(CRL, SignedListsVerifyAndRoundTrip)
{
    const CRSAPrivateKey key = privateKeyFile(x509Data("ca1024.key"));
    CCertificateRevocationList crl = ownList();
    crl.SignWith(key);
    EXPECT_EQ(crl.m_signatureAlgorithm, 2);
    EXPECT_EQ(crl.m_signatureBits, 1024);
    EXPECT_TRUE(crl.IsSignatureOKFor(key));
    EXPECT_TRUE(throwsAndDeletes<CUnlockException>([&] { crl.IsSignatureOKFor(privateKeyFile(x509Data("ca2048.key"))); }));
    // Decoded again: the same entries, a fresh cache, still verified.
    const CCertificateRevocationList back = crlOf(derOf(crl));
    ASSERT_EQ(back.m_entries.GetSize(), 3);
    EXPECT_STREQ(CString(back.m_entries[1]->m_serialNumber), "05");  // written without the zero octet
    EXPECT_TRUE(back.m_entries[2]->m_revocationDate == crl.m_entries[2]->m_revocationDate);
    EXPECT_EQ(std::memcmp(back.m_cachedSHA1Digest, crl.m_cachedSHA1Digest, 20), 0);
    EXPECT_TRUE(back.IsSignatureOKFor(key));
    // A changed list verifies only when its stale cache is dropped... and fails then.
    CCertificateRevocationList changed = back;
    changed.m_entries.SetSize(2);
    EXPECT_TRUE(changed.IsSignatureOKFor(key));
    changed.m_cachedSHA1DigestFlag = 0;
    EXPECT_FALSE(changed.IsSignatureOKFor(key));
    // Serial numbers compare by value: 00 05 is 05.
    CCertificate holder = certificate("v1_1024_sha1.der");
    holder.m_issuer = back.m_issuer;
    holder.m_serialNumber = CSerialNumber((unsigned char*)"\x00\x05", 2);
    EXPECT_TRUE(holder.IsPresentInCRL(back));
    holder.m_serialNumber = CSerialNumber((unsigned char*)"\x06", 1);
    EXPECT_FALSE(holder.IsPresentInCRL(back));
    // Copies are deep.
    CCertificateRevocationList copy = crl;
    copy.m_entries[0]->m_serialNumber.RemoveAll();
    EXPECT_EQ(crl.m_entries[0]->m_serialNumber.GetSize(), 1);
}

TEST(CRL, StoredForm)
{
    const CCertificateRevocationList crl = crlOf(readFileBytes(crlData("crl_1024_md5.der")));
    CCertificateRevocationList copy = crl;
    const Bytes bytes = storedBytes(copy);
    EXPECT_EQ(bytes[0], 1);
    CCertificateRevocationList loaded;
    EXPECT_EQ(archiveLoadCause(loaded, bytes), 0);
    EXPECT_EQ(hexOf(derOf(loaded)), hexOf(derOf(crl)));
    EXPECT_TRUE(loaded.m_cachedDigestFlag);
    EXPECT_TRUE(loaded.IsSignatureOKFor(certificate("ca_1024_md5.der")));

    // Both caches set survive storing and loading.
    CCertificateRevocationList both = ownList();
    both.SignWith(privateKeyFile(x509Data("ca512.key")));
    std::memset(both.m_cachedDigest, 0xAB, 16);
    both.m_cachedDigestFlag = 1;
    CCertificateRevocationList bothBack;
    EXPECT_EQ(archiveLoadCause(bothBack, storedBytes(both)), 0);
    EXPECT_EQ(std::memcmp(bothBack.m_signature, both.m_signature, 256), 0);
    EXPECT_EQ(std::memcmp(bothBack.m_cachedDigest, both.m_cachedDigest, 16), 0);
    EXPECT_EQ(std::memcmp(bothBack.m_cachedSHA1Digest, both.m_cachedSHA1Digest, 20), 0);
    EXPECT_STREQ(CString(bothBack), CString(both));

    // Format 0 has no SHA-1 cache.
    const CCertificateRevocationList sha1 = crlOf(readFileBytes(crlData("crl_2048_sha1.der")));
    CCertificateRevocationList sha1Copy = sha1;
    Bytes format0 = storedBytes(sha1Copy);
    const size_t caches = 1 + 256 + 2 + 2;
    ASSERT_EQ(format0[caches + 2], 1);
    format0[0] = 0;
    format0.erase(format0.begin() + (long)caches + 2, format0.begin() + (long)caches + 4 + 20);
    CCertificateRevocationList old;
    EXPECT_EQ(archiveLoadCause(old, format0), 0);
    EXPECT_FALSE(old.m_cachedSHA1DigestFlag);
    EXPECT_TRUE(old.IsSignatureOKFor(certificate("ca_2048_sha1.der")));

    const struct {
        const char* reason;
        size_t at;
        Bytes octets;
    } cases[] = {
        {"format 2", 0, {2}},
        {"algorithm 3", 257, {3, 0}},
        {"signature bits 2056", 259, {0x08, 0x08}},
        {"entry format 1", caches + 2 + 16 + 2 + 2, {1}},  // after the flags, the digest and the entry count
    };
    for (const auto& c : cases) {
        Bytes bad = bytes;
        std::copy(c.octets.begin(), c.octets.end(), bad.begin() + (long)c.at);
        CCertificateRevocationList target = crl;
        EXPECT_EQ(archiveLoadCause(target, bad), CArchiveException::genericException) << c.reason;
        EXPECT_EQ(hexOf(derOf(target)), hexOf(derOf(crl))) << c.reason;
    }
    // Lists held by value in arrays.
    CArray<CCertificateRevocationList, const CCertificateRevocationList&> lists, listsBack;
    lists.Add(crl);
    lists.Add(both);
    EXPECT_EQ(archiveLoadCause(listsBack, storedBytes(lists)), 0);
    ASSERT_EQ(listsBack.GetSize(), 2);
    EXPECT_STREQ(CString(listsBack[1]), CString(both));
}

}  // namespace
