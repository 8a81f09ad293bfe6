#pragma once
// CModification: one item of a modify request.
#include "dirlink/dirclient/attribute.h"

class DIRLINK_API CModification {
public:
    // The LDAP modify operation numbers.
    enum { opAdd = 0, opDelete = 1, opReplace = 2 };

    CModification();
    // Copies the operation and deep-copies the attribute.
    CModification(const CModification& other);
    CModification& operator=(const CModification& other);
    ~CModification();

    // Archive form: u8 version 0, u8 operation, the attribute's form. An
    // operation above 2 is refused on writing and on reading (reading one
    // leaves the operation 0) with the archive's generic error.
    void Serialize(CArchive& ar);

    DWORD m_operation;       // opAdd, opDelete or opReplace
    CAttribute m_attribute;  // the name and the values to add, delete or replace
};

// Owning arrays of modifications: DestructElements destroys each non-null
// item and nulls its slot; CopyElements copies nothing; SerializeElements
// writes u8 version 0 and per slot a presence byte (1 and the item's form,
// 0 for a null slot).
typedef CArray<CModification*, CModification*> CModificationArray;
template <>
DIRLINK_API void DestructElements<CModification*>(CModification** elements, int count);
template <>
DIRLINK_API void CopyElements<CModification*>(CModification** dest, CModification* const* src, int count);
template <>
DIRLINK_API void SerializeElements<CModification*>(CArchive& ar, CModification** elements, int count);
