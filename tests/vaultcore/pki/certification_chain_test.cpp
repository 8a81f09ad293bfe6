// Certification chains: the sub-chain query on openssl's certificates and
// the stored form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/archive_helpers.h"
#include "vaultcore/pki/pki_test_support.h"

namespace {

Bytes stored(char name)
{
    const char* files[] = {"ca_512_sha1.der", "ca_1024_md5.der", "ca_2048_sha1.der", "ee_1024_sha1.der"};
    return readFileBytes(x509Data(files[std::string("WXYZ").find(name)]));
}

CASN1_Certificate tree(const Bytes& der)
{
    EncodingOf encoding(der);
    return CASN1_Certificate(*encoding);
}

// "WXY": the chain of those certificates in that order.
CCertificationChain chain(const std::string& names)
{
    CCertificationChain out;
    for (char name : names)
        out.Add(tree(stored(name)));
    return out;
}

TEST(CertificationChain, SubChains)
{
    const struct {
        const char *sub, *of;
        bool expected;
    } cases[] = {
        {"XY", "WXY", true},
        {"XY", "XYZ", true},   // Z differs before anything matched and is skipped
        {"XZ", "XYZ", false},  // Z matches, then X differs from Y
        {"Y", "YXY", true},    // aligned at the last Y
        {"XY", "YXY", true},
        {"YX", "XY", false},
        {"XYZ", "YZ", false},  // longer than the other
        {"", "XY", false},     // an empty chain is never a sub-chain
        {"WXYZ", "WXYZ", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chain(c.sub).IsSubChainOf(chain(c.of)) != 0, c.expected) << c.sub << " in " << c.of;
}

TEST(CertificationChain, CertificatesThatDoNotConvertThrow)
{
    // sha256WithRSAEncryption in the to-be-signed part: valid DER, but not
    // an algorithm the record knows.
    Bytes der = stored('Y');
    const Bytes sha1Oid = hexBytes("2A 86 48 86 F7 0D 01 01 05");
    const auto at = std::search(der.begin(), der.end(), sha1Oid.begin(), sha1Oid.end());
    ASSERT_NE(at, der.end());
    at[8] = 0x0B;
    CCertificationChain odd;
    odd.Add(tree(der));
    EXPECT_EQ(decodingFailure([&] { odd.IsSubChainOf(chain("XY")); }),
              "CASN1_CertificateData::SetDataTo - unknown signature algorithm");
}

TEST(CertificationChain, StoredForm)
{
    CCertificationChain original = chain("WXZ"), copy(original), loaded;
    EXPECT_EQ(archiveLoadCause(loaded, storedBytes(copy)), 0);
    ASSERT_EQ(loaded.GetSize(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(encodingOf(loaded[i]), encodingOf(original[i]));
    EXPECT_TRUE(loaded.IsSubChainOf(original) && original.IsSubChainOf(loaded));

    // A certificate that is not valid (a signature BIT STRING of 508 bits)
    // is refused and nothing is kept.
    CCertificationChain one = chain("W");
    Bytes bad = storedBytes(one);
    const Bytes der = stored('W');
    ASSERT_EQ(bad.size(), 2 + 1 + 2 + der.size());  // count, marker, byte-array count, DER
    ASSERT_EQ(hexOf(Bytes(bad.end() - 67, bad.end() - 64)), "03 41 00");
    bad[bad.size() - 65] = 4;  // unused bits
    CCertificationChain refused = chain("XY");
    EXPECT_EQ(archiveLoadCause(refused, bad), CArchiveException::genericException);
    EXPECT_EQ(refused.GetSize(), 0);

}

}  // namespace
