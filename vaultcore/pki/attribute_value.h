#pragma once
// CAttributeValue: one attribute of a distinguished name: the attribute
// type's display name (see dn_attribute_names.h), the value text, and the
// universal tag of the string type that carries the value in DER.
#include "platform/afx.h"
#include "vaultcore/pki/dn_attribute_names.h"
#include "vaultcore/pki/owned_elements.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CAttributeValue : public CObject {
    DECLARE_SERIAL(CAttributeValue)
public:
    // String kinds: the universal tags a value may be carried in.
    enum {
        kOctetString = 4,
        kPrintableString = 19,
        kT61String = 20,
        kIA5String = 22,
    };
    static BOOL IsStringKind(unsigned kind);

    // Empty name and value, PrintableString.
    CAttributeValue();
    // The type's display name and the text (null: empty) as a
    // PrintableString; an e-mail address is kept in lower case as an
    // IA5String.
    CAttributeValue(DNAttrNameEnum type, const char* text);
    CAttributeValue(const CAttributeValue& other);
    CAttributeValue& operator=(const CAttributeValue& other);

    // "name: value".
    operator CString() const;

    // Format byte 0, name, value, string kind. Loading refuses another
    // format byte or an unknown string kind with the generic archive
    // exception, leaving the value as it was.
    void Serialize(CArchive& ar) override;

    CString m_attributeName;
    CString m_value;
    BYTE m_stringKind;
};

// Names, values (byte for byte) and string kinds equal.
VAULTCORE_API BOOL operator==(const CAttributeValue& a, const CAttributeValue& b);
VAULTCORE_API BOOL operator!=(const CAttributeValue& a, const CAttributeValue& b);

VC_OWNED_POINTER_ELEMENTS(CAttributeValue)

// An owning array of attribute values.
typedef CArray<CAttributeValue*, CAttributeValue*> CAttributeValueArray;

// Equal counts, and every value of a equals some value of b: the order
// does not matter and duplicates are not counted.
VAULTCORE_API BOOL operator==(const CAttributeValueArray& a, const CAttributeValueArray& b);
