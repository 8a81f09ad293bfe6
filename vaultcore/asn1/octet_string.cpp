#include "vaultcore/asn1/octet_string.h"

IMPLEMENT_ASN1_COPY(CASN1_OCTET_STRING)

CASN1_OCTET_STRING::CASN1_OCTET_STRING()
{
    m_identifier = 4;
    m_bConstructed = TRUE;
}

CASN1_OCTET_STRING::CASN1_OCTET_STRING(const unsigned char* data, unsigned long size) : CASN1_OCTET_STRING()
{
    referTo(new CDEREncoding(TRUE, const_cast<unsigned char*>(data), size, FALSE, TRUE), 0, size);
}

CASN1_OCTET_STRING::CASN1_OCTET_STRING(const CString& text)
    : CASN1_OCTET_STRING((const unsigned char*)(const char*)text, (unsigned long)text.GetLength())
{
}

CASN1_OCTET_STRING::CASN1_OCTET_STRING(unsigned char* data, unsigned long size, int takeOver, int copy)
    : CASN1_OCTET_STRING()
{
    referTo(new CDEREncoding(TRUE, data, size, takeOver, copy), 0, size);
}

CASN1_OCTET_STRING::CASN1_OCTET_STRING(CFile* file, unsigned long length, int ownsFile, int temporary)
    : CASN1_OCTET_STRING()
{
    CDEREncoding* encoding = new CDEREncoding(TRUE, file, TRUE, ownsFile);
    encoding->OnOffTmpFile(temporary);
    unsigned long position = file->GetPosition();
    referTo(encoding, position, length);
}

void CASN1_OCTET_STRING::referTo(CDEREncoding* encoding, unsigned long position, unsigned long length)
{
    encoding->AddRef();
    setReference(encoding, position, length);
    encoding->Release();
    m_bConstructed = FALSE;
    m_bIndefinite = FALSE;
}

void CASN1_OCTET_STRING::addConstructedComponent(CASN1Type* component)
{
    // Segments must be OCTET STRINGs themselves.
    CASN1_CONSTRUCTED_TYPE::addConstructedComponent(component);
}
