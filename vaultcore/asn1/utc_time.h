#pragma once
#include "vaultcore/asn1/asn1_type.h"

// UTCTime: ASCII text YYMMDDhhmm[ss] followed by 'Z' or a sign, with hhmm
// after the zone character in the 15- and 17-character forms. Decoding
// takes any text; isValid checks the form.
class VAULTCORE_API CASN1_UTCTime : public CASN1_CONSTRUCTED_TYPE {
    DECLARE_ASN1_COPY(CASN1_UTCTime)
public:
    CASN1_UTCTime();
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);
};
