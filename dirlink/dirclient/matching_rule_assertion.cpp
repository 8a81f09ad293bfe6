#include "dirlink/dirclient/matching_rule_assertion.h"

#include "dirlink/dirclient/holder_parts.h"

CMatchingRuleAssertion::CMatchingRuleAssertion()
    : m_dnAttributes(0), m_matchingRule(nullptr), m_type(nullptr), m_matchValue(nullptr)
{
}

CMatchingRuleAssertion::CMatchingRuleAssertion(const CMatchingRuleAssertion& other) : CMatchingRuleAssertion()
{
    *this = other;
}

CMatchingRuleAssertion& CMatchingRuleAssertion::operator=(const CMatchingRuleAssertion& other)
{
    if (this == &other)
        return *this;
    m_dnAttributes = other.m_dnAttributes;
    dirclient::copyText(m_matchingRule, other.m_matchingRule);
    dirclient::copyText(m_type, other.m_type);
    dirclient::copyValue(m_matchValue, other.m_matchValue);
    return *this;
}

CMatchingRuleAssertion::~CMatchingRuleAssertion()
{
    delete m_matchingRule;
    delete m_type;
    dirclient::releaseValue(m_matchValue);
}

int CMatchingRuleAssertion::IsComplete() const
{
    return m_matchValue ? 1 : 0;
}

void CMatchingRuleAssertion::Serialize(CArchive& ar)
{
    dirclient::serializeVersion(ar);
    if (ar.IsStoring()) {
        ar << (BYTE)(m_dnAttributes ? 1 : 0);
    } else {
        BYTE dnAttributes;
        ar >> dnAttributes;
        m_dnAttributes = dnAttributes;
    }
    dirclient::serializeOptionalText(ar, m_matchingRule);
    dirclient::serializeOptionalText(ar, m_type);
    dirclient::serializeOptionalValue(ar, m_matchValue);
}
