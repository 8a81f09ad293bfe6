// DER made by the openssl command decodes with the generic decoder and
// re-encodes to the same bytes (see tests/data/der/README.md).
#include "support/der_helpers.h"

namespace {

class OpensslFile : public ::testing::TestWithParam<const char*> {};

TEST_P(OpensslFile, GenericDecodeReencodesByteForByte)
{
    Bytes der = readFileBytes(std::string(VC_TEST_DATA) + "/der/" + GetParam());
    ASSERT_FALSE(der.empty());
    EncodingOf encoding(der);
    std::unique_ptr<CASN1Type> value;
    ASSERT_EQ(decodingFailure([&] { value.reset(___buildFromEncoding(*encoding)); }), "");
    EXPECT_EQ(encoding->Seek(0, CFile::current), (long)der.size());
    CByteArray again;
    value->encodeTo(again);
    EXPECT_EQ(hexOf(again), hexOf(der));
    std::unique_ptr<CASN1Type> copy(value->clone());
    EXPECT_EQ(___cmp(*copy, *value), 0);
    CMemFile listing;
    value->Dump(0, &listing);
    EXPECT_GT(listing.GetLength(), der.size());
}

INSTANTIATE_TEST_SUITE_P(Files, OpensslFile,
                         ::testing::Values("sample_cert.der", "ca_cert.der", "crl.der", "pkcs7_signed.der",
                                           "pkcs7_certs.der", "pkcs10_request.der", "rsa_private_key.der"));

TEST(OpensslFile, EveryTruncationFailsCleanly)
{
    Bytes der = readFileBytes(std::string(VC_TEST_DATA) + "/der/ca_cert.der");
    for (size_t n = 0; n < der.size(); ++n) {
        Bytes cut(der.begin(), der.begin() + n);
        std::string message;
        EXPECT_FALSE(decodeGeneric(cut, &message)) << n;
        EXPECT_FALSE(message.empty()) << n;
    }
}

}  // namespace
