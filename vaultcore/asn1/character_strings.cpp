#include "vaultcore/asn1/character_strings.h"

IMPLEMENT_ASN1_COPY(CASN1_PrintableString)
IMPLEMENT_ASN1_COPY(CASN1_T61String)
IMPLEMENT_ASN1_COPY(CASN1_IA5String)
IMPLEMENT_ASN1_COPY(CASN1_UniversalString)
IMPLEMENT_ASN1_COPY(CASN1_BMPString)

namespace {
const unsigned char kPrintableTag = 19;
const unsigned char kT61Tag = 20;
const unsigned char kIA5Tag = 22;
const unsigned char kUniversalTag = 28;
const unsigned char kBMPTag = 30;

bool isPrintableOctet(unsigned char c)
{
    return c >= 0x20 && c <= 0x7E;
}
bool isIA5Octet(unsigned char c)
{
    return c < 0x80;
}
}  // namespace

void CASN1_CHARACTER_STRING::setText(const unsigned char* text, unsigned long length)
{
    m_bConstructed = FALSE;
    m_bIndefinite = FALSE;
    setContentsBytes(text, text ? length : 0);
}

void CASN1_CHARACTER_STRING::checkedContents(CDEREncoding& encoding, unsigned long length, OctetRule rule,
                                             const char* message)
{
    CASN1_CONSTRUCTED_TYPE::setContents(encoding, length);
    for (int i = 0; i < GetSize(); ++i)
        if (!rule(GetAt(i)))
            ___throwDERDecodingException("%s", message);
}

BOOL CASN1_CHARACTER_STRING::isValidText(const CASN1Type* value, int implicitlyTagged, unsigned char tag,
                                         OctetRule rule)
{
    if (!value || (!implicitlyTagged && value->getIdentifier() != tag))
        return FALSE;
    const CASN1_PRIMITIVE_TYPE* primitive = dynamic_cast<const CASN1_PRIMITIVE_TYPE*>(value);
    if (!value->isConstructed() && value->getIdentifier() == tag && primitive &&
        !dynamic_cast<const CASN1_TAGGED*>(value)) {
        for (unsigned long i = 0; i < primitive->contentsLength(); ++i)
            if (!rule(primitive->contentsData()[i]))
                return FALSE;
        return TRUE;
    }
    CCheckFilterNS check(rule);
    try {
        value->writeClearContents(check);
        check.finish();
    } catch (CTerminateValidationException*) {
        // Every run ends here, early at a bad octet or at the final call.
    } catch (CDERDecodingException* e) {
        e->Delete();  // referenced contents that cannot be read
        return FALSE;
    }
    return check.valid();
}

BOOL CASN1_CHARACTER_STRING::isValidLength(const CASN1Type* value, int implicitlyTagged, unsigned char tag,
                                           unsigned long unit)
{
    if (!value || (!implicitlyTagged && value->getIdentifier() != tag))
        return FALSE;
    return value->getClearContentsLength() % unit == 0;
}

CASN1_PrintableString::CASN1_PrintableString()
{
    m_identifier = kPrintableTag;
}

CASN1_PrintableString::CASN1_PrintableString(const unsigned char* text, unsigned long length)
    : CASN1_PrintableString()
{
    setText(text, length);
}

BOOL CASN1_PrintableString::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return isValidText(value, implicitlyTagged, kPrintableTag, isPrintableOctet);
}

void CASN1_PrintableString::setContents(CDEREncoding& encoding, unsigned long length)
{
    checkedContents(encoding, length, isPrintableOctet, "PrintableString contents is not valid");
}

CASN1_T61String::CASN1_T61String()
{
    m_identifier = kT61Tag;
}

CASN1_T61String::CASN1_T61String(const unsigned char* text, unsigned long length) : CASN1_T61String()
{
    setText(text, length);
}

CASN1_IA5String::CASN1_IA5String()
{
    m_identifier = kIA5Tag;
}

CASN1_IA5String::CASN1_IA5String(const unsigned char* text, unsigned long length) : CASN1_IA5String()
{
    setText(text, length);
}

BOOL CASN1_IA5String::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return isValidText(value, implicitlyTagged, kIA5Tag, isIA5Octet);
}

void CASN1_IA5String::setContents(CDEREncoding& encoding, unsigned long length)
{
    checkedContents(encoding, length, isIA5Octet, "IA5String contents is not valid");
}

CASN1_UniversalString::CASN1_UniversalString()
{
    m_identifier = kUniversalTag;
}

CASN1_UniversalString::CASN1_UniversalString(const unsigned char* text, unsigned long length)
    : CASN1_UniversalString()
{
    setText(text, length);
}

BOOL CASN1_UniversalString::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return isValidLength(value, implicitlyTagged, kUniversalTag, 4);
}

void CASN1_UniversalString::setContents(CDEREncoding& encoding, unsigned long length)
{
    if (length % 4 != 0)
        ___throwDERDecodingException("UniversalString contents is not valid");
    CASN1_CONSTRUCTED_TYPE::setContents(encoding, length);
}

CASN1_BMPString::CASN1_BMPString()
{
    m_identifier = kBMPTag;
}

CASN1_BMPString::CASN1_BMPString(const unsigned char* text, unsigned long length) : CASN1_BMPString()
{
    setText(text, length);
}

BOOL CASN1_BMPString::isValid(const CASN1Type* value, int implicitlyTagged)
{
    return isValidLength(value, implicitlyTagged, kBMPTag, 2);
}

void CASN1_BMPString::setContents(CDEREncoding& encoding, unsigned long length)
{
    if (length % 2 != 0)
        ___throwDERDecodingException("BMPString contents is not valid");
    CASN1_CONSTRUCTED_TYPE::setContents(encoding, length);
}
