// dlink schema ATTR: what the built-in table knows about an attribute type.
#include <cstdio>
#include <string>

#include "common/tool.h"
#include "dirlink/dirlink.h"

namespace {
const char* orDash(const char* text)
{
    return text ? text : "-";
}

int schema(const Args& args)
{
    const std::string attribute = OptionSet().parse(args, 1, 1)[0];
    CString type;
    CStringArray options;
    ParseAttributeDescription(attribute.c_str(), type, &options);
    int row = IsDottedDecimalAttrType(type) ? GetNextByOid(-1, type) : GetNextByName(-1, type);
    if (row < 0)
        throw Failure("unknown attribute type '" + std::string(type) + "'");

    const char *name, *oid, *syntax, *supertype, *alias;
    GetAttributeInfo(row, &name, &oid, &syntax, &supertype, &alias);
    std::printf("row:        %d\n", row);
    std::printf("name:       %s\n", orDash(name));
    std::printf("oid:        %s\n", orDash(oid));

    // The syntax, and the supertypes it was inherited through.
    std::string chain;
    for (const char* super = supertype; super;) {
        chain += chain.empty() ? " (inherited from " : ", ";
        chain += super;
        int superRow = GetNextByName(-1, super);
        const char* superSyntax = nullptr;
        super = nullptr;
        if (superRow >= 0)
            GetAttributeInfo(superRow, nullptr, nullptr, &superSyntax, &super, nullptr);
        if (superSyntax)
            break;
    }
    if (!chain.empty())
        chain += ")";
    const char* effective = GetAttributeSyntaxName(name);
    std::printf("syntax:     %s%s\n", orDash(effective), chain.c_str());
    int binary = IsBinarySyntax(effective);
    std::printf("values:     %s\n", binary == 1 ? "binary" : binary == 0 ? "textual" : "neither (syntax not in the syntax table)");
    std::printf("alias:      %s\n", orDash(alias));

    std::string others;
    for (int same = GetNextByOid(-1, oid); same >= 0; same = GetNextByOid(same, oid)) {
        const char* otherName = nullptr;
        GetAttributeInfo(same, &otherName, nullptr, nullptr, nullptr, nullptr);
        if (same != row && otherName)
            others += (others.empty() ? "" : ", ") + std::string(otherName);
    }
    if (!others.empty())
        std::printf("same OID:   %s\n", others.c_str());
    for (int i = 0; i < options.GetSize(); ++i)
        std::printf("option:     %s%s\n", (const char*)options[i], IsValidOption(options[i]) ? "" : " (not a known option)");
    return 0;
}

const Command command("schema", "ATTR", "what the built-in schema knows about an attribute type",
                      "ATTR is an attribute name or OID, with options allowed (\"cn;lang-en\").", schema);
}  // namespace
