#include "platform/dialog.h"

#include <exception>

#include "platform/data_exchange.h"
#include "platform/dialog_backend.h"
#include "platform/exceptions.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {
thread_local CDialog* t_activeDialog = nullptr;
}

CDialog::CDialog(const DialogResource& resource, CWnd* parent) : m_resource(resource)
{
    m_pParentWnd = parent;
    m_strText = resource.title;
}

CDialog::~CDialog() = default;

CDialog* CDialog::GetActiveDialog()
{
    return t_activeDialog;
}

void CDialog::createControls()
{
    m_children.clear();
    for (int i = 0; i < m_resource.itemCount; ++i) {
        const DialogItem& item = m_resource.items[i];
        auto control = std::make_unique<CWnd>();
        control->m_pParentWnd = this;
        control->m_pOwnerDialog = this;
        control->m_pItem = &item;
        if (item.kind != DialogItemKind::Edit)
            control->m_strText = item.text;
        m_children.push_back(std::move(control));
    }
}

int CDialog::DoModal()
{
    CDialogBackend* backend = AfxGetDialogBackend();
    if (!backend)
        return -1;
    createControls();
    m_strText = m_resource.title;
    m_pBackend = backend;
    m_pFocus = nullptr;
    m_bEnded = FALSE;
    m_nModalResult = -1;
    m_bRunning = TRUE;
    m_pOuterDialog = t_activeDialog;
    t_activeDialog = this;

    struct Restore {
        CDialog* dialog;
        ~Restore()
        {
            t_activeDialog = dialog->m_pOuterDialog;
            dialog->m_bRunning = FALSE;
            dialog->m_pFocus = nullptr;
            dialog->m_children.clear();
        }
    } restore{this};

    BOOL focusFirst = FALSE;
    try {
        focusFirst = OnInitDialog();
    } catch (CException* e) {
        e->Delete();
        return -1;
    } catch (const std::exception&) {
        return -1;
    }
    if (focusFirst && !m_pFocus) {
        for (const auto& control : m_children)
            if (control->GetItem()->IsTabStop() && control->IsWindowEnabled()) {
                control->SetFocus();
                break;
            }
    }
    if (!m_bEnded && !backend->RunModal(*this))
        return -1;
    return m_nModalResult;
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    m_bEnded = TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (CUserException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(int id)
{
    switch (id) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
    }
}

void CDialog::ButtonPressed(int id)
{
    if (!m_bRunning || m_bEnded)
        return;
    try {
        OnCommand(id);
    } catch (CException* e) {
        e->Delete();
        EndDialog(-1);
    } catch (const std::exception&) {
        EndDialog(-1);
    }
}
