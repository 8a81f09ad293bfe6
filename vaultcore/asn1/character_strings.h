#pragma once
#include "vaultcore/asn1/asn1_type.h"

// Common base of the character-string types: primitive contents or a list of
// segments of the same type, each checked by the type's rule when decoded.
class VAULTCORE_API CASN1_CHARACTER_STRING : public CASN1_CONSTRUCTED_TYPE {
public:
    // The text (primitive, copied; not checked).
    void setText(const unsigned char* text, unsigned long length);

protected:
    typedef bool (*OctetRule)(unsigned char);
    // Checks the decoded contents; message is the type's failure text.
    void checkedContents(CDEREncoding& encoding, unsigned long length, OctetRule rule, const char* message);
    // The validator shared by the string types: identifier check, then the
    // contents directly (primitive under its own tag) or streamed through a
    // checking stage (constructed or implicitly tagged).
    static BOOL isValidText(const CASN1Type* value, int implicitlyTagged, unsigned char tag, OctetRule rule);
    // The validator for length-only rules (BMPString, UniversalString).
    static BOOL isValidLength(const CASN1Type* value, int implicitlyTagged, unsigned char tag, unsigned long unit);
};

class VAULTCORE_API CASN1_PrintableString : public CASN1_CHARACTER_STRING {
    DECLARE_ASN1_COPY(CASN1_PrintableString)
public:
    CASN1_PrintableString();
    CASN1_PrintableString(const unsigned char* text, unsigned long length);
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};

class VAULTCORE_API CASN1_T61String : public CASN1_CHARACTER_STRING {
    DECLARE_ASN1_COPY(CASN1_T61String)
public:
    CASN1_T61String();
    CASN1_T61String(const unsigned char* text, unsigned long length);
};

class VAULTCORE_API CASN1_IA5String : public CASN1_CHARACTER_STRING {
    DECLARE_ASN1_COPY(CASN1_IA5String)
public:
    CASN1_IA5String();
    CASN1_IA5String(const unsigned char* text, unsigned long length);
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};

class VAULTCORE_API CASN1_UniversalString : public CASN1_CHARACTER_STRING {
    DECLARE_ASN1_COPY(CASN1_UniversalString)
public:
    CASN1_UniversalString();
    CASN1_UniversalString(const unsigned char* text, unsigned long length);
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};

class VAULTCORE_API CASN1_BMPString : public CASN1_CHARACTER_STRING {
    DECLARE_ASN1_COPY(CASN1_BMPString)
public:
    CASN1_BMPString();
    CASN1_BMPString(const unsigned char* text, unsigned long length);
    static BOOL isValid(const CASN1Type* value, int implicitlyTagged);

protected:
    void setContents(CDEREncoding& encoding, unsigned long length) override;
};
