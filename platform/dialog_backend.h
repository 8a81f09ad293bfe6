#pragma once
// How dialogs and message boxes reach the user. A backend shows a running
// CDialog (its controls hold the current values), lets the user change them
// and press buttons (CDialog::ButtonPressed) until the dialog has ended, and
// shows message boxes.
//
// Which backend: the one the host or test chose with AfxSetDialogBackend;
// otherwise the desktop (GTK 3) plug-in when DISPLAY or WAYLAND_DISPLAY is
// set and the plug-in loads and opens the display; otherwise the terminal
// backend when standard input is a terminal; otherwise none, and DoModal
// returns -1 without showing anything. The plug-in is a separate shared
// object next to libplatform, loaded only when a dialog is first shown, so
// neither library needs GTK.
#include "platform/wnd.h"

class PLATFORM_API CDialogBackend {
public:
    virtual ~CDialogBackend() = default;

    // Shows the dialog and returns when dialog.HasEnded(); FALSE when it
    // could not be shown at all (the dialog then counts as failed).
    virtual BOOL RunModal(CDialog& dialog) = 0;
    // Shows a message box with the MB_ type and icon; returns the button
    // chosen (IDOK, IDCANCEL, IDYES ...) or 0 when it cannot be shown.
    virtual int MessageBox(CWnd* owner, const char* text, const char* caption, UINT type) = 0;
    // A control of a running dialog changed through the program (not
    // through this backend's own input), e.g. the focus moved after a
    // failed validation.
    virtual void ControlChanged(CDialog& dialog, CWnd& control, ControlChange what);
};

// Makes backend the one every dialog of the process uses (null returns to
// the automatic choice); returns the previous choice. The caller keeps
// ownership.
PLATFORM_API CDialogBackend* AfxSetDialogBackend(CDialogBackend* backend);
// The chosen backend, else the automatic choice; null when there is none.
PLATFORM_API CDialogBackend* AfxGetDialogBackend();

// The desktop backend from the GTK plug-in, or null when the plug-in is not
// installed or cannot open a display. Loaded once.
PLATFORM_API CDialogBackend* AfxGetDesktopDialogBackend();
// Where the plug-in is looked for: beside libplatform.
PLATFORM_API CString AfxGetDesktopPluginPath();

// A message box owned by no window, captioned with the application's name.
PLATFORM_API int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// The application's name (the program's name unless set), used as the
// caption of message boxes.
PLATFORM_API CString AfxGetAppName();
PLATFORM_API void AfxSetAppName(const char* name);
