// Filter tables. ASN.1 after RFC 2251 section 4.5.1; the assertion value is
// optional in this schema.
#include "vaultcore/ldapmsg/ldap_filter.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SetOfFilter, CASN1_SET, 0x11)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPAttributeValueAssertion, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SequenceOfSubstringChoice, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_SubstringFilter, CASN1_SEQUENCE, 0x10)
IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_MatchingRuleAssertion, CASN1_SEQUENCE, 0x10)

// Filter ::= CHOICE {
//         and                     [0] SET OF Filter,
//         or                      [1] SET OF Filter,
//         not                     [2] Filter,        -- the only explicit tag of the schema
//         equalityMatch           [3] AttributeValueAssertion,
//         substrings              [4] SubstringFilter,
//         greaterOrEqual          [5] AttributeValueAssertion,
//         lessOrEqual             [6] AttributeValueAssertion,
//         present                 [7] AttributeDescription,
//         approxMatch             [8] AttributeValueAssertion,
//         extensibleMatch         [9] MatchingRuleAssertion }
const ASN1_COMPONENT_INFO CASN1_Filter::m_alternativesList[] = {
    //                 end  name               resolver                          tag   class tagging      validator                                    opt rep any
    ASN1_COMPONENT_INFO(0, "and",              nullptr,                          0x80, 2,    TM_IMPLICIT, CASN1_SetOfFilter::isValid,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "or",               nullptr,                          0x81, 2,    TM_IMPLICIT, CASN1_SetOfFilter::isValid,                  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "not",              CASN1_Filter::resolveAlternative, 0x82, 2,    TM_EXPLICIT, CASN1_Filter::isValid,                       0,  0,  0),
    ASN1_COMPONENT_INFO(0, "equalityMatch",    nullptr,                          0x83, 2,    TM_IMPLICIT, CASN1_LDAPAttributeValueAssertion::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "substrings",       nullptr,                          0x84, 2,    TM_IMPLICIT, CASN1_SubstringFilter::isValid,              0,  0,  0),
    ASN1_COMPONENT_INFO(0, "greaterOrEqual",   nullptr,                          0x85, 2,    TM_IMPLICIT, CASN1_LDAPAttributeValueAssertion::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "lessOrEqual",      nullptr,                          0x86, 2,    TM_IMPLICIT, CASN1_LDAPAttributeValueAssertion::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "present",          nullptr,                          0x87, 2,    TM_IMPLICIT, nullptr,                                     0,  0,  0),
    ASN1_COMPONENT_INFO(0, "approxMatch",      nullptr,                          0x88, 2,    TM_IMPLICIT, CASN1_LDAPAttributeValueAssertion::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "extensibleMatch",  nullptr,                          0x89, 2,    TM_IMPLICIT, CASN1_MatchingRuleAssertion::isValid,        0,  0,  0),
    ASN1_END_OF_TABLE,
};

// SET OF Filter
const ASN1_COMPONENT_INFO CASN1_SetOfFilter::m_compInfoList[] = {
    //                 end  name              resolver                          tag   class tagging  validator              opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, CASN1_Filter::resolveAlternative, 0xFF, 0,    TM_NONE, CASN1_Filter::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

// AttributeValueAssertion ::= SEQUENCE {
//         attributeDesc           AttributeDescription,
//         assertionValue          AssertionValue OPTIONAL }
const ASN1_COMPONENT_INFO CASN1_LDAPAttributeValueAssertion::m_compInfoList[] = {
    //                 end  name              resolver  tag   class tagging  validator  opt rep any
    ASN1_COMPONENT_INFO(0, "attributeDesc",   nullptr,  0x04, 0,    TM_NONE, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "assertionValue",  nullptr,  0x04, 0,    TM_NONE, nullptr,   1,  0,  0),
    ASN1_END_OF_TABLE,
};

// SubstringFilter ::= SEQUENCE {
//         type                    AttributeDescription,
//         substrings              SEQUENCE OF CHOICE {
//                 initial [0] LDAPString,
//                 any     [1] LDAPString,
//                 final   [2] LDAPString } }
const ASN1_COMPONENT_INFO CASN1_SubstringFilter::m_compInfoList[] = {
    //                 end  name          resolver  tag   class tagging  validator                                  opt rep any
    ASN1_COMPONENT_INFO(0, "type",        nullptr,  0x04, 0,    TM_NONE, nullptr,                                   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "substrings",  nullptr,  0x10, 0,    TM_NONE, CASN1_SequenceOfSubstringChoice::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

const ASN1_COMPONENT_INFO CASN1_SequenceOfSubstringChoice::m_compInfoList[] = {
    //                 end  name              resolver                                   tag   class tagging  validator                       opt rep any
    ASN1_COMPONENT_INFO(0, ASN1_ELEMENT_NAME, CASN1_SubstringChoice::resolveAlternative, 0xFF, 0,    TM_NONE, CASN1_SubstringChoice::isValid, 0,  1,  0),
    ASN1_END_OF_TABLE,
};

const ASN1_COMPONENT_INFO CASN1_SubstringChoice::m_alternativesList[] = {
    //                 end  name       resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "initial",  nullptr,  0x80, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "any",      nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "final",    nullptr,  0x82, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_END_OF_TABLE,
};

// MatchingRuleAssertion ::= SEQUENCE {
//         matchingRule            [1] MatchingRuleId OPTIONAL,
//         type                    [2] AttributeDescription OPTIONAL,
//         matchValue              [3] AssertionValue,
//         dnAttributes            [4] BOOLEAN DEFAULT FALSE }
const ASN1_COMPONENT_INFO CASN1_MatchingRuleAssertion::m_compInfoList[] = {
    //                 end  name            resolver  tag   class tagging      validator  opt rep any
    ASN1_COMPONENT_INFO(0, "matchingRule",  nullptr,  0x81, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "type",          nullptr,  0x82, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_COMPONENT_INFO(0, "matchValue",    nullptr,  0x83, 2,    TM_IMPLICIT, nullptr,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "dnAttributes",  nullptr,  0x84, 2,    TM_IMPLICIT, nullptr,   1,  0,  0),
    ASN1_END_OF_TABLE,
};
