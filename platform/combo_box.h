#pragma once
// CComboBox: the list part of a combo box, without a window system. It keeps
// its items (text plus one data word each) and the current selection, and
// answers the CB_ messages through SendMessage just as a real control would;
// the member functions are the class library's wrappers around them.
// Adding without memory answers CB_ERRSPACE. A box belongs to one thread.
#include <climits>
#include <cstdint>
#include <vector>

#include "platform/combo_messages.h"
#include "platform/cstring.h"
#include "platform/platform_export.h"

class PLATFORM_API CComboBox {
public:
    // A box that holds at most `maxItems` items; adding beyond answers CB_ERRSPACE.
    explicit CComboBox(int maxItems = INT_MAX);

    // Handles one CB_ message; unknown messages answer CB_ERR. String
    // arguments are passed as const char* in lParam; CB_GETLBTEXT copies the
    // item and a terminating zero into the buffer lParam points to, which must
    // hold CB_GETLBTEXTLEN + 1 characters.
    intptr_t SendMessage(UINT message, uintptr_t wParam = 0, intptr_t lParam = 0);

    int AddString(const char* text);                  // index of the new item, or CB_ERR/CB_ERRSPACE
    int InsertString(int index, const char* text);    // -1 appends
    int DeleteString(UINT index);                     // remaining count, or CB_ERR
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;                            // CB_ERR when nothing is selected
    int SetCurSel(int index);                         // -1 clears the selection
    uintptr_t GetItemData(int index) const;           // CB_ERR for a bad index
    int SetItemData(int index, uintptr_t data);
    int GetLBText(int index, CString& text) const;    // text length, or CB_ERR
    int GetLBTextLen(int index) const;
    int FindStringExact(int startAfter, const char* text) const;  // case-insensitive, wraps around

private:
    struct Item {
        CString text;
        uintptr_t data;
    };
    bool valid(intptr_t index) const { return index >= 0 && index < (intptr_t)m_items.size(); }

    std::vector<Item> m_items;
    int m_selection = CB_ERR;
    int m_maxItems;
};
