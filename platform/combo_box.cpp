#include "platform/combo_box.h"

#include <cstring>
#include <strings.h>

#include "platform/exceptions.h"

CComboBox::CComboBox(int maxItems) : m_maxItems(maxItems < 0 ? 0 : maxItems) {}

intptr_t CComboBox::SendMessage(UINT message, uintptr_t wParam, intptr_t lParam)
{
    const char* text = reinterpret_cast<const char*>(lParam);
    intptr_t index = (intptr_t)wParam;
    switch (message) {
    case CB_ADDSTRING:
        index = -1;
        [[fallthrough]];
    case CB_INSERTSTRING:
        if ((int)m_items.size() >= m_maxItems)
            return CB_ERRSPACE;
        if (index == -1)
            index = (intptr_t)m_items.size();
        else if (index < 0 || index > (intptr_t)m_items.size())
            return CB_ERR;
        try {
            vcTranslateStdExceptions([&] { m_items.insert(m_items.begin() + index, Item{CString(text), 0}); });
        } catch (CMemoryException* e) {
            e->Delete();
            return CB_ERRSPACE;  // the control's answer when it has no room
        }
        if (m_selection >= index)
            ++m_selection;
        return index;
    case CB_DELETESTRING:
        if (!valid(index))
            return CB_ERR;
        m_items.erase(m_items.begin() + index);
        if (m_selection == index)
            m_selection = CB_ERR;
        else if (m_selection > index)
            --m_selection;
        return (intptr_t)m_items.size();
    case CB_RESETCONTENT:
        m_items.clear();
        m_selection = CB_ERR;
        return CB_OKAY;
    case CB_GETCOUNT:
        return (intptr_t)m_items.size();
    case CB_GETCURSEL:
        return m_selection;
    case CB_SETCURSEL:
        // Like the real control: a bad index clears the selection and answers CB_ERR.
        m_selection = valid(index) ? (int)index : CB_ERR;
        return m_selection;
    case CB_GETITEMDATA:
        return valid(index) ? (intptr_t)m_items[(size_t)index].data : CB_ERR;
    case CB_SETITEMDATA:
        if (!valid(index))
            return CB_ERR;
        m_items[(size_t)index].data = (uintptr_t)lParam;
        return CB_OKAY;
    case CB_GETLBTEXTLEN:
        return valid(index) ? m_items[(size_t)index].text.GetLength() : CB_ERR;
    case CB_GETLBTEXT: {
        if (!valid(index) || !lParam)
            return CB_ERR;
        const CString& item = m_items[(size_t)index].text;
        std::memcpy(reinterpret_cast<char*>(lParam), (const char*)item, (size_t)item.GetLength() + 1);
        return item.GetLength();
    }
    case CB_FINDSTRINGEXACT:
        return FindStringExact((int)index, text);
    default:
        return CB_ERR;
    }
}

int CComboBox::AddString(const char* text)
{
    return (int)SendMessage(CB_ADDSTRING, 0, reinterpret_cast<intptr_t>(text));
}

int CComboBox::InsertString(int index, const char* text)
{
    return (int)SendMessage(CB_INSERTSTRING, (uintptr_t)(intptr_t)index, reinterpret_cast<intptr_t>(text));
}

int CComboBox::DeleteString(UINT index)
{
    return (int)SendMessage(CB_DELETESTRING, index);
}

void CComboBox::ResetContent()
{
    SendMessage(CB_RESETCONTENT);
}

int CComboBox::GetCount() const
{
    return (int)m_items.size();
}

int CComboBox::GetCurSel() const
{
    return m_selection;
}

int CComboBox::SetCurSel(int index)
{
    return (int)SendMessage(CB_SETCURSEL, (uintptr_t)(intptr_t)index);
}

uintptr_t CComboBox::GetItemData(int index) const
{
    return valid(index) ? m_items[(size_t)index].data : (uintptr_t)(intptr_t)CB_ERR;
}

int CComboBox::SetItemData(int index, uintptr_t data)
{
    return (int)SendMessage(CB_SETITEMDATA, (uintptr_t)(intptr_t)index, (intptr_t)data);
}

int CComboBox::GetLBText(int index, CString& text) const
{
    if (!valid(index))
        return CB_ERR;
    text = m_items[(size_t)index].text;
    return text.GetLength();
}

int CComboBox::GetLBTextLen(int index) const
{
    return valid(index) ? m_items[(size_t)index].text.GetLength() : CB_ERR;
}

int CComboBox::FindStringExact(int startAfter, const char* text) const
{
    if (m_items.empty() || !text)
        return CB_ERR;
    size_t count = m_items.size();
    size_t start = valid(startAfter) ? (size_t)startAfter + 1 : 0;
    for (size_t n = 0; n < count; ++n) {
        size_t i = (start + n) % count;
        if (strcasecmp(m_items[i].text, text) == 0)
            return (int)i;
    }
    return CB_ERR;
}
