#include "platform/thread.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <memory>

#include "platform/window.h"

DWORD GetCurrentThreadId()
{
    static thread_local DWORD id = (DWORD)syscall(SYS_gettid);
    return id;
}

DWORD GetTickCount()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (DWORD)((uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u);
}

CWinThread* AfxGetThread()
{
    static thread_local std::unique_ptr<CWinThread> thread;
    if (!thread)
        thread.reset(new CWinThread(GetCurrentThreadId()));
    return thread.get();
}

BOOL CWinThread::PumpMessage()
{
    MSG msg;
    if (!GetMessage(&msg, nullptr, 0, 0)) {
        m_nExitCode = (int)msg.wParam;
        return FALSE;
    }
    DispatchMessage(&msg);
    return TRUE;
}

BOOL CWinThread::OnIdle(LONG)
{
    return FALSE;
}

int CWinThread::Run()
{
    MSG msg;
    for (;;) {
        LONG idleCount = 0;
        while (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idleCount++)) {
        }
        do {
            if (!PumpMessage())
                return m_nExitCode;
        } while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}
