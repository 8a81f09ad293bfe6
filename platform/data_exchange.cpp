#include "platform/data_exchange.h"

#include <climits>

#include "platform/dialog_backend.h"
#include "platform/exceptions.h"
#include "platform/wnd.h"

namespace {
// The class library's prompts.
const char kParseUInt[] = "Please enter a positive integer.";
const char kIntRange[] = "Please enter an integer between %u and %u.";

// Digits with optional blanks around them. A number beyond UINT_MAX gives
// UINT_MAX, so a range check that follows reports it as out of range.
bool parseUnsigned(const CString& text, UINT& value)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p < '0' || *p > '9')
        return false;
    unsigned long long number = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (number <= UINT_MAX)
            number = number * 10 + (unsigned)(*p - '0');
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != '\0' || p - (const char*)text != text.GetLength())
        return false;
    value = number > UINT_MAX ? UINT_MAX : (UINT)number;
    return true;
}
}  // namespace

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

CWnd* CDataExchange::PrepareCtrl(int id)
{
    m_idLastControl = id;
    m_bEditLastControl = FALSE;
    return m_pDlgWnd->GetDlgItem(id);
}

CWnd* CDataExchange::PrepareEditCtrl(int id)
{
    CWnd* control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail()
{
    CWnd* control = m_bSaveAndValidate && m_idLastControl ? m_pDlgWnd->GetDlgItem(m_idLastControl) : nullptr;
    if (control) {
        control->SetFocus();
        if (m_bEditLastControl)
            control->SetSel(0, -1);
    }
    AfxThrowUserException();
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    CWnd* control = pDX->PrepareEditCtrl(id);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        control->GetWindowText(value);
    else
        control->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value)
{
    CWnd* control = pDX->PrepareEditCtrl(id);
    if (!control)
        return;
    if (!pDX->m_bSaveAndValidate) {
        CString text;
        text.Format("%u", value);
        control->SetWindowText(text);
        return;
    }
    CString text;
    control->GetWindowText(text);
    if (!parseUnsigned(text, value)) {
        pDX->m_pDlgWnd->MessageBox(kParseUInt, nullptr, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    CWnd* control = pDX->PrepareCtrl(id);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = control->GetCheck();
    else
        control->SetCheck(value);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minValue, UINT maxValue)
{
    if (!pDX->m_bSaveAndValidate || (value >= minValue && value <= maxValue))
        return;
    CString prompt;
    prompt.Format(kIntRange, minValue, maxValue);
    pDX->m_pDlgWnd->MessageBox(prompt, nullptr, MB_ICONEXCLAMATION);
    pDX->Fail();
}
