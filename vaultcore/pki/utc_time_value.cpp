#include "vaultcore/pki/utc_time_value.h"

#include <ctime>

IMPLEMENT_SERIAL(CUTCTime, CObject, 0)

namespace {
const BYTE kFormatVersion = 0;
const int kMinutesPerDay = 1440;

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// The calendar's leap rule: every fourth year (exact for 1901-2099, which
// holds every year a two-digit UTCTime can name).
bool isLeapYear(unsigned year)
{
    return year % 4 == 0;
}

unsigned daysInMonth(unsigned month, unsigned year)
{
    static const unsigned char kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isFormLength(unsigned length)
{
    return length == 11 || length == 13 || length == 15 || length == 17;
}

// The two-digit number at position, or -1 when either character is not a
// digit.
int twoDigits(const CString& text, int position)
{
    char high = text[position], low = text[position + 1];
    if (high < '0' || high > '9' || low < '0' || low > '9')
        return -1;
    return (high - '0') * 10 + (low - '0');
}

// Seconds since the start of year 0 of the instant a time stands for, with
// the offset taken out so that times of different zones compare.
long long instantOf(const CUTCTime& t)
{
    static const unsigned short kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    long long year = t.m_wYear;
    long long days = 365 * year + (year + 3) / 4;
    unsigned month = t.m_bMonth >= 1 && t.m_bMonth <= 12 ? t.m_bMonth : 1;
    days += kDaysBefore[month - 1] + (month > 2 && isLeapYear(t.m_wYear) ? 1 : 0) + t.m_bDay;
    long long minutes = days * kMinutesPerDay + t.m_wMinutes;
    if (t.m_nZone == CUTCTime::kZonePlus)
        minutes -= t.m_wOffset;
    else if (t.m_nZone == CUTCTime::kZoneMinus)
        minutes += t.m_wOffset;
    return minutes * 60 + t.m_bSeconds;
}
}  // namespace

CUTCTime::CUTCTime()
{
    SetCurrentTime();
}

CUTCTime::CUTCTime(const CString& text) : CUTCTime()
{
    int length = text.GetLength();
    if (isFormLength((unsigned)length))
        Setup(text, (unsigned char)length);
}

CUTCTime::CUTCTime(const CUTCTime& other) : CObject()
{
    *this = other;
}

CUTCTime& CUTCTime::operator=(const CUTCTime& other)
{
    m_wYear = other.m_wYear;
    m_bMonth = other.m_bMonth;
    m_bDay = other.m_bDay;
    m_wMinutes = other.m_wMinutes;
    m_bSeconds = other.m_bSeconds;
    m_nZone = other.m_nZone;
    m_wOffset = other.m_wOffset;
    m_bForm = other.m_bForm;
    return *this;
}

void CUTCTime::Setup(const CString& text, unsigned char length)
{
    if (!isFormLength(length) || text.GetLength() < length)
        return;
    bool malformed = false;
    // A field whose digits are not digits, or minutes of 60 or more, make
    // the text malformed; the field gets a value out of its range.
    auto field = [&](int position, int bad, int limit = 100) {
        int value = twoDigits(text, position);
        if (value < 0 || value >= limit) {
            malformed = true;
            return bad;
        }
        return value;
    };
    int yy = field(0, 0);
    m_wYear = (WORD)(yy < 70 ? yy + 2000 : yy + 1900);
    m_bMonth = (BYTE)field(2, 0);
    m_bDay = (BYTE)field(4, 0);
    int hh = field(6, kMinutesPerDay), mm = field(8, 0, 60);
    m_wMinutes = (WORD)(hh * 60 + mm);
    bool withSeconds = length == 13 || length == 17;
    m_bSeconds = withSeconds ? (BYTE)field(10, 60) : 0;
    int zonePosition = withSeconds ? 12 : 10;
    char zone = text[zonePosition];
    m_wOffset = 0;
    if (zone == 'Z') {
        m_nZone = kZoneGMT;
    } else {
        // Unknown zone characters get a code no time carries.
        m_nZone = zone == '+' ? kZonePlus : zone == '-' ? kZoneMinus : 3;
        if (length == 15 || length == 17) {
            int oh = field(zonePosition + 1, kMinutesPerDay), om = field(zonePosition + 3, 0, 60);
            m_wOffset = (WORD)(oh * 60 + om);
        } else {
            // The short forms have no room for the offset a sign announces.
            m_wOffset = kMinutesPerDay;
        }
    }
    m_bForm = length;
    // The year has no range of its own, so bad digits anywhere also spoil
    // the month.
    if (malformed)
        m_bMonth = 0;
}

void CUTCTime::SetCurrentTime()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    tzset();
    localtime_r(&now, &local);
    // The standard offset of the zone, daylight saving left out:
    // UTC = local + bias.
    long bias = timezone / 60;
    m_wYear = (WORD)(local.tm_year + 1900);
    m_bMonth = (BYTE)(local.tm_mon + 1);
    m_bDay = (BYTE)local.tm_mday;
    m_wMinutes = (WORD)(local.tm_hour * 60 + local.tm_min);
    // A leap second reads as the last second of its minute.
    m_bSeconds = (BYTE)(local.tm_sec > 59 ? 59 : local.tm_sec);
    m_nZone = bias == 0 ? kZoneGMT : bias > 0 ? kZoneMinus : kZonePlus;
    m_wOffset = (WORD)(bias < 0 ? -bias : bias);
    m_bForm = 17;
}

