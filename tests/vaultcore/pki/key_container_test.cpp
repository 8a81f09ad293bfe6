// Key containers: named keys with their certificates and owner, through
// their DER and back; the validation rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vaultcore/pki/pki_test_support.h"

namespace {

CRSAPrivateKey storedKey(const char* file)
{
    return privateKeyFile(x509Data(file));
}

Bytes derOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return Bytes(bytes.GetData(), bytes.GetData() + bytes.GetSize());
}

TEST(KeyContainer, EntriesRoundTripThroughDer)
{
    const CRSAPrivateKey ownKey = storedKey("ee1024.key");
    const Bytes certificate = readFileBytes(x509Data("ee_1024_sha1.der"));
    const CCertificate record = certificateOf(certificate);

    CASN1_KCDNs list;
    auto* own = new CASN1_RSAKeyWithCertsAndDistinguishedName(ownKey, "Bob's mail key", &record.m_owner);
    EncodingOf encoding(certificate);
    own->AddCertificate(new CASN1_Certificate(*encoding));
    list.AddObject(own);
    const CRSAPublicKey peerKey = storedKey("ee512.key");
    list.AddObject(new CASN1_RSAKeyWithCertsAndDistinguishedName(peerKey, "Ann", nullptr));
    EXPECT_EQ(own->getComponentCount(), 5);
    EXPECT_TRUE(own->IsPrivateKey() && own->IsDistinguishedName());
    EXPECT_EQ(list.getComponent(1).getComponentCount(), 4);
    EXPECT_FALSE(list.getComponent(1).IsPrivateKey() || list.getComponent(1).IsDistinguishedName());

    const Bytes der = derOf(list);
    EncodingOf stored(der);
    const CASN1_KCDNs back(*stored);
    ASSERT_EQ(back.getComponentCount(), 2);
    EXPECT_EQ(back.Find("Ann"), 1);
    EXPECT_EQ(back.Find("ann"), -1);
    const CASN1_RSAKeyWithCertsAndDistinguishedName& first = back.getComponent(back.Find("Bob's mail key"));
    CRSAPrivateKey privateKey;
    first.GetPrivateKey(privateKey);
    EXPECT_EQ(std::memcmp(privateKey.GetPrivateExponent(), ownKey.GetPrivateExponent(), 256), 0);
    EXPECT_EQ(std::memcmp(privateKey.GetCoefficient(), ownKey.GetCoefficient(), 128), 0);
    CRSAPublicKey publicHalf;
    first.GetPublicKey(publicHalf);
    EXPECT_TRUE(publicHalf == static_cast<const CRSAPublicKey&>(ownKey));
    CDistinguishedName owner;
    first.GetDistinguishedName(owner);
    EXPECT_TRUE(owner == record.m_owner);
    ASSERT_EQ(first.GetCertificateCount(), 1);
    EXPECT_EQ(derOf(first.GetCertificate(0)), certificate);
    EXPECT_NE(decodingFailure([&] { first.GetCertificate(1); }), "");

    const CASN1_RSAKeyWithCertsAndDistinguishedName& second = back.getComponent(1);
    CRSAPublicKey publicKey;
    second.GetPublicKey(publicKey);
    EXPECT_TRUE(publicKey == peerKey);
    EXPECT_STREQ(second.GetName(), "Ann");
    // A public-key entry has no private key and no owner to give.
    CRSAPrivateKey none;
    EXPECT_NE(decodingFailure([&] { second.GetPrivateKey(none); }), "");
    EXPECT_NE(decodingFailure([&] { second.GetDistinguishedName(owner); }), "");
}

TEST(KeyContainer, Validation)
{
    const CRSAPublicKey key = storedKey("ee512.key");
    // Version, key and name as a built entry has them, then what follows.
    const Bytes entry = derOf(CASN1_RSAKeyWithCertsAndDistinguishedName(key, "A", nullptr));
    const size_t header = (entry[1] & 0x80) ? 2 + (entry[1] & 0x7F) : 2;
    const std::string body = hexOf(Bytes(entry.begin() + (long)header, entry.end()));
    const std::string head = body.substr(0, body.find("04 01 41") + 8);
    const struct {
        const char* reason;
        std::string body;
        bool valid;
    } cases[] = {
        {"as built", head + " 30 00", true},
        {"with an owner", head + " 30 00 30 0D 31 0B 30 09 06 03 55 04 06 13 02 44 45", true},
        {"empty name", std::string(head).replace(head.find("04 01 41"), 8, "04 00") + " 30 00", false},
        {"version 1", "02 01 01" + head.substr(8) + " 30 00", false},
        {"no certificates", head, false},
        {"a certificate that is not one", head + " 30 02 05 00", false},
        {"a SET of certificates", head + " 31 00", false},
        {"an owner that is not a name", head + " 30 00 30 02 05 00", false},
        {"a sixth component", head + " 30 00 30 00 05 00", false},
    };
    for (const auto& c : cases) {
        const Bytes body = hexBytes(c.body);
        Bytes der = {0x30, 0x81, (unsigned char)body.size()};
        der.insert(der.end(), body.begin(), body.end());
        std::unique_ptr<CASN1Type> value = decodeGeneric(der);
        ASSERT_TRUE(value) << c.reason;
        EXPECT_EQ(CASN1_RSAKeyWithCertsAndDistinguishedName::isValid(value.get(), 0) != 0, c.valid) << c.reason;
        // In a list, the list is refused with its own message.
        Bytes list = {0x30, 0x81, (unsigned char)der.size()};
        list.insert(list.end(), der.begin(), der.end());
        EncodingOf encoding(list);
        EXPECT_EQ(decodingFailure([&] { CASN1_KCDNs kcdns(*encoding); }),
                  c.valid ? "" : "CASN1_KCDNs contents is not valid")
            << c.reason;
    }
    EncodingOf empty(hexBytes("30 00"));
    EXPECT_EQ(decodingFailure([&] { CASN1_KCDNs kcdns(*empty); }), "");
}

}  // namespace
