// Filter text after RFC 4515 section 3:
//   filter     = "(" filtercomp ")"
//   filtercomp = and / or / not / item
//   and = "&" filterlist, or = "|" filterlist, not = "!" filter
//   item       = simple / present / substring / extensible
//   simple     = attr filtertype assertionvalue   ; "=" "~=" ">=" "<="
//   present    = attr "=*"
//   substring  = attr "=" [initial] any [final]   ; any = "*" *(substring "*")
//   extensible = (attr [":dn"] [":" matchingrule] ":=" assertionvalue)
//              / ([":dn"] ":" matchingrule ":=" assertionvalue)
#include "dirlink/dirclient/filter_parser.h"

#include <cstring>
#include <strings.h>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

struct ParseFailure {
    size_t position;
    const char* message;
};

bool isKeyChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

CUniDataHolder* holderOf(const std::string& bytes)
{
    CUniDataHolder* holder = CUniDataHolder::Create(0);
    holder->Put(bytes.data(), (unsigned long)bytes.size());
    return holder;
}

class FilterParser {
public:
    FilterParser(const char* text, size_t length) : m_text(text), m_length(length) {}

    // A filter in parentheses, or one without them (read to the end).
    std::unique_ptr<CSearchFilter> parseWhole()
    {
        std::unique_ptr<CSearchFilter> filter = peek() == '(' ? parseFilter(0) : parseComponent(0);
        if (m_pos != m_length)
            fail("text after the filter");
        return filter;
    }

private:
    [[noreturn]] void fail(const char* message) { throw ParseFailure{m_pos, message}; }
    bool atEnd() const { return m_pos >= m_length; }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    bool accept(const char* token)
    {
        size_t n = std::strlen(token);
        if (m_length - m_pos < n || std::memcmp(m_text + m_pos, token, n) != 0)
            return false;
        m_pos += n;
        return true;
    }
    void expect(char c, const char* message)
    {
        if (atEnd() || peek() != c)
            fail(atEnd() ? "unexpected end of text" : message);
        ++m_pos;
    }

    std::unique_ptr<CSearchFilter> parseFilter(int depth)
    {
        expect('(', "expected '('");
        std::unique_ptr<CSearchFilter> filter = parseComponent(depth);
        expect(')', "expected ')'");
        return filter;
    }

    std::unique_ptr<CSearchFilter> parseComponent(int depth)
    {
        if (depth >= CSearchFilter::kMaxFilterDepth)
            fail("filter nested too deeply");
        if (accept("&"))
            return parseList(frAnd, depth);
        if (accept("|"))
            return parseList(frOr, depth);
        if (accept("!"))
            return std::unique_ptr<CSearchFilter>(new CSearchFilter(frNot, parseFilter(depth + 1).release()));
        return parseItem();
    }

    std::unique_ptr<CSearchFilter> parseList(enumFilterRule rule, int depth)
    {
        std::unique_ptr<CSearchFilter> filter(new CSearchFilter(rule, new CSearchFilterArray));
        while (peek() == '(' && !atEnd())
            filter->GetOperands()->Add(parseFilter(depth + 1).release());
        return filter;
    }

    CString parseKey(bool options)
    {
        size_t start = m_pos;
        while (!atEnd() && (isKeyChar(peek()) || (options && peek() == ';')))
            ++m_pos;
        return CString(m_text + start, (int)(m_pos - start));
    }

    // Value bytes up to the closing parenthesis; with pieces set, unescaped
    // asterisks split it (their positions go to starPositions).
    std::vector<std::string> parseValue(bool pieces, std::vector<size_t>* starPositions)
    {
        std::vector<std::string> parts(1);
        while (!atEnd() && peek() != ')') {
            char c = peek();
            if (c == '(')
                fail("unescaped '(' in a value");
            if (c == '*') {
                if (!pieces)
                    fail("unescaped '*' in an assertion value");
                if (starPositions)
                    starPositions->push_back(m_pos);
                parts.emplace_back();
                ++m_pos;
                continue;
            }
            if (c == '\\') {
                ++m_pos;
                char next = peek();
                if (!atEnd() && (next == '*' || next == '(' || next == ')' || next == '\\')) {
                    parts.back() += next;
                    ++m_pos;
                    continue;
                }
                int high = atEnd() ? -1 : hexValue(next);
                int low = m_pos + 1 < m_length ? hexValue(m_text[m_pos + 1]) : -1;
                if (high < 0 || low < 0)
                    fail("bad escape: expected two hexadecimal digits or one of * ( ) \\");
                parts.back() += (char)(high * 16 + low);
                m_pos += 2;
                continue;
            }
            parts.back() += c;
            ++m_pos;
        }
        return parts;
    }

