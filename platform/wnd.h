#pragma once
// CWnd: a dialog or one of its controls, with the class library's interface
// for text, check state, focus, enabling and message boxes. There is no window
// system underneath: the object holds the control's state and tells the
// dialog's backend (desktop, terminal or scripted) about every change, so the
// backend's view and this model stay one.
#include <memory>
#include <vector>

#include "platform/cstring.h"
#include "platform/dialog_resource.h"
#include "platform/object.h"

class CDialog;

// Message box types and icons.
const UINT MB_OK = 0x00;
const UINT MB_OKCANCEL = 0x01;
const UINT MB_ABORTRETRYIGNORE = 0x02;
const UINT MB_YESNOCANCEL = 0x03;
const UINT MB_YESNO = 0x04;
const UINT MB_RETRYCANCEL = 0x05;
const UINT MB_TYPEMASK = 0x0F;
const UINT MB_ICONHAND = 0x10;
const UINT MB_ICONERROR = MB_ICONHAND;
const UINT MB_ICONSTOP = MB_ICONHAND;
const UINT MB_ICONQUESTION = 0x20;
const UINT MB_ICONEXCLAMATION = 0x30;
const UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
const UINT MB_ICONASTERISK = 0x40;
const UINT MB_ICONINFORMATION = MB_ICONASTERISK;
const UINT MB_ICONMASK = 0xF0;

// Check box states.
const UINT BST_UNCHECKED = 0;
const UINT BST_CHECKED = 1;

// What changed in a control, as reported to the dialog's backend.
enum class ControlChange { Text, Check, Enabled, Focus, Selection };

class PLATFORM_API CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The title of a dialog, the text of a control.
    void SetWindowText(const char* text);
    void GetWindowText(CString& text) const { text = m_strText; }
    int GetWindowTextLength() const { return m_strText.GetLength(); }

    // The control's id from the resource; 0 for a dialog.
    int GetDlgCtrlID() const { return m_pItem ? m_pItem->id : 0; }
    // The control's entry in the resource; null for a dialog.
    const DialogItem* GetItem() const { return m_pItem; }
    CWnd* GetParent() const { return m_pParentWnd; }

    // Gives this control the keyboard focus; returns the control that had it
    // (null when none). Only controls of a running dialog take the focus.
    CWnd* SetFocus();
    // The control with the focus in the innermost dialog running on this
    // thread, or null.
    static CWnd* GetFocus();

    // Enables or disables input; nonzero when the window was disabled before.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const { return m_bEnabled; }

    // Check boxes: BST_UNCHECKED or BST_CHECKED.
    int GetCheck() const { return m_nCheck; }
    void SetCheck(int state);

    // Edits: the selected characters [start, end); end -1 means to the end.
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;

    // A dialog's controls, by id; null when the dialog does not run or has
    // no such control.
    CWnd* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& text) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;

    // A message box owned by this window, shown by the backend of the dialog
    // this window belongs to; a null caption gives the application's name.
    // Returns the button chosen (IDOK ...), 0 when it cannot be shown.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

protected:
    // The dialog this window is, or belongs to (null for a plain window).
    virtual CDialog* ownerDialog() const { return m_pOwnerDialog; }
    void notify(ControlChange what);

    friend class CDialog;
    CWnd* m_pParentWnd = nullptr;
    CDialog* m_pOwnerDialog = nullptr;
    const DialogItem* m_pItem = nullptr;
    std::vector<std::unique_ptr<CWnd>> m_children;
    CString m_strText;
    int m_nCheck = BST_UNCHECKED;
    BOOL m_bEnabled = TRUE;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
};
