#pragma once
// The search filter and its parts.
#include "vaultcore/asn1/component_info.h"
#include "vaultcore/asn1/universal_types.h"

// Filter ::= CHOICE { and [0], or [1], not [2] (explicit), equalityMatch [3],
//     substrings [4], greaterOrEqual [5], lessOrEqual [6], present [7],
//     approxMatch [8], extensibleMatch [9] }
class VAULTCORE_API CASN1_Filter : public CASN1ChoiceView {
    ASN1_CHOICE_CLASS(CASN1_Filter)
    // and, or and not are operator names in C++, so these three are spelt out.
    BOOL is_and() const { return isAlternative("and"); }
    BOOL is_or() const { return isAlternative("or"); }
    BOOL is_not() const { return isAlternative("not"); }
    ASN1_ALTERNATIVE(equalityMatch)
    ASN1_ALTERNATIVE(substrings)
    ASN1_ALTERNATIVE(greaterOrEqual)
    ASN1_ALTERNATIVE(lessOrEqual)
    ASN1_ALTERNATIVE(present)
    ASN1_ALTERNATIVE(approxMatch)
    ASN1_ALTERNATIVE(extensibleMatch)
};

// SET OF Filter: the operands of and / or.
class VAULTCORE_API CASN1_SetOfFilter : public CASN1_SET {
    ASN1_SCHEMA_CLASS(CASN1_SetOfFilter, CASN1_SET)
    ASN1_CHOICE_ELEMENTS(CASN1_Filter)
};

// AttributeValueAssertion ::= SEQUENCE { attributeDesc, assertionValue OPTIONAL }
class VAULTCORE_API CASN1_LDAPAttributeValueAssertion : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeValueAssertion, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, attributeDesc)
    ASN1_OPTIONAL_MEMBER(CASN1_OCTET_STRING, assertionValue)
};

// One substring: CHOICE { initial [0], any [1], final [2] }
class VAULTCORE_API CASN1_SubstringChoice : public CASN1ChoiceView {
    ASN1_CHOICE_CLASS(CASN1_SubstringChoice)
    ASN1_ALTERNATIVE(initial)
    ASN1_ALTERNATIVE(any)
    ASN1_ALTERNATIVE(final)
};

// SEQUENCE OF the substring choice.
class VAULTCORE_API CASN1_SequenceOfSubstringChoice : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SequenceOfSubstringChoice, CASN1_SEQUENCE)
    ASN1_CHOICE_ELEMENTS(CASN1_SubstringChoice)
};

// SubstringFilter ::= SEQUENCE { type, substrings SEQUENCE OF CHOICE }
class VAULTCORE_API CASN1_SubstringFilter : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SubstringFilter, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_OCTET_STRING, type)
    ASN1_MEMBER(CASN1_SequenceOfSubstringChoice, substrings)
};

// MatchingRuleAssertion ::= SEQUENCE { matchingRule [1] OPTIONAL, type [2] OPTIONAL,
//     matchValue [3], dnAttributes [4] OPTIONAL }
class VAULTCORE_API CASN1_MatchingRuleAssertion : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_MatchingRuleAssertion, CASN1_SEQUENCE)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, matchingRule)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, type)
    ASN1_MEMBER(CASN1_TAGGED, matchValue)
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, dnAttributes)
};
