#pragma once
// CAttributeValueAssertion: an attribute description and a value, the data
// of the equality, ordering and approximate filters and of a compare request.
#include "dirlink/dirclient/uni_data_holder.h"

class DIRLINK_API CAttributeValueAssertion {
public:
    CAttributeValueAssertion();
    // The value (when given) is copied into a holder of the assertion's own.
    CAttributeValueAssertion(const char* description, const CUniDataHolder* value);
    CAttributeValueAssertion(const CAttributeValueAssertion& other);
    // Copies the description; copies the value into the held holder (made
    // with Create(256) when none is held); a null source value releases it.
    CAttributeValueAssertion& operator=(const CAttributeValueAssertion& other);
    ~CAttributeValueAssertion();

    // Empties the description and releases the value.
    void Reset();
    // Archive form: u8 version 0, the description as text, u8 value flag and
    // (when 1) the value's form.
    void Serialize(CArchive& ar);

    CString m_description;     // attribute description
    CUniDataHolder* m_value;   // one reference held; may be null
};