    std::unique_ptr<CSearchFilter> parseItem()
    {
        const size_t attrStart = m_pos;
        CString attribute = parseKey(true);
        if (peek() == ':')
            return parseExtensible(attribute);
        enumFilterRule rule = frEqual;
        if (accept("~="))
            rule = frApprox;
        else if (accept(">="))
            rule = frGreaterOrEqual;
        else if (accept("<="))
            rule = frLessOrEqual;
        else if (!accept("="))
            fail(attribute.IsEmpty() ? "expected an attribute description"
                                     : "expected a filter type (=, ~=, >=, <= or :=)");
        if (attribute.IsEmpty()) {
            m_pos = attrStart;
            fail("expected an attribute description");
        }
        if (rule != frEqual) {
            std::vector<std::string> value = parseValue(false, nullptr);
            return assertion(rule, attribute, value[0]);
        }
        // "=*" alone, before the closing parenthesis or the end of a bare filter.
        if (peek() == '*' && (m_pos + 1 == m_length || m_text[m_pos + 1] == ')')) {
            ++m_pos;
            return std::unique_ptr<CSearchFilter>(new CSearchFilter(frPresent, new CString(attribute)));
        }
        std::vector<size_t> stars;
        std::vector<std::string> parts = parseValue(true, &stars);
        if (parts.size() == 1)
            return assertion(frEqual, attribute, parts[0]);
        std::unique_ptr<CSearchFilter> filter(new CSearchFilter(frSubstring, new CSubstringFilter));
        CSubstringFilter& data = *filter->GetSubstrings();
        data.m_type = attribute;
        if (!parts.front().empty())
            data.m_initial = holderOf(parts.front());
        if (!parts.back().empty())
            data.m_final = holderOf(parts.back());
        for (size_t i = 1; i + 1 < parts.size(); ++i) {
            if (parts[i].empty()) {
                m_pos = stars[i];
                fail("empty substring between two '*'");
            }
            data.m_any.Add(holderOf(parts[i]));
        }
        return filter;
    }

    std::unique_ptr<CSearchFilter> assertion(enumFilterRule rule, const CString& attribute, const std::string& value)
    {
        CUniDataHolder* holder = holderOf(value);
        auto* data = new CAttributeValueAssertion;
        data->m_description = attribute;
        data->m_value = holder;
        return std::unique_ptr<CSearchFilter>(new CSearchFilter(rule, data));
    }

    std::unique_ptr<CSearchFilter> parseExtensible(const CString& attribute)
    {
        std::unique_ptr<CSearchFilter> filter(new CSearchFilter(frExtensible, new CMatchingRuleAssertion));
        CMatchingRuleAssertion& data = *filter->GetMatchingRule();
        if (m_length - m_pos >= 4 && strncasecmp(m_text + m_pos, ":dn:", 4) == 0) {
            data.m_dnAttributes = 1;
            m_pos += 3;
        }
        if (!accept(":=")) {
            expect(':', "expected ':'");
            CString rule = parseKey(false);
            if (rule.IsEmpty())
                fail("expected a matching rule");
            data.m_matchingRule = new CString(rule);
            if (!accept(":="))
                fail("expected ':='");
        }
        if (attribute.IsEmpty() && !data.m_matchingRule) {
            m_pos -= 2;
            fail("an extensible match needs an attribute or a matching rule");
        }
        if (!attribute.IsEmpty() && !(attribute == "NULL" && data.m_matchingRule))
            data.m_type = new CString(attribute);
        data.m_matchValue = holderOf(parseValue(false, nullptr)[0]);
        return filter;
    }

    const char* m_text;
    size_t m_length;
    size_t m_pos = 0;
};

BOOL parse(const char* text, size_t length, CSearchFilter& filter, CFilterParseError* error)
{
    filter.Clear();
    filter.m_rule = frNull;
    try {
        FilterParser parser(text, length);
        std::unique_ptr<CSearchFilter> parsed = parser.parseWhole();
        filter.GetDataFrom(*parsed);
        return TRUE;
    } catch (const ParseFailure& failure) {
        if (error) {
            error->m_position = (int)failure.position;
            error->m_message = failure.message;
        }
        return FALSE;
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
}

}  // namespace

BOOL ParseSearchFilter(const char* text, CSearchFilter& filter, CFilterParseError* error)
{
    return parse(text ? text : "", text ? std::strlen(text) : 0, filter, error);
}

BOOL ParseSearchFilter(const CString& text, CSearchFilter& filter, CFilterParseError* error)
{
    return parse(text, (size_t)text.GetLength(), filter, error);
}
