#pragma once
// The parse tree of a distinguished name written as text, and the parser
// behind the DN text functions. Every call parses afresh; nothing is kept.
#include <cstddef>
#include <string>
#include <vector>

// One attribute-value assertion. The type may be empty (the value stands
// alone and takes the type of the AVA before it); the value has its quotes
// and escapes removed, and a hex value keeps its leading number sign.
struct DnAva {
    std::string type;
    std::string value;
};

// AVAs of one relative name, in text order (joined by plus signs).
struct DnRdn {
    std::vector<DnAva> avas;
};

// Relative names in text order, leftmost first. Empty for the empty DN.
struct DnTree {
    std::vector<DnRdn> rdns;
};

// Parses a whole DN. A null or empty text is the empty DN. Fails on malformed
// text: an unclosed quote, an odd number of hex digits, misplaced quotes,
// number signs or equals signs, '<' or '>', a dangling escape, an empty AVA
// after a plus sign, or a separator followed by nothing but blanks.
bool ParseDnText(const char* text, DnTree& tree);

// Parses the AVAs of one relative name starting at `start` (joined by plus
// signs). On success `end` is the position of the comma or semicolon that
// ends it, or the text length.
bool ParseRdnText(const std::string& text, size_t start, DnRdn& rdn, size_t& end);

// True when every RDN's first AVA has a type and every type is a known
// attribute name or "oid."/"OID." followed by a well-formed OID.
bool IsValidRdn(const DnRdn& rdn);
bool IsValidTree(const DnTree& tree);

// True for a type written as "oid." or "OID." followed by anything.
bool HasOidPrefix(const std::string& type);
