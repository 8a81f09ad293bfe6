// The universal types: constructors, decoding checks with their messages,
// validators and clear contents.
#include <unistd.h>

#include "support/der_helpers.h"

namespace {

template <class T>
std::string decodeInto(T& value, const char* hex)
{
    EncodingOf encoding(hexBytes(hex));
    return decodingFailure([&] { value.decodeFrom(*encoding); });
}

TEST(Integer, FromUnsignedLong)
{
    struct Case {
        unsigned long value;
        const char* encoding;
    } cases[] = {
        {0, "02 01 00"},
        {0x7F, "02 01 7F"},
        {0x80, "02 02 00 80"},
        {0xFF, "02 02 00 FF"},
        {0x100, "02 02 01 00"},
        {0x12345678, "02 04 12 34 56 78"},
        {0x80000000UL, "02 05 00 80 00 00 00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodingOf(CASN1_INTEGER(c.value)), c.encoding) << c.value;
}

TEST(Integer, FromMagnitude)
{
    struct Case {
        const char* magnitude;
        const char* contents;
    } cases[] = {
        {"00 00 FF", "02 02 00 FF"},
        {"FF", "02 02 00 FF"},
        {"", "02 01 00"},
        {"00 00", "02 01 00"},
        {"01 02", "02 02 01 02"},
    };
    for (const auto& c : cases) {
        Bytes magnitude = hexBytes(c.magnitude);
        EXPECT_EQ(encodingOf(CASN1_INTEGER(magnitude.data(), (unsigned short)magnitude.size())), c.contents)
            << c.magnitude;
    }
    Bytes longMagnitude(300, 0x01);
    CASN1_INTEGER big(longMagnitude.data(), (unsigned short)longMagnitude.size());
    EXPECT_EQ(big.contentsLength(), 256u);  // low-order 256 octets kept
}

TEST(Integer, ClearContentsAndGetInteger)
{
    CASN1_INTEGER value(0x80);
    EXPECT_EQ(value.getClearContentsLength(), 1u);
    CByteArray clear;
    value.GetClearData(clear, TRUE);
    EXPECT_EQ(hexOf(clear), "80");
    unsigned long number = 0;
    EXPECT_TRUE(value.GetInteger(number));
    EXPECT_EQ(number, 128u);

    CASN1_INTEGER wide;
    EXPECT_EQ(decodeInto(wide, "02 05 01 00 00 00 00"), "");
    EXPECT_FALSE(wide.GetInteger(number));
    CASN1_INTEGER padded;
    EXPECT_EQ(decodeInto(padded, "02 05 00 FF FF FF FF"), "");
    EXPECT_TRUE(padded.GetInteger(number));
    EXPECT_EQ(number, 0xFFFFFFFFUL);
}

TEST(Boolean, DecodingChecks)
{
    struct Case {
        const char* bytes;
        const char* message;
    } cases[] = {
        {"01 01 00", ""},
        {"01 01 FF", ""},
        {"01 01 01", "invalid data in BOOLEAN: m_pData[0] = 1"},
        {"01 02 FF FF", "invalid size of data in BOOLEAN. dwSize = 2"},
        {"01 00", "invalid size of data in BOOLEAN. dwSize = 0"},
    };
    for (const auto& c : cases) {
        CASN1_BOOLEAN value;
        EXPECT_EQ(decodeInto(value, c.bytes), c.message) << c.bytes;
    }
    EXPECT_EQ(encodingOf(CASN1_BOOLEAN(7)), "01 01 FF");
    EXPECT_FALSE(CASN1_BOOLEAN(0).GetBoolean());
}

TEST(BitString, FromBits)
{
    unsigned char five = 0x05;
    CASN1_BIT_STRING rightAligned(&five, 3, FALSE);
    EXPECT_EQ(encodingOf(rightAligned), "03 02 05 A0");
    EXPECT_EQ(rightAligned.m_dwBits, 3u);
    rightAligned.OnOffAlignLeft(FALSE);
    CByteArray clear;
    rightAligned.GetClearData(clear, FALSE);
    EXPECT_EQ(hexOf(clear), "05");
    rightAligned.GetClearData(clear, TRUE);
    EXPECT_EQ(hexOf(clear), "A0");

    unsigned char two[2] = {0x01, 0xFF};
    CASN1_BIT_STRING shifted(two, 12, FALSE);
    EXPECT_EQ(encodingOf(shifted), "03 03 04 1F F0");
    CASN1_BIT_STRING asIs(two, 12, TRUE);
    EXPECT_EQ(encodingOf(asIs), "03 03 04 01 FF");
}

TEST(BitString, DecodingChecks)
{
    struct Case {
        const char* bytes;
        const char* message;
        unsigned long bits;
    } cases[] = {
        {"03 01 00", "", 0},
        {"03 02 00 FF", "", 8},
        {"03 02 03 F8", "", 5},
        {"03 01 07", "Invalid data size in BIT STRING", 0},
        {"03 00", "Invalid data size in BIT STRING", 0},
        {"03 02 08 00", "Invalid number of padding bits in BIT STRING", 0},
        {"23 08 03 02 00 FF 03 02 04 F0", "", 12},
        {"23 08 03 02 04 F0 03 02 00 FF", "CASN1_BIT_STRING::addConstructedComponent - m_dwBits = 4", 0},
    };
    for (const auto& c : cases) {
        CASN1_BIT_STRING value;
        EXPECT_EQ(decodeInto(value, c.bytes), c.message) << c.bytes;
        if (!*c.message) {
            EXPECT_EQ(value.m_dwBits, c.bits) << c.bytes;
        }
    }
}

TEST(BitString, ConstructedClearContentsShiftAcrossSegments)
{
    CASN1_BIT_STRING value;
    ASSERT_EQ(decodeInto(value, "23 08 03 02 00 AB 03 02 04 C0"), "");
    CByteArray clear;
    value.GetClearData(clear, TRUE);
    EXPECT_EQ(hexOf(clear), "AB C0");
    value.GetClearData(clear, FALSE);
    EXPECT_EQ(hexOf(clear), "0A BC");  // 12 bits right-aligned
}

TEST(OctetString, FormsAndSources)
{
    EXPECT_EQ(encodingOf(CASN1_OCTET_STRING()), "24 00");
    EXPECT_EQ(encodingOf(CASN1_OCTET_STRING(CString("hi"))), "04 02 68 69");

    CASN1_OCTET_STRING segmented;
    ASSERT_EQ(decodeInto(segmented, "24 80 04 01 61 04 02 62 63 00 00"), "");
    CString text;
    segmented.GetString(text);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(encodingOf(segmented), "24 80 04 01 61 04 02 62 63 00 00");
}

TEST(OctetString, StreamsItsContentsFromAFile)
{
    char path[] = "/tmp/vc_octets_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "xxHELLOyy", 9), 9);
    close(fd);
    CFile* file = new CFile(path, CFile::modeRead);
    file->Seek(2, CFile::begin);
    {
        CASN1_OCTET_STRING value(file, 5, TRUE, TRUE);
        EXPECT_EQ(encodingOf(value), "04 05 48 45 4C 4C 4F");
    }
    EXPECT_NE(access(path, F_OK), 0);  // temporary: removed with the value
}

TEST(Null, DecodingChecks)
{
    CASN1_NULL value;
    EXPECT_EQ(decodeInto(value, "05 00"), "");
    EXPECT_EQ(decodeInto(value, "05 01 00"), "Encoded NULL value has invalid length");
}

TEST(ObjectIdentifier, BuildsAndPrints)
{
    CASN1_OBJECT_IDENTIFIER rsadsi(1, 2);
    rsadsi.AddIDComponent(840);
    rsadsi.AddIDComponent(113549);
    EXPECT_EQ(encodingOf(rsadsi), "06 06 2A 86 48 86 F7 0D");
    EXPECT_EQ(CString(rsadsi), "1.2.840.113549");
    EXPECT_EQ(encodingOf(CASN1_OBJECT_IDENTIFIER()), "06 01 00");

    CASN1_OBJECT_IDENTIFIER big(2, 5);
    big.AddIDComponent(0xFFFFFFFFUL);
    big.AddIDComponent(0);
    EXPECT_EQ(CString(big), "2.5.4294967295.0");

    CASN1_OBJECT_IDENTIFIER same(1, 2);
    same.AddIDComponent(840);
    EXPECT_FALSE(same == rsadsi);
    same.AddIDComponent(113549);
    EXPECT_TRUE(same == rsadsi);
}

TEST(ObjectIdentifier, DecodingChecks)
{
    struct Case {
        const char* bytes;
        const char* message;
        const char* dotted;
    } cases[] = {
        {"06 00", "Encoded OBJECT IDENTIFIER has invalid size", ""},
        {"06 01 78", "Encoded OBJECT IDENTIFIER value is not valid", ""},
        {"06 01 77", "", "2.39"},
        {"06 03 55 04 03", "", "2.5.4.3"},
        {"06 03 2A 86 48", "", "1.2.840"},
        {"06 02 2A 86", "", "1.2"},  // an arc that never ends adds nothing
    };
    for (const auto& c : cases) {
        CASN1_OBJECT_IDENTIFIER value;
        EXPECT_EQ(decodeInto(value, c.bytes), c.message) << c.bytes;
        if (!*c.message) {
            EXPECT_EQ(CString(value), c.dotted);
        }
    }
}

TEST(Enumerated, Validator)
{
    CASN1_ENUMERATED three(3);
    EXPECT_EQ(encodingOf(three), "0A 01 03");
    EXPECT_TRUE(CASN1_ENUMERATED::isValid(&three, FALSE));
    CASN1_INTEGER notEnumerated(3);
    EXPECT_FALSE(CASN1_ENUMERATED::isValid(&notEnumerated, FALSE));
    EXPECT_TRUE(CASN1_ENUMERATED::isValid(&notEnumerated, TRUE));

    CASN1_ENUMERATED ranged(7);
    ranged.m_lLowerBound = 0;
    ranged.m_lUpperBound = 5;
    EXPECT_FALSE(CASN1_ENUMERATED::isValid(&ranged, FALSE));

    Bytes six(6, 0x01);
    CASN1_INTEGER tooWide(six.data(), 6);
    EXPECT_FALSE(CASN1_ENUMERATED::isValid(&tooWide, TRUE));
}

TEST(CharacterStrings, DecodingChecks)
{
    CASN1_PrintableString printable;
    EXPECT_EQ(decodeInto(printable, "13 02 41 7F"), "PrintableString contents is not valid");
    EXPECT_EQ(decodeInto(printable, "13 02 41 42"), "");
    CASN1_IA5String ia5;
    EXPECT_EQ(decodeInto(ia5, "16 01 80"), "IA5String contents is not valid");
    EXPECT_EQ(decodeInto(ia5, "16 01 7F"), "");
    CASN1_BMPString bmp;
    EXPECT_EQ(decodeInto(bmp, "1E 03 00 41 00"), "BMPString contents is not valid");
    EXPECT_EQ(decodeInto(bmp, "1E 02 00 41"), "");
    CASN1_UniversalString universal;
    EXPECT_EQ(decodeInto(universal, "1C 02 00 41"), "UniversalString contents is not valid");
    CASN1_T61String t61;
    EXPECT_EQ(decodeInto(t61, "14 02 FF 00"), "");
    EXPECT_EQ(decodeInto(printable, "33 06 13 01 41 13 01 7F"), "PrintableString contents is not valid");
}

TEST(CharacterStrings, ValidatorsStreamConstructedAndTaggedValues)
{
    CASN1_PrintableString good((const unsigned char*)"Hello", 5);
    EXPECT_TRUE(CASN1_PrintableString::isValid(&good, FALSE));
    CASN1_PrintableString bad((const unsigned char*)"Hi\x01", 3);  // constructors do not check
    EXPECT_FALSE(CASN1_PrintableString::isValid(&bad, FALSE));
    EXPECT_FALSE(CASN1_IA5String::isValid(&good, FALSE));  // wrong identifier
    EXPECT_TRUE(CASN1_IA5String::isValid(&good, TRUE));

    Bytes longText(3000, 'a');
    longText[2900] = 0x80;
    auto tagged = decodeGeneric([&] {
        Bytes b = hexBytes("80 82 0B B8");
        b.insert(b.end(), longText.begin(), longText.end());
        return b;
    }());
    ASSERT_TRUE(tagged);
    EXPECT_FALSE(CASN1_IA5String::isValid(tagged.get(), TRUE));
    EXPECT_TRUE(CASN1_PrintableString::isValid(tagged.get(), TRUE) == FALSE);

    CASN1_BMPString odd((const unsigned char*)"abc", 3);
    EXPECT_FALSE(CASN1_BMPString::isValid(&odd, FALSE));
    CASN1_UniversalString four((const unsigned char*)"abcd", 4);
    EXPECT_TRUE(CASN1_UniversalString::isValid(&four, FALSE));
}

TEST(UTCTime, Validator)
{
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"9801021530Z", true},
        {"980102153000Z", true},
        {"9801021530+0100", true},
        {"980102153000+0100", true},
        {"980102153000-0100", true},
        {"98010215Z", false},
        {"9801021530X", false},
        {"98010215a0Z", false},
        {"980102153000+01a0", false},
        {"9801021530Z0000", false},      // 'Z' stands alone
        {"980102153000Z0000", false},
        {"9801021530+", false},          // a sign needs its offset
        {"980102153000-", false},
        {"", false},
    };
    for (const auto& c : cases) {
        CASN1_UTCTime value;
        CASN1_OCTET_STRING text((const unsigned char*)c.text, strlen(c.text));
        CASN1_TAGGED tagged;
        text.buildImplicitTAGGED(tagged);
        tagged.setIdentifier(23);
        ASSERT_TRUE(value.fromImplicit(tagged));
        EXPECT_EQ(CASN1_UTCTime::isValid(&value, FALSE) != 0, c.valid) << c.text;
    }
    CASN1_OCTET_STRING octets((const unsigned char*)"9801021530Z", 11);
    EXPECT_FALSE(CASN1_UTCTime::isValid(&octets, FALSE));
    EXPECT_TRUE(CASN1_UTCTime::isValid(&octets, TRUE));
}

}  // namespace
