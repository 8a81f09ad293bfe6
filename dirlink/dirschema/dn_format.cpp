#include "dirlink/dirschema/dn_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dirlink/dirschema/attribute_types.h"

namespace {
bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "#" alone or "#" with an even number of hex digits reads back as this very
// value; an odd count would not parse, so such a value is quoted instead.
bool isHexValue(const std::string& value)
{
    if (value.empty() || value[0] != '#' || (value.size() - 1) % 2 != 0)
        return false;
    return std::all_of(value.begin() + 1, value.end(), isHexDigit);
}

std::string lowered(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

std::string plainType(const std::string& type)
{
    if (HasOidPrefix(type)) {
        int row = GetNextByOid(-1, type.c_str() + 4);
        const char* name = nullptr;
        if (row >= 0 && GetAttributeInfo(row, &name, nullptr, nullptr, nullptr, nullptr) && name)
            return name;
    }
    return type;
}

std::string canonicalType(const std::string& type)
{
    if (HasOidPrefix(type))
        return lowered(type);
    if (const char* oid = TextualAttrTypeToDecimal(type.c_str()))
        return std::string("oid.") + oid;
    return type;
}

std::string formatAva(const std::string& type, const std::string& value)
{
    std::string text;
    if (!type.empty())
        text = type + "=";
    return text + FormatDnValue(value);
}
}  // namespace

std::string FormatDnValue(const std::string& value)
{
    if (value.empty() || isHexValue(value))
        return value;
    std::string escaped;
    bool quote = false;
    for (char c : value) {
        if (c == '\\' || c == '"') {
            escaped += '\\';
            quote = true;
        } else if (c != '\0' && std::strchr(",=\r+<>#; ", c)) {
            quote = true;
        }
        escaped += c;
    }
    return quote ? "\"" + escaped + "\"" : escaped;
}

std::string FormatAvaPlain(const DnAva& ava)
{
    return formatAva(ava.type.empty() ? ava.type : plainType(ava.type), ava.value);
}

std::string FormatRdn(const DnRdn& rdn, bool canonical)
{
    std::vector<std::string> avas;
    avas.reserve(rdn.avas.size());
    std::string type;
    for (const DnAva& ava : rdn.avas) {
        if (!canonical) {
            avas.push_back(FormatAvaPlain(ava));
            continue;
        }
        if (!ava.type.empty())
            type = canonicalType(ava.type);
        avas.push_back(formatAva(type, ava.value));
    }
    if (canonical)
        std::sort(avas.begin(), avas.end());
    std::string text;
    for (size_t i = 0; i < avas.size(); ++i) {
        if (i)
            text += '+';
        text += avas[i];
    }
    return text;
}

std::string FormatDn(const DnTree& tree, bool canonical)
{
    std::string text;
    for (size_t i = 0; i < tree.rdns.size(); ++i) {
        if (i)
            text += ',';
        text += FormatRdn(tree.rdns[i], canonical);
    }
    return text;
}
