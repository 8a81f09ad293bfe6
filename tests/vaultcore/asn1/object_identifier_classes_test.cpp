// Object identifier classes: every class against its published value, and
// the encodings that certificates and messages rely on.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "vaultcore/vaultcore.h"

namespace {

std::string hexOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    std::string text;
    char octet[4];
    for (int i = 0; i < bytes.GetSize(); ++i) {
        snprintf(octet, sizeof octet, i ? " %02X" : "%02X", bytes[i]);
        text += octet;
    }
    return text;
}

struct Registration {
    const char* name;
    std::function<CASN1_OBJECT_IDENTIFIER()> make;
    const char* dotted;
};

#define ROW(cls, dotted) {#cls, [] { return CASN1_OBJECT_IDENTIFIER(cls()); }, dotted}

// The registrations as published (PKCS #1, #5, #7, #9, RSA Data Security
// algorithms, OIW, X.500 attribute types and algorithms).
const Registration kRegistrations[] = {
    ROW(CASN1_md2, "1.2.840.113549.2.2"),
    ROW(CASN1_md5, "1.2.840.113549.2.5"),
    ROW(CASN1_sha1, "1.3.14.3.2.26"),
    ROW(CASN1_rsa, "2.5.8.1.1"),
    ROW(CASN1_pkcs_1, "1.2.840.113549.1.1"),
    ROW(CASN1_rsaEncryption, "1.2.840.113549.1.1.1"),
    ROW(CASN1_md2WithRSAEncryption, "1.2.840.113549.1.1.2"),
    ROW(CASN1_md5WithRSAEncryption, "1.2.840.113549.1.1.4"),
    ROW(CASN1_sha1WithRSAEncryption, "1.2.840.113549.1.1.5"),
    ROW(CASN1_pkcs_5, "1.2.840.113549.1.5"),
    ROW(CASN1_pbeWithMD2AndDES_CBC, "1.2.840.113549.1.5.1"),
    ROW(CASN1_pbeWithMD5AndDES_CBC, "1.2.840.113549.1.5.3"),
    ROW(CASN1_pkcs_7, "1.2.840.113549.1.7"),
    ROW(CASN1_data, "1.2.840.113549.1.7.1"),
    ROW(CASN1_signedData, "1.2.840.113549.1.7.2"),
    ROW(CASN1_envelopedData, "1.2.840.113549.1.7.3"),
    ROW(CASN1_signedAndEnvelopedData, "1.2.840.113549.1.7.4"),
    ROW(CASN1_digestedData, "1.2.840.113549.1.7.5"),
    ROW(CASN1_encryptedData, "1.2.840.113549.1.7.6"),
    ROW(CASN1_pkcs_9, "1.2.840.113549.1.9"),
    ROW(CASN1_E_mail_Address, "1.2.840.113549.1.9.1"),
    ROW(CASN1_UnstructuredName, "1.2.840.113549.1.9.2"),
    ROW(CASN1_contentType, "1.2.840.113549.1.9.3"),
    ROW(CASN1_messageDigest, "1.2.840.113549.1.9.4"),
    ROW(CASN1_signingTime, "1.2.840.113549.1.9.5"),
    ROW(CASN1_ChallengePassword, "1.2.840.113549.1.9.7"),
    ROW(CASN1_signingDescription, "1.2.840.113549.1.9.13"),
    ROW(CASN1_RC2_CBC, "1.2.840.113549.3.2"),
    ROW(CASN1_DES_EDE3_CBC, "1.2.840.113549.3.7"),
    ROW(CASN1_RC5_CBC, "1.2.840.113549.3.8"),
    ROW(CASN1_RC5_CBC_Pad, "1.2.840.113549.3.9"),
    ROW(CASN1_DES_CBC, "1.3.14.3.2.7"),
    ROW(CASN1_AttributeType, "2.5.4"),
    ROW(CASN1_CommonName, "2.5.4.3"),
    ROW(CASN1_Surname, "2.5.4.4"),
    ROW(CASN1_CountryName, "2.5.4.6"),
    ROW(CASN1_LocalityName, "2.5.4.7"),
    ROW(CASN1_CollectiveLocalityName, "2.5.4.7.1"),
    ROW(CASN1_StateOrProvinceName, "2.5.4.8"),
    ROW(CASN1_CollectiveStateOrProvinceName, "2.5.4.8.1"),
    ROW(CASN1_StreetAddress, "2.5.4.9"),
    ROW(CASN1_CollectiveStreetAddress, "2.5.4.9.1"),
    ROW(CASN1_OrganizationName, "2.5.4.10"),
    ROW(CASN1_CollectiveOrganizationName, "2.5.4.10.1"),
    ROW(CASN1_OrganizationalUnitName, "2.5.4.11"),
    ROW(CASN1_CollectiveOrganizationalUnitName, "2.5.4.11.1"),
    ROW(CASN1_Title, "2.5.4.12"),
    ROW(CASN1_PostalAddress, "2.5.4.16"),
    ROW(CASN1_CollectivePostalAddress, "2.5.4.16.1"),
    ROW(CASN1_PostalCode, "2.5.4.17"),
    ROW(CASN1_CollectivePostalCode, "2.5.4.17.1"),
    ROW(CASN1_PostOfficeBox, "2.5.4.18"),
    ROW(CASN1_CollectivePostOfficeBox, "2.5.4.18.1"),
    ROW(CASN1_PhysicalDeliveryOfficeName, "2.5.4.19"),
    ROW(CASN1_CollectivePhysicalDeliveryOfficeName, "2.5.4.19.1"),
    ROW(CASN1_PhoneNumber, "2.5.4.20"),
};

