#pragma once
// CMatchingRuleAssertion: the data of an extensible-match filter.
#include "dirlink/dirclient/uni_data_holder.h"

class DIRLINK_API CMatchingRuleAssertion {
public:
    CMatchingRuleAssertion();
    // Deep copies; absent parts stay absent.
    CMatchingRuleAssertion(const CMatchingRuleAssertion& other);
    CMatchingRuleAssertion& operator=(const CMatchingRuleAssertion& other);
    ~CMatchingRuleAssertion();

    // 1 when the match value is present.
    int IsComplete() const;
    // Archive form: u8 version 0, u8 dnAttributes, then u8 flag and (when 1)
    // the matching rule as text, the same for the type, then u8 flag and
    // (when 1) the match value's form.
    void Serialize(CArchive& ar);

    int32_t m_dnAttributes;          // also match the entry's DN attributes
    CString* m_matchingRule;         // owned; may be null
    CString* m_type;                 // owned; may be null
    CUniDataHolder* m_matchValue;    // one reference held; may be null
};
