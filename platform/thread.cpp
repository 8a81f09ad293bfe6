#include "platform/thread.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <vector>

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

namespace {
// Thread objects are never freed: when a thread ends, its object stays,
// with thread id 0, so a host's pointer to it (say, the thread named for
// cancellation) never dangles and never names a later thread. The registry
// keeps them reachable.
struct ThreadRegistry {
    std::mutex mutex;
    std::vector<CWinThread*> threads;
};

ThreadRegistry& threadRegistry()
{
    static ThreadRegistry* registry = vcTranslateStdExceptions([] { return new ThreadRegistry; });
    return *registry;
}

struct ThreadSlot {
    CWinThread* thread = nullptr;
    ~ThreadSlot()
    {
        if (thread)
            __atomic_store_n(&thread->m_nThreadID, (DWORD)0, __ATOMIC_RELEASE);
    }
};
}  // namespace

CWinThread* AfxGetThread()
{
    static thread_local ThreadSlot slot;
    if (!slot.thread) {
        vcTranslateStdExceptions([&] {
            std::unique_ptr<CWinThread> thread(new CWinThread(GetCurrentThreadId()));
            std::lock_guard<std::mutex> lock(threadRegistry().mutex);
            threadRegistry().threads.push_back(thread.get());
            slot.thread = thread.release();
        });
    }
    return slot.thread;
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
