#include "dirlink/dirschema/attribute_types.h"

#include <cstring>
#include <strings.h>

#include "dirlink/dirschema/attribute_description.h"
#include "dirlink/dirschema/attribute_types_tab.h"
#include "dirlink/dirschema/syntaxes.h"

namespace {
using Column = const char* ATTRIBUTE_TYPE_ROW::*;

bool sameText(const char* value, const char* pattern, bool ignoreCase)
{
    if (!value || !pattern)
        return value == pattern;
    return ignoreCase ? strcasecmp(value, pattern) == 0 : std::strcmp(value, pattern) == 0;
}

// Searches start after `index`; any negative index starts at row 0.
int firstRowAfter(int index)
{
    if (index < 0)
        return 0;
    return index >= ATTRIBUTE_TYPE_COUNT ? ATTRIBUTE_TYPE_COUNT : index + 1;
}

int nextByColumn(int index, Column column, const char* pattern, bool ignoreCase)
{
    for (int row = firstRowAfter(index); row < ATTRIBUTE_TYPE_COUNT; ++row)
        if (sameText(g_attributeTypes[row].*column, pattern, ignoreCase))
            return row;
    return -1;
}

bool passesFilter(const ATTRIBUTE_TYPE_ROW& row, unsigned short filter)
{
    switch (filter) {
    case ATTR_FILTER_ALL:
        return true;
    case ATTR_FILTER_TEXTUAL:
        return row.syntax && IsTextualSyntax(row.syntax) == 1;
    case ATTR_FILTER_BINARY:
        return row.syntax && IsBinarySyntax(row.syntax) == 1;
    case ATTR_FILTER_DERIVED:
        return row.supertype != nullptr;
    default:
        return false;
    }
}
}  // namespace

int GetNextByName(int index, const char* name)
{
    return nextByColumn(index, &ATTRIBUTE_TYPE_ROW::name, name, true);
}

int GetNextByOid(int index, const char* oid)
{
    return nextByColumn(index, &ATTRIBUTE_TYPE_ROW::oid, oid, false);
}

int GetNextBySyntax(int index, const char* syntax)
{
    return nextByColumn(index, &ATTRIBUTE_TYPE_ROW::syntax, syntax, true);
}

int GetNextBySupertype(int index, const char* supertype)
{
    return nextByColumn(index, &ATTRIBUTE_TYPE_ROW::supertype, supertype, true);
}

int GetNextByAlias(int index, const char* alias)
{
    return nextByColumn(index, &ATTRIBUTE_TYPE_ROW::alias, alias, false);
}

int GetAttributeInfo(int index, const char** name, const char** oid, const char** syntax, const char** supertype,
                     const char** alias)
{
    if (index < 0 || index >= ATTRIBUTE_TYPE_COUNT)
        return 0;
    const ATTRIBUTE_TYPE_ROW& row = g_attributeTypes[index];
    if (name)
        *name = row.name;
    if (oid)
        *oid = row.oid;
    if (syntax)
        *syntax = row.syntax;
    if (supertype)
        *supertype = row.supertype;
    if (alias)
        *alias = row.alias;
    return 1;
}

int GetNextAttributeType(int index, const char*& name, const char*& oid, const char*& alias, unsigned short filter)
{
    for (int row = firstRowAfter(index); row < ATTRIBUTE_TYPE_COUNT; ++row) {
        const ATTRIBUTE_TYPE_ROW& entry = g_attributeTypes[row];
        if (passesFilter(entry, filter)) {
            name = entry.name;
            oid = entry.oid;
            alias = entry.alias;
            return row;
        }
    }
    return -1;
}

const char* GetAttributeSyntaxName(const char* type)
{
    if (!type)
        return nullptr;
    int row = IsDottedDecimalAttrType(type) ? nextByColumn(-1, &ATTRIBUTE_TYPE_ROW::oid, type, true)
                                            : GetNextByName(-1, type);
    // Each step goes one supertype up; more steps than rows would mean a cycle.
    for (int steps = 0; row >= 0 && steps < ATTRIBUTE_TYPE_COUNT; ++steps) {
        const ATTRIBUTE_TYPE_ROW& entry = g_attributeTypes[row];
        if (entry.syntax)
            return entry.syntax;
        if (!entry.supertype)
            return nullptr;
        row = GetNextByName(-1, entry.supertype);
    }
    return nullptr;
}

const char* DecimalAttrTypeToTextual(const char* oid)
{
    if (!oid)
        return nullptr;
    int row = nextByColumn(-1, &ATTRIBUTE_TYPE_ROW::oid, oid, true);
    return row < 0 ? nullptr : g_attributeTypes[row].name;
}

const char* TextualAttrTypeToDecimal(const char* name)
{
    if (!name)
        return nullptr;
    int row = GetNextByName(-1, name);
    return row < 0 ? nullptr : g_attributeTypes[row].oid;
}
