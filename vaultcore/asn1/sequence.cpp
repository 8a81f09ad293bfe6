#include "vaultcore/asn1/sequence.h"

IMPLEMENT_ASN1_COPY(CASN1_SEQUENCE)
IMPLEMENT_ASN1_COPY(CASN1_SET)

CASN1_SEQUENCE::CASN1_SEQUENCE()
{
    m_identifier = 16;
    m_bConstructed = TRUE;
}

CASN1_SET::CASN1_SET()
{
    m_identifier = 17;
}

void CASN1_SET::AddObject(CASN1Type* component)
{
    if (!m_bSorted) {
        CASN1_CONSTRUCTED_TYPE::AddObject(component);
        return;
    }
    // Behind the last component that is smaller; equal values go first.
    int index = m_components.GetSize();
    while (index > 0 && ___cmp(*component, *m_components[index - 1]) <= 0)
        --index;
    m_components.InsertAt(index, component);
}

BOOL CASN1_SET::isValid(const CASN1Type* value, int implicitlyTagged)
{
    if (!value || !value->isConstructed())
        return FALSE;
    if (!implicitlyTagged && value->getIdentifier() != 17)
        return FALSE;
    const CASN1_CONSTRUCTED_TYPE* set = dynamic_cast<const CASN1_CONSTRUCTED_TYPE*>(value);
    if (!set)
        return FALSE;
    if (value->isSorted())
        for (int i = 0; i + 1 < set->getComponentCount(); ++i)
            if (___cmp(*set->getComponentAt(i), *set->getComponentAt(i + 1)) > 0)
                return FALSE;
    return TRUE;
}
