#include "vaultcore/asn1/utc_time.h"

#include <cstdio>

#include "vaultcore/asn1/dump.h"
#include "vaultcore/pki/utc_time_value.h"

IMPLEMENT_ASN1_COPY(CASN1_UTCTime)

namespace {
const unsigned char kUTCTimeTag = 23;

bool digitsAt(const CString& text, int first, int count)
{
    for (int i = first; i < first + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool isZoneCharacter(char c)
{
    return c == '+' || c == '-' || c == 'Z';
}
}  // namespace

CASN1_UTCTime::CASN1_UTCTime()
{
    m_identifier = kUTCTimeTag;
}

CASN1_UTCTime::CASN1_UTCTime(const CUTCTime& time) : CASN1_UTCTime()
{
    GetDataFrom(time);
}

BOOL CASN1_UTCTime::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!value || (!implicitlyTagged && value->getIdentifier() != kUTCTimeTag))
        return FALSE;
    unsigned long length = value->getClearContentsLength();
    if (length != 11 && length != 13 && length != 15 && length != 17)
        return FALSE;
    CString text;
    try {
        value->GetString(text);
    } catch (CDERDecodingException* e) {
        e->Delete();
        return FALSE;
    }
    // Seconds are present in the 13- and 17-character forms; an offset
    // follows the zone character in the 15- and 17-character forms, and
    // only there: 'Z' stands alone and a sign has its offset.
    int clock = (length == 13 || length == 17) ? 12 : 10;
    if (!digitsAt(text, 0, clock) || !isZoneCharacter(text[clock]))
        return FALSE;
    const bool withOffset = length >= 15;
    if ((text[clock] == 'Z') == withOffset)
        return FALSE;
    if (withOffset && !digitsAt(text, clock + 1, 4))
        return FALSE;
    return TRUE;
}

void CASN1_UTCTime::SetDataTo(CUTCTime& time) const
{
    if (!isValid(this, TRUE))
        ___throwDERDecodingException("CASN1_UTCTime::SetDataTo - invalid contents");
    CString text;
    GetString(text);
    int length = text.GetLength();
    bool withSeconds = length == 13 || length == 17;
    bool withOffset = length == 15 || length == 17;
    CString wide = text.Left(10) + (withSeconds ? text.Mid(10, 2) : CString("00"));
    int zone = withSeconds ? 12 : 10;
    wide += text.Mid(zone, 1) + (withOffset ? text.Mid(zone + 1, 4) : CString("0000"));
    // Digits in the right places may still name no time (month 13, hour
    // 25): such a value would leave a time that can neither be written nor
    // stored, so it is refused like malformed text.
    CUTCTime read(time);
    read.Setup(wide, 17);
    if (!read.IsValid())
        ___throwDERDecodingException("CASN1_UTCTime::SetDataTo - invalid contents");
    time = read;
}

void CASN1_UTCTime::GetDataFrom(const CUTCTime& time)
{
    if (!time.IsValid())
        ___throwDERDecodingException("CASN1_UTCTime::GetDataFrom - invalid time");
    // At most 17 characters: every field is in range after IsValid.
    char text[24];
    int n = std::snprintf(text, sizeof text, "%02u%02u%02u%02u%02u", (unsigned)(time.m_wYear % 100),
                          (unsigned)time.m_bMonth, (unsigned)time.m_bDay, (unsigned)(time.m_wMinutes / 60),
                          (unsigned)(time.m_wMinutes % 60));
    // The form says whether seconds are written; the zone says whether an
    // offset is: a GMT time is written with 'Z' alone (a decoded time
    // carries the 17-character form), any other with its sign and offset.
    if (time.m_bForm == 13 || time.m_bForm == 17)
        n += std::snprintf(text + n, sizeof text - n, "%02u", (unsigned)time.m_bSeconds);
    text[n++] = time.m_nZone == CUTCTime::kZoneGMT ? 'Z' : time.m_nZone == CUTCTime::kZonePlus ? '+' : '-';
    text[n] = 0;
    if (time.m_nZone != CUTCTime::kZoneGMT)
        n += std::snprintf(text + n, sizeof text - n, "%02u%02u", (unsigned)(time.m_wOffset / 60),
                           (unsigned)(time.m_wOffset % 60));
    clear();
    setConstructed(FALSE);
    setIndefinite(FALSE);
    setContentsBytes((const unsigned char*)text, (unsigned long)n);
}

void CASN1_UTCTime::Dump(unsigned long indent, CFile* file) const
{
    CASN1_CONSTRUCTED_TYPE::Dump(indent, file);
    if (!isValid(this, 0))
        return;
    CUTCTime time;
    try {
        SetDataTo(time);
    } catch (CDERDecodingException* e) {
        e->Delete();  // digits the validator lets through may still name no date (month 13)
        return;
    }
    ___WriteFormatted(file, "%sUTCTime: %s\r\n", (const char*)CString(' ', (int)indent),
                      (const char*)time.GetTimeAsString(TRUE, FALSE));
}
