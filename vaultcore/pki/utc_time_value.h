#pragma once
// CUTCTime: a calendar time with an optional time-zone offset, as carried by
// the validity and revocation times of certificates and revocation lists.
// It converts to and from the UTCTime text forms
//   YYMMDDhhmmZ  YYMMDDhhmmssZ  YYMMDDhhmm+hhmm  YYMMDDhhmmss+hhmm
// (11, 13, 15 and 17 characters; '-' as well as '+'), prints for people and
// archives itself.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CUTCTime : public CObject {
    DECLARE_SERIAL(CUTCTime)
public:
    // Zone codes.
    enum {
        kZoneGMT = 0,    // 'Z'
        kZonePlus = 1,   // local time is ahead of UTC by the offset
        kZoneMinus = 2,  // local time is behind UTC by the offset
    };

    // The current local time (SetCurrentTime).
    CUTCTime();
    // The current time, then Setup(text, its length): a text of a length
    // that is not a UTCTime form leaves the current time in place.
    explicit CUTCTime(const CString& text);
    CUTCTime(const CUTCTime& other);
    CUTCTime& operator=(const CUTCTime& other);

    // Reads a UTCTime text of the given form length (11, 13, 15 or 17); any
    // other length, or a text shorter than length, leaves the value
    // unchanged. Years 00-69 are 2000-2069, 70-99 are 1970-1999. Ranges are
    // left to IsValid, but a non-digit where a digit belongs, minute digits
    // of 60 or more, or a zone character other than 'Z', '+' or '-', give a
    // value IsValid refuses.
    void Setup(const CString& text, unsigned char length);
    // Local time of the system clock with the standard (not daylight) offset
    // of the local time zone; form 17.
    void SetCurrentTime();
    // Month, day (February 29 only when the year is divisible by 4),
    // minutes, seconds, zone, offset and form all in range.
    BOOL IsValid() const;
    // "5 March, 1998, 14:07" or, with timeOnly, "14:07"; withSeconds appends
    // " 09 sec"; then " GMT", or " +hhmm" / " -hhmm".
    CString GetTimeAsString(BOOL withSeconds, BOOL timeOnly) const;
    // One second earlier, across minute, hour, day, month and year ends.
    CUTCTime& operator--();

    // Format byte 0, year, month, day, minutes, seconds, zone (16 bits),
    // offset, form. Loading refuses another format byte or a time that is
    // not valid with the generic archive exception, leaving the value as it
    // was.
    void Serialize(CArchive& ar) override;

    WORD m_wYear;         // full year
    BYTE m_bMonth;        // 1-12
    BYTE m_bDay;          // 1-31
    WORD m_wMinutes;      // since midnight, 0-1439
    BYTE m_bSeconds;      // 0-59
    int32_t m_nZone;      // kZoneGMT, kZonePlus, kZoneMinus
    WORD m_wOffset;       // minutes, 0-1439
    BYTE m_bForm;         // 11, 13, 15 or 17
};

// == compares year, month, day, minutes, seconds, zone and offset (not the
// form). < orders the instants the values stand for (date, time and offset
// taken together); > and <= are its mirror images, >= is not less.
VAULTCORE_API BOOL operator==(const CUTCTime& a, const CUTCTime& b);
VAULTCORE_API BOOL operator!=(const CUTCTime& a, const CUTCTime& b);
VAULTCORE_API BOOL operator<(const CUTCTime& a, const CUTCTime& b);
VAULTCORE_API BOOL operator>(const CUTCTime& a, const CUTCTime& b);
VAULTCORE_API BOOL operator<=(const CUTCTime& a, const CUTCTime& b);
VAULTCORE_API BOOL operator>=(const CUTCTime& a, const CUTCTime& b);
