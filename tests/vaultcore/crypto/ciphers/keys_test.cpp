// Symmetric keys: parity helpers, sizes and validity, stored form.
#include <gtest/gtest.h>

#include "support/archive_helpers.h"
#include "cipher_test_util.h"

TEST(DESParity, AdjustAndCheck)
{
    unsigned char bytes[] = {0x00, 0x01, 0x80, 0xfe, 0x7f};
    AdjustDESKeyParity(bytes, sizeof bytes);
    EXPECT_EQ(bytes[0], 0x80);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes[2], 0x80);
    EXPECT_EQ(bytes[3], 0xfe);
    EXPECT_EQ(bytes[4], 0x7f);
    const unsigned char odd = 0x80, even = 0x00;
    EXPECT_TRUE(IsDESKeyParityOK(&odd, 1));
    EXPECT_FALSE(IsDESKeyParityOK(&even, 1));
    EXPECT_TRUE(IsDESKeyParityOK(nullptr, 0));
}

TEST(Keys, NewKeysHaveTheirSizesAndAreValid)
{
    CDESkey des;
    EXPECT_EQ(des.Size(), 8u);
    EXPECT_TRUE(des.IsValid());
    CTripleDESkey triple;
    EXPECT_EQ(triple.Size(), 24u);
    EXPECT_TRUE(IsDESKeyParityOK(triple.Data(), 24));
    EXPECT_TRUE(triple.IsValid());
    CIDEAkey idea;
    EXPECT_EQ(idea.Size(), 16u);
    CRC5key rc5;
    EXPECT_EQ(rc5.Size(), 5u);
    EXPECT_TRUE(rc5.IsValid());
    CKey plain(33);
    EXPECT_EQ(plain.Size(), 33u);
    for (unsigned long i = 0; i < plain.Size(); ++i)
        EXPECT_NE(plain.Data()[i], 0);
    EXPECT_EQ(CKey().Size(), 0u);
}

TEST(Keys, SetChecksTheKind)
{
    CDESkey des;
    const unsigned char seven[7] = {1, 1, 1, 1, 1, 1, 1};
    const unsigned char badParity[8] = {0, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(des.Set(seven, 7));
    EXPECT_FALSE(des.Set(badParity, 8));
    CTripleDESkey triple;
    unsigned char t[24] = {0};
    EXPECT_TRUE(triple.Set(t, 24));  // parity is not checked
    EXPECT_FALSE(triple.Set(t, 16));
    CRC5key rc5;
    Bytes big(256, 1);
    EXPECT_FALSE(rc5.Set(big.data(), 256));
    EXPECT_TRUE(rc5.Set(big.data(), 255));
}

TEST(RC2Key, BitsVersionsAndValidity)
{
    struct {
        unsigned short bits, version;
    } pairs[] = {{40, 160}, {64, 120}, {128, 58}, {255, 171}};
    for (const auto& p : pairs) {
        EXPECT_TRUE(CRC2key::IsValidBits(p.bits));
        EXPECT_TRUE(CRC2key::IsValidVersion(p.version));
        EXPECT_EQ(CRC2key::BitsToVersion(p.bits), p.version);
        EXPECT_EQ(CRC2key::VersionToBits(p.version), p.bits);
        CRC2key k(p.bits);
        EXPECT_EQ(k.Size(), (p.bits + 7u) / 8u);
        EXPECT_TRUE(k.IsValid()) << p.bits;
    }
    EXPECT_FALSE(CRC2key::IsValidBits(63));
    EXPECT_EQ(CRC2key::BitsToVersion(63), 63);
    EXPECT_EQ(CRC2key::VersionToBits(7), 7);
    CRC2key k40(40);
    EXPECT_EQ(k40.Size(), 5u);
    const unsigned char four[4] = {1, 2, 3, 4};
    EXPECT_FALSE(k40.Set(four, 4));
    CRC2key copy(128);
    copy = k40;
    EXPECT_EQ(copy.GetBits(), 40);
    EXPECT_EQ(copy.Size(), 4u);
}


TEST(KeyArchive, StoredForms)
{
    CDESkey des;
    const Bytes d = storedBytes(des);
    ASSERT_EQ(d.size(), 9u);
    EXPECT_EQ(d[0], 1);
    CDESkey loaded;
    EXPECT_EQ(archiveLoadCause(loaded, d), 0);
    EXPECT_EQ(toHex(loaded.Data(), 8), toHex(des.Data(), 8));

    // Version 0 carries eight more bytes, which are skipped.
    Bytes v0 = d;
    v0[0] = 0;
    v0.insert(v0.end(), 8, 0xaa);
    CDESkey old;
    EXPECT_EQ(archiveLoadCause(old, v0), 0);
    EXPECT_EQ(toHex(old.Data(), 8), toHex(des.Data(), 8));

    Bytes v2 = d;
    v2[0] = 2;
    EXPECT_EQ(archiveLoadCause(loaded, v2), CArchiveException::genericException);
    EXPECT_EQ(archiveLoadCause(loaded, Bytes(d.begin(), d.begin() + 5)), CArchiveException::endOfFile);
    Bytes badParity = d;
    badParity[1] ^= 1;
    EXPECT_EQ(archiveLoadCause(loaded, badParity), CArchiveException::genericException);

    // An invalid key is not written.
    const unsigned char three[3] = {1, 2, 3};
    des.Set(three, 3);
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    try {
        des.Serialize(ar);
        ADD_FAILURE() << "an invalid key was stored";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::genericException);
        e->Delete();
    }
}

TEST(KeyArchive, RC2KeyCarriesItsBits)
{
    CRC2key key(64);
    const Bytes d = storedBytes(key);
    ASSERT_EQ(d.size(), 1u + 2u + 1u + 8u);
    EXPECT_EQ(toHex(Bytes(d.begin(), d.begin() + 4)), "00400001");
    CRC2key loaded(64);
    EXPECT_EQ(archiveLoadCause(loaded, d), 0);
    EXPECT_EQ(loaded.GetBits(), 64);
    EXPECT_EQ(toHex(loaded.Data(), 8), toHex(key.Data(), 8));
    Bytes marked = d;
    marked[0] = 1;
    EXPECT_EQ(archiveLoadCause(loaded, marked), CArchiveException::genericException);
    Bytes badBits = d;
    badBits[1] = 63;
    EXPECT_EQ(archiveLoadCause(loaded, badBits), CArchiveException::genericException);
}
