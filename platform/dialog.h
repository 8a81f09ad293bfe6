#pragma once
// CDialog: a modal dialog built from a DialogResource, with the class
// library's data exchange (DoDataExchange, UpdateData) and its OK/Cancel
// behaviour. A backend shows it (see dialog_backend.h): the desktop one on
// a display, the terminal one on a terminal, a scripted one in tests.
#include "platform/wnd.h"

class CDataExchange;
class CDialogBackend;

class PLATFORM_API CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(const DialogResource& resource, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the controls, calls OnInitDialog and lets the backend run the
    // dialog until EndDialog. Returns the value given to EndDialog (IDOK or
    // IDCANCEL from the standard buttons), or -1 when the dialog could not be
    // shown: no backend chosen and neither a display with the desktop
    // plug-in nor a terminal on standard input, or a handler raised an
    // exception. The member variables keep what data exchange stored.
    virtual int DoModal();
    // Ends the running dialog; DoModal returns result.
    void EndDialog(int result);

    // Moves data between the member variables and the controls through
    // DoDataExchange: into the controls for FALSE, out of them with
    // validation for TRUE. FALSE when validation failed (the user was told
    // and the offending control has the focus).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Fills the controls from the members; TRUE lets the dialog put the
    // focus on its first tab stop.
    virtual BOOL OnInitDialog();
    // Validates and stores the controls' data, then ends with IDOK; stays
    // open when validation fails.
    virtual void OnOK();
    virtual void OnCancel();
    // A push button was pressed; IDOK and IDCANCEL go to OnOK and OnCancel.
    // TRUE when the command was handled.
    virtual BOOL OnCommand(int id);

    // Backends call this when the user presses a button. Runs OnCommand; an
    // exception of a handler ends the dialog with -1 instead of passing
    // through the backend's event loop.
    void ButtonPressed(int id);

    const DialogResource& GetResource() const { return m_resource; }
    BOOL IsRunning() const { return m_bRunning; }
    BOOL HasEnded() const { return m_bEnded; }
    int GetModalResult() const { return m_nModalResult; }
    // The controls in tab order (labels and group boxes included), while the
    // dialog runs.
    int GetControlCount() const { return (int)m_children.size(); }
    CWnd* GetControl(int index) const { return m_children[(size_t)index].get(); }
    CWnd* GetFocusControl() const { return m_pFocus; }
    CDialogBackend* GetBackend() const { return m_pBackend; }
    // The innermost dialog running on the calling thread, or null.
    static CDialog* GetActiveDialog();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    CDialog* ownerDialog() const override { return const_cast<CDialog*>(this); }

private:
    friend class CWnd;
    void createControls();
    void setFocusControl(CWnd* control) { m_pFocus = control; }

    const DialogResource& m_resource;
    CDialogBackend* m_pBackend = nullptr;
    CDialog* m_pOuterDialog = nullptr;  // the dialog running around this one
    CWnd* m_pFocus = nullptr;
    BOOL m_bRunning = FALSE;
    BOOL m_bEnded = FALSE;
    int m_nModalResult = -1;
};
