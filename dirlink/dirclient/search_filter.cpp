#include "dirlink/dirclient/search_filter.h"

#include "dirlink/dirclient/holder_parts.h"

namespace {

bool isKnownRule(int32_t rule)
{
    return rule >= frNull && rule <= frExtensible;
}

// Destroys node data of the type the rule names.
void destroyData(enumFilterRule rule, void* data)
{
    switch (rule) {
    case frAnd:
    case frOr:
        delete static_cast<CSearchFilterArray*>(data);
        break;
    case frNot:
        delete static_cast<CSearchFilter*>(data);
        break;
    case frEqual:
    case frGreaterOrEqual:
    case frLessOrEqual:
    case frApprox:
        delete static_cast<CAttributeValueAssertion*>(data);
        break;
    case frSubstring:
        delete static_cast<CSubstringFilter*>(data);
        break;
    case frPresent:
        delete static_cast<CString*>(data);
        break;
    case frExtensible:
        delete static_cast<CMatchingRuleAssertion*>(data);
        break;
    default:
        break;
    }
}

// A new, empty piece of node data for the rule.
void* newData(enumFilterRule rule)
{
    switch (rule) {
    case frAnd:
    case frOr:
        return new CSearchFilterArray;
    case frNot:
        return new CSearchFilter;
    case frEqual:
    case frGreaterOrEqual:
    case frLessOrEqual:
    case frApprox:
        return new CAttributeValueAssertion;
    case frSubstring:
        return new CSubstringFilter;
    case frPresent:
        return new CString;
    case frExtensible:
        return new CMatchingRuleAssertion;
    default:
        return nullptr;
    }
}

// Operators of the assertion kinds: protocol form, readable form.
const char* assertionOperator(enumFilterRule rule, int form)
{
    switch (rule) {
    case frEqual:
        return form ? "=" : " = ";
    case frGreaterOrEqual:
        return form ? ">=" : " >= ";
    case frLessOrEqual:
        return form ? "<=" : " <= ";
    default:
        return form ? "~=" : " ~= ";
    }
}

// The value's bytes with a backslash before each *, (, ) and \.
void appendEscaped(CString& text, const CUniDataHolder* value)
{
    if (!value)
        return;
    const unsigned char* bytes = value->GetData();
    for (unsigned long i = 0; i < value->GetSize(); ++i) {
        const char c = (char)bytes[i];
        if (c == '*' || c == '(' || c == ')' || c == '\\')
            text += '\\';
        text += c;
    }
}

}  // namespace

int IsCompareFilter(enumFilterRule rule)
{
    return rule == frEqual || rule == frGreaterOrEqual || rule == frLessOrEqual || rule == frApprox ? 1 : 0;
}

CSearchFilter::CSearchFilter(enumFilterRule rule, void* data) : m_rule(rule), m_data(nullptr)
{
    if (rule != frNull && isKnownRule(rule))
        m_data = data;
}

CSearchFilter::CSearchFilter(const CSearchFilter& other) : m_rule(frNull), m_data(nullptr)
{
    *this = other;
}

CSearchFilter& CSearchFilter::operator=(const CSearchFilter& other)
{
    if (this == &other)
        return *this;
    Clear();
    m_rule = other.m_rule;
    if (!other.m_data)
        return *this;
    if (const CSearchFilterArray* operands = other.GetOperands()) {
        auto* copy = new CSearchFilterArray;
        m_data = copy;
        for (int i = 0; i < operands->GetSize(); ++i)
            if (const CSearchFilter* operand = operands->GetAt(i))
                copy->Add(new CSearchFilter(*operand));
    } else if (const CSearchFilter* operand = other.GetOperand()) {
        m_data = new CSearchFilter(*operand);
    } else if (const CAttributeValueAssertion* assertion = other.GetAssertion()) {
        m_data = new CAttributeValueAssertion(*assertion);
    } else if (const CSubstringFilter* substrings = other.GetSubstrings()) {
        m_data = new CSubstringFilter(*substrings);
    } else if (const CString* type = other.GetPresentType()) {
        m_data = new CString(*type);
    } else if (const CMatchingRuleAssertion* match = other.GetMatchingRule()) {
        m_data = new CMatchingRuleAssertion(*match);
    }
    return *this;
}

CSearchFilter::~CSearchFilter()
{
    Clear();
}

void CSearchFilter::GetDataFrom(CSearchFilter& other)
{
    if (this == &other)
        return;
    Clear();
    m_rule = other.m_rule;
    m_data = other.m_data;
    other.m_data = nullptr;
}

