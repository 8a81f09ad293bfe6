#pragma once
// Offering the known attribute types in a combo box.
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// Empties the box, then adds every attribute type that passes `filter`
// (ATTR_FILTER_...) and has a name, shown by its alias or else its name, with
// the row index as item data. The item whose name (case-insensitive), OID or
// alias equals `select` becomes the selection. Stops when the box refuses an item.
DIRLINK_API void FillComboWithAttributes(CComboBox& box, unsigned short filter, const char* select);
