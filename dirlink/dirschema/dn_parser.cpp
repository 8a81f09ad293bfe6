#include "dirlink/dirschema/dn_parser.h"

#include <cstring>

#include "dirlink/dirschema/attribute_types.h"

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\r';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

size_t skipBlanks(const std::string& text, size_t pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

// A quoted string starting at the quote `pos`: the text up to the next quote
// that is not escaped, with each backslash dropped and the character after it
// kept. A backslash always takes the next character, so an escaped backslash
// before the closing quote does not hide the quote.
bool parseQuoted(const std::string& text, size_t pos, std::string& value, size_t& next)
{
    value.clear();
    for (size_t q = pos + 1; q < text.size(); ++q) {
        char c = text[q];
        if (c == '\\') {
            if (++q == text.size())
                return false;
            value += text[q];
        } else if (c == '"') {
            next = q + 1;
            return true;
        } else {
            value += c;
        }
    }
    return false;
}

// A hex value starting at the number sign `pos`: the sign and the hex digits
// that follow, an even number of them.
bool parseHex(const std::string& text, size_t pos, std::string& value, size_t& next)
{
    size_t q = pos + 1;
    while (q < text.size() && isHexDigit(text[q]))
        ++q;
    if ((q - pos - 1) % 2 != 0)
        return false;
    value.assign(text, pos, q - pos);
    next = q;
    return true;
}

// Removes blanks from both ends of an unquoted value, but never an escaped
// character: those the writer asked to keep. [keepFrom, keepTo) spans the
// escaped characters (empty when there are none).
void trimValue(std::string& value, size_t keepFrom, size_t keepTo)
{
    size_t end = value.size();
    while (end > keepTo && end > 0 && isBlank(value[end - 1]))
        --end;
    size_t begin = 0;
    size_t limit = keepFrom < end ? keepFrom : end;
    while (begin < limit && isBlank(value[begin]))
        ++begin;
    value = value.substr(begin, end - begin);
}

// One AVA from `pos`; `next` is where the text after it starts.
bool parseAva(const std::string& text, size_t pos, DnAva& ava, size_t& next)
{
    ava.type.clear();
    ava.value.clear();
    if (pos < text.size() && text[pos] == '"')
        return parseQuoted(text, pos, ava.value, next);
    if (pos < text.size() && text[pos] == '#')
        return parseHex(text, pos, ava.value, next);

    bool inValue = false;
    bool special = false;  // quoted or hex: no trimming
    size_t keepFrom = std::string::npos, keepTo = 0;
    size_t p = pos;
    while (p < text.size()) {
        char c = text[p];
        if (c == '\\') {
            if (p + 1 >= text.size())
                return false;
            if (!inValue) {
                ava.value = ava.type;
                ava.type.clear();
                inValue = true;
            }
            if (keepFrom == std::string::npos)
                keepFrom = ava.value.size();
            ava.value += text[p + 1];
            keepTo = ava.value.size();
            p += 2;
        } else if (c == '"' || c == '#') {
            if (!inValue || !ava.value.empty())
                return false;
            if (!(c == '"' ? parseQuoted(text, p, ava.value, p) : parseHex(text, p, ava.value, p)))
                return false;
            special = true;
            break;
        } else if (c == '+' || c == ',' || c == ';') {
            break;
        } else if (c == '<' || c == '>') {
            return false;
        } else if (c == '=') {
            if (inValue)
                return false;
            inValue = true;
            p = skipBlanks(text, p + 1);
        } else {
            (inValue ? ava.value : ava.type) += c;
            ++p;
        }
    }
    if (!inValue) {
        ava.value.swap(ava.type);
        ava.type.clear();
    }
    while (!ava.type.empty() && isBlank(ava.type.back()))
        ava.type.pop_back();
    if (!special)
        trimValue(ava.value, keepFrom, keepTo);
    next = p;
    return true;
}

// "oid."/"OID." followed by at least two arcs of digits separated by single
// dots, the first arc 0-2 and the second 0-39.
bool isOidType(const std::string& type)
{
    if (!HasOidPrefix(type))
        return false;
    const char* p = type.c_str() + 4;
    int arcs = 0;
    for (;;) {
        const char* start = p;
        unsigned arc = 0;  // saturates: only the first two arcs' values matter
        while (*p >= '0' && *p <= '9') {
            arc = arc > 1000 ? arc : arc * 10 + (unsigned)(*p - '0');
            ++p;
        }
        if (p == start)
            return false;  // empty arc: a dot at either end or two in a row
        if ((arcs == 0 && arc > 2) || (arcs == 1 && arc > 39))
            return false;
        ++arcs;
        if (*p == '\0')
            return arcs >= 2;
        if (*p != '.')
            return false;
        ++p;
    }
}

bool isValidType(const std::string& type)
{
    return GetNextByName(-1, type.c_str()) >= 0 || isOidType(type);
}
}  // namespace

bool HasOidPrefix(const std::string& type)
{
    return type.compare(0, 4, "oid.") == 0 || type.compare(0, 4, "OID.") == 0;
}

bool ParseRdnText(const std::string& text, size_t start, DnRdn& rdn, size_t& end)
{
    rdn.avas.clear();
    size_t pos = start;
    for (;;) {
        DnAva ava;
        size_t next = pos;
        if (!parseAva(text, pos, ava, next))
            return false;
        if (!rdn.avas.empty() && ava.type.empty() && ava.value.empty())
            return false;  // nothing after a plus sign
        rdn.avas.push_back(std::move(ava));
        pos = skipBlanks(text, next);
        if (pos == text.size()) {
            end = pos;
            return true;
        }
        char c = text[pos];
        if (c == ',' || c == ';') {
            end = pos;
            return true;
        }
        if (c != '+')
            return false;
        pos = skipBlanks(text, pos + 1);
        if (pos == text.size())
            return false;
    }
}

bool ParseDnText(const char* text, DnTree& tree)
{
    tree.rdns.clear();
    if (!text || !*text)
        return true;
    std::string dn(text);
    size_t pos = 0;
    for (;;) {
        DnRdn rdn;
        size_t end = 0;
        if (!ParseRdnText(dn, pos, rdn, end))
            return false;
        tree.rdns.push_back(std::move(rdn));
        if (end == dn.size())
            return true;
        pos = skipBlanks(dn, end + 1);
        if (pos == dn.size())
            return false;
    }
}

bool IsValidRdn(const DnRdn& rdn)
{
    if (rdn.avas.empty() || rdn.avas.front().type.empty())
        return false;
    for (const DnAva& ava : rdn.avas)
        if (!ava.type.empty() && !isValidType(ava.type))
            return false;
    return true;
}

bool IsValidTree(const DnTree& tree)
{
    for (const DnRdn& rdn : tree.rdns)
        if (!IsValidRdn(rdn))
            return false;
    return true;
}
