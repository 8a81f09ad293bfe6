// Diagnostic listings: header lines, hex-and-text contents, braces around
// components.
#include "vaultcore/asn1/dump.h"

#include <cstdio>

#include "vaultcore/asn1/asn1_type.h"

int g_bDumpToConsole = 0;

namespace {
const int kOctetsPerLine = 18;
const int kTextColumn = 57;

struct UniversalName {
    unsigned char tag;
    const char* name;
};
const UniversalName kUniversalNames[] = {
    {1, "UNIV, BOOLEAN"},
    {2, "UNIV, INTEGER"},
    {3, "UNIV, BIT STRING"},
    {4, "UNIV, OCTET STRING"},
    {5, "UNIV, NULL"},
    {6, "UNIV, OBJECT IDENTIFIER"},
    {10, "UNIV, ENUMERATED"},
    {16, "UNIV, SEQUENCE(OF)"},
    {17, "UNIV, SET(OF)"},
    {19, "UNIV, PrintableString"},
    {20, "UNIV, T61String"},
    {22, "UNIV, IA5String"},
    {23, "UNIV, UTCTime"},
};
const char* const kClassFormats[] = {"UNIV, %d (0x%x)", "APP, %d (0x%x)", "CSPEC, %d (0x%x)", "PRIV, %d (0x%x)"};

CString typeName(unsigned char identifier)
{
    for (const UniversalName& entry : kUniversalNames)
        if (entry.tag == identifier)
            return entry.name;
    CString name;
    int tag = identifier & kASN1TagNumberMask;
    name.Format(kClassFormats[identifier >> 6], tag, tag);
    return name;
}

CString indentation(unsigned long indent)
{
    return CString(' ', (int)indent);
}
}  // namespace

void ___WriteFormatted(CFile* file, const char* format, ...)
{
    if (!file && !g_bDumpToConsole)
        return;
    va_list args;
    va_start(args, format);
    __LString text(format, args);
    va_end(args);
    if (file)
        file->Write((const char*)text, (UINT)text.GetLength());
    if (g_bDumpToConsole)
        std::puts(text);
}

__LString::__LString(const char* format, va_list arguments)
{
    FormatV(format, arguments);
}

__LString::__LString(const char* text, int length) : CString(text, length) {}

CString __LString::GetLine(int start) const
{
    if (start < 0 || start >= GetLength())
        return CString();
    int feed = Find('\n', start);
    if (feed < 0)
        return Mid(start);
    if (feed > start && GetAt(feed - 1) == '\r')
        return Mid(start, feed - 1 - start) + " \n";
    return Mid(start, feed + 1 - start);
}

void CASN1Type::dumpHeader(unsigned long indent, CFile* file) const
{
    CString size;
    if (m_bConstructed && m_bIndefinite) {
        size.Format("%d + ? = ? (0x%x + ? = ?)", 2, 2);
    } else {
        unsigned long n = getEncodedLength(1);
        unsigned long h = 2;
        for (unsigned long v = n; n >= 128 && v; v >>= 8)
            ++h;
        size.Format("%lu + %lu = %lu (0x%lx + 0x%lx = 0x%lx)", h, n, h + n, h, n, h + n);
    }
    ___WriteFormatted(file, "%s<%s, %s> SIZE: %s\r\n", (const char*)indentation(indent),
                      (const char*)typeName(m_identifier), m_bConstructed ? "C" : "P", (const char*)size);
}

void CASN1_PRIMITIVE_TYPE::dumpContents(unsigned long indent, CFile* file) const
{
    if (!file && !g_bDumpToConsole)
        return;
    CMemFile contents;
    CFileFilterNS stage(contents);
    writeEncoding(stage, TRUE, 0, 0);
    stage.finish();
    const unsigned char* octets = contents.GetBufferPointer();
    unsigned long total = contents.GetLength();
    CString pad = indentation(indent + 3);
    for (unsigned long line = 0; line < total; line += kOctetsPerLine) {
        unsigned long n = total - line < (unsigned long)kOctetsPerLine ? total - line : kOctetsPerLine;
        CString hex, text;
        for (unsigned long i = 0; i < n; ++i) {
            unsigned char c = octets[line + i];
            CString pair;
            pair.Format("%02x ", c);
            hex += pair;
            text += (c >= 0x20 && c <= 0x7E) ? (char)c : '.';
        }
        hex += CString(' ', kTextColumn - hex.GetLength());
        ___WriteFormatted(file, "%s%s%s\r\n", (const char*)pad, (const char*)hex, (const char*)text);
    }
}

void CASN1_PRIMITIVE_TYPE::Dump(unsigned long indent, CFile* file) const
{
    dumpHeader(indent, file);
    dumpContents(indent, file);
}

void CASN1_CONSTRUCTED_TYPE::Dump(unsigned long indent, CFile* file) const
{
    if (!m_bConstructed) {
        CASN1_PRIMITIVE_TYPE::Dump(indent, file);
        return;
    }
    dumpHeader(indent, file);
    CString pad = indentation(indent);
    ___WriteFormatted(file, "%s{\r\n", (const char*)pad);
    for (int i = 0; i < m_components.GetSize(); ++i) {
        if (i > 0)
            ___WriteFormatted(file, "\r\n");
        m_components[i]->Dump(indent + 3, file);
    }
    ___WriteFormatted(file, "%s}\r\n", (const char*)pad);
}
