#pragma once
// The built-in attribute-type table: one row per known attribute type. Rows
// sharing an OID are aliases of one another; the row index is the identifier
// the lookup functions take and return.

// One attribute type. Any column may be null: a row without an own syntax
// takes it from its supertype, and many rows have no display alias.
struct ATTRIBUTE_TYPE_ROW {
    const char* oid;        // dotted-decimal object identifier
    const char* name;       // textual attribute type name
    const char* syntax;     // syntax name, a key of the syntax table
    const char* supertype;  // name of the superior attribute type
    const char* alias;      // display name shown to users
};

constexpr int ATTRIBUTE_TYPE_COUNT = 257;

extern const ATTRIBUTE_TYPE_ROW g_attributeTypes[ATTRIBUTE_TYPE_COUNT];
