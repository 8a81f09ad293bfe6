// Known-answer vectors of every block cipher, from the files under
// tests/data/crypto/ciphers: both directions, in place, and for chained
// records that a reset really returns to the initial vector.
#include <gtest/gtest.h>

#include <memory>

#include "cipher_test_util.h"

namespace {

struct Case {
    std::unique_ptr<CCryptoProcessor> processor;
    Bytes plaintext, ciphertext;
};

void checkBothWays(const Record& r, CCryptoProcessor& p)
{
    const Bytes pt = hexBytes(r.at("plaintext"));
    const Bytes ct = hexBytes(r.at("ciphertext"));
    ASSERT_EQ(pt.size(), ct.size());
    Bytes out(pt.size());
    p.EncryptBlock(pt.data(), pt.size(), out.data(), nullptr);
    EXPECT_EQ(toHex(out), r.at("ciphertext")) << "key " << r.at("key");
    p.DecryptBlock(ct.data(), ct.size(), out.data(), nullptr);
    EXPECT_EQ(toHex(out), r.at("plaintext")) << "key " << r.at("key");

    // In place, after a reset (chained records depend on it).
    p.ResetEncryptionContext();
    p.ResetDecryptionContext();
    Bytes buf = pt;
    p.EncryptBlock(buf.data(), buf.size(), buf.data(), nullptr);
    EXPECT_EQ(toHex(buf), r.at("ciphertext"));
    p.DecryptBlock(buf.data(), buf.size(), buf.data(), nullptr);
    EXPECT_EQ(toHex(buf), r.at("plaintext"));
}

}  // namespace

TEST(KnownAnswer, DES)
{
    const auto records = readVectors("des.txt");
    ASSERT_GE(records.size(), 7u);
    for (const Record& r : records) {
        const Bytes key = hexBytes(r.at("key"));
        if (r.count("triple")) {
            CTripleDESkey k;
            k.Set(key.data(), key.size());
            CTripleDESAlgorithm p(k, 1);
            checkBothWays(r, p);
        } else {
            CDESkey k;
            k.Set(key.data(), key.size());
            CDESAlgorithm p(k, 1);
            checkBothWays(r, p);
        }
    }
}

TEST(KnownAnswer, IDEAInLibraryWordOrder)
{
    const auto records = readVectors("idea.txt");
    ASSERT_EQ(records.size(), 3u);
    for (const Record& r : records) {
        const Bytes key = hexBytes(r.at("key"));
        CIDEAkey k;
        ASSERT_TRUE(k.Set(key.data(), key.size()));
        CIDEAAlgorithm p(k, 1);
        checkBothWays(r, p);
    }
}

TEST(KnownAnswer, RC2OfRfc2268)
{
    const auto records = readVectors("rc2.txt");
    ASSERT_EQ(records.size(), 8u);
    for (const Record& r : records) {
        const Bytes key = hexBytes(r.at("key"));
        CRC2key k((unsigned short)std::stoi(r.at("bits")));
        k.Set(key.data(), key.size());
        CRC2Algorithm p(k, 1);
        checkBothWays(r, p);
    }
}

TEST(KnownAnswer, RC5OfRfc2040AndThePaper)
{
    const auto records = readVectors("rc5.txt");
    ASSERT_EQ(records.size(), 19u);
    for (const Record& r : records) {
        const Bytes key = hexBytes(r.at("key"));
        CRC5key k;
        k.Set(key.data(), key.size());
        const unsigned long block = std::stoul(r.at("block"));
        const unsigned long rounds = std::stoul(r.at("rounds"));
        if (r.count("iv")) {
            const Bytes iv = hexBytes(r.at("iv"));
            CRC5Algorithm p(k, rounds, block, 0, iv.data());
            checkBothWays(r, p);
        } else {
            CRC5Algorithm p(k, rounds, block, 1);
            checkBothWays(r, p);
        }
    }
}

TEST(KnownAnswer, TripleDESIsEncryptDecryptEncrypt)
{
    // E(K3) after D(K2) after E(K1), built from single DES.
    const Bytes key = hexBytes("0123456789abcdef23456789abcdef01456789abcdef0123");
    const Bytes pt = hexBytes("4e6f772069732074");
    CTripleDESkey k3;
    k3.Set(key.data(), 24);
    CTripleDESAlgorithm triple(k3, 1);
    CDESkey a, b, c;
    a.Set(key.data(), 8);
    b.Set(key.data() + 8, 8);
    c.Set(key.data() + 16, 8);
    CDESAlgorithm da(a, 1), db(b, 1), dc(c, 1);
    Bytes expect = pt;
    da.EncryptBlock(expect.data(), 8, expect.data(), nullptr);
    db.DecryptBlock(expect.data(), 8, expect.data(), nullptr);
    dc.EncryptBlock(expect.data(), 8, expect.data(), nullptr);
    Bytes out(8);
    triple.EncryptBlock(pt.data(), 8, out.data(), nullptr);
    EXPECT_EQ(toHex(out), toHex(expect));
    triple.DecryptBlock(out.data(), 8, out.data(), nullptr);
    EXPECT_EQ(toHex(out), toHex(pt));
}

TEST(KnownAnswer, BadRC2PermutationIsTheReversedPiTable)
{
    unsigned char table[256];
    CBadRC2Algorithm::BuildPermutation(table);
    bool seen[256] = {false};
    for (int i = 0; i < 256; ++i)
        seen[table[i]] = true;
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(seen[i]) << "value " << i << " missing";
    EXPECT_EQ(table[255], 0xd9);  // PITABLE[0]
    EXPECT_EQ(table[0], 0xad);    // PITABLE[255]
}

TEST(KnownAnswer, BadRC2DiffersFromRC2AndRoundTrips)
{
    const Bytes key = hexBytes("88bca90e90875a7f0f79c384627bafb2");
    CRC2key k(128);
    k.Set(key.data(), key.size());
    CRC2Algorithm good(k, 1);
    CBadRC2Algorithm bad(k, 1);
    Bytes pt(8, 0), a(8), b(8);
    good.EncryptBlock(pt.data(), 8, a.data(), nullptr);
    bad.EncryptBlock(pt.data(), 8, b.data(), nullptr);
    EXPECT_NE(toHex(a), toHex(b));
    bad.DecryptBlock(b.data(), 8, b.data(), nullptr);
    EXPECT_EQ(toHex(b), toHex(pt));
}
