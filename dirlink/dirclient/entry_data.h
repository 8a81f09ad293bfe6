#pragma once
// CEntryData: one directory entry, its name and its attributes.
#include "dirlink/dirclient/attribute.h"

class DIRLINK_API CEntryData {
public:
    CEntryData();
    // Deep copies: every attribute is copied; null slots stay null.
    CEntryData(const CEntryData& other);
    CEntryData& operator=(const CEntryData& other);
    // Destroys every attribute.
    ~CEntryData();

    // Archive form, the same layout as an attribute's: u8 version 0, the DN
    // as text, the attribute array (count, u8 version 0, a presence byte and
    // the attribute's form per slot).
    void Serialize(CArchive& ar);
    // The index of the first attribute after `after` (from 0 when `after` is
    // negative) whose name equals `name` ignoring case, or -1. Calling it
    // again with the last answer enumerates all attributes of one name.
    int FindNextAttribute(int after, const char* name) const;

    CString m_dn;                  // the entry's distinguished name
    CAttributeArray m_attributes;  // owned; null slots allowed
};

// Owning arrays of entries: DestructElements destroys each non-null entry
// and nulls its slot; CopyElements copies nothing; SerializeElements writes
// u8 version 0 and per slot a presence byte (1 and the entry's form, 0 for a
// null slot).
typedef CArray<CEntryData*, CEntryData*> CEntryDataArray;
template <>
DIRLINK_API void DestructElements<CEntryData*>(CEntryData** elements, int count);
template <>
DIRLINK_API void CopyElements<CEntryData*>(CEntryData** dest, CEntryData* const* src, int count);
template <>
DIRLINK_API void SerializeElements<CEntryData*>(CArchive& ar, CEntryData** elements, int count);
