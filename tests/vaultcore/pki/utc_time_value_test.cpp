// The time value: parsing the UTCTime forms, validity, printing, stepping
// back a second, ordering and archiving.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "vaultcore/vaultcore.h"

namespace {

// year-month-day minutes:seconds zone/offset form
std::string fieldsOf(const CUTCTime& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d %d/%d %d", t.m_wYear, t.m_bMonth, t.m_bDay, t.m_wMinutes,
                  t.m_bSeconds, (int)t.m_nZone, t.m_wOffset, t.m_bForm);
    return text;
}

CUTCTime timeOf(const char* text)
{
    return CUTCTime(CString(text));
}

TEST(UTCTimeValue, SetupReadsEveryForm)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"9802041530Z", "1998-2-4 930:0 0/0 11"},
        {"980204153059Z", "1998-2-4 930:59 0/0 13"},
        {"9802041530-0500", "1998-2-4 930:0 2/300 15"},
        {"491231235959+0100", "2049-12-31 1439:59 1/60 17"},
        {"700101000000Z", "1970-1-1 0:0 0/0 13"},   // first year of the 1900s
        {"691231235959Z", "2069-12-31 1439:59 0/0 13"},  // last year of the 2000s
        {"9801021530Z0000", "1998-1-2 930:0 0/0 15"},  // 'Z' ignores the digits after it
    };
    for (const Case& c : cases) {
        CUTCTime t = timeOf(c.text);
        EXPECT_EQ(fieldsOf(t), c.expected);
        EXPECT_TRUE(t.IsValid()) << c.text;
    }
}

TEST(UTCTimeValue, UnsupportedLengthKeepsTheValue)
{
    CUTCTime t = timeOf("9802041530Z");
    for (unsigned char length : {0, 10, 12, 14, 16, 18})
        t.Setup("98020415300000000000", length);
    EXPECT_EQ(fieldsOf(t), "1998-2-4 930:0 0/0 11");
    // A text shorter than the length it claims is not read past its end.
    t.Setup("9802", 17);
    EXPECT_EQ(fieldsOf(t), "1998-2-4 930:0 0/0 11");
    // Built from a text of no form: the current time, as by default.
    CUTCTime fromBad = timeOf("98");
    EXPECT_TRUE(fromBad.IsValid());
    EXPECT_EQ(fromBad.m_bForm, 17);
}

TEST(UTCTimeValue, MalformedTextIsNotValid)
{
    for (const char* text : {"98a2041530Z", "9802041530X", "9802041530+01a0",
                             "9813041530Z", "9802042530Z", "9802041560Z", "980204153060Z",
                             "9802041530+2400", "980204153000-0060", "7a02041530Z", "9802041530+"})
        EXPECT_FALSE(timeOf(text).IsValid()) << text;
}

TEST(UTCTimeValue, DaysOfMonths)
{
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"9902290000Z", false},  // 1999 is not a leap year
        {"0002290000Z", true},   // 2000 is
        {"9802300000Z", false},
        {"9804300000Z", true},
        {"9804310000Z", false},
        {"9801000000Z", false},  // day 0
        {"9800010000Z", false},  // month 0
        {"9801320000Z", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(timeOf(c.text).IsValid() != 0, c.valid) << c.text;
}

TEST(UTCTimeValue, Texts)
{
    CUTCTime t = timeOf("980305140709-0500");
    EXPECT_STREQ(t.GetTimeAsString(TRUE, FALSE), "5 March, 1998, 14:07 09 sec -0500");
    EXPECT_STREQ(t.GetTimeAsString(FALSE, TRUE), "14:07 -0500");
    EXPECT_STREQ(timeOf("0012310905Z").GetTimeAsString(TRUE, FALSE), "31 December, 2000, 09:05 00 sec GMT");
    EXPECT_STREQ(timeOf("0001010000+0130").GetTimeAsString(FALSE, TRUE), "00:00 +0130");
    // Out-of-range months print without reading past the month names.
    EXPECT_STREQ(timeOf("9813010000Z").GetTimeAsString(FALSE, FALSE), "1 ?, 1998, 00:00 GMT");
}

TEST(UTCTimeValue, StepBackOneSecond)
{
    struct Case {
        const char* from;
        const char* expected;
    } cases[] = {
        {"980301000100Z", "1998-3-1 0:59 0/0 13"},
        {"980302000000Z", "1998-3-1 1439:59 0/0 13"},
        {"980301000000Z", "1998-2-28 1439:59 0/0 13"},
        {"960301000000Z", "1996-2-29 1439:59 0/0 13"},
        {"980501000000Z", "1998-4-30 1439:59 0/0 13"},
        {"980101000000+0100", "1997-12-31 1439:59 1/60 17"},
        {"000101000000Z", "1999-12-31 1439:59 0/0 13"},
    };
    for (const Case& c : cases) {
        CUTCTime t = timeOf(c.from);
        --t;
        EXPECT_EQ(fieldsOf(t), c.expected);
        EXPECT_TRUE(t.IsValid()) << c.from;
    }
}

