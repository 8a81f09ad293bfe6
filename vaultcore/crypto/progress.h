#pragma once
// CProgress: drives a progress-bar window with its four control messages,
// posted (the worker goes on at once) or sent (the worker waits for the
// window procedure).
//
// Threads: a CProgress is used by the one worker that reports through it.
// Posting is safe from any thread and the messages reach the window on its
// own thread, in order; sending runs the window procedure on the worker's
// thread, so that procedure must be safe there.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CProgress {
public:
    CProgress(HWND window, int post) : m_hWnd(window), m_bPost(post) {}
    virtual ~CProgress() = default;

    // Set-range (min and max as 16-bit halves of lParam), set-step, then
    // set-position: three messages in this order.
    void SetUp(int max, int min, unsigned short step, unsigned short position);
    // One delta-position message.
    void Hint(unsigned short delta);

    HWND m_hWnd;
    int m_bPost;

private:
    void Issue(UINT message, WPARAM wParam, LPARAM lParam);
};
