// LDIF after RFC 2849: records separated by empty lines, "dn:" first, then
// attribute lines (content and add records) or the lines of a change.
#include <cstring>
#include <strings.h>

#include "dirlink/dirclient/base64_text.h"
#include "dirlink/dirclient/ldif.h"

namespace {

// One "name: value" line taken apart.
struct Field {
    CString name;
    std::string value;
};

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == ';' ||
           c == '.';
}

bool isAttributeName(const CString& name)
{
    if (name.IsEmpty())
        return false;
    for (int i = 0; i < name.GetLength(); ++i)
        if (!isNameChar(name[i]))
            return false;
    return true;
}

// Splits "name: value", "name:: base64" or "name:" (empty value). Fails with
// a message for a line without a colon, a bad name, bad base64 or a URL.
const char* splitField(const CString& line, Field& field)
{
    const char* text = line;
    const size_t length = (size_t)line.GetLength();
    size_t colon = 0;
    while (colon < length && text[colon] != ':')
        ++colon;
    if (colon == length)
        return "expected \"name: value\"";
    if (colon == 0)
        return "missing attribute name before ':'";
    field.name = CString(text, (int)colon);
    if (!isAttributeName(field.name))
        return "bad character in an attribute name";
    size_t pos = colon + 1;
    const bool base64 = pos < length && text[pos] == ':';
    const bool url = pos < length && text[pos] == '<';
    if (base64 || url)
        ++pos;
    while (pos < length && text[pos] == ' ')
        ++pos;
    if (url)
        return "values given by URL are not supported";
    if (base64) {
        if (!dirclient::base64Decode(text + pos, length - pos, field.value))
            return "bad base64 value";
    } else {
        field.value.assign(text + pos, length - pos);
    }
    return nullptr;
}

CString textOf(const Field& field)
{
    return CString(field.value.data(), (int)field.value.size());
}

// Adds the value to the attribute of that description, made when new.
void addValue(CAttributeArray& attributes, const Field& field)
{
    CAttribute* target = nullptr;
    for (int i = 0; i < attributes.GetSize() && !target; ++i)
        if (attributes[i] && attributes[i]->m_name.CompareNoCase(field.name) == 0)
            target = attributes[i];
    if (!target) {
        target = new CAttribute;
        attributes.Add(target);
        target->m_name = field.name;
    }
    target->AddValue(field.value.data(), (unsigned long)field.value.size());
}

}  // namespace

CLdifReader::CLdifReader(const CString& text) : m_errorLine(0), m_next(0), m_versionChecked(false)
{
    splitLines(text);
}

void CLdifReader::splitLines(const CString& text)
{
    const char* data = text;
    const size_t length = (size_t)text.GetLength();
    bool inComment = false;
    int number = 0;
    for (size_t start = 0; start < length;) {
        size_t end = start;
        while (end < length && data[end] != '\n')
            ++end;
        size_t stop = end > start && data[end - 1] == '\r' ? end - 1 : end;
        ++number;
        CString line(data + start, (int)(stop - start));
        start = end + 1;
        if (!line.IsEmpty() && line[0] == ' ') {
            // A continuation belongs to the line before it (or to its comment).
            if (!inComment && !m_lines.empty() && !m_lines.back().text.IsEmpty())
                m_lines.back().text += line.Mid(1);
            continue;
        }
        inComment = !line.IsEmpty() && line[0] == '#';
        if (!inComment)
            m_lines.push_back(Line{number, line});
    }
}

int CLdifReader::fail(int line, const char* message)
{
    m_errorLine = line;
    m_error = message;
    m_next = m_lines.size();
    return ldifError;
}

