#include "dirlink/dirclient/attribute_value_assertion.h"

#include "dirlink/dirclient/holder_parts.h"

CAttributeValueAssertion::CAttributeValueAssertion() : m_value(nullptr) {}

CAttributeValueAssertion::CAttributeValueAssertion(const char* description, const CUniDataHolder* value)
    : m_description(description), m_value(nullptr)
{
    dirclient::copyValue(m_value, value);
}

CAttributeValueAssertion::CAttributeValueAssertion(const CAttributeValueAssertion& other) : m_value(nullptr)
{
    *this = other;
}

CAttributeValueAssertion& CAttributeValueAssertion::operator=(const CAttributeValueAssertion& other)
{
    m_description = other.m_description;
    dirclient::copyValue(m_value, other.m_value);
    return *this;
}

CAttributeValueAssertion::~CAttributeValueAssertion()
{
    dirclient::releaseValue(m_value);
}

void CAttributeValueAssertion::Reset()
{
    m_description.Empty();
    dirclient::releaseValue(m_value);
}

void CAttributeValueAssertion::Serialize(CArchive& ar)
{
    dirclient::serializeVersion(ar);
    if (ar.IsStoring())
        ar << m_description;
    else
        ar >> m_description;
    dirclient::serializeOptionalValue(ar, m_value);
}
