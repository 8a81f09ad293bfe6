#include <algorithm>
#include <cstring>
#include <strings.h>

#include "dirlink/dirclient/base64_text.h"
#include "dirlink/dirclient/ldif.h"

namespace {

// Lines longer than this are folded; continuation lines start with a space.
// The OpenLDAP tools' width (ldapsearch writes lines of up to 78 characters),
// so that our LDIF and theirs are the same text.
const int kLineWidth = 78;

// SAFE-STRING of RFC 2849 without the other control characters (tabs and
// the like do not survive every text tool), and no trailing space (which
// readers may drop).
bool isSafe(const unsigned char* bytes, size_t size)
{
    if (size == 0)
        return true;
    const unsigned char first = bytes[0];
    if (first == ' ' || first == ':' || first == '<')
        return false;
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] < 0x20 || bytes[i] >= 0x7F)
            return false;
    return bytes[size - 1] != ' ';
}

// Passwords are never written as they are, whatever their bytes (as the
// OpenLDAP tools do): a listing on a screen does not show them.
bool alwaysBase64(const char* name)
{
    static const char* const kTypes[] = {"userPassword", "2.5.4.35"};
    for (const char* type : kTypes) {
        const size_t length = std::strlen(type);
        if (strncasecmp(name, type, length) == 0 && (name[length] == '\0' || name[length] == ';'))
            return true;
    }
    return false;
}

void appendFolded(CString& out, const std::string& line)
{
    size_t pos = 0;
    int width = kLineWidth;
    do {
        if (pos)
            out += "\n ";
        out += CString(line.data() + pos, (int)std::min(line.size() - pos, (size_t)width));
        pos += std::min(line.size() - pos, (size_t)width);
        width = kLineWidth - 1;
    } while (pos < line.size());
    out += '\n';
}

// "name: value" or "name:: base64"; "name:" for an empty value.
void appendLine(CString& out, const char* name, const unsigned char* bytes, size_t size)
{
    std::string line(name);
    line += ':';
    if (size && (alwaysBase64(name) || !isSafe(bytes, size))) {
        line += ": ";
        line += dirclient::base64Encode(bytes, size);
    } else if (size) {
        line += ' ';
        line.append((const char*)bytes, size);
    }
    appendFolded(out, line);
}

void appendLine(CString& out, const char* name, const CString& text)
{
    appendLine(out, name, (const unsigned char*)(const char*)text, (size_t)text.GetLength());
}

void appendValues(CString& out, const CAttribute& attribute)
{
    for (int i = 0; i < attribute.m_values.GetSize(); ++i)
        if (const CUniDataHolder* value = attribute.m_values[i])
            appendLine(out, attribute.m_name, value->GetData(), value->GetSize());
}

void appendAttributes(CString& out, const CEntryData& entry)
{
    for (int i = 0; i < entry.m_attributes.GetSize(); ++i)
        if (const CAttribute* attribute = entry.m_attributes[i])
            appendValues(out, *attribute);
}

const char* const kOperationNames[] = {"add", "delete", "replace"};

}  // namespace

void WriteLdifEntry(const CEntryData& entry, CString& out)
{
    appendLine(out, "dn", entry.m_dn);
    appendAttributes(out, entry);
    out += '\n';
}

BOOL WriteLdifRecord(const CLdifRecord& record, CString& out)
{
    if (record.m_changeType < CLdifRecord::changeNone || record.m_changeType > CLdifRecord::changeModDn)
        return FALSE;
    for (int i = 0; i < record.m_modifications.GetSize(); ++i)
        if (record.m_modifications[i] && record.m_modifications[i]->m_operation > CModification::opReplace)
            return FALSE;
    if (record.m_changeType == CLdifRecord::changeNone) {
        WriteLdifEntry(record.m_entry, out);
        return TRUE;
    }
    appendLine(out, "dn", record.m_entry.m_dn);
    switch (record.m_changeType) {
    case CLdifRecord::changeAdd:
        out += "changetype: add\n";
        appendAttributes(out, record.m_entry);
        break;
    case CLdifRecord::changeDelete:
        out += "changetype: delete\n";
        break;
    case CLdifRecord::changeModify:
        out += "changetype: modify\n";
        for (int i = 0; i < record.m_modifications.GetSize(); ++i) {
            const CModification* item = record.m_modifications[i];
            if (!item)
                continue;
            appendLine(out, kOperationNames[item->m_operation], item->m_attribute.m_name);
            appendValues(out, item->m_attribute);
            out += "-\n";
        }
        break;
    case CLdifRecord::changeModDn:
        out += "changetype: modrdn\n";
        appendLine(out, "newrdn", record.m_newRdn);
        out += record.m_deleteOldRdn ? "deleteoldrdn: 1\n" : "deleteoldrdn: 0\n";
        if (record.m_newSuperior)
            appendLine(out, "newsuperior", *record.m_newSuperior);
        break;
    }
    out += '\n';
    return TRUE;
}
