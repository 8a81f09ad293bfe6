#pragma once
// Extension: search filters from text. Reads the protocol's string form of
// filters (RFC 4515) into a CSearchFilter tree: (&...), (|...), (!...),
// (a=v), (a~=v), (a>=v), (a<=v), (a=*), substrings (a=x*y*z) and extensible
// matches (a:dn:rule:=v, :rule:=v); "(&)" and "(|)" are an AND and an OR
// without operands. In values a backslash is followed either by two
// hexadecimal digits ("\2a", the RFC 4515 escape) or by one of * ( ) \ (the
// escape CSearchFilter::GetString writes), so GetString's protocol form of a
// parsed filter parses back to an equal tree; "NULL" as the type of an
// extensible match with a matching rule, GetString's spelling of a missing
// type, reads back as no type. A filter without its outer parentheses
// ("cn=a"), as the OpenLDAP tools accept, is read as if it had them.
#include "dirlink/dirclient/search_filter.h"

// Where the text stopped making sense.
struct CFilterParseError {
    int m_position = 0;  // 0-based offset into the text
    CString m_message;   // what was wrong there, e.g. "expected ')'"
};

// Parses the whole text into `filter` (cleared first). Returns TRUE on
// success; FALSE leaves `filter` an empty filter (rule 0) and, when `error`
// is given, fills it. Nesting deeper than CSearchFilter::kMaxFilterDepth is
// an error. The CString form reads every byte, zero bytes included.
DIRLINK_API BOOL ParseSearchFilter(const char* text, CSearchFilter& filter, CFilterParseError* error = nullptr);
DIRLINK_API BOOL ParseSearchFilter(const CString& text, CSearchFilter& filter, CFilterParseError* error = nullptr);