TEST(ObjectIdentifierClasses, MatchTheirRegistrations)
{
    for (const Registration& r : kRegistrations) {
        CString dotted;
        r.make().GetDecimalDottedString(dotted);
        EXPECT_STREQ(r.dotted, (const char*)dotted) << r.name;
    }
}

TEST(ObjectIdentifierClasses, AreAllDistinct)
{
    const size_t count = sizeof kRegistrations / sizeof kRegistrations[0];
    for (size_t i = 0; i < count; ++i)
        for (size_t j = i + 1; j < count; ++j)
            EXPECT_FALSE(kRegistrations[i].make() == kRegistrations[j].make())
                << kRegistrations[i].name << " and " << kRegistrations[j].name;
}

TEST(ObjectIdentifierClasses, KnownEncodings)
{
    EXPECT_EQ("06 03 55 04 03", hexOf(CASN1_CommonName()));
    EXPECT_EQ("06 09 2A 86 48 86 F7 0D 01 01 01", hexOf(CASN1_rsaEncryption()));
    EXPECT_EQ("06 05 2B 0E 03 02 1A", hexOf(CASN1_sha1()));
    EXPECT_EQ("06 09 2A 86 48 86 F7 0D 01 05 01", hexOf(CASN1_pbeWithMD2AndDES_CBC()));
    EXPECT_EQ("06 08 2A 86 48 86 F7 0D 02 05", hexOf(CASN1_md5()));
}

TEST(ObjectIdentifierClasses, ArcPlusOneComponentGivesTheMember)
{
    CASN1_pkcs_7 signedData;
    signedData.AddIDComponent(2);
    EXPECT_TRUE(signedData == CASN1_signedData());
    CASN1_AttributeType commonName;
    commonName.AddIDComponent(3);
    EXPECT_TRUE(commonName == CASN1_CommonName());
}

TEST(ObjectIdentifierClasses, CopiesAndClonesCompareEqual)
{
    CASN1_md5 md5;
    std::unique_ptr<CASN1Type> clone(md5.clone());
    auto* cloned = dynamic_cast<CASN1_OBJECT_IDENTIFIER*>(clone.get());
    ASSERT_NE(nullptr, cloned);
    EXPECT_TRUE(*cloned == CASN1_md5());
    EXPECT_FALSE(*cloned == CASN1_md2());
    CASN1_md5 copy(md5);
    EXPECT_TRUE(copy == md5);
    EXPECT_EQ("2.5.4.17.1", std::string((const char*)(CString)CASN1_CollectivePostalCode()));
}

TEST(ObjectIdentifierClasses, RecogniseDecodedIdentifiers)
{
    unsigned char der[] = {0x06, 0x08, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x02, 0x05};
    CDEREncoding* encoding = new CDEREncoding(TRUE, der, sizeof der, FALSE, TRUE);
    encoding->AddRef();
    CASN1_OBJECT_IDENTIFIER decoded;
    decoded.decodeFrom(*encoding);
    encoding->Release();
    EXPECT_TRUE(decoded == CASN1_md5());
    EXPECT_FALSE(decoded == CASN1_md2());
}

}  // namespace
