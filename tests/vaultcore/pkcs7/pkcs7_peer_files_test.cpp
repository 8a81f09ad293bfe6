// Messages openssl made (tests/data/pkcs7, see its README): they decode,
// validate and re-encode to the same bytes, and the parts the accessors
// hand out are what a host needs to check signatures and open envelopes.
#include <gtest/gtest.h>

#include "vaultcore/pkcs7/pkcs7_test_support.h"

namespace {

struct Message {
    explicit Message(const std::string& name) : der(readFileBytes(pkcs7Data(name)))
    {
        EncodingOf encoding(der);
        info = std::make_unique<CASN1_ContentInfo>(*encoding);
    }
    Bytes der;
    std::unique_ptr<CASN1_ContentInfo> info;
};

Bytes sha1Of(const Bytes& octets)
{
    CSHA1DigestMaker maker;
    maker.UpdateBlock(octets.data(), (int)octets.size(), nullptr, 1);
    Bytes digest(20);
    maker.GetCurrentDigest(digest.data());
    return digest;
}

Bytes clearOctets(const CASN1Type& value)
{
    CByteArray octets;
    value.GetClearData(octets, TRUE);
    return Bytes(octets.GetData(), octets.GetData() + octets.GetSize());
}

CRSAPublicKey keyOf(const CASN1_Certificate& certificate)
{
    CCertificate record;
    certificate.SetDataTo(record);
    CRSAPublicKey key;
    record.SetDataTo(key);
    return key;
}

TEST(PKCS7PeerFiles, DecodeValidateAndReencodeToTheSameBytes)
{
    using Validator = BOOL (*)(const CASN1Type*, int);
    const struct {
        const char* file;
        Validator contentIsValid;
    } files[] = {
        {"crl2pkcs7.der", CASN1_SignedData::isValid},           {"signed_attributes.der", CASN1_SignedData::isValid},
        {"signed_no_attributes.der", CASN1_SignedData::isValid}, {"signed_detached.der", CASN1_SignedData::isValid},
        {"signed_streamed.der", CASN1_SignedData::isValid},     {"enveloped_des.der", CASN1_EnvelopedData::isValid},
        {"enveloped_des3.der", CASN1_EnvelopedData::isValid},   {"enveloped_rc2-40.der", CASN1_EnvelopedData::isValid},
        {"enveloped_rc2-64.der", CASN1_EnvelopedData::isValid}, {"enveloped_rc2-128.der", CASN1_EnvelopedData::isValid},
        {"digested.der", CASN1_DigestedData::isValid},          {"encrypted.der", CASN1_EncryptedData::isValid},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        std::unique_ptr<Message> message;
        ASSERT_EQ(decodingFailure([&] { message = std::make_unique<Message>(f.file); }), "");
        EXPECT_TRUE(f.contentIsValid(&message->info->GetContent(), 0));
        EXPECT_EQ(bytesOf(*message->info), message->der);
    }
}

TEST(PKCS7PeerFiles, Crl2pkcs7YieldsItsCertificatesAndList)
{
    Message message("crl2pkcs7.der");
    CASN1_SignedData& signedData = message.info->GetContentAs<CASN1_SignedData>();
    ASSERT_TRUE(signedData.IsCertificates());
    ASSERT_TRUE(signedData.IsCRLs());
    EXPECT_FALSE(signedData.GetContentInfo().IsContent());
    EXPECT_EQ(signedData.GetSignerInfos().getComponentCount(), 0);
    std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> certificates(signedData.GetCertificates(FALSE));
    ASSERT_EQ(certificates->getComponentCount(), 2);
    EXPECT_EQ(bytesOf(certificates->getComponent(0)), readFileBytes(x509Data("ee_1024_sha1.der")));
    EXPECT_EQ(bytesOf(certificates->getComponent(1)), readFileBytes(x509Data("ca_2048_sha1.der")));
    std::unique_ptr<CASN1_CertificateRevocationLists> lists(signedData.GetCRLs(FALSE));
    ASSERT_EQ(lists->getComponentCount(), 1);
    EXPECT_EQ(bytesOf(lists->getComponent(0)), readFileBytes(std::string(VC_TEST_DATA) + "/crl/crl_2048_sha1.der"));
}

// What a host does to check an S/MIME signature, with the parts the
// accessors give: the digest of the content (or of the authenticated
// attributes encoded as a SET) against the one the signer's key unlocks.
TEST(PKCS7PeerFiles, SmimeSignaturesCheckWithTheHandedOutParts)
{
    const Bytes content = readFileBytes(pkcs7Data("content.txt"));
    for (const char* file : {"signed_attributes.der", "signed_no_attributes.der", "signed_streamed.der"}) {
        SCOPED_TRACE(file);
        Message message(file);
        CASN1_SignedData& signedData = message.info->GetContentAs<CASN1_SignedData>();
        EXPECT_EQ(clearOctets(signedData.GetContentInfo().GetContent()), content);
        std::unique_ptr<CASN1_ExtendedCertificatesAndCertificates> certificates(signedData.GetCertificates(FALSE));
        CASN1_SignerInfo& signer = signedData.GetSignerInfos().getComponent(0);
        ASSERT_TRUE(signer.get_issuerAndSerialNumber().Names(certificates->getComponent(0)));

        Bytes signedDigest = sha1Of(content);
        if (signer.IsAuthenticatedAttributes()) {
            std::unique_ptr<CASN1_Attributes> attributes(signer.GetAuthenticatedAttributes(FALSE));
            const int index = attributes->Find(CASN1_messageDigest());
            ASSERT_GE(index, 0);
            EXPECT_EQ(clearOctets(*attributes->getComponent(index).GetValues().getComponentAt(0)), signedDigest);
            CSHA1DigestMaker maker;
            signer.get_authenticatedAttributes().digestEncoding(maker, 0, 1, 0x11);
            maker.GetCurrentDigest(signedDigest.data());
        }
        CByteArray signature;
        signer.GetEncryptedDigest().GetClearData(signature, TRUE);
        const CRSAPublicKey key = keyOf(certificates->getComponent(0));
        Bytes recovered(20);
        key.UnlockDigest(eSHA1, signature, recovered.data(), key.GetBits());
        EXPECT_EQ(recovered, signedDigest);
    }
}

TEST(PKCS7PeerFiles, DigestedAndEncryptedDataHoldTheContent)
{
    const Bytes content = readFileBytes(pkcs7Data("content.txt"));
    Message digested("digested.der");
    Bytes digest(20);
    EXPECT_TRUE(digested.info->GetContentAs<CASN1_DigestedData>().GetDigest(digest.data(), 20));
    EXPECT_EQ(digest, sha1Of(content));

    Message encrypted("encrypted.der");
    CASN1_EncryptedContentInfo& info = encrypted.info->GetContentAs<CASN1_EncryptedData>().get_encryptedContentInfo();
    const Bytes iv = clearOctets(info.get_contentEncryptionAlgorithm().get_parameters());
    const Bytes cipher = clearOctets(*std::unique_ptr<CASN1_OCTET_STRING>(info.GetEncryptedContent(TRUE)));
    EXPECT_EQ(info.get_encryptedContent().getClearContentsLength(), 0UL);  // taken
    CTripleDESkey key;
    key.Set(hexBytes("000102030405060708090A0B0C0D0E0F1011121314151617").data(), 24);
    CTripleDESAlgorithm algorithm(key, 0, iv.data());
    Bytes plain(cipher.size());
    plain.resize(algorithm.DecryptFinal(cipher.data(), (unsigned long)cipher.size(), plain.data(), nullptr));
    EXPECT_EQ(plain, content);
}

}  // namespace
