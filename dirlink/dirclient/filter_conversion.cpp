#include "dirlink/dirclient/filter_conversion.h"

#include "dirlink/dirclient/message_parts.h"

namespace dirclient {

namespace {

// Context tags of the Filter CHOICE and its parts.
const unsigned char kAnd = 0x80, kOr = 0x81, kNot = 0x82, kEquality = 0x83, kSubstrings = 0x84,
                    kGreaterOrEqual = 0x85, kLessOrEqual = 0x86, kPresent = 0x87, kApprox = 0x88,
                    kExtensible = 0x89;
const unsigned char kInitial = 0x80, kAny = 0x81, kFinal = 0x82;
const unsigned char kMatchingRule = 0x81, kMatchType = 0x82, kMatchValue = 0x83, kDnAttributes = 0x84;

unsigned char assertionTag(enumFilterRule rule)
{
    switch (rule) {
    case frGreaterOrEqual:
        return kGreaterOrEqual;
    case frLessOrEqual:
        return kLessOrEqual;
    case frApprox:
        return kApprox;
    default:
        return kEquality;
    }
}

bool hasBytes(const CUniDataHolder* value)
{
    return value && value->GetSize() > 0;
}

std::unique_ptr<CASN1Type> substringFilter(const CSubstringFilter& data, int nameForm)
{
    std::unique_ptr<CASN1_TAGGED> filter(constructed(kSubstrings));
    filter->AddObject(description(data.m_type, nameForm));
    CASN1_SEQUENCE* pieces = new CASN1_SEQUENCE;
    filter->AddObject(pieces);
    if (hasBytes(data.m_initial))
        pieces->AddObject(implicitly(kInitial, *std::unique_ptr<CASN1Type>(octets(data.m_initial))));
    for (int i = 0; i < data.m_any.GetSize(); ++i)
        if (hasBytes(data.m_any[i]))
            pieces->AddObject(implicitly(kAny, *std::unique_ptr<CASN1Type>(octets(data.m_any[i]))));
    if (hasBytes(data.m_final))
        pieces->AddObject(implicitly(kFinal, *std::unique_ptr<CASN1Type>(octets(data.m_final))));
    return filter;
}

std::unique_ptr<CASN1Type> extensibleFilter(const CMatchingRuleAssertion& data, int nameForm)
{
    std::unique_ptr<CASN1_TAGGED> filter(constructed(kExtensible));
    if (data.m_matchingRule)
        filter->AddObject(implicitly(kMatchingRule, CASN1_OCTET_STRING(*data.m_matchingRule)));
    if (data.m_type)
        filter->AddObject(implicitly(kMatchType, *std::unique_ptr<CASN1Type>(description(*data.m_type, nameForm))));
    // A missing value goes as an empty one, as for the assertion kinds.
    filter->AddObject(implicitly(kMatchValue, *std::unique_ptr<CASN1Type>(octets(data.m_matchValue))));
    filter->AddObject(implicitly(kDnAttributes, CASN1_BOOLEAN(data.m_dnAttributes ? TRUE : FALSE)));
    return filter;
}

}  // namespace

std::unique_ptr<CASN1Type> convertFilter(const CSearchFilter& filter, int nameForm)
{
    if (const CSearchFilterArray* operands = filter.GetOperands()) {
        std::unique_ptr<CASN1_TAGGED> set(constructed(filter.m_rule == frAnd ? kAnd : kOr));
        for (int i = 0; i < operands->GetSize(); ++i)
            if (const CSearchFilter* operand = operands->GetAt(i))
                if (std::unique_ptr<CASN1Type> converted = convertFilter(*operand, nameForm))
                    set->AddObject(converted.release());
        return set;
    }
    if (const CSearchFilter* operand = filter.GetOperand()) {
        std::unique_ptr<CASN1Type> inner = convertFilter(*operand, nameForm);
        if (!inner)
            return nullptr;
        std::unique_ptr<CASN1_TAGGED> negation(constructed(kNot));
        negation->AddObject(inner.release());
        return negation;
    }
    if (const CAttributeValueAssertion* assertion = filter.GetAssertion()) {
        std::unique_ptr<CASN1_TAGGED> ava(constructed(assertionTag(filter.m_rule)));
        ava->AddObject(description(assertion->m_description, nameForm));
        ava->AddObject(octets(assertion->m_value));
        return ava;
    }
    if (const CSubstringFilter* substrings = filter.GetSubstrings())
        return substringFilter(*substrings, nameForm);
    if (const CString* type = filter.GetPresentType())
        return std::unique_ptr<CASN1Type>(implicitly(kPresent, *std::unique_ptr<CASN1Type>(description(*type, nameForm))));
    if (const CMatchingRuleAssertion* match = filter.GetMatchingRule())
        return extensibleFilter(*match, nameForm);
    return nullptr;
}

}  // namespace dirclient
