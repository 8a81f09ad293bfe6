#pragma once
// CAttribute: one attribute of a directory entry, its description and its
// values.
#include "dirlink/dirclient/uni_data_holder.h"

class DIRLINK_API CAttribute {
public:
    CAttribute();
    // Deep copies: every value is cloned (count 1); null value slots stay null.
    CAttribute(const CAttribute& other);
    CAttribute& operator=(const CAttribute& other);
    // Releases every value.
    ~CAttribute();

    // Archive form: u8 version 0, the name as text, the value array (count,
    // u8 version 0, a presence byte and the value's form per slot).
    void Serialize(CArchive& ar);
    // The name; for an attribute of textual syntax (the type's options are
    // not part of the look-up) followed by each value as ": \"v\"" for the
    // first slot and "; \"v\"" for the later ones, each cut at 80 bytes.
    void GetString(CString& text) const;

    // Convenience beyond the record: appends a new value holding the bytes
    // and returns its index.
    int AddValue(const void* bytes, unsigned long n);
    int AddValue(const char* text);

    CString m_name;                // attribute description, e.g. "cn;lang-de"
    CUniDataHolderArray m_values;  // one reference held on each non-null value
};

// Owning arrays of attributes: DestructElements destroys each non-null
// attribute and nulls its slot; CopyElements copies nothing;
// SerializeElements writes u8 version 0 and per slot a presence byte (1 and
// the attribute's form, 0 for a null slot).
typedef CArray<CAttribute*, CAttribute*> CAttributeArray;
template <>
DIRLINK_API void DestructElements<CAttribute*>(CAttribute** elements, int count);
template <>
DIRLINK_API void CopyElements<CAttribute*>(CAttribute** dest, CAttribute* const* src, int count);
template <>
DIRLINK_API void SerializeElements<CAttribute*>(CArchive& ar, CAttribute** elements, int count);
