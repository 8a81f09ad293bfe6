#include "vaultcore/asn1/object_identifier.h"

#include <cstring>

#include "vaultcore/asn1/dump.h"

IMPLEMENT_ASN1_COPY(CASN1_OBJECT_IDENTIFIER)

CASN1_OBJECT_IDENTIFIER::CASN1_OBJECT_IDENTIFIER()
{
    m_identifier = 6;
    Add(0x00);
}

CASN1_OBJECT_IDENTIFIER::CASN1_OBJECT_IDENTIFIER(unsigned char first, unsigned char second)
{
    m_identifier = 6;
    Add((unsigned char)(40 * first + second));
}

void CASN1_OBJECT_IDENTIFIER::AddIDComponent(unsigned long arc)
{
    unsigned char groups[10];
    int n = 0;
    do {
        groups[n++] = (unsigned char)(arc & 0x7F);
        arc >>= 7;
    } while (arc && n < (int)sizeof groups);
    for (int i = n - 1; i >= 0; --i)
        Add((unsigned char)(groups[i] | (i > 0 ? 0x80 : 0x00)));
}

void CASN1_OBJECT_IDENTIFIER::GetDecimalDottedString(CString& text) const
{
    text.Empty();
    if (GetSize() == 0)
        return;
    unsigned char first = GetAt(0);
    text.Format("%d.%d", first / 40, first % 40);
    unsigned long arc = 0;
    for (int i = 1; i < GetSize(); ++i) {
        unsigned char octet = GetAt(i);
        arc = (arc << 7) | (octet & 0x7F);
        if (!(octet & 0x80)) {
            CString part;
            part.Format(".%lu", arc);
            text += part;
            arc = 0;
        }
    }
}

CASN1_OBJECT_IDENTIFIER::operator CString() const
{
    CString text;
    GetDecimalDottedString(text);
    return text;
}

void CASN1_OBJECT_IDENTIFIER::setContents(CDEREncoding& encoding, unsigned long length)
{
    if (length == 0)
        ___throwDERDecodingException("Encoded OBJECT IDENTIFIER has invalid size");
    CASN1_PRIMITIVE_TYPE::setContents(encoding, length);
    if (GetAt(0) > 119)
        ___throwDERDecodingException("Encoded OBJECT IDENTIFIER value is not valid");
}

void CASN1_OBJECT_IDENTIFIER::Dump(unsigned long indent, CFile* file) const
{
    CASN1_PRIMITIVE_TYPE::Dump(indent, file);
    if (GetSize() > 0)
        ___WriteFormatted(file, "%*sOID = %s\r\n", (int)(indent + 3), "", (const char*)CString(*this));
}

bool operator==(const CASN1_OBJECT_IDENTIFIER& a, const CASN1_OBJECT_IDENTIFIER& b)
{
    return a.GetSize() == b.GetSize() &&
           (a.GetSize() == 0 || std::memcmp(a.GetData(), b.GetData(), (size_t)a.GetSize()) == 0);
}

bool operator!=(const CASN1_OBJECT_IDENTIFIER& a, const CASN1_OBJECT_IDENTIFIER& b)
{
    return !(a == b);
}
