#pragma once
// Diagnostic listings of value trees: the formatted writer they go through,
// the console echo switch, and a formatted text helper.
#include <cstdarg>

#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

// While non-zero, every text written through ___WriteFormatted is also
// printed on standard output (and a null file is allowed).
extern "C" VAULTCORE_API int g_bDumpToConsole;

// Formats printf-style and writes the text to file (when given) and to the
// console (when g_bDumpToConsole is set). Does nothing when file is null and
// the console echo is off.
VAULTCORE_API void ___WriteFormatted(CFile* file, const char* format, ...) __attribute__((format(printf, 2, 3)));

class VAULTCORE_API __LString : public CString {
public:
    __LString(const char* format, va_list arguments);
    __LString(const char* text, int length);
    // The line that begins at start, up to and including its line feed
    // (a CR LF pair is returned as a space and a line feed); the rest of
    // the text when no line feed follows; empty at or beyond the end.
    CString GetLine(int start) const;
};
