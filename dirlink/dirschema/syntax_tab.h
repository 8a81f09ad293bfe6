#pragma once
// The table of attribute syntaxes the library can tell apart: whether values
// of the syntax are binary (kept and shown as bytes) or textual.

struct SYNTAX_ROW {
    const char* name;  // syntax name as the attribute-type table writes it
    int binary;        // 1 binary, 0 textual
};

constexpr int SYNTAX_COUNT = 36;

extern const SYNTAX_ROW g_syntaxes[SYNTAX_COUNT];
