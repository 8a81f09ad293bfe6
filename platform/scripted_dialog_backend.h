#pragma once
// The scripted backend, for tests: plays a script of user actions (type a
// text into a control, set a check box, press a button, answer the next
// message box) against a dialog and writes down what the dialog showed, one
// line per event:
//   show "TITLE"                  the dialog appeared
//   field ID "TEXT"               an edit's text when it appeared
//   check ID N                    a check box's state when it appeared
//   focus ID                      the focus moved to a control
//   message "CAPTION" "TEXT" 0xTYPE   a message box
//   end RESULT                    the dialog ended
//   script ended                  the script ran out with the dialog open
//                                 (it is then cancelled)
#include <deque>
#include <vector>

#include "platform/dialog_backend.h"

class PLATFORM_API CScriptedDialogBackend : public CDialogBackend {
public:
    // Script steps, played in order; each returns the backend for chaining.
    CScriptedDialogBackend& Type(int id, const char* text);
    CScriptedDialogBackend& Check(int id, int state);
    CScriptedDialogBackend& Press(int id);
    // The answer to the next message box (IDOK when none is queued).
    CScriptedDialogBackend& Answer(int button);

    BOOL RunModal(CDialog& dialog) override;
    int MessageBox(CWnd* owner, const char* text, const char* caption, UINT type) override;
    void ControlChanged(CDialog& dialog, CWnd& control, ControlChange what) override;

    const std::vector<CString>& Transcript() const { return m_transcript; }
    // The message boxes shown, as their transcript lines.
    std::vector<CString> Messages() const;

private:
    struct Step {
        enum Kind { TypeText, SetCheck, PressButton } kind;
        int id;
        CString text;
        int state;
    };
    void record(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::deque<Step> m_steps;
    std::deque<int> m_answers;
    std::vector<CString> m_transcript;
    CDialog* m_shown = nullptr;  // the dialog being played
};
