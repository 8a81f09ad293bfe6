#pragma once
// CSubstringFilter: the data of a substring filter, the pieces a value must
// begin with, contain in order and end with.
#include "dirlink/dirclient/uni_data_holder.h"

class DIRLINK_API CSubstringFilter {
public:
    CSubstringFilter();
    // Deep copies; null slots of the source's any array are dropped.
    CSubstringFilter(const CSubstringFilter& other);
    CSubstringFilter& operator=(const CSubstringFilter& other);
    // Releases initial, final and every any value.
    ~CSubstringFilter();

    // 1 when the type is not empty and at least one of initial, final or an
    // any value is present and not empty.
    int IsComplete() const;
    // Archive form: u8 version 0, the type as text, u8 initial flag and (when
    // 1) the holder, u8 final flag and (when 1) the holder, the any array
    // (count, u8 version 0, a presence byte and the value's form per slot).
    void Serialize(CArchive& ar);

    CString m_type;              // attribute description
    CUniDataHolder* m_initial;   // may be null
    CUniDataHolderArray m_any;   // in order; null slots allowed
    CUniDataHolder* m_final;     // may be null
};