BOOL CUTCTime::IsValid() const
{
    return m_bDay >= 1 && m_bDay <= daysInMonth(m_bMonth, m_wYear) && m_nZone >= kZoneGMT &&
           m_nZone <= kZoneMinus && m_wOffset < kMinutesPerDay && m_bSeconds < 60 &&
           m_wMinutes < kMinutesPerDay && isFormLength(m_bForm);
}

CString CUTCTime::GetTimeAsString(BOOL withSeconds, BOOL timeOnly) const
{
    CString text;
    int hours = m_wMinutes / 60, minutes = m_wMinutes % 60;
    if (timeOnly) {
        text.Format("%02d:%02d", hours, minutes);
    } else {
        const char* month = m_bMonth >= 1 && m_bMonth <= 12 ? kMonthNames[m_bMonth - 1] : "?";
        text.Format("%d %s, %d, %02d:%02d", m_bDay, month, m_wYear, hours, minutes);
    }
    CString part;
    if (withSeconds) {
        part.Format(" %02d sec", m_bSeconds);
        text += part;
    }
    if (m_nZone == kZoneGMT) {
        text += " GMT";
    } else {
        part.Format(" %c%02u%02u", m_nZone == kZonePlus ? '+' : '-', (unsigned)(m_wOffset / 60),
                    (unsigned)(m_wOffset % 60));
        text += part;
    }
    return text;
}

CUTCTime& CUTCTime::operator--()
{
    if (m_bSeconds > 0) {
        --m_bSeconds;
        return *this;
    }
    m_bSeconds = 59;
    if (m_wMinutes > 0) {
        --m_wMinutes;
        return *this;
    }
    m_wMinutes = kMinutesPerDay - 1;
    if (m_bDay > 1) {
        --m_bDay;
    } else {
        if (m_bMonth > 1) {
            --m_bMonth;
        } else {
            m_bMonth = 12;
            --m_wYear;
        }
        m_bDay = (BYTE)daysInMonth(m_bMonth, m_wYear);
    }
    if (m_bMonth == 2 && m_bDay == 29 && !isLeapYear(m_wYear))
        m_bDay = 28;
    return *this;
}

void CUTCTime::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kFormatVersion << m_wYear << m_bMonth << m_bDay << m_wMinutes << m_bSeconds << (WORD)m_nZone
           << m_wOffset << m_bForm;
        return;
    }
    BYTE version;
    ar >> version;
    if (version != kFormatVersion)
        AfxThrowArchiveException(CArchiveException::genericException);
    CUTCTime loaded(*this);
    WORD zone;
    ar >> loaded.m_wYear >> loaded.m_bMonth >> loaded.m_bDay >> loaded.m_wMinutes >> loaded.m_bSeconds >> zone >>
        loaded.m_wOffset >> loaded.m_bForm;
    loaded.m_nZone = zone;
    if (!loaded.IsValid())
        AfxThrowArchiveException(CArchiveException::genericException);
    *this = loaded;
}

BOOL operator==(const CUTCTime& a, const CUTCTime& b)
{
    return a.m_wYear == b.m_wYear && a.m_bMonth == b.m_bMonth && a.m_bDay == b.m_bDay &&
           a.m_wMinutes == b.m_wMinutes && a.m_bSeconds == b.m_bSeconds && a.m_nZone == b.m_nZone &&
           a.m_wOffset == b.m_wOffset;
}

BOOL operator!=(const CUTCTime& a, const CUTCTime& b)
{
    return !(a == b);
}

BOOL operator<(const CUTCTime& a, const CUTCTime& b)
{
    return instantOf(a) < instantOf(b);
}

BOOL operator>(const CUTCTime& a, const CUTCTime& b)
{
    return b < a;
}

BOOL operator<=(const CUTCTime& a, const CUTCTime& b)
{
    return !(b < a);
}

BOOL operator>=(const CUTCTime& a, const CUTCTime& b)
{
    return !(a < b);
}
