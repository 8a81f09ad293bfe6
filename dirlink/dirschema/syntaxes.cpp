#include "dirlink/dirschema/syntaxes.h"

#include <strings.h>

#include "dirlink/dirschema/syntax_tab.h"

namespace {
// The binary flag of the syntax, or -1 when it is not in the table.
int binaryFlag(const char* syntax)
{
    if (!syntax)
        return -1;
    for (const SYNTAX_ROW& row : g_syntaxes)
        if (strcasecmp(row.name, syntax) == 0)
            return row.binary;
    return -1;
}
}  // namespace

int IsBinarySyntax(const char* syntax)
{
    int flag = binaryFlag(syntax);
    return flag < 0 ? -1 : (flag ? 1 : 0);
}

int IsTextualSyntax(const char* syntax)
{
    int flag = binaryFlag(syntax);
    return flag < 0 ? -1 : (flag ? 0 : 1);
}
