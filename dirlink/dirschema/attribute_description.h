#pragma once
// Attribute types as written by users and servers: dotted-decimal or textual
// forms, and attribute descriptions carrying options after semicolons
// ("cn;lang=de", "userCertificate;binary").
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// True when `s` is non-empty, holds only digits and dots, does not begin with
// a dot and has no two dots in a row (a final dot is accepted).
DIRLINK_API BOOL IsDottedDecimalAttrType(const char* s);
// True when `s` is non-empty and not dotted-decimal.
DIRLINK_API BOOL IsTextualAttrType(const char* s);

// Splits "type;option;option" into the trimmed type and, when `options` is
// given, the trimmed non-empty options (the array is emptied first).
DIRLINK_API void ParseAttributeDescription(const char* description, CString& type, CStringArray* options);

// "lang=..." (case-sensitive prefix).
DIRLINK_API BOOL IsLangOption(const char* option);
// Exactly "binary".
DIRLINK_API BOOL IsBinaryOption(const char* option);
// A language or the binary option.
DIRLINK_API BOOL IsValidOption(const char* option);
// The language code of a "lang=" option: the text after "lang=", trimmed.
DIRLINK_API CString GetLangCode(const char* option);

// Strips the options from `type`, then converts it: with `toTextual` a
// dotted-decimal type the table knows becomes its name (answer 1 always);
// without, a textual type becomes its OID, answering 0 when the table does not
// know the name (the type is left stripped) and 1 otherwise.
DIRLINK_API int AdjustAttribute(CString& type, int toTextual);
