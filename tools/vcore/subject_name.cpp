#include "vcore/subject_name.h"

#include <cctype>
#include <cstring>

#include "common/tool.h"

namespace {
// The types by the short names openssl uses.
const struct {
    const char* shortName;
    DNAttrNameEnum type;
} kNameTypes[] = {
    {"C", dnCountryName},
    {"ST", dnStateOrProvinceName},
    {"L", dnLocalityName},
    {"O", dnOrganizationName},
    {"OU", dnOrganizationalUnitName},
    {"CN", dnCommonName},
    {"SN", dnSurname},
    {"title", dnTitle},
    {"street", dnStreetAddress},
    {"postalCode", dnPostalCode},
    {"postalAddress", dnPostalAddress},
    {"postOfficeBox", dnPostOfficeBox},
    {"physicalDeliveryOfficeName", dnPhysicalDeliveryOfficeName},
    {"telephoneNumber", dnPhoneNumber},
    {"emailAddress", dnEMailAddress},
};

// PrintableString's characters (X.680 41.4).
bool isPrintable(const std::string& text)
{
    for (unsigned char c : text)
        if (!std::isalnum(c) && !std::strchr(" '()+,-./:=?", c))
            return false;
    return true;
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

CAttributeValue* attributeOf(const std::string& pair, const std::string& option)
{
    const size_t equals = pair.find('=');
    const std::string type = trimmed(pair.substr(0, equals));
    for (const auto& row : kNameTypes) {
        if (equals == std::string::npos || type != row.shortName)
            continue;
        const std::string value = pair.substr(equals + 1);
        if (value.empty())
            throw UsageError(option + ": " + type + " has no value");
        CAttributeValue* attribute = new CAttributeValue(row.type, value.c_str());
        if (row.type != dnEMailAddress && !isPrintable(value))
            attribute->m_stringKind = CAttributeValue::kT61String;
        return attribute;
    }
    throw UsageError(option + ": unknown attribute \"" + trimmed(pair) + "\"");
}
}  // namespace

CDistinguishedName ParseSubjectName(const std::string& text, const std::string& option)
{
    if (text.empty())
        throw UsageError(option + " is empty");
    const bool slashes = text[0] == '/';
    const char separator = slashes ? '/' : ',';
    CDistinguishedName name;
    std::string pair;
    CRelativeDN* rdn = nullptr;
    // Spaces after a comma are not part of the value.
    bool startOfPair = true;
    for (size_t i = slashes ? 1 : 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : separator;
        if (c == '\\' && i + 1 < text.size()) {
            pair += text[++i];
            startOfPair = false;
            continue;
        }
        if (c != separator && c != '+') {
            if (!(startOfPair && !slashes && c == ' '))
                pair += c;
            startOfPair = false;
            continue;
        }
        if (!rdn) {
            rdn = new CRelativeDN;
            name.Add(rdn);
        }
        rdn->Add(attributeOf(pair, option));
        pair.clear();
        startOfPair = true;
        if (c == separator)
            rdn = nullptr;
    }
    return name;
}