TEST(UTCTimeValue, Ordering)
{
    struct Case {
        const char* a;
        const char* b;
        int order;  // -1: a earlier, 0: same instant, 1: a later
    } cases[] = {
        {"980101000000Z", "980101000001Z", -1},
        {"971231235959Z", "980101000000Z", -1},
        {"491231235959Z", "700101000000Z", 1},    // 2049 is after 1970
        {"980101100000+0100", "980101093000Z", -1},  // 09:00 UTC
        {"980101100000-0100", "980101103000Z", 1},   // 11:00 UTC
        {"980101100000+0100", "980101090000Z", 0},
        {"980102003000+0100", "980101234500Z", -1},  // 23:30 UTC the day before
        {"980101233000-0100", "980102000000Z", 1},   // 00:30 UTC the next day
    };
    for (const Case& c : cases) {
        CUTCTime a = timeOf(c.a), b = timeOf(c.b);
        std::string why = std::string(c.a) + " vs " + c.b;
        EXPECT_EQ((a < b) != 0, c.order < 0) << why;
        EXPECT_EQ((a > b) != 0, c.order > 0) << why;
        EXPECT_EQ((a <= b) != 0, c.order <= 0) << why;
        EXPECT_EQ((a >= b) != 0, c.order >= 0) << why;
        EXPECT_EQ((b < a) != 0, c.order > 0) << why;
    }
    // Equality is field by field, the form aside.
    EXPECT_TRUE(timeOf("9801011000Z") == timeOf("980101100000Z"));
    EXPECT_FALSE(timeOf("980101100000+0100") == timeOf("980101090000Z"));
    EXPECT_FALSE(timeOf("980101100000+0100") == timeOf("980101100000-0100"));
}

std::string archived(const CUTCTime& t)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        const_cast<CUTCTime&>(t).Serialize(ar);
        ar.Close();
    }
    return std::string((const char*)file.GetBufferPointer(), file.GetLength());
}

bool loadFails(std::string bytes, CUTCTime& into)
{
    CMemFile file((BYTE*)bytes.data(), (UINT)bytes.size());
    CArchive ar(&file, CArchive::load);
    try {
        into.Serialize(ar);
    } catch (CArchiveException* e) {
        bool generic = e->m_cause == CArchiveException::genericException;
        e->Delete();
        return generic;
    }
    return false;
}

TEST(UTCTimeValue, ArchiveRoundTrip)
{
    CUTCTime t = timeOf("491231235959-0130");
    std::string bytes = archived(t);
    const std::string expected("\x00\x01\x08\x0C\x1F\x9F\x05\x3B\x02\x00\x5A\x00\x11", 13);
    EXPECT_EQ(bytes, expected);

    CUTCTime back = timeOf("9801010000Z");
    {
        CMemFile file((BYTE*)bytes.data(), (UINT)bytes.size());
        CArchive ar(&file, CArchive::load);
        back.Serialize(ar);
    }
    EXPECT_EQ(fieldsOf(back), fieldsOf(t));
    EXPECT_EQ(archived(back), bytes);

    // Format byte 1, month 13, form 12: refused, the value kept.
    CUTCTime keep = timeOf("9801010000Z");
    for (auto [index, value] : {std::pair<int, char>{0, 1}, {3, 13}, {12, 12}}) {
        std::string bad = bytes;
        bad[index] = value;
        EXPECT_TRUE(loadFails(bad, keep)) << index;
    }
    EXPECT_EQ(fieldsOf(keep), "1998-1-1 0:0 0/0 11");

    CObject* made = CRuntimeClass::CreateObject("CUTCTime");
    EXPECT_TRUE(made && made->IsKindOf(RUNTIME_CLASS(CUTCTime)));
    delete made;
}

TEST(UTCTimeValue, CurrentTimeCarriesTheStandardOffset)
{
    struct Case {
        const char* tz;
        int zone, offset;
    } cases[] = {{"UTC0", 0, 0}, {"EST5EDT", 2, 300}, {"IST-5:30", 1, 330}, {"CET-1CEST", 1, 60}};
    const char* saved = std::getenv("TZ");
    std::string old = saved ? saved : "";
    for (const Case& c : cases) {
        setenv("TZ", c.tz, 1);
        CUTCTime now;
        EXPECT_TRUE(now.IsValid()) << c.tz;
        EXPECT_EQ(now.m_bForm, 17);
        EXPECT_EQ(now.m_nZone, c.zone) << c.tz;
        EXPECT_EQ(now.m_wOffset, c.offset) << c.tz;
    }
    if (saved)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