void CSearchFilter::Clear()
{
    void* data = m_data;
    m_data = nullptr;
    destroyData(m_rule, data);
}

CSearchFilterArray* CSearchFilter::GetOperands() const
{
    return m_rule == frAnd || m_rule == frOr ? static_cast<CSearchFilterArray*>(m_data) : nullptr;
}

CSearchFilter* CSearchFilter::GetOperand() const
{
    return m_rule == frNot ? static_cast<CSearchFilter*>(m_data) : nullptr;
}

CAttributeValueAssertion* CSearchFilter::GetAssertion() const
{
    return IsCompareFilter(m_rule) ? static_cast<CAttributeValueAssertion*>(m_data) : nullptr;
}

CSubstringFilter* CSearchFilter::GetSubstrings() const
{
    return m_rule == frSubstring ? static_cast<CSubstringFilter*>(m_data) : nullptr;
}

CString* CSearchFilter::GetPresentType() const
{
    return m_rule == frPresent ? static_cast<CString*>(m_data) : nullptr;
}

CMatchingRuleAssertion* CSearchFilter::GetMatchingRule() const
{
    return m_rule == frExtensible ? static_cast<CMatchingRuleAssertion*>(m_data) : nullptr;
}

void CSearchFilter::GetString(CString& text, int form) const
{
    text.Empty();
    appendText(text, form);
}

void CSearchFilter::appendText(CString& text, int form) const
{
    text += '(';
    if (const CSearchFilterArray* operands = GetOperands()) {
        if (form)
            text += m_rule == frAnd ? "&" : "|";
        bool first = true;
        for (int i = 0; i < operands->GetSize(); ++i) {
            const CSearchFilter* operand = operands->GetAt(i);
            if (!operand)
                continue;
            if (!form && !first)
                text += m_rule == frAnd ? " AND " : " OR ";
            operand->appendText(text, form);
            first = false;
        }
    } else if (const CSearchFilter* operand = GetOperand()) {
        text += form ? "!" : "NOT ";
        operand->appendText(text, form);
    } else if (const CAttributeValueAssertion* assertion = GetAssertion()) {
        text += assertion->m_description;
        text += assertionOperator(m_rule, form);
        appendEscaped(text, assertion->m_value);
    } else if (const CSubstringFilter* substrings = GetSubstrings()) {
        text += substrings->m_type;
        text += "=";
        appendEscaped(text, substrings->m_initial);
        text += "*";
        for (int i = 0; i < substrings->m_any.GetSize(); ++i) {
            if (const CUniDataHolder* piece = substrings->m_any[i]) {
                appendEscaped(text, piece);
                text += "*";
            }
        }
        appendEscaped(text, substrings->m_final);
    } else if (const CString* type = GetPresentType()) {
        if (form) {
            text += *type;
            text += "=*";
        } else {
            text += "PRESENT ";
            text += *type;
        }
    } else if (const CMatchingRuleAssertion* match = GetMatchingRule()) {
        text += match->m_type && !match->m_type->IsEmpty() ? *match->m_type : CString("NULL");
        if (match->m_dnAttributes)
            text += ":dn";
        if (match->m_matchingRule && !match->m_matchingRule->IsEmpty()) {
            text += ":";
            text += *match->m_matchingRule;
        }
        text += ":=";
        appendEscaped(text, match->m_matchValue);
    }
    text += ')';
}

int CSearchFilter::IsComplete(int deep) const
{
    if (!m_data)
        return 0;
    if (const CSearchFilterArray* operands = GetOperands()) {
        for (int i = 0; i < operands->GetSize(); ++i) {
            const CSearchFilter* operand = operands->GetAt(i);
            if (!operand || (deep && !operand->IsComplete(1)))
                return 0;
        }
        return 1;
    }
    if (const CSearchFilter* operand = GetOperand())
        return deep ? operand->IsComplete(1) : 1;
    if (const CAttributeValueAssertion* assertion = GetAssertion())
        return assertion->m_description.IsEmpty() ? 0 : 1;
    if (const CSubstringFilter* substrings = GetSubstrings())
        return substrings->IsComplete();
    if (GetPresentType())
        return 1;
    if (const CMatchingRuleAssertion* match = GetMatchingRule())
        return deep ? match->IsComplete() : 1;
    return 0;
}

