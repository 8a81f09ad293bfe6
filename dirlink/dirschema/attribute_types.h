#pragma once
// Lookups in the built-in attribute-type table. Rows are identified by their
// index 0-256; every GetNextBy... search starts at the row after `index`
// (pass -1 to start at row 0) and answers the first matching row or -1. A null
// pattern matches the first row whose column is null.
#include "dirlink/dirlink_export.h"

// Filters of GetNextAttributeType and FillComboWithAttributes.
enum : unsigned short {
    ATTR_FILTER_ALL = 0,      // every row
    ATTR_FILTER_TEXTUAL = 1,  // rows whose own syntax is textual
    ATTR_FILTER_BINARY = 2,   // rows whose own syntax is binary
    ATTR_FILTER_DERIVED = 3,  // rows that have a supertype
};

// Name column, compared case-insensitively.
DIRLINK_API int GetNextByName(int index, const char* name);
// OID column, compared exactly.
DIRLINK_API int GetNextByOid(int index, const char* oid);
// Syntax column, compared case-insensitively.
DIRLINK_API int GetNextBySyntax(int index, const char* syntax);
// Supertype column, compared case-insensitively.
DIRLINK_API int GetNextBySupertype(int index, const char* supertype);
// Alias column, compared exactly.
DIRLINK_API int GetNextByAlias(int index, const char* alias);

// Fills the non-null outputs with the columns of row `index` and answers 1;
// answers 0 for an index outside the table.
DIRLINK_API int GetAttributeInfo(int index, const char** name, const char** oid, const char** syntax,
                                 const char** supertype, const char** alias);

// The next row after `index` that passes `filter` (ATTR_FILTER_...), with its
// name, OID and alias; -1 after the last row or for an unknown filter. Rows
// without an own syntax never pass the textual and binary filters.
DIRLINK_API int GetNextAttributeType(int index, const char*& name, const char*& oid, const char*& alias,
                                     unsigned short filter);

// The syntax of an attribute type given by OID or by name (both
// case-insensitive), followed up the supertype chain when the row has none of
// its own; null when the type or a supertype is not in the table.
DIRLINK_API const char* GetAttributeSyntaxName(const char* type);

// The name of the first row with this OID (case-insensitive), or null.
DIRLINK_API const char* DecimalAttrTypeToTextual(const char* oid);
// The OID of the first row with this name (case-insensitive), or null.
DIRLINK_API const char* TextualAttrTypeToDecimal(const char* name);
