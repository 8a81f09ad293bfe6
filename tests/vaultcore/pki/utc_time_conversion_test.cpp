// UTCTime values and time values: both directions and the decoded dump line.
#include <gtest/gtest.h>

#include <string>

#include "vaultcore/vaultcore.h"

namespace {

CASN1_UTCTime utcTimeOf(const std::string& text)
{
    CASN1_UTCTime value;
    value.setContentsBytes((const unsigned char*)text.data(), (unsigned long)text.size());
    return value;
}

std::string textOf(const CASN1_UTCTime& value)
{
    CString text;
    value.GetString(text);
    return std::string(text, text.GetLength());
}

TEST(UTCTimeConversion, ReadingWidensToTheLongForm)
{
    struct Case {
        const char* text;
        const char* long_text;  // the same time written again: with seconds, 'Z' alone
    } cases[] = {
        {"9802041530Z", "980204153000Z"},
        {"980204153045Z", "980204153045Z"},
        {"9802041530+0100", "980204153000+0100"},
        {"491231235959-0130", "491231235959-0130"},
    };
    for (const Case& c : cases) {
        CUTCTime time(CString("0001010000Z"));
        utcTimeOf(c.text).SetDataTo(time);
        EXPECT_EQ(time.m_bForm, 17) << c.text;
        EXPECT_EQ(textOf(CASN1_UTCTime(time)), c.long_text);
    }
}

TEST(UTCTimeConversion, WritingKeepsTheForm)
{
    for (const char* text : {"9802041530Z", "980204153045Z", "9802041530+0100", "491231235959-0130",
                             "0002290000Z"}) {
        CASN1_UTCTime value(CUTCTime{CString(text)});
        EXPECT_EQ(textOf(value), text);
        EXPECT_FALSE(value.isConstructed());
        EXPECT_TRUE(CASN1_UTCTime::isValid(&value, FALSE)) << text;
    }
    // A constructed value is replaced by the primitive text.
    CASN1_UTCTime constructed;
    constructed.setConstructed(TRUE);
    constructed.AddObject(new CASN1_OCTET_STRING((const unsigned char*)"99", 2));
    constructed.GetDataFrom(CUTCTime(CString("9802041530Z")));
    EXPECT_EQ(constructed.getComponentCount(), 0);
    EXPECT_EQ(textOf(constructed), "9802041530Z");
}

// A GMT time is written with 'Z' alone whatever its form, and a time with
// an offset always with it: "...Z0000" or "...+" would be no UTCTime, and
// peers refuse certificates carrying them.
TEST(UTCTimeConversion, ZoneDecidesWhetherTheOffsetIsWritten)
{
    struct Case {
        int zone, offset, form;
        const char* text;
    } cases[] = {
        {CUTCTime::kZoneGMT, 0, 17, "980204153045Z"}, {CUTCTime::kZoneGMT, 0, 15, "9802041530Z"},
        {CUTCTime::kZonePlus, 60, 13, "980204153045+0100"}, {CUTCTime::kZoneMinus, 90, 11, "9802041530-0130"},
    };
    for (const Case& c : cases) {
        CUTCTime time(CString("980204153045Z"));
        time.m_nZone = c.zone;
        time.m_wOffset = (WORD)c.offset;
        time.m_bForm = (BYTE)c.form;
        CASN1_UTCTime value(time);
        EXPECT_EQ(textOf(value), c.text);
        EXPECT_TRUE(CASN1_UTCTime::isValid(&value, FALSE)) << c.text;
    }
}

TEST(UTCTimeConversion, RefusesWhatIsNotATime)
{
    for (const char* text : {"98020415Z", "9802041530X", "98a2041530Z", "9802041530+01a0", "", "9813041530Z",
                             "9802300000Z", "9802042500Z", "980204153061Z", "9802041530+2400"}) {
        CUTCTime time(CString("9801010000Z"));
        try {
            utcTimeOf(text).SetDataTo(time);
            ADD_FAILURE() << text;
        } catch (CDERDecodingException* e) {
            e->Delete();
            EXPECT_STREQ(___lastDERDecodingMessage(), "CASN1_UTCTime::SetDataTo - invalid contents");
        }
        EXPECT_EQ(time.m_wYear, 1998) << text;
    }
    CUTCTime bad(CString("9813010000Z"));
    CASN1_UTCTime value = utcTimeOf("9802041530Z");
    EXPECT_THROW(value.GetDataFrom(bad), CDERDecodingException*);
    EXPECT_EQ(textOf(value), "9802041530Z");
    CDERDecodingException::shared()->Delete();
}

std::string dumpOf(const CASN1Type& value, unsigned long indent)
{
    CMemFile file;
    value.Dump(indent, &file);
    return std::string((const char*)file.GetBufferPointer(), file.GetLength());
}

TEST(UTCTimeConversion, DumpLine)
{
    std::string text = dumpOf(utcTimeOf("980305140709-0500"), 2);
    std::string tail = "  UTCTime: 5 March, 1998, 14:07 09 sec -0500\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.substr(0, 22), "  <UNIV, UTCTime, P> S");

    for (const char* invalid : {"9802041530X", "9813041530Z", "98"}) {
        std::string listing = dumpOf(utcTimeOf(invalid), 0);
        EXPECT_EQ(listing.find("UTCTime:"), std::string::npos) << invalid;
        EXPECT_NE(listing.find("<UNIV, UTCTime, P>"), std::string::npos) << invalid;
    }
    // Nothing is written, and nothing fails, without a file or console.
    utcTimeOf("9802041530Z").Dump(0, nullptr);
}

}  // namespace