void CSearchFilter::EliminateRedundancy()
{
    // NOT NOT x: this node takes over x, both NOT nodes go.
    while (CSearchFilter* inner = GetOperand()) {
        if (inner->m_rule != frNot)
            break;
        CSearchFilter* operand = static_cast<CSearchFilter*>(inner->m_data);
        inner->m_data = nullptr;
        delete inner;
        m_data = nullptr;
        if (operand) {
            m_rule = operand->m_rule;
            m_data = operand->m_data;
            operand->m_data = nullptr;
            delete operand;
        } else {
            m_rule = frNull;
        }
    }
    CSearchFilterArray* operands = GetOperands();
    if (!operands)
        return;
    // Kept operands move to the front; the slots left over at the end are
    // nulled before they are cut off, so the hooks destroy nothing twice.
    int kept = 0;
    for (int i = 0; i < operands->GetSize(); ++i) {
        CSearchFilter*& operand = operands->ElementAt(i);
        if (operand)
            operand->EliminateRedundancy();
        if (!operand || operand->m_rule == frNull) {
            delete operand;
            operand = nullptr;
            continue;
        }
        CSearchFilter* keep = operand;
        operand = nullptr;
        operands->ElementAt(kept++) = keep;
    }
    operands->SetSize(kept);
}

void CSearchFilter::Serialize(CArchive& ar)
{
    serialize(ar, 0);
}

void CSearchFilter::serialize(CArchive& ar, int depth)
{
    if (depth > kMaxFilterDepth)
        dirclient::throwBadLayout(ar);
    if (ar.IsStoring()) {
        dirclient::writeVersion(ar);
        ar << (DWORD)m_rule;
        if (m_rule == frNull || !isKnownRule(m_rule))
            return;
        dirclient::writeFlag(ar, m_data != nullptr);
    } else {
        Clear();
        dirclient::readVersion(ar);
        DWORD rule;
        ar >> rule;
        if (rule > (DWORD)frExtensible) {
            m_rule = frNull;
            dirclient::throwBadLayout(ar);
        }
        m_rule = (enumFilterRule)rule;
        if (m_rule == frNull || !dirclient::readFlag(ar))
            return;
        m_data = newData(m_rule);
    }
    if (CSearchFilterArray* operands = GetOperands()) {
        if (ar.IsStoring()) {
            int present = 0;
            for (int i = 0; i < operands->GetSize(); ++i)
                present += operands->GetAt(i) ? 1 : 0;
            ar.WriteCount((DWORD)present);
            dirclient::writeVersion(ar);
            for (int i = 0; i < operands->GetSize(); ++i)
                if (CSearchFilter* operand = operands->GetAt(i))
                    operand->serialize(ar, depth + 1);
            return;
        }
        const DWORD count = ar.ReadCount();
        // Every operand takes at least its version byte and rule.
        ar.EnsureAvailable(1 + 5ULL * count);
        dirclient::readVersion(ar);
        for (DWORD i = 0; i < count; ++i) {
            CSearchFilter* operand = new CSearchFilter;
            operands->Add(operand);
            operand->serialize(ar, depth + 1);
        }
    } else if (CSearchFilter* operand = GetOperand()) {
        operand->serialize(ar, depth + 1);
    } else if (CAttributeValueAssertion* assertion = GetAssertion()) {
        assertion->Serialize(ar);
    } else if (CSubstringFilter* substrings = GetSubstrings()) {
        substrings->Serialize(ar);
    } else if (CString* type = GetPresentType()) {
        if (ar.IsStoring())
            ar << *type;
        else
            ar >> *type;
    } else if (CMatchingRuleAssertion* match = GetMatchingRule()) {
        match->Serialize(ar);
    }
}

template <>
void DestructElements<CSearchFilter*>(CSearchFilter** elements, int count)
{
    for (int i = 0; i < count; ++i) {
        delete elements[i];
        elements[i] = nullptr;
    }
}

template <>
void CopyElements<CSearchFilter*>(CSearchFilter**, CSearchFilter* const*, int)
{
}

template <>
void SerializeElements<CSearchFilter*>(CArchive& ar, CSearchFilter** elements, int count)
{
    dirclient::serializeVersion(ar);
    for (int i = 0; i < count; ++i) {
        if (ar.IsStoring() && !elements[i]) {
            CSearchFilter().Serialize(ar);
            continue;
        }
        if (!elements[i])
            elements[i] = new CSearchFilter;
        elements[i]->Serialize(ar);
    }
}
