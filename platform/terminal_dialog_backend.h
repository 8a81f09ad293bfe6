#pragma once
// The terminal backend: asks for each control of a dialog in tab order on a
// terminal, a line at a time. Edits show their current value in brackets and
// keep it on an empty answer ("-" empties the field); a password edit shows
// no value and is read without echo; a digits-only edit accepts digits only;
// check boxes take y or n; the push buttons come last and are chosen by name
// or first letter. When a button leaves the dialog open (validation failed:
// the message box is printed and the focus moved), the questions start again
// at the control that has the focus. End of input cancels the dialog.
#include "platform/dialog_backend.h"

class PLATFORM_API CTerminalDialogBackend : public CDialogBackend {
public:
    // Reads answers from inFd and writes the questions to outFd; neither is
    // closed. Echo is switched off for passwords when inFd is a terminal.
    CTerminalDialogBackend(int inFd, int outFd);

    // The process's terminal: answers from standard input, questions to the
    // controlling terminal (standard error when there is none).
    static CTerminalDialogBackend& Standard();

    BOOL RunModal(CDialog& dialog) override;
    int MessageBox(CWnd* owner, const char* text, const char* caption, UINT type) override;

    // Longest answer kept; the rest of a longer line is dropped.
    static const int kMaxLine = 4096;

private:
    // Writes the question and reads the answer, without echo when asked;
    // false at end of input.
    bool ask(const CString& question, CString& answer, bool echo);
    // One line without its end; false at end of input with nothing read.
    bool readLine(CString& line);
    void write(const CString& text);
    bool askEdit(CWnd& control, const CString& label);
    bool askCheck(CWnd& control);
    // Offers the buttons [first, last) of the dialog; the chosen id, or 0 at
    // end of input.
    int askButton(CDialog& dialog, int first, int last);
    // Offers choices (ids with names); the chosen id, or 0 at end of input.
    int choose(const int* ids, const char* const* names, int count, int defaultIndex);

    int m_in;
    int m_out;
};
