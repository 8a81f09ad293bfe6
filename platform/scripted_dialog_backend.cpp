#include "platform/scripted_dialog_backend.h"

#include <cstdarg>

#include "platform/dialog.h"

CScriptedDialogBackend& CScriptedDialogBackend::Type(int id, const char* text)
{
    m_steps.push_back({Step::TypeText, id, text, 0});
    return *this;
}

CScriptedDialogBackend& CScriptedDialogBackend::Check(int id, int state)
{
    m_steps.push_back({Step::SetCheck, id, CString(), state});
    return *this;
}

CScriptedDialogBackend& CScriptedDialogBackend::Press(int id)
{
    m_steps.push_back({Step::PressButton, id, CString(), 0});
    return *this;
}

CScriptedDialogBackend& CScriptedDialogBackend::Answer(int button)
{
    m_answers.push_back(button);
    return *this;
}

void CScriptedDialogBackend::record(const char* format, ...)
{
    CString line;
    va_list args;
    va_start(args, format);
    line.FormatV(format, args);
    va_end(args);
    m_transcript.push_back(line);
}

std::vector<CString> CScriptedDialogBackend::Messages() const
{
    std::vector<CString> messages;
    for (const CString& line : m_transcript)
        if (line.Left(8) == "message ")
            messages.push_back(line);
    return messages;
}

BOOL CScriptedDialogBackend::RunModal(CDialog& dialog)
{
    CString title;
    dialog.GetWindowText(title);
    record("show \"%s\"", (const char*)title);
    CDialog* outer = m_shown;
    m_shown = &dialog;
    for (int i = 0; i < dialog.GetControlCount(); ++i) {
        CWnd& control = *dialog.GetControl(i);
        CString text;
        control.GetWindowText(text);
        if (control.GetItem()->kind == DialogItemKind::Edit)
            record("field %d \"%s\"", control.GetDlgCtrlID(), (const char*)text);
        else if (control.GetItem()->kind == DialogItemKind::CheckBox)
            record("check %d %d", control.GetDlgCtrlID(), control.GetCheck());
    }
    if (CWnd* focus = dialog.GetFocusControl())
        record("focus %d", focus->GetDlgCtrlID());
    while (!dialog.HasEnded()) {
        if (m_steps.empty()) {
            record("script ended");
            dialog.EndDialog(IDCANCEL);
            break;
        }
        Step step = m_steps.front();
        m_steps.pop_front();
        CWnd* control = dialog.GetDlgItem(step.id);
        switch (step.kind) {
        case Step::TypeText:
            if (control)
                control->SetWindowText(step.text);
            break;
        case Step::SetCheck:
            if (control)
                control->SetCheck(step.state);
            break;
        case Step::PressButton: dialog.ButtonPressed(step.id); break;
        }
    }
    m_shown = outer;
    record("end %d", dialog.GetModalResult());
    return TRUE;
}

int CScriptedDialogBackend::MessageBox(CWnd*, const char* text, const char* caption, UINT type)
{
    record("message \"%s\" \"%s\" 0x%02x", caption, text, type);
    if (m_answers.empty())
        return IDOK;
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void CScriptedDialogBackend::ControlChanged(CDialog& dialog, CWnd& control, ControlChange what)
{
    // Focus moves made while the dialog is set up are part of what "show" reports.
    if (what == ControlChange::Focus && &dialog == m_shown)
        record("focus %d", control.GetDlgCtrlID());
}

