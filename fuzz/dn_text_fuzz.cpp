// Fuzz harness for the DN text functions and attribute descriptions. Besides
// surviving any input, it checks what the rules guarantee: a valid DN
// re-formatted in either form is valid, equal to the original and formatted
// again to the same text; equality is symmetric; the helpers agree on counts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dirlink/dirlink.h"

namespace {
void require(bool condition, const char* what, const std::string& input)
{
    if (!condition) {
        std::fprintf(stderr, "dn_text_fuzz: %s fails for \"%s\"\n", what, input.c_str());
        std::abort();
    }
}

void checkDn(const std::string& text)
{
    const char* dn = text.c_str();
    int valid = IsValidDn(dn);
    int count = GetRDnCount(dn);
    require(valid == (count >= 0 ? 1 : 0), "IsValidDn agrees with GetRDnCount", text);

    CString plain, canonical;
    require(ConvertDn(dn, 0, plain) == valid, "ConvertDn plain succeeds exactly for valid DNs", text);
    require(ConvertDn(dn, 1, canonical) == valid, "ConvertDn canonical succeeds exactly for valid DNs", text);
    CStringArray rdns;
    require(GetAllRDns(dn, rdns, 0) == valid, "GetAllRDns succeeds exactly for valid DNs", text);
    CStringArray avas;
    int avaCount = GetAvaCount(dn);
    require(GetAllAvas(dn, avas) == valid, "GetAllAvas succeeds exactly for valid DNs", text);
    IsValidAva(dn);
    if (!valid)
        return;

    require(rdns.GetSize() == count, "GetAllRDns gives every RDN", text);
    require(avas.GetSize() == avaCount, "GetAllAvas gives every AVA", text);
    for (int i = 1; i <= count; ++i) {
        CString rdn;
        require(GetRDn(i, dn, rdn) == 1 && rdn == rdns[i - 1], "GetRDn matches GetAllRDns", text);
    }

    require(IsValidDn(plain) == 1, "plain form is valid", text);
    require(IsValidDn(canonical) == 1, "canonical form is valid", text);
    require(GetRDnCount(plain) == count, "plain form keeps the RDN count", text);
    CString again;
    require(ConvertDn(plain, 0, again) == 1 && again == plain, "plain form is stable", text);
    require(ConvertDn(canonical, 1, again) == 1 && again == canonical, "canonical form is stable", text);
    require(ConvertDn(plain, 1, again) == 1 && again == canonical, "plain form has the same canonical form", text);
    if (!text.empty()) {
        require(AreEqualDn(dn, dn) == 1, "a DN equals itself", text);
        require(AreEqualDn(dn, plain) == 1, "a DN equals its plain form", text);
        require(AreEqualDn(dn, canonical) == 1, "a DN equals its canonical form", text);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string text(input.c_str());  // the functions see the text up to the first zero byte
    checkDn(text);

    // Two names split at the first newline: equality is symmetric.
    size_t newline = input.find('\n');
    if (newline != std::string::npos) {
        std::string a(input.substr(0, newline).c_str());
        std::string b(input.substr(newline + 1).c_str());
        int ab = AreEqualDn(a.c_str(), b.c_str());
        require(ab == AreEqualDn(b.c_str(), a.c_str()), "AreEqualDn is symmetric", input);
        checkDn(b);
    }

    CString type;
    CStringArray options;
    ParseAttributeDescription(text.c_str(), type, &options);
    for (int i = 0; i < options.GetSize(); ++i)
        GetLangCode(options[i]);
    CString adjusted(text.c_str());
    AdjustAttribute(adjusted, 0);
    GetAttributeSyntaxName(type);
    return 0;
}
