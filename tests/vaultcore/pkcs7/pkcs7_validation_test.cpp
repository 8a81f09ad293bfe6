// The validators of the PKCS #7 structures on hand-made DER: what a strict
// reader must refuse (wrong versions, kinds, order and counts, nested
// certificates and lists that are not), and that refusing never throws.
#include <gtest/gtest.h>

#include "vaultcore/pkcs7/pkcs7_test_support.h"

namespace {
using namespace pkcs7_parts;
using Validator = BOOL (*)(const CASN1Type*, int);

Bytes fileBytes(const std::string& folder, const std::string& name)
{
    return readFileBytes(std::string(VC_TEST_DATA) + "/" + folder + "/" + name);
}

Bytes signedData(const std::vector<Bytes>& middle, const Bytes& version = kVersion1,
                 const Bytes& signers = kEmptySet)
{
    std::vector<Bytes> parts{version, tlv(0x31, {kSha1}), kDataInfo};
    parts.insert(parts.end(), middle.begin(), middle.end());
    parts.push_back(signers);
    return tlv(0x30, parts);
}

struct Case {
    const char* reason;
    Validator isValid;
    Bytes der;
    bool valid;
};

TEST(PKCS7Validation, AcceptsWhatTheStructuresAllowAndRefusesTheRest)
{
    const Bytes certificate = fileBytes("x509", "ee_1024_sha1.der");
    const Bytes crl = fileBytes("crl", "crl_2048_sha1.der");
    const Case cases[] = {
        {"ContentInfo of a type only", CASN1_ContentInfo::isValid, kDataInfo, true},
        {"ContentInfo with [0] content", CASN1_ContentInfo::isValid, tlv(0x30, {kDataType, tlv(0xA0, {kOctets})}), true},
        {"ContentInfo content under [1]", CASN1_ContentInfo::isValid, tlv(0x30, {kDataType, tlv(0xA1, {kOctets})}), false},
        {"ContentInfo of three components", CASN1_ContentInfo::isValid,
         tlv(0x30, {kDataType, tlv(0xA0, {kOctets}), kOctets}), false},
        {"ContentInfo without a type", CASN1_ContentInfo::isValid, tlv(0x30, {tlv(0xA0, {kOctets})}), false},

        {"SignedData, minimal", CASN1_SignedData::isValid, signedData({}), true},
        {"SignedData version 3", CASN1_SignedData::isValid, signedData({}, kVersion3), false},
        {"SignedData version unreadable", CASN1_SignedData::isValid, signedData({}, kUnreadableVersion), false},
        {"SignedData, empty certificates", CASN1_SignedData::isValid, signedData({tlv(0xA0, {})}), true},
        {"SignedData, a real certificate", CASN1_SignedData::isValid, signedData({tlv(0xA0, {certificate})}), true},
        {"SignedData, certificates holding an INTEGER", CASN1_SignedData::isValid,
         signedData({tlv(0xA0, {kVersion1})}), false},
        {"SignedData, a real revocation list", CASN1_SignedData::isValid, signedData({tlv(0xA1, {crl})}), true},
        {"SignedData, a certificate among the lists", CASN1_SignedData::isValid,
         signedData({tlv(0xA1, {certificate})}), false},
        {"SignedData, lists before certificates", CASN1_SignedData::isValid,
         signedData({tlv(0xA1, {}), tlv(0xA0, {})}), false},
        {"SignedData, a [2] member", CASN1_SignedData::isValid, signedData({tlv(0xA2, {})}), false},
        {"SignedData, no signer infos", CASN1_SignedData::isValid,
         tlv(0x30, {kVersion1, tlv(0x31, {kSha1}), kDataInfo}), false},
        {"SignedData with a signer", CASN1_SignedData::isValid,
         signedData({}, kVersion1, tlv(0x31, {signerInfo(kVersion1)})), true},
        {"SignedData with a signer of version 0", CASN1_SignedData::isValid,
         signedData({}, kVersion1, tlv(0x31, {signerInfo(kVersion0)})), false},

        {"SignerInfo, minimal", CASN1_SignerInfo::isValid, signerInfo(kVersion1), true},
        {"SignerInfo version 0", CASN1_SignerInfo::isValid, signerInfo(kVersion0), false},
        {"SignerInfo with [0] attributes", CASN1_SignerInfo::isValid,
         signerInfo(kVersion1, {tlv(0xA0, {kAttribute})}), true},
        {"SignerInfo, [0] holding an OCTET STRING", CASN1_SignerInfo::isValid,
         signerInfo(kVersion1, {tlv(0xA0, {kOctets})}), false},
        {"SignerInfo with [1] attributes last", CASN1_SignerInfo::isValid,
         signerInfo(kVersion1, {}, {tlv(0xA1, {kAttribute})}), true},
        {"SignerInfo, [1] where [0] belongs", CASN1_SignerInfo::isValid,
         signerInfo(kVersion1, {tlv(0xA1, {kAttribute})}), false},
        {"SignerInfo, encrypted digest an INTEGER", CASN1_SignerInfo::isValid,
         tlv(0x30, {kVersion1, kIssuerAndSerial, kSha1, kRsa, kVersion1}), false},

        {"IssuerAndSerialNumber", CASN1_IssuerAndSerialNumber::isValid, kIssuerAndSerial, true},
        {"IssuerAndSerialNumber without serial", CASN1_IssuerAndSerialNumber::isValid, tlv(0x30, {tlv(0x30, {})}), false},
        {"Attribute", CASN1_Attribute::isValid, kAttribute, true},
        {"Attribute, values a SEQUENCE", CASN1_Attribute::isValid, tlv(0x30, {kDataType, tlv(0x30, {})}), false},

        {"EnvelopedData", CASN1_EnvelopedData::isValid, tlv(0x30, {kVersion0, kEmptySet, kEncryptedContentInfo}), true},
        {"EnvelopedData version 1", CASN1_EnvelopedData::isValid,
         tlv(0x30, {kVersion1, kEmptySet, kEncryptedContentInfo}), false},
        {"EnvelopedData without encrypted content info", CASN1_EnvelopedData::isValid,
         tlv(0x30, {kVersion0, kEmptySet}), false},
        {"RecipientInfo", CASN1_RecipientInfo::isValid, tlv(0x30, {kVersion0, kIssuerAndSerial, kRsa, kOctets}), true},
        {"RecipientInfo version 1", CASN1_RecipientInfo::isValid,
         tlv(0x30, {kVersion1, kIssuerAndSerial, kRsa, kOctets}), false},
        {"RecipientInfo, key a BIT STRING", CASN1_RecipientInfo::isValid,
         tlv(0x30, {kVersion0, kIssuerAndSerial, kRsa, hexBytes("03 02 00 AA")}), false},
        {"EnvelopedData with a recipient of version 1", CASN1_EnvelopedData::isValid,
         tlv(0x30, {kVersion0, tlv(0x31, {tlv(0x30, {kVersion1, kIssuerAndSerial, kRsa, kOctets})}),
                    kEncryptedContentInfo}),
         false},
        {"EncryptedContentInfo without content", CASN1_EncryptedContentInfo::isValid, tlv(0x30, {kDataType, kDesCbc}), true},
        {"EncryptedContentInfo, content under [1]", CASN1_EncryptedContentInfo::isValid,
         tlv(0x30, {kDataType, kDesCbc, hexBytes("81 01 00")}), false},

        {"SignedAndEnvelopedData", CASN1_SignedAndEnvelopedData::isValid,
         tlv(0x30, {kVersion1, kEmptySet, kEmptySet, kEncryptedContentInfo, tlv(0xA0, {certificate}), kEmptySet}), true},
        {"SignedAndEnvelopedData version 0", CASN1_SignedAndEnvelopedData::isValid,
         tlv(0x30, {kVersion0, kEmptySet, kEmptySet, kEncryptedContentInfo, kEmptySet}), false},
        {"DigestedData", CASN1_DigestedData::isValid, tlv(0x30, {kVersion0, kSha1, kDataInfo, kOctets}), true},
        {"DigestedData without digest", CASN1_DigestedData::isValid, tlv(0x30, {kVersion0, kSha1, kDataInfo}), false},
        {"EncryptedData", CASN1_EncryptedData::isValid, tlv(0x30, {kVersion0, kEncryptedContentInfo}), true},
        {"EncryptedData version 2", CASN1_EncryptedData::isValid,
         tlv(0x30, {hexBytes("02 01 02"), kEncryptedContentInfo}), false},
    };
    for (const Case& c : cases) {
        bool valid = false;
        EXPECT_NO_THROW(valid = validates(c.isValid, c.der)) << c.reason;
        EXPECT_EQ(valid, c.valid) << c.reason;
    }
}

// An unreadable version is reported through the decoding message the
// validator raises and catches itself.
TEST(PKCS7Validation, UnreadableVersionsLeaveTheirMessage)
{
    const struct {
        Validator isValid;
        Bytes der;
        const char* message;
    } cases[] = {
        {CASN1_SignedData::isValid, signedData({}, kUnreadableVersion), "SignedData is not valid (cannot get version number)"},
        {CASN1_SignerInfo::isValid, signerInfo(kUnreadableVersion), "SignerInfo is not valid (cannot get version number)"},
        {CASN1_EnvelopedData::isValid, tlv(0x30, {kUnreadableVersion, kEmptySet, kEncryptedContentInfo}),
         "EnvelopedData is not valid (cannot get version number)"},
        {CASN1_RecipientInfo::isValid, tlv(0x30, {kUnreadableVersion, kIssuerAndSerial, kRsa, kOctets}),
         "RecipientInfo is not valid (cannot get version number)"},
        {CASN1_SignedAndEnvelopedData::isValid,
         tlv(0x30, {kUnreadableVersion, kEmptySet, kEmptySet, kEncryptedContentInfo, kEmptySet}),
         "SignedAndEnvelopedData is not valid (cannot get version number)"},
        {CASN1_DigestedData::isValid, tlv(0x30, {kUnreadableVersion, kSha1, kDataInfo, kOctets}),
         "DigestedData is not valid (cannot get the version number)"},
        {CASN1_EncryptedData::isValid, tlv(0x30, {kUnreadableVersion, kEncryptedContentInfo}),
         "EncryptedData is not valid (cannot get version number)"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(validates(c.isValid, c.der)) << c.message;
        EXPECT_STREQ(___lastDERDecodingMessage(), c.message);
    }
}

TEST(PKCS7Validation, DecodingConstructorRefusesAnInvalidContentInfo)
{
    const Bytes der = tlv(0x30, {kDataType, tlv(0xA1, {kOctets})});
    EncodingOf encoding(der);
    EXPECT_EQ(decodingFailure([&] { CASN1_ContentInfo info(*encoding); }), "ContentInfo contents is not valid");
}

}  // namespace
