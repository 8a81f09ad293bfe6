#include "dirlink/dirschema/attribute_combo.h"

#include <cstring>
#include <strings.h>

#include "dirlink/dirschema/attribute_types.h"

void FillComboWithAttributes(CComboBox& box, unsigned short filter, const char* select)
{
    box.SendMessage(CB_RESETCONTENT);
    const char* name = nullptr;
    const char* oid = nullptr;
    const char* alias = nullptr;
    for (int row = GetNextAttributeType(-1, name, oid, alias, filter); row >= 0;
         row = GetNextAttributeType(row, name, oid, alias, filter)) {
        if (!name)
            continue;
        intptr_t item = box.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<intptr_t>(alias ? alias : name));
        if (item < 0)
            break;
        box.SendMessage(CB_SETITEMDATA, (uintptr_t)item, row);
        if (select && (strcasecmp(select, name) == 0 || (oid && std::strcmp(select, oid) == 0) ||
                       (alias && std::strcmp(select, alias) == 0)))
            box.SendMessage(CB_SETCURSEL, (uintptr_t)item);
    }
}
