#include "dirlink/dirclient/connection_trace.h"

#include <cstdarg>
#include <cstdio>

void connectionTrace(DWORD level, const char* format, ...)
{
    if (!(g_dwTraceMask & level))
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}
