#pragma once
#include "vaultcore/asn1/asn1_type.h"

class CUTCTime;

// UTCTime: ASCII text YYMMDDhhmm[ss] followed by 'Z', or by a sign and
// hhmm (the 11/13- and 15/17-character forms). Decoding takes any text;
// isValid checks the form.
class VAULTCORE_API CASN1_UTCTime : public CASN1_CONSTRUCTED_TYPE {
    DECLARE_ASN1_COPY(CASN1_UTCTime)
public:
    CASN1_UTCTime();
    // The text of the time in the time's own form (GetDataFrom).
    explicit CASN1_UTCTime(const CUTCTime& time);
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);

    // Fills the time from the text, widened to the 17-character form first
    // (seconds 00 and offset 0000 where absent), so the time gets form 17.
    // A text the validator refuses, or digits that name no time (month 13,
    // hour 25, 30 February), throw CDERDecodingException and leave the time
    // as it was.
    void SetDataTo(CUTCTime& time) const;
    // Replaces the value by the primitive text of the time: with seconds
    // when its form is 13 or 17, then 'Z' for a GMT time or the sign and
    // offset for another (so a GMT time of form 17 is written in 13
    // characters). A time that is not valid throws CDERDecodingException
    // and leaves the value as it was.
    void GetDataFrom(const CUTCTime& time);
    // The usual listing, then the time in words when the text is a valid time.
    void Dump(unsigned long indent, CFile* file) const override;
};
