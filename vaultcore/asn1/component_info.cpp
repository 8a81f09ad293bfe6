#include "vaultcore/asn1/component_info.h"

#include <cstring>

namespace {

// The components of a value, whichever way the caller holds them.
class ComponentList {
public:
    explicit ComponentList(const CASN1TypeArray& array) : m_array(&array), m_value(nullptr) {}
    explicit ComponentList(const CASN1_CONSTRUCTED_TYPE& value) : m_array(nullptr), m_value(&value) {}

    int size() const { return m_array ? m_array->GetSize() : m_value->getComponentCount(); }
    const CASN1Type* at(int index) const { return m_array ? m_array->GetAt(index) : m_value->getComponentAt(index); }

private:
    const CASN1TypeArray* m_array;
    const CASN1_CONSTRUCTED_TYPE* m_value;
};

BOOL validateComponents(const ASN1_COMPONENT_INFO* table, const ComponentList& components)
{
    if (!table)
        return FALSE;
    const int count = components.size();
    int next = 0;
    const ASN1_COMPONENT_INFO* row = table;
    while (!row->isTerminator()) {
        if (next == count) {
            for (; !row->isTerminator(); ++row) {
                if (!row->mayBeSkipped())
                    return FALSE;
            }
            return TRUE;
        }
        const CASN1Type* component = components.at(next);
        if (row->isMember(component)) {
            if (!row->isValid(component, 1))
                return FALSE;
            ++next;
            if (!row->m_repeated)
                ++row;
        } else {
            if (!row->mayBeSkipped())
                return FALSE;
            ++row;
        }
    }
    return next == count;
}

int findComponentByMemberName(const ASN1_COMPONENT_INFO* table, const ComponentList& components,
                              const char* name)
{
    if (!table || !name)
        return -1;
    const int count = components.size();
    int next = 0;
    for (const ASN1_COMPONENT_INFO* row = table; !row->isTerminator() && next < count; ++row) {
        if (row->isMember(components.at(next))) {
            if (std::strcmp(row->m_name, name) == 0)
                return next;
            ++next;
        }
    }
    return -1;
}

}  // namespace

BOOL ASN1_COMPONENT_INFO::isMember(const CASN1Type* value) const
{
    if (!value || isTerminator())
        return FALSE;
    if (m_any && m_tagging == TM_NONE)
        return TRUE;
    if (m_resolver && m_tagging == TM_NONE)
        return m_resolver(value) != -1;
    return identifier() == value->getIdentifier();
}

BOOL ASN1_COMPONENT_INFO::isValid(const CASN1Type* value, int identifierChecked) const
{
    if (!value || isTerminator())
        return FALSE;
    if (m_any && m_tagging == TM_NONE)
        return TRUE;
    if (!m_validator)
        return identifierChecked || identifier() == value->getIdentifier();
    switch (m_tagging) {
    case TM_NONE:
        // A CHOICE member's alternatives carry their own identifiers.
        return m_validator(value, m_resolver ? 0 : identifierChecked) ? TRUE : FALSE;
    case TM_IMPLICIT:
        if (!identifierChecked && identifier() != value->getIdentifier())
            return FALSE;
        return m_validator(value, 1) ? TRUE : FALSE;
    case TM_EXPLICIT: {
        if (!identifierChecked && identifier() != value->getIdentifier())
            return FALSE;
        const CASN1_CONSTRUCTED_TYPE* tagged = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
        if (!tagged || !tagged->isConstructed() || tagged->getComponentCount() != 1)
            return FALSE;
        return m_validator(tagged->getComponentAt(0), 0) ? TRUE : FALSE;
    }
    }
    return FALSE;
}

BOOL ___validateComponents(const ASN1_COMPONENT_INFO* table, const CASN1TypeArray& components)
{
    return validateComponents(table, ComponentList(components));
}

BOOL ___validateComponents(const ASN1_COMPONENT_INFO* table, const CASN1_CONSTRUCTED_TYPE& value)
{
    return validateComponents(table, ComponentList(value));
}

int ___findComponentByMemberName(const ASN1_COMPONENT_INFO* table, const CASN1TypeArray& components,
                                 const char* name)
{
    return findComponentByMemberName(table, ComponentList(components), name);
}

int ___findComponentByMemberName(const ASN1_COMPONENT_INFO* table, const CASN1_CONSTRUCTED_TYPE& value,
                                 const char* name)
{
    return findComponentByMemberName(table, ComponentList(value), name);
}

int ___resolveAlternative(const ASN1_COMPONENT_INFO* alternatives, const CASN1Type* value)
{
    if (!alternatives || !value)
        return -1;
    for (int index = 0; !alternatives[index].isTerminator(); ++index) {
        if (alternatives[index].isMember(value))
            return index;
    }
    return -1;
}

int ___resolveAlternative(const ASN1_COMPONENT_INFO* alternatives, const CASN1Type* value, const char* name)
{
    if (!alternatives || !value || !name)
        return -1;
    for (int index = 0; !alternatives[index].isTerminator(); ++index) {
        if (std::strcmp(alternatives[index].m_name, name) == 0 && alternatives[index].isMember(value))
            return index;
    }
    return -1;
}

BOOL ___validateAlternative(const ASN1_COMPONENT_INFO* alternatives, const CASN1Type* value, int implicitlyTagged)
{
    if (!alternatives || !value)
        return FALSE;
    for (const ASN1_COMPONENT_INFO* row = alternatives; !row->isTerminator(); ++row) {
        if ((implicitlyTagged || row->isMember(value)) && row->isValid(value, 1))
            return TRUE;
    }
    return FALSE;
}

BOOL ___validateSchemaValue(const ASN1_COMPONENT_INFO* table, unsigned char tagAndClass, const CASN1Type* value,
                            int implicitlyTagged)
{
    const CASN1_CONSTRUCTED_TYPE* constructed = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
    if (!constructed || !constructed->isConstructed())
        return FALSE;
    if (!implicitlyTagged && constructed->getIdentifier() != tagAndClass)
        return FALSE;
    return ___validateComponents(table, *constructed);
}

void ___throwDerNotValid(const char* className)
{
    ___throwDERDecodingException("%s::(CDEREncoding& der) - der not valid", className);
}

void ___throwMemberNotAvailable(const char* className, const char* member)
{
    ___throwDERDecodingException("%s::get_%s - member not present", className, member);
}
