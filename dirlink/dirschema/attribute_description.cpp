#include "dirlink/dirschema/attribute_description.h"

#include <cstring>

#include "dirlink/dirschema/attribute_types.h"

BOOL IsDottedDecimalAttrType(const char* s)
{
    if (!s || !*s || *s == '.')
        return FALSE;
    for (const char* p = s; *p; ++p) {
        if (*p == '.') {
            if (p[1] == '.')
                return FALSE;
        } else if (*p < '0' || *p > '9') {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL IsTextualAttrType(const char* s)
{
    return s && *s && !IsDottedDecimalAttrType(s);
}

void ParseAttributeDescription(const char* description, CString& type, CStringArray* options)
{
    // Copy first: `type` may be the very string `description` points into.
    CString text(description);
    if (options)
        options->RemoveAll();
    int semicolon = text.Find(';');
    if (semicolon < 0) {
        type = text;
        type.TrimLeft();
        type.TrimRight();
        return;
    }
    type = text.Left(semicolon);
    type.TrimLeft();
    type.TrimRight();
    if (!options)
        return;
    int start = semicolon + 1;
    for (;;) {
        int next = text.Find(';', start);
        CString option = next < 0 ? text.Mid(start) : text.Mid(start, next - start);
        option.TrimLeft();
        option.TrimRight();
        if (!option.IsEmpty())
            options->Add(option);
        if (next < 0)
            break;
        start = next + 1;
    }
}

BOOL IsLangOption(const char* option)
{
    return option && std::strncmp(option, "lang=", 5) == 0;
}

BOOL IsBinaryOption(const char* option)
{
    return option && std::strcmp(option, "binary") == 0;
}

BOOL IsValidOption(const char* option)
{
    return IsLangOption(option) || IsBinaryOption(option);
}

CString GetLangCode(const char* option)
{
    // The code follows the five characters of "lang="; a shorter option has
    // none (and must not be read past its end).
    if (!option || std::strlen(option) < 5)
        return CString();
    CString code(option + 5);
    code.TrimLeft();
    code.TrimRight();
    return code;
}

int AdjustAttribute(CString& type, int toTextual)
{
    ParseAttributeDescription(type, type, nullptr);
    if (toTextual) {
        if (IsDottedDecimalAttrType(type)) {
            if (const char* name = DecimalAttrTypeToTextual(type))
                type = name;
        }
        return 1;
    }
    if (IsTextualAttrType(type)) {
        const char* oid = TextualAttrTypeToDecimal(type);
        if (!oid)
            return 0;
        type = oid;
    }
    return 1;
}
