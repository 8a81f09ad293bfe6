#include "vaultcore/asn1/utc_time.h"

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
    // follows the zone character in the 15- and 17-character forms.
    int clock = (length == 13 || length == 17) ? 12 : 10;
    if (!digitsAt(text, 0, clock) || !isZoneCharacter(text[clock]))
        return FALSE;
    if (length >= 15 && !digitsAt(text, clock + 1, 4))
        return FALSE;
    return TRUE;
}