int CLdifReader::ReadRecord(CLdifRecord& record)
{
    record.Clear();
    while (m_next < m_lines.size() && m_lines[m_next].text.IsEmpty())
        ++m_next;
    if (!m_versionChecked && m_next < m_lines.size()) {
        m_versionChecked = true;
        const Line& first = m_lines[m_next];
        if (first.text.Left(8).CompareNoCase("version:") == 0) {
            Field version;
            if (splitField(first.text, version) || version.value != "1")
                return fail(first.number, "unsupported LDIF version");
            ++m_next;
            while (m_next < m_lines.size() && m_lines[m_next].text.IsEmpty())
                ++m_next;
        }
    }
    if (m_next >= m_lines.size())
        return ldifEnd;

    // The record's lines run up to the next empty line.
    size_t end = m_next;
    while (end < m_lines.size() && !m_lines[end].text.IsEmpty())
        ++end;
    const size_t first = m_next;
    m_next = end;
    Field field;
    auto next = [&](size_t index) -> bool {
        if (const char* problem = splitField(m_lines[index].text, field)) {
            fail(m_lines[index].number, problem);
            return false;
        }
        return true;
    };

    if (!next(first))
        return ldifError;
    if (field.name.CompareNoCase("dn") != 0)
        return fail(m_lines[first].number, "a record must start with \"dn:\"");
    record.m_entry.m_dn = textOf(field);
    size_t index = first + 1;
    if (index < end) {
        if (!next(index))
            return ldifError;
        if (field.name.CompareNoCase("control") == 0)
            return fail(m_lines[index].number, "controls are not supported");
        if (field.name.CompareNoCase("changetype") == 0) {
            static const struct {
                const char* name;
                int type;
            } kChangeTypes[] = {{"add", CLdifRecord::changeAdd},       {"delete", CLdifRecord::changeDelete},
                                {"modify", CLdifRecord::changeModify}, {"modrdn", CLdifRecord::changeModDn},
                                {"moddn", CLdifRecord::changeModDn}};
            record.m_changeType = -1;
            for (const auto& type : kChangeTypes)
                if (strcasecmp(field.value.c_str(), type.name) == 0)
                    record.m_changeType = type.type;
            if (record.m_changeType < 0) {
                record.m_changeType = CLdifRecord::changeNone;
                return fail(m_lines[index].number, "unknown change type");
            }
            ++index;
        }
    }

    switch (record.m_changeType) {
    case CLdifRecord::changeNone:
    case CLdifRecord::changeAdd:
        for (; index < end; ++index) {
            if (!next(index))
                return ldifError;
            addValue(record.m_entry.m_attributes, field);
        }
        if (record.m_changeType == CLdifRecord::changeAdd && record.m_entry.m_attributes.GetSize() == 0)
            return fail(m_lines[first].number, "an add record needs attributes");
        return ldifRecord;

    case CLdifRecord::changeDelete:
        if (index < end)
            return fail(m_lines[index].number, "a delete record has no further lines");
        return ldifRecord;

    case CLdifRecord::changeModify:
        while (index < end) {
            if (!next(index))
                return ldifError;
            static const char* const kOperations[] = {"add", "delete", "replace"};
            int operation = -1;
            for (int i = 0; i < 3; ++i)
                if (field.name.CompareNoCase(kOperations[i]) == 0)
                    operation = i;
            if (operation < 0)
                return fail(m_lines[index].number, "expected \"add:\", \"delete:\" or \"replace:\"");
            CString name = textOf(field);
            if (!isAttributeName(name))
                return fail(m_lines[index].number, "expected an attribute name after the change's \"add:\", "
                                                   "\"delete:\" or \"replace:\"");
            CModification* item = new CModification;
            record.m_modifications.Add(item);
            item->m_operation = (DWORD)operation;
            item->m_attribute.m_name = name;
            // Values of that attribute up to "-" (the last one may go without it).
            for (++index; index < end && m_lines[index].text != "-"; ++index) {
                if (!next(index))
                    return ldifError;
                if (field.name.CompareNoCase(item->m_attribute.m_name) != 0)
                    return fail(m_lines[index].number, "value of another attribute inside a change");
                item->m_attribute.AddValue(field.value.data(), (unsigned long)field.value.size());
            }
            if (index < end)
                ++index;  // the "-"
        }
        return ldifRecord;

    default: {  // changeModDn
        bool deleteOldRdnSeen = false;
        for (; index < end; ++index) {
            if (!next(index))
                return ldifError;
            if (field.name.CompareNoCase("newrdn") == 0) {
                record.m_newRdn = textOf(field);
            } else if (field.name.CompareNoCase("deleteoldrdn") == 0 && (field.value == "0" || field.value == "1")) {
                record.m_deleteOldRdn = field.value == "1";
                deleteOldRdnSeen = true;
            } else if (field.name.CompareNoCase("newsuperior") == 0 && !record.m_newSuperior) {
                record.m_newSuperior = new CString(textOf(field));
            } else {
                return fail(m_lines[index].number,
                            "expected \"newrdn:\", \"deleteoldrdn: 0|1\" or \"newsuperior:\"");
            }
        }
        if (record.m_newRdn.IsEmpty() || !deleteOldRdnSeen)
            return fail(m_lines[first].number, "a modrdn record needs \"newrdn:\" and \"deleteoldrdn:\"");
        return ldifRecord;
    }
    }
}
