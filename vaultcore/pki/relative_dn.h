#pragma once
// CRelativeDN: one level of a distinguished name, an ordered set of
// attribute values that it owns, with a label that is only copied and
// stored.
#include "vaultcore/pki/attribute_value.h"

class VAULTCORE_API CRelativeDN : public CObject {
    DECLARE_SERIAL(CRelativeDN)
public:
    // The label of relative names made by default, by decoding and by the
    // archive.
    static const char* const kDefaultLabel;

    explicit CRelativeDN(const char* label = kDefaultLabel);
    // Deep copies: every attribute value is duplicated.
    CRelativeDN(const CRelativeDN& other);
    CRelativeDN& operator=(const CRelativeDN& other);

    // Appends the value, which the relative name then owns; its index.
    int Add(CAttributeValue* value);
    // The value of the first attribute of that type, in array order; FALSE
    // (value untouched) when there is none.
    BOOL Find(DNAttrNameEnum type, CString& value) const;
    // Each attribute's text followed by "\r\n".
    operator CString() const;

    // Format byte 0, the label, then the attribute array (count, then each
    // value's Serialize). Loading refuses another format byte with the
    // generic archive exception.
    void Serialize(CArchive& ar) override;

    CAttributeValueArray m_values;
    CString m_label;
};

// The attribute arrays equal as sets (see CAttributeValueArray); labels are
// not compared.
VAULTCORE_API BOOL operator==(const CRelativeDN& a, const CRelativeDN& b);
VAULTCORE_API BOOL operator!=(const CRelativeDN& a, const CRelativeDN& b);

VC_OWNED_POINTER_ELEMENTS(CRelativeDN)
