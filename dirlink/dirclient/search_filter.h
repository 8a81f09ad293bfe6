#pragma once
// CSearchFilter: a search filter as a tree that the host builds, shows as
// text, checks, simplifies, stores and hands to the search request builder.
#include "dirlink/dirclient/attribute_value_assertion.h"
#include "dirlink/dirclient/matching_rule_assertion.h"
#include "dirlink/dirclient/substring_filter.h"

// The kind of a node and the data it owns.
enum enumFilterRule : int32_t {
    frNull = 0,            // none: an empty filter
    frAnd = 1,             // CSearchFilterArray*
    frOr = 2,              // CSearchFilterArray*
    frNot = 3,             // CSearchFilter*
    frEqual = 4,           // CAttributeValueAssertion*
    frSubstring = 5,       // CSubstringFilter*
    frGreaterOrEqual = 6,  // CAttributeValueAssertion*
    frLessOrEqual = 7,     // CAttributeValueAssertion*
    frPresent = 8,         // CString* (the attribute type)
    frApprox = 9,          // CAttributeValueAssertion*
    frExtensible = 10,     // CMatchingRuleAssertion*
};

// 1 for the four assertion kinds (equal, greater-or-equal, less-or-equal,
// approximate), else 0.
DIRLINK_API int IsCompareFilter(enumFilterRule rule);

class CSearchFilter;
typedef CArray<CSearchFilter*, CSearchFilter*> CSearchFilterArray;

class DIRLINK_API CSearchFilter {
public:
    // Takes ownership of data (of the type the rule names) for rules 1 to
    // 10; for rule 0 and unknown rules the data is ignored and not kept.
    explicit CSearchFilter(enumFilterRule rule = frNull, void* data = nullptr);
    // Deep copies: values are copied into holders of their own; AND and OR
    // copy their non-null operands only, in order.
    CSearchFilter(const CSearchFilter& other);
    CSearchFilter& operator=(const CSearchFilter& other);
    ~CSearchFilter();

    // Clear, then takes over other's rule and data; other keeps its rule
    // but no data.
    void GetDataFrom(CSearchFilter& other);
    // Destroys the node data (for AND and OR every operand); the rule stays.
    void Clear();

    // The text form, always in parentheses: with form non-zero the
    // protocol's string form ("(&(cn=a)(!(mail=*)))"), with form 0 the
    // readable form ("((cn = a) AND (NOT (PRESENT mail)))"). Values are
    // written as their bytes with a backslash before each *, (, ) and \.
    void GetString(CString& text, int form) const;
    // Whether the filter can be sent: every node has its data, assertions
    // have a description, substrings a piece; with deep non-zero the
    // operands of AND, OR and NOT are checked too, and extensible matches
    // need their value.
    int IsComplete(int deep) const;
    // Simplifies in place: double negations go (NOT NOT x becomes x), and
    // AND and OR drop null operands and operands that are empty filters,
    // after simplifying each operand.
    void EliminateRedundancy();
    // Archive form: u8 version 0, u32 rule, and for rules 1 to 10 a u8 data
    // flag followed, when 1, by the data: AND and OR their operand count,
    // u8 version 0 and each operand's form (null operands are left out);
    // NOT its operand's form; the assertion, substring and extensible kinds
    // their data's form; present the type as text. Loading clears first; a
    // rule out of range (left as rule 0), a bad flag or nesting deeper than
    // kMaxFilterDepth raise the archive's generic error.
    void Serialize(CArchive& ar);

    // Convenience beyond the record: the data as what the rule says, or
    // null when the rule differs or there is none.
    CSearchFilterArray* GetOperands() const;
    CSearchFilter* GetOperand() const;
    CAttributeValueAssertion* GetAssertion() const;
    CSubstringFilter* GetSubstrings() const;
    CString* GetPresentType() const;
    CMatchingRuleAssertion* GetMatchingRule() const;

    // Filters nest at most this deep when they are read from an archive or
    // parsed from text.
    static const int kMaxFilterDepth = 256;

    enumFilterRule m_rule;
    void* m_data;  // owned; its type follows the rule (enumFilterRule)

private:
    void serialize(CArchive& ar, int depth);
    void appendText(CString& text, int form) const;
};

// Owning arrays of filter nodes: DestructElements destroys each non-null
// node and nulls its slot; CopyElements copies nothing; SerializeElements
// writes u8 version 0 and then each node's form without presence bytes (a
// null slot is written as an empty filter).
template <>
DIRLINK_API void DestructElements<CSearchFilter*>(CSearchFilter** elements, int count);
template <>
DIRLINK_API void CopyElements<CSearchFilter*>(CSearchFilter** dest, CSearchFilter* const* src, int count);
template <>
DIRLINK_API void SerializeElements<CSearchFilter*>(CArchive& ar, CSearchFilter** elements, int count);
