#pragma once
// Compact construction of filter trees for the tests.
#include <initializer_list>

#include "dirclient_test_support.h"

inline CSearchFilter* assertion(enumFilterRule rule, const char* description, const char* val)
{
    CUniDataHolder* holder = val ? newValue(val) : nullptr;
    auto* data = new CAttributeValueAssertion(description, holder);
    if (holder)
        holder->Release();
    return new CSearchFilter(rule, data);
}

inline CSearchFilter* equal(const char* description, const char* val)
{
    return assertion(frEqual, description, val);
}

inline CSearchFilter* present(const char* type)
{
    return new CSearchFilter(frPresent, new CString(type));
}

inline CSearchFilter* negation(CSearchFilter* operand)
{
    return new CSearchFilter(frNot, operand);
}

inline CSearchFilter* group(enumFilterRule rule, std::initializer_list<CSearchFilter*> operands)
{
    auto* array = new CSearchFilterArray;
    for (CSearchFilter* operand : operands)
        array->Add(operand);
    return new CSearchFilter(rule, array);
}

inline CSearchFilter* substrings(const char* type, const char* initial, std::initializer_list<const char*> any,
                                 const char* final)
{
    auto* data = new CSubstringFilter;
    data->m_type = type;
    data->m_initial = initial ? newValue(initial) : nullptr;
    for (const char* piece : any)
        data->m_any.Add(piece ? newValue(piece) : nullptr);
    data->m_final = final ? newValue(final) : nullptr;
    return new CSearchFilter(frSubstring, data);
}

inline CSearchFilter* extensible(const char* type, const char* rule, const char* val, int dnAttributes)
{
    auto* data = new CMatchingRuleAssertion;
    data->m_type = type ? new CString(type) : nullptr;
    data->m_matchingRule = rule ? new CString(rule) : nullptr;
    data->m_matchValue = val ? newValue(val) : nullptr;
    data->m_dnAttributes = dnAttributes;
    return new CSearchFilter(frExtensible, data);
}

inline std::string protocolText(const CSearchFilter& filter)
{
    CString text;
    filter.GetString(text, 1);
    return str(text);
}

inline std::string readableText(const CSearchFilter& filter)
{
    CString text;
    filter.GetString(text, 0);
    return str(text);
}
