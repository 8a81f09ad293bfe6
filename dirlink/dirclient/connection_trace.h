#pragma once
// Trace output of the directory connection: two levels, error and
// information, each emitted only when its bit is set in the trace mask.
// The mask is 0 in every build of the library unless a diagnostic build
// defines DIRLINK_TRACE_MASK; the trace points and their texts stay in
// place for that build.
#include "platform/types.h"

const DWORD kTraceError = 1;
const DWORD kTraceInformation = 4;

#ifndef DIRLINK_TRACE_MASK
#define DIRLINK_TRACE_MASK 0
#endif
const DWORD g_dwTraceMask = DIRLINK_TRACE_MASK;

// Writes one line to standard error when level is in the mask.
void connectionTrace(DWORD level, const char* format, ...) __attribute__((format(printf, 2, 3)));
