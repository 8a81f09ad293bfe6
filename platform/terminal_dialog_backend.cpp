#include "platform/terminal_dialog_backend.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "platform/dialog.h"

namespace {
// While echo is off, a signal that ends the program must first give the
// terminal its echo back; these hold what the handler needs.
struct EchoGuardState {
    volatile sig_atomic_t active = 0;
    int fd = -1;
    termios saved{};
};
EchoGuardState g_echoGuard;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previousActions[sizeof kEndingSignals / sizeof kEndingSignals[0]];

void restoreEchoAndReraise(int signal)
{
    if (g_echoGuard.active)
        tcsetattr(g_echoGuard.fd, TCSANOW, &g_echoGuard.saved);
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
        if (kEndingSignals[i] == signal)
            sigaction(signal, &g_previousActions[i], nullptr);
    raise(signal);
}

// Switches echo off on a terminal for its lifetime.
class EchoOff {
public:
    explicit EchoOff(int fd)
    {
        termios current;
        if (!isatty(fd) || tcgetattr(fd, &current) != 0)
            return;
        g_echoGuard.fd = fd;
        g_echoGuard.saved = current;
        struct sigaction action{};
        action.sa_handler = restoreEchoAndReraise;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
            sigaction(kEndingSignals[i], &action, &g_previousActions[i]);
        g_echoGuard.active = 1;
        current.c_lflag &= ~(tcflag_t)ECHO;
        current.c_lflag |= ECHONL;
        tcsetattr(fd, TCSANOW, &current);
        m_on = true;
    }
    ~EchoOff()
    {
        if (!m_on)
            return;
        tcsetattr(g_echoGuard.fd, TCSANOW, &g_echoGuard.saved);
        g_echoGuard.active = 0;
        for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
            sigaction(kEndingSignals[i], &g_previousActions[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    bool m_on = false;
};

CString withoutMnemonics(const char* text)
{
    CString plain(text);
    plain.Remove('&');
    return plain;
}

bool isKind(const CWnd& control, DialogItemKind kind)
{
    return control.GetItem()->kind == kind;
}

bool isButton(const CWnd& control)
{
    return isKind(control, DialogItemKind::PushButton) || isKind(control, DialogItemKind::DefPushButton);
}

bool onlyDigits(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}
}  // namespace

CTerminalDialogBackend::CTerminalDialogBackend(int inFd, int outFd) : m_in(inFd), m_out(outFd) {}

CTerminalDialogBackend& CTerminalDialogBackend::Standard()
{
    static CTerminalDialogBackend standard(STDIN_FILENO, [] {
        int tty = open("/dev/tty", O_WRONLY | O_CLOEXEC | O_NOCTTY);
        return tty >= 0 ? tty : STDERR_FILENO;
    }());
    return standard;
}

void CTerminalDialogBackend::write(const CString& text)
{
    const char* p = text;
    size_t left = (size_t)text.GetLength();
    while (left > 0) {
        ssize_t n = ::write(m_out, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // the terminal is gone; reading will end the dialog
        p += n;
        left -= (size_t)n;
    }
}

bool CTerminalDialogBackend::ask(const CString& question, CString& answer, bool echo)
{
    // Echo goes off before the question appears, so nothing typed after it
    // is ever shown.
    std::unique_ptr<EchoOff> quiet;
    if (!echo)
        quiet = std::make_unique<EchoOff>(m_in);
    write(question);
    return readLine(answer);
}

bool CTerminalDialogBackend::readLine(CString& line)
{
    std::string text;
    bool any = false;
    for (;;) {
        char ch;
        ssize_t n = ::read(m_in, &ch, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        any = true;
        if (ch == '\n')
            break;
        if (ch != '\r' && text.size() < (size_t)kMaxLine)
            text += ch;
    }
    line = CString(text);
    return any;
}

bool CTerminalDialogBackend::askEdit(CWnd& control, const CString& label)
{
    const bool password = (control.GetItem()->style & ES_PASSWORD) != 0;
    const bool digits = (control.GetItem()->style & ES_NUMBER) != 0;
    CString current;
    control.GetWindowText(current);
    for (;;) {
        CString shown = password ? (current.IsEmpty() ? "" : "unchanged") : (const char*)current;
        CString answer;
        if (!ask((label.IsEmpty() ? CString() : label + "\n") + "[" + shown + "]: ", answer, !password))
            return false;
        if (answer.IsEmpty())
            return true;
        if (answer == "-")
            answer.Empty();
        if (digits && !onlyDigits(answer)) {
            write("Only digits are allowed here.\n");
            continue;
        }
        control.SetWindowText(answer);
        return true;
    }
}

bool CTerminalDialogBackend::askCheck(CWnd& control)
{
    CString text;
    control.GetWindowText(text);
    for (;;) {
        bool checked = control.GetCheck() == BST_CHECKED;
        CString answer;
        if (!ask(withoutMnemonics(text) + (checked ? " [Y/n]: " : " [y/N]: "), answer, true))
            return false;
        answer.TrimLeft();
        answer.TrimRight();
        if (answer.IsEmpty())
            return true;
        if (answer.CompareNoCase("y") == 0 || answer.CompareNoCase("yes") == 0) {
            control.SetCheck(BST_CHECKED);
            return true;
        }
        if (answer.CompareNoCase("n") == 0 || answer.CompareNoCase("no") == 0) {
            control.SetCheck(BST_UNCHECKED);
            return true;
        }
        write("Please answer y or n.\n");
    }
}

int CTerminalDialogBackend::choose(const int* ids, const char* const* names, int count, int defaultIndex)
{
    CString question;
    for (int i = 0; i < count; ++i)
        question += CString(i ? " / " : "") + names[i];
    question += CString(" [") + names[defaultIndex] + "]: ";
    for (;;) {
        CString answer;
        if (!ask(question, answer, true))
            return 0;
        answer.TrimLeft();
        answer.TrimRight();
        if (answer.IsEmpty())
            return ids[defaultIndex];
        int found = -1;
        int matches = 0;
        for (int i = 0; i < count; ++i) {
            CString name(names[i]);
            if (answer.CompareNoCase(name) == 0) {
                found = i;
                matches = 1;
                break;
            }
            if (answer.GetLength() == 1 && name.Left(1).CompareNoCase(answer) == 0) {
                found = i;
                ++matches;
            }
        }
        if (matches == 1)
            return ids[found];
        write("Please answer with one of the choices.\n");
    }
}

int CTerminalDialogBackend::askButton(CDialog& dialog, int first, int last)
{
    std::vector<int> ids;
    std::vector<CString> names;
    int defaultIndex = 0;
    for (int i = first; i < last; ++i) {
        CWnd* control = dialog.GetControl(i);
        if (!isButton(*control) || !control->IsWindowEnabled())
            continue;
        if (isKind(*control, DialogItemKind::DefPushButton))
            defaultIndex = (int)ids.size();
        CString text;
        control->GetWindowText(text);
        ids.push_back(control->GetDlgCtrlID());
        names.push_back(withoutMnemonics(text));
    }
    if (ids.empty())
        return IDOK;  // a dialog without buttons is done once every field is answered
    std::vector<const char*> nameTexts;
    for (const CString& name : names)
        nameTexts.push_back(name);
    return choose(ids.data(), nameTexts.data(), (int)ids.size(), defaultIndex);
}

BOOL CTerminalDialogBackend::RunModal(CDialog& dialog)
{
    CString title;
    dialog.GetWindowText(title);
    write("\n" + title + "\n" + CString('=', title.GetLength()) +
          "\nEnter keeps the value in brackets; a single '-' empties it.\n");
    const int count = dialog.GetControlCount();
    int start = 0;
    while (!dialog.HasEnded()) {
        // Start at the focused control, with the label that names it and the
        // group box that heads both.
        for (int i = 0; i < count; ++i)
            if (dialog.GetControl(i) == dialog.GetFocusControl())
                start = i;
        if (start > 0 && isKind(*dialog.GetControl(start - 1), DialogItemKind::Label))
            --start;
        if (start > 0 && isKind(*dialog.GetControl(start - 1), DialogItemKind::GroupBox))
            --start;
        CString label;
        bool answered = true;
        for (int i = start; i < count && answered && !dialog.HasEnded(); ++i) {
            CWnd& control = *dialog.GetControl(i);
            CString text;
            control.GetWindowText(text);
            text.TrimRight();
            if (isButton(control)) {
                int id = askButton(dialog, i, count);
                dialog.ButtonPressed(id ? id : IDCANCEL);
                break;
            }
            if (!control.IsWindowEnabled())
                continue;
            switch (control.GetItem()->kind) {
            case DialogItemKind::GroupBox: write("\n" + text + "\n" + CString('-', text.GetLength()) + "\n"); break;
            case DialogItemKind::Label: label = text; break;
            case DialogItemKind::Edit:
                control.SetFocus();
                answered = askEdit(control, label);
                label.Empty();
                break;
            case DialogItemKind::CheckBox:
                control.SetFocus();
                answered = askCheck(control);
                break;
            default: break;
            }
            if (i == count - 1 && answered && !dialog.HasEnded())
                dialog.ButtonPressed(IDOK);
        }
        if (!answered)
            dialog.ButtonPressed(IDCANCEL);
        write("\n");
    }
    return TRUE;
}

int CTerminalDialogBackend::MessageBox(CWnd*, const char* text, const char* caption, UINT type)
{
    write(CString("\n") + caption + ": " + text + "\n");
    static const int okCancel[] = {IDOK, IDCANCEL};
    static const char* const okCancelNames[] = {"OK", "Cancel"};
    static const int abortRetryIgnore[] = {IDABORT, IDRETRY, IDIGNORE};
    static const char* const abortRetryIgnoreNames[] = {"Abort", "Retry", "Ignore"};
    static const int yesNoCancel[] = {IDYES, IDNO, IDCANCEL};
    static const char* const yesNoCancelNames[] = {"Yes", "No", "Cancel"};
    static const int retryCancel[] = {IDRETRY, IDCANCEL};
    static const char* const retryCancelNames[] = {"Retry", "Cancel"};
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return choose(okCancel, okCancelNames, 2, 0);
    case MB_ABORTRETRYIGNORE: return choose(abortRetryIgnore, abortRetryIgnoreNames, 3, 0);
    case MB_YESNOCANCEL: return choose(yesNoCancel, yesNoCancelNames, 3, 0);
    case MB_YESNO: return choose(yesNoCancel, yesNoCancelNames, 2, 0);
    case MB_RETRYCANCEL: return choose(retryCancel, retryCancelNames, 2, 0);
    default: return IDOK;
    }
}
