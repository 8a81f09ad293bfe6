// Building PKCS #7 structures the way a host does, the rules of the Set,
// Get and take operations, and accessors on structures that lack what
// they ask for.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "vaultcore/pkcs7/pkcs7_test_support.h"

namespace {
using namespace pkcs7_parts;

std::unique_ptr<CASN1_Certificate> certificate()
{
    const Bytes der = readFileBytes(x509Data("ee_1024_sha1.der"));
    EncodingOf encoding(der);
    return std::make_unique<CASN1_Certificate>(*encoding);
}

CASN1_SignedData* newSignedData()
{
    return new CASN1_SignedData(new CASN1_ContentInfo(new CASN1_data));
}

TEST(PKCS7Building, ContentInfoOfATypeOnlyIsWrittenWithIndefiniteLength)
{
    CASN1_ContentInfo info(new CASN1_data);
    EXPECT_EQ(encodingOf(info), "30 80 06 09 2A 86 48 86 F7 0D 01 07 01 00 00");
    EXPECT_TRUE(CASN1_ContentInfo::isValid(&info, 0));
    EXPECT_FALSE(info.IsContent());
}

// The two building constructors: a value whose class derives from
// CASN1_TAGGED is adopted as the [0] itself unless the caller says it is
// content to wrap.
TEST(PKCS7Building, OctetStringContentIsWrappedOnlyThroughTheTypeOverload)
{
    const unsigned char text[] = {'h', 'i'};
    CASN1_ContentInfo adopted(new CASN1_data, new CASN1_OCTET_STRING(text, 2));
    EXPECT_FALSE(CASN1_ContentInfo::isValid(&adopted, 0));  // the second component is 04, not [0]

    CASN1_ContentInfo wrapped(new CASN1_data, static_cast<CASN1Type*>(new CASN1_OCTET_STRING(text, 2)));
    wrapped.setIndefinite(FALSE);
    EXPECT_EQ(encodingOf(wrapped), "30 11 06 09 2A 86 48 86 F7 0D 01 07 01 A0 04 04 02 68 69");
    EXPECT_TRUE(CASN1_ContentInfo::isValid(&wrapped, 0));
    EXPECT_EQ(hexOf(bytesOf(wrapped.GetContentAs<CASN1_OCTET_STRING>())), "04 02 68 69");
    wrapped.DeleteContent();
    EXPECT_FALSE(wrapped.IsContent());
}

TEST(PKCS7Building, CertificatesAreInsertedFourthThenReplacedAndListsFollowThem)
{
    std::unique_ptr<CASN1_SignedData> message(newSignedData());
    ASSERT_EQ(message->getComponentCount(), 4);
    CASN1_ExtendedCertificatesAndCertificates certificates;
    certificates.AddObject(certificate().release());
    message->SetCertificates(certificates);
    EXPECT_EQ(certificates.getComponentCount(), 1);  // copied, not moved
    EXPECT_EQ(message->getComponentCount(), 5);
    EXPECT_TRUE(message->IsCertificates());
    EXPECT_FALSE(message->IsCRLs());
    EXPECT_EQ(&message->GetSignerInfos(), message->getComponentAt(4));

    CASN1_ExtendedCertificatesAndCertificates none;
    message->SetCertificates(none);
    EXPECT_EQ(message->getComponentCount(), 5);
    EXPECT_EQ(std::unique_ptr<CASN1_SET>(message->GetCertificates(FALSE))->getComponentCount(), 0);

    CASN1_CertificateRevocationLists lists;
    message->SetCRLs(lists);
    EXPECT_EQ(message->getComponentCount(), 6);
    EXPECT_TRUE(message->IsCRLs());
    EXPECT_EQ(message->getComponentAt(4)->getIdentifier(), 0x81);
    EXPECT_TRUE(CASN1_SignedData::isValid(message.get(), 0));
}

TEST(PKCS7Building, SignedAndEnvelopedDataKeepsItsSetsOnePositionLater)
{
    CASN1_SignedAndEnvelopedData message(new CASN1_EncryptedContentInfo(
        new CASN1_data, new CASN1_AlgorithmIdentifier(new CASN1_DES_CBC, nullptr), nullptr));
    ASSERT_EQ(message.getComponentCount(), 5);
    CASN1_CertificateRevocationLists lists;
    message.SetCRLs(lists);
    CASN1_ExtendedCertificatesAndCertificates certificates;
    certificates.AddObject(certificate().release());
    message.SetCertificates(certificates);
    message.AddSignerInfo(new CASN1_SignerInfo(new CASN1_IssuerAndSerialNumber(*certificate()),
                                               new CASN1_AlgorithmIdentifier(new CASN1_sha1, nullptr),
                                               new CASN1_AlgorithmIdentifier(new CASN1_rsaEncryption, nullptr),
                                               new CASN1_OCTET_STRING));
    EXPECT_EQ(message.getComponentCount(), 7);
    EXPECT_EQ(message.getComponentAt(4)->getIdentifier(), 0x80);
    EXPECT_EQ(message.getComponentAt(5)->getIdentifier(), 0x81);
    EXPECT_TRUE(message.IsCertificates() && message.IsCRLs());
    EXPECT_EQ(message.GetSignerInfos().getComponentCount(), 1);
    EXPECT_TRUE(CASN1_SignedAndEnvelopedData::isValid(&message, 0));
}

TEST(PKCS7Building, TakingCertificatesEmptiesTheirComponentCopyingLeavesIt)
{
    std::unique_ptr<CASN1_SignedData> message(newSignedData());
    CASN1_ExtendedCertificatesAndCertificates certificates;
    certificates.AddObject(certificate().release());
    message->SetCertificates(certificates);
    const Bytes before = bytesOf(*message);

    std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> copy(message->GetCertificates(FALSE));
    EXPECT_EQ(bytesOf(*message), before);
    std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> taken(message->GetCertificates(TRUE));
    EXPECT_EQ(bytesOf(*taken), bytesOf(*copy));
    EXPECT_FALSE(taken->isClearAfterGet());
    EXPECT_EQ(hexOf(bytesOf(*message->getComponentAt(3))), "A0 00");
    EXPECT_TRUE(message->IsCertificates());
    EXPECT_EQ(taken->getComponent(0).GetSubject().getComponentCount(), 6);
}

TEST(PKCS7Building, SignerAttributesGoFourthAndLast)
{
    CASN1_SignerInfo signer(new CASN1_IssuerAndSerialNumber(*certificate()),
                            new CASN1_AlgorithmIdentifier(new CASN1_sha1, new CASN1_NULL),
                            new CASN1_AlgorithmIdentifier(new CASN1_rsaEncryption, new CASN1_NULL),
                            new CASN1_OCTET_STRING(reinterpret_cast<const unsigned char*>("sig"), 3));
    EXPECT_FALSE(signer.IsAuthenticatedAttributes());
    CASN1_Attributes attributes;
    attributes.AddObject(new CASN1_Attribute(new CASN1_contentType, new CASN1_SET));
    signer.SetUnauthenticatedAttributes(attributes);
    signer.SetAuthenticatedAttributes(attributes);
    signer.SetAuthenticatedAttributes(attributes);
    EXPECT_EQ(signer.getComponentCount(), 7);
    EXPECT_TRUE(signer.IsAuthenticatedAttributes());
    EXPECT_TRUE(signer.IsUnauthenticatedAttributes());
    EXPECT_TRUE(CASN1_SignerInfo::isValid(&signer, 0));
    EXPECT_EQ(hexOf(bytesOf(signer.GetEncryptedDigest())), "04 03 73 69 67");
    std::unique_ptr<CASN1_Attributes> taken(signer.GetAuthenticatedAttributes(TRUE));
    EXPECT_EQ(taken->Find(CASN1_contentType()), 0);
    EXPECT_EQ(std::unique_ptr<CASN1_Attributes>(signer.GetAuthenticatedAttributes(FALSE))->getComponentCount(), 0);
}

TEST(PKCS7Building, DigestIsHandedOutOnlyAtItsLength)
{
    unsigned char digest[20];
    for (int i = 0; i < 20; ++i)
        digest[i] = (unsigned char)i;
    CASN1_DigestedData message(CASN1_AlgorithmIdentifier(new CASN1_sha1, new CASN1_NULL),
                               new CASN1_ContentInfo(new CASN1_data), digest, 20);
    EXPECT_TRUE(CASN1_DigestedData::isValid(&message, 0));
    unsigned char out[20];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_FALSE(message.GetDigest(out, 16));
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_TRUE(message.GetDigest(out, 20));
    EXPECT_EQ(std::memcmp(out, digest, 20), 0);
}

TEST(PKCS7Building, EnvelopedDataOfBuiltPartsDecodesToTheSameBytes)
{
    const unsigned char cipher[] = {1, 2, 3, 4, 5, 6, 7, 8};
    auto* content = new CASN1_EncryptedContentInfo(new CASN1_data, new CASN1_AlgorithmIdentifier(new CASN1_DES_CBC, nullptr),
                                                   ___newEncryptedContent(cipher, sizeof cipher));
    CASN1_EnvelopedData enveloped(content);
    enveloped.AddRecipientInfo(new CASN1_RecipientInfo(new CASN1_IssuerAndSerialNumber(*certificate()),
                                                       new CASN1_AlgorithmIdentifier(new CASN1_rsaEncryption, nullptr),
                                                       new CASN1_OCTET_STRING(cipher, sizeof cipher)));
    ASSERT_TRUE(CASN1_EnvelopedData::isValid(&enveloped, 0));
    const Bytes der = bytesOf(enveloped);
    EncodingOf encoding(der);
    CASN1_EnvelopedData decoded(*encoding);
    EXPECT_EQ(bytesOf(decoded), der);
    EXPECT_TRUE(decoded.get_recipientInfos().getComponent(0).get_issuerAndSerialNumber().Names(*certificate()));
    CASN1_EncryptedContentInfo& info = decoded.get_encryptedContentInfo();
    EXPECT_EQ(hexOf(bytesOf(*std::unique_ptr<CASN1_OCTET_STRING>(info.GetEncryptedContent(FALSE)))),
              "04 08 01 02 03 04 05 06 07 08");
    info.ReleaseContent();
    EXPECT_FALSE(info.IsEncryptedContent());
}

// Accessors assume a valid structure; on one that lacks the component they
// throw the decoding exception rather than read what is not there, and
// what they were to adopt is not leaked.
TEST(PKCS7Building, AccessorsOnIncompleteStructuresThrowTheDecodingException)
{
    CASN1_SignedData signedData;
    CASN1_SignerInfo signerInfo;
    CASN1_ContentInfo emptyWrapper(new CASN1_data, new CASN1_TAGGED(0x80, FALSE));
    CASN1_ContentInfo typeOnly(new CASN1_data);
    CASN1_ContentInfo data(new CASN1_data, static_cast<CASN1Type*>(new CASN1_OCTET_STRING));
    CASN1_EnvelopedData enveloped;
    CASN1_EncryptedContentInfo content(new CASN1_data, new CASN1_AlgorithmIdentifier(new CASN1_DES_CBC, nullptr), nullptr);
    CASN1_DigestedData digested;
    CASN1_ExtendedCertificatesAndCertificates set;
    unsigned char digest[20];
    const struct {
        const char* what;
        std::function<void()> call;
    } calls[] = {
        {"GetSignerInfos", [&] { signedData.GetSignerInfos(); }},
        {"GetContentInfo", [&] { signedData.GetContentInfo(); }},
        {"GetCertificates", [&] { delete signedData.GetCertificates(FALSE); }},
        {"GetCRLs", [&] { delete signedData.GetCRLs(TRUE); }},
        {"SetCertificates", [&] { signedData.SetCertificates(set); }},
        {"AddSignerInfo", [&] { signedData.AddSignerInfo(new CASN1_SignerInfo); }},
        {"GetEncryptedDigest", [&] { signerInfo.GetEncryptedDigest(); }},
        {"GetAuthenticatedAttributes", [&] { delete signerInfo.GetAuthenticatedAttributes(FALSE); }},
        {"SetAuthenticatedAttributes", [&] { signerInfo.SetAuthenticatedAttributes(set); }},
        {"GetContent of an empty [0]", [&] { emptyWrapper.GetContent(); }},
        {"GetContent without content", [&] { typeOnly.GetContent(); }},
        {"GetContentAs of another class", [&] { data.GetContentAs<CASN1_SignedData>(); }},
        {"AddRecipientInfo", [&] { enveloped.AddRecipientInfo(new CASN1_RecipientInfo); }},
        {"GetEncryptedContent", [&] { delete content.GetEncryptedContent(FALSE); }},
        {"GetDigest", [&] { digested.GetDigest(digest, 20); }},
    };
    for (const auto& c : calls)
        EXPECT_TRUE(throwsAndDeletes<CDERDecodingException>(c.call)) << c.what;
    EXPECT_FALSE(signedData.IsCertificates());
    EXPECT_FALSE(signerInfo.IsUnauthenticatedAttributes());
    EXPECT_EQ(data.GetContent().getIdentifier(), 0x04);  // lent out and given back
}

}  // namespace
