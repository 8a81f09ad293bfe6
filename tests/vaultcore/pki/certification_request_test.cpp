// Certification requests: openssl's requests validate, verify and are
// rebuilt octet for octet; hand-made requests at the validation rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vaultcore/pki/pki_test_support.h"

namespace {

Bytes requestFile(const std::string& name)
{
    const Bytes bytes = readFileBytes(std::string(VC_TEST_DATA) + "/pkcs/" + name);
    return bytes[0] == '-' ? pemBody(std::string(bytes.begin(), bytes.end())) : bytes;
}

Bytes derOf(const CASN1Type& value)
{
    CByteArray bytes;
    value.encodeTo(bytes);
    return Bytes(bytes.GetData(), bytes.GetData() + bytes.GetSize());
}

TEST(CertificationRequest, OpensslRequestsValidateVerifyAndRebuild)
{
    const struct {
        const char *file, *key, *subject;
        int attributes;
    } requests[] = {
        {"req_1024_sha1.der", "ee1024.key",
         "Country name: DE\r\nOrganization name: Vault Test\r\nOrganizational unit name: Mail\r\n"
         "Common name: Request Example\r\nE-mail address: request@example.com\r\n", 0},
        {"req_512_attributes.der", "ee512.key", "Country name: DE\r\nCommon name: Attribute Example\r\n", 2},
        {"req_2048_sha1.pem", "ee2048.key", "Common name: Plain Example\r\n", 0},
    };
    for (const auto& r : requests) {
        SCOPED_TRACE(r.file);
        const Bytes der = requestFile(r.file);
        EncodingOf encoding(der);
        const CASN1_CertificationRequest request(*encoding);
        const CASN1_CertificationRequestInfo& info = request.get_certificationRequestInfo();
        EXPECT_STREQ(CString(CDistinguishedName(info.get_subject())), r.subject);
        EXPECT_EQ(___signatureAlgorithmCode(request.get_signatureAlgorithm().get_algorithm()), eSHA1WithRSAEncryption);
        EXPECT_TRUE(requestSignatureVerifies(request));
        std::unique_ptr<CASN1_Attributes> attributes(info.GetAttributes());
        EXPECT_EQ(attributes->getComponentCount(), r.attributes);

        // Rebuilt from the subject, the key and the attributes and signed
        // with the same key: openssl's octets (PKCS #1 v1.5 signatures are
        // deterministic).
        const CRSAPrivateKey key = privateKeyFile(x509Data(r.key));
        auto* rebuilt = new CASN1_CertificationRequestInfo(new CASN1_RDNSequence(info.get_subject()),
                                                           new CASN1_SubjectPublicKeyInfo(key), *attributes);
        unsigned char digest[20];
        ___digestOfEncoding(*rebuilt, eSHA1, digest);
        CByteArray signature;
        key.LockDigest(eSHA1, digest, signature);
        const CASN1_CertificationRequest signed_(rebuilt, ___newSignatureAlgorithmIdentifier(eSHA1WithRSAEncryption),
                                                 new CASN1_BIT_STRING(signature.GetData(), 8 * signature.GetSize(), FALSE));
        EXPECT_EQ(hexOf(derOf(signed_)), hexOf(der));
    }
    EncodingOf encoding(requestFile("req_512_attributes.der"));
    const CASN1_CertificationRequest request(*encoding);
    std::unique_ptr<CASN1_Attributes> attributes(request.get_certificationRequestInfo().GetAttributes());
    const int password = attributes->Find(CASN1_ChallengePassword());
    ASSERT_GE(password, 0);
    CString text;
    attributes->getComponent(password).GetValues().getComponentAt(0)->GetString(text);
    EXPECT_STREQ(text, "secret words");
    EXPECT_GE(attributes->Find(CASN1_UnstructuredName()), 0);
}

TEST(CertificationRequest, Validation)
{
    EncodingOf encoding(requestFile("req_512_attributes.der"));
    const CASN1_CertificationRequest request(*encoding);
    const Bytes info = derOf(request.get_certificationRequestInfo());
    const std::string hex = hexOf(info);
    const size_t attributes = hex.find("A0 42");  // [0] with the two attributes
    ASSERT_NE(attributes, std::string::npos);
    const std::string attribute = "30 09 06 03 55 04 03 31 02 05 00";
    const struct {
        const char* reason;
        std::string attributes;
        bool valid;
    } cases[] = {
        {"as openssl made it", hex.substr(attributes), true},
        {"no attributes", "A0 00", true},
        {"[1] instead of [0]", "A1" + hex.substr(attributes + 2), false},
        {"attributes missing", "", false},
        {"an attribute without values", "A0 07 30 05 06 03 55 04 03", false},
        {"values in a SEQUENCE", "A0 0B 30 09 06 03 55 04 03 30 02 05 00", false},
        {"one attribute", "A0 0B " + attribute, true},
        {"a fifth component", "A0 00 05 00", false},
    };
    const std::string head = hex.substr(0, attributes);
    for (const auto& c : cases) {
        const Bytes body = hexBytes(head.substr(head.find("02 01 00")) + c.attributes);
        Bytes der = {0x30, 0x81, (unsigned char)body.size()};
        der.insert(der.end(), body.begin(), body.end());
        std::unique_ptr<CASN1Type> value = decodeGeneric(der);
        ASSERT_TRUE(value) << c.reason;
        EXPECT_EQ(CASN1_CertificationRequestInfo::isValid(value.get(), 0) != 0, c.valid) << c.reason;
    }
    // Version 1.
    std::string version1 = hex;
    version1.replace(version1.find("02 01 00"), 8, "02 01 01");
    std::unique_ptr<CASN1Type> v1 = decodeGeneric(hexBytes(version1));
    EXPECT_FALSE(CASN1_CertificationRequestInfo::isValid(v1.get(), 0));
    // The request around the info: three components, a BIT STRING last.
    const Bytes whole = requestFile("req_512_attributes.der");
    Bytes octetSignature = whole;
    octetSignature[whole.size() - 67] = 0x04;  // 03 41 00 ... -> OCTET STRING
    EncodingOf bad(octetSignature);
    EXPECT_EQ(decodingFailure([&] { CASN1_CertificationRequest refused(*bad); }),
              "CertificationRequest contents is not valid");
}

}  // namespace
