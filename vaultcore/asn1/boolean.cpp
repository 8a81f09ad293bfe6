#include "vaultcore/asn1/boolean.h"

#include "vaultcore/asn1/dump.h"

IMPLEMENT_ASN1_COPY(CASN1_BOOLEAN)

CASN1_BOOLEAN::CASN1_BOOLEAN(int value)
{
    m_identifier = 1;
    Add(value ? 0xFF : 0x00);
}

BOOL CASN1_BOOLEAN::GetBoolean() const
{
    return GetSize() > 0 && GetAt(0) != 0;
}

void CASN1_BOOLEAN::setContents(CDEREncoding& encoding, unsigned long length)
{
    if (length != 1)
        ___throwDERDecodingException("invalid size of data in BOOLEAN. dwSize = %d", (int)length);
    CASN1_PRIMITIVE_TYPE::setContents(encoding, length);
    if (GetAt(0) != 0x00 && GetAt(0) != 0xFF)
        ___throwDERDecodingException("invalid data in BOOLEAN: m_pData[0] = %d", GetAt(0));
}

void CASN1_BOOLEAN::Dump(unsigned long indent, CFile* file) const
{
    dumpHeader(indent, file);
    if (GetSize() != 1)
        ___WriteFormatted(file, "BAD DATA\r\n");
    else
        ___WriteFormatted(file, "%*s%s\r\n", (int)(indent + 3), "", GetBoolean() ? "TRUE" : "FALSE");
}
