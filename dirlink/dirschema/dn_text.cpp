#include "dirlink/dirschema/dn_text.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "dirlink/dirschema/attribute_types.h"
#include "dirlink/dirschema/dn_format.h"
#include "dirlink/dirschema/dn_parser.h"

namespace {
bool parseValid(const char* dn, DnTree& tree)
{
    return ParseDnText(dn, tree) && IsValidTree(tree);
}

bool isEmptyText(const char* text)
{
    return !text || !*text;
}

CString toCString(const std::string& text)
{
    return CString(text);
}

std::string lowered(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

// The type as comparison sees it: the OID of a known name, or the text
// after "oid."/"OID.", or an unknown name as written.
std::string normalisedType(const std::string& type)
{
    if (const char* oid = TextualAttrTypeToDecimal(type.c_str()))
        return oid;
    if (HasOidPrefix(type))
        return type.substr(4);
    return type;
}

// The AVAs of an RDN as sorted (type, value) keys, so that two RDNs match
// exactly when their keys are equal: each AVA needs a counterpart of its own,
// whatever the order of the AVAs.
std::vector<std::pair<std::string, std::string>> matchKeys(const DnRdn& rdn)
{
    std::vector<std::pair<std::string, std::string>> keys;
    keys.reserve(rdn.avas.size());
    std::string type;
    for (const DnAva& ava : rdn.avas) {
        if (!ava.type.empty())
            type = normalisedType(ava.type);
        keys.emplace_back(type, lowered(ava.value));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// The first RDN of a valid DN, or null.
const DnRdn* firstRdn(const char* text, DnTree& tree)
{
    if (!parseValid(text, tree) || tree.rdns.empty())
        return nullptr;
    return &tree.rdns.front();
}
}  // namespace

int IsValidDn(const char* dn)
{
    DnTree tree;
    return parseValid(dn, tree) ? 1 : 0;
}

int AreEqualDn(const char* a, const char* b)
{
    if (isEmptyText(a) || isEmptyText(b))
        return -1;
    DnTree first, second;
    if (!parseValid(a, first) || !parseValid(b, second))
        return -1;
    if (first.rdns.size() != second.rdns.size())
        return 0;
    for (size_t i = 0; i < first.rdns.size(); ++i) {
        if (first.rdns[i].avas.size() != second.rdns[i].avas.size())
            return 0;
        if (matchKeys(first.rdns[i]) != matchKeys(second.rdns[i]))
            return 0;
    }
    return 1;
}

int ConvertDn(const char* dn, int canonical, CString& out)
{
    DnTree tree;
    if (!parseValid(dn, tree))
        return 0;
    out = toCString(FormatDn(tree, canonical != 0));
    return 1;
}

int GetRDnCount(const char* dn)
{
    DnTree tree;
    return parseValid(dn, tree) ? (int)tree.rdns.size() : -1;
}

int GetRDn(int index, const char* dn, CString& out)
{
    DnTree tree;
    if (!parseValid(dn, tree))
        return 0;
    int count = (int)tree.rdns.size();
    if (index < 1 || index > count)
        return 0;
    out = toCString(FormatRdn(tree.rdns[(size_t)(count - index)], false));
    return 1;
}

int GetAllRDns(const char* dn, CStringArray& out, int canonical)
{
    DnTree tree;
    if (!parseValid(dn, tree))
        return 0;
    out.RemoveAll();
    for (auto rdn = tree.rdns.rbegin(); rdn != tree.rdns.rend(); ++rdn)
        out.Add(toCString(FormatRdn(*rdn, canonical != 0)));
    return 1;
}

CString AddRDn(const char* rdn, const char* dn)
{
    CString text(rdn);
    if (!isEmptyText(dn)) {
        text += ',';
        text += dn;
    }
    return text;
}

int GetAvaCount(const char* rdn)
{
    DnTree tree;
    if (!parseValid(rdn, tree))
        return -1;
    return tree.rdns.empty() ? 0 : (int)tree.rdns.front().avas.size();
}

int GetAva(int index, const char* rdn, CString& out)
{
    DnTree tree;
    const DnRdn* first = firstRdn(rdn, tree);
    if (!first || index < 0 || (size_t)index >= first->avas.size())
        return 0;
    out = toCString(FormatAvaPlain(first->avas[(size_t)index]));
    return 1;
}

int GetAllAvas(const char* rdn, CStringArray& out)
{
    DnTree tree;
    if (!parseValid(rdn, tree))
        return 0;
    if (!tree.rdns.empty())
        for (const DnAva& ava : tree.rdns.front().avas)
            out.Add(toCString(FormatAvaPlain(ava)));
    return 1;
}

CString AddAva(const char* ava1, const char* ava2)
{
    CString text(ava1);
    text += '+';
    text += ava2;
    return text;
}

int IsValidAva(const char* ava)
{
    if (isEmptyText(ava))
        return 0;
    std::string text(ava);
    DnRdn rdn;
    size_t end = 0;
    // The AVAs must make up the whole text: a separator would start another RDN.
    if (!ParseRdnText(text, 0, rdn, end) || end != text.size())
        return 0;
    return IsValidRdn(rdn) ? 1 : 0;
}
