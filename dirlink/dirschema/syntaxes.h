#pragma once
// Whether an attribute syntax carries binary or textual values.
#include "dirlink/dirlink_export.h"

// 1 when the syntax (case-insensitive) is binary, 0 when it is textual, -1
// for a null syntax or one the syntax table does not hold.
DIRLINK_API int IsBinarySyntax(const char* syntax);
// 1 when the syntax (case-insensitive) is textual, 0 when it is binary, -1
// for a null syntax or one the syntax table does not hold.
DIRLINK_API int IsTextualSyntax(const char* syntax);
