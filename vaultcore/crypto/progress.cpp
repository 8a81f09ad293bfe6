#include "vaultcore/crypto/progress.h"

void CProgress::Issue(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_bPost)
        PostMessage(m_hWnd, message, wParam, lParam);
    else
        SendMessage(m_hWnd, message, wParam, lParam);
}

void CProgress::SetUp(int max, int min, unsigned short step, unsigned short position)
{
    Issue(PBM_SETRANGE, 0, MAKELPARAM(min, max));
    Issue(PBM_SETSTEP, step, 0);
    Issue(PBM_SETPOS, position, 0);
}

void CProgress::Hint(unsigned short delta)
{
    Issue(PBM_DELTAPOS, delta, 0);
}
