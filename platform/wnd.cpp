#include "platform/wnd.h"

#include "platform/dialog.h"
#include "platform/dialog_backend.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

CWnd::~CWnd() = default;

void CWnd::notify(ControlChange what)
{
    CDialog* dialog = ownerDialog();
    if (dialog && dialog->IsRunning() && dialog->GetBackend() && dialog != this)
        dialog->GetBackend()->ControlChanged(*dialog, *this, what);
}

void CWnd::SetWindowText(const char* text)
{
    CString newText(text);
    if (newText == m_strText)
        return;
    m_strText = newText;
    m_nSelStart = m_nSelEnd = 0;
    notify(ControlChange::Text);
}

CWnd* CWnd::SetFocus()
{
    CDialog* dialog = ownerDialog();
    if (!dialog || dialog == this || !dialog->IsRunning())
        return nullptr;
    CWnd* previous = dialog->GetFocusControl();
    dialog->setFocusControl(this);
    notify(ControlChange::Focus);
    return previous;
}

CWnd* CWnd::GetFocus()
{
    CDialog* dialog = CDialog::GetActiveDialog();
    return dialog ? dialog->GetFocusControl() : nullptr;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    BOOL wasDisabled = !m_bEnabled;
    m_bEnabled = enable ? TRUE : FALSE;
    if (wasDisabled == enable)
        notify(ControlChange::Enabled);
    return wasDisabled;
}

void CWnd::SetCheck(int state)
{
    if (state == m_nCheck)
        return;
    m_nCheck = state;
    notify(ControlChange::Check);
}

void CWnd::SetSel(int start, int end)
{
    int length = m_strText.GetLength();
    auto clamp = [length](int position) { return position < 0 || position > length ? length : position; };
    m_nSelStart = clamp(start);
    m_nSelEnd = clamp(end);
    if (m_nSelEnd < m_nSelStart)
        m_nSelEnd = m_nSelStart;
    notify(ControlChange::Selection);
}

void CWnd::GetSel(int& start, int& end) const
{
    start = m_nSelStart;
    end = m_nSelEnd;
}

CWnd* CWnd::GetDlgItem(int id) const
{
    for (const auto& child : m_children)
        if (child->GetDlgCtrlID() == id && id != IDC_STATIC)
            return child.get();
    return nullptr;
}

void CWnd::SetDlgItemText(int id, const char* text)
{
    if (CWnd* control = GetDlgItem(id))
        control->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    CWnd* control = GetDlgItem(id);
    text = control ? control->m_strText : CString();
    return text.GetLength();
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    if (CWnd* control = GetDlgItem(id))
        control->SetCheck((int)check);
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    CWnd* control = GetDlgItem(id);
    return control ? (UINT)control->m_nCheck : BST_UNCHECKED;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    CString title = caption ? CString(caption) : AfxGetAppName();
    CDialog* dialog = ownerDialog();
    if (!dialog || !dialog->IsRunning())
        dialog = CDialog::GetActiveDialog();
    CDialogBackend* backend = dialog ? dialog->GetBackend() : AfxGetDialogBackend();
    return backend ? backend->MessageBox(this, text, title, type) : 0;
}
