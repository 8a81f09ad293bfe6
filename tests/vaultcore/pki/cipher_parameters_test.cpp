// RC2 parameters from openssl's S/MIME envelopes and RC5 parameters after
// their ASN.1 definition.
#include <gtest/gtest.h>

#include <string>

#include "support/der_helpers.h"

namespace {

TEST(CipherParameters, RC2ParametersCarryTheEffectiveKeyBits)
{
    for (unsigned short bits : {40, 64, 128}) {
        SCOPED_TRACE(bits);
        const Bytes der = readFileBytes(std::string(VC_TEST_DATA) + "/pkcs/rc2_" + std::to_string(bits) + ".der");
        EncodingOf encoding(der);
        CASN1_RC2AlgorithmParameter parameter(*encoding);
        unsigned short effective = 0;
        EXPECT_TRUE(parameter.GetEffectiveKeyBits(effective));
        EXPECT_EQ(effective, bits);
        EXPECT_EQ(parameter.GetIV().getClearContentsLength(), 8u);
        // Built from the bits and the IV: openssl's octets.
        CByteArray iv;
        parameter.GetIV().GetClearData(iv, TRUE);
        EXPECT_EQ(encodingOf(CASN1_RC2AlgorithmParameter(bits, iv.GetData(), (unsigned long)iv.GetSize())), hexOf(der));
    }
    const struct {
        const char* reason;
        const char* der;
        bool valid, known;
    } cases[] = {
        {"version 52, no size the library's RC2 has", "30 0D 02 01 34 04 08 01 02 03 04 05 06 07 08", true, false},
        {"version of five octets", "30 0E 02 05 01 00 00 00 3A 04 05 01 02 03 04 05", true, false},
        {"the IV alone (RFC 2268's other choice)", "04 08 01 02 03 04 05 06 07 08", false, false},
        {"IV first", "30 0D 04 08 01 02 03 04 05 06 07 08 02 01 3A", false, false},
    };
    for (const auto& c : cases) {
        EncodingOf encoding(hexBytes(c.der));
        unsigned short bits = 0;
        const std::string failure = decodingFailure([&] {
            CASN1_RC2AlgorithmParameter parameter(*encoding);
            EXPECT_EQ(parameter.GetEffectiveKeyBits(bits) != 0, c.known) << c.reason;
        });
        EXPECT_EQ(failure.empty(), c.valid) << c.reason << ": " << failure;
    }
}

TEST(CipherParameters, RC5Parameters)
{
    const struct {
        const char* reason;
        const char* der;
        bool valid, iv;
    } cases[] = {
        {"version 16, 12 rounds, 64 bits, no IV", "30 09 02 01 10 02 01 0C 02 01 40", true, false},
        {"version 15", "30 09 02 01 0F 02 01 0C 02 01 40", false, false},
        {"with an IV", "30 13 02 01 10 02 01 0C 02 01 40 04 08 01 02 03 04 05 06 07 08", true, true},
        {"a NULL in the IV's place", "30 0B 02 01 10 02 01 0C 02 01 40 05 00", false, false},
        {"later components are not examined", "30 10 02 01 10 02 01 0C 02 01 40 04 00 05 00 01 01 FF", true, true},
        {"two components", "30 06 02 01 10 02 01 0C", false, false},
        {"rounds as an OCTET STRING", "30 09 02 01 10 04 01 0C 02 01 40", false, false},
        {"version of five octets", "30 0D 02 05 01 00 00 00 10 02 01 0C 02 01 40", false, false},
        {"a SET", "31 09 02 01 10 02 01 0C 02 01 40", false, false},
    };
    for (const auto& c : cases) {
        EncodingOf encoding(hexBytes(c.der));
        const std::string failure = decodingFailure([&] {
            CASN1_RC5AlgorithmParameter parameter(*encoding);
            EXPECT_EQ(parameter.IsIV() != 0, c.iv) << c.reason;
            if (!c.iv) {
                EXPECT_NE(decodingFailure([&] { parameter.GetIV(); }), "") << c.reason;
            }
        });
        EXPECT_EQ(failure.empty(), c.valid) << c.reason << ": " << failure;
    }
    // The message of a SEQUENCE that is not valid.
    EncodingOf version15(hexBytes(cases[1].der));
    EXPECT_EQ(decodingFailure([&] { CASN1_RC5AlgorithmParameter parameter(*version15); }),
              "CASN1_RC5AlgorithmParameter contents is not valid");
    EncodingOf ivFirst(hexBytes("30 0D 04 08 01 02 03 04 05 06 07 08 02 01 3A"));
    EXPECT_EQ(decodingFailure([&] { CASN1_RC2AlgorithmParameter parameter(*ivFirst); }),
              "CASN1_RC2AlgorithmParameter contents is not valid");
    const unsigned char iv[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(encodingOf(CASN1_RC5AlgorithmParameter(12, 64, iv, 8)),
              "30 13 02 01 10 02 01 0C 02 01 40 04 08 01 02 03 04 05 06 07 08");
    EXPECT_EQ(encodingOf(CASN1_RC5AlgorithmParameter(16, 128, nullptr, 0)), "30 0A 02 01 10 02 01 10 02 02 00 80");
}

}  // namespace
