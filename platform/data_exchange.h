#pragma once
// Dialog data exchange and validation with the class library's behaviour:
// DDX_ functions move one value between a member variable and a control
// (into the control, or out of it when saving); DDV_ functions check a value
// just saved. A failed check tells the user in a message box with the
// class library's text, puts the focus back on the control (an edit gets
// its whole text selected) and ends the exchange with CUserException, which
// UpdateData turns into FALSE so the dialog stays open.
#include "platform/cstring.h"

class CWnd;

class PLATFORM_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    // The control that a following DDV_ check refers to.
    CWnd* PrepareCtrl(int id);
    CWnd* PrepareEditCtrl(int id);
    // Focuses the last prepared control and throws CUserException.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

private:
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

PLATFORM_API void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Unsigned numbers; text that is not one gives "Please enter a positive integer.".
PLATFORM_API void DDX_Text(CDataExchange* pDX, int id, UINT& value);
PLATFORM_API void DDX_Check(CDataExchange* pDX, int id, int& value);

// "Please enter an integer between min and max." when value lies outside.
PLATFORM_API void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minValue, UINT maxValue);
