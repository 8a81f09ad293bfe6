#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/afx.h"

namespace {
struct Received {
    std::vector<UINT> messages;
    std::vector<WPARAM> wParams;
    std::vector<DWORD> threads;
};

LRESULT record(HWND, UINT message, WPARAM wParam, LPARAM, void* context)
{
    auto* r = static_cast<Received*>(context);
    r->messages.push_back(message);
    r->wParams.push_back(wParam);
    r->threads.push_back(GetCurrentThreadId());
    return (LRESULT)(message + 1);
}

void drain()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}
}  // namespace

TEST(Window, SendCallsTheProcedureAtOnce)
{
    Received r;
    HWND w = CreateMessageWindow(record, &r);
    EXPECT_EQ(SendMessage(w, WM_USER + 7, 3, 0), (LRESULT)(WM_USER + 8));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.wParams[0], 3u);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
}

TEST(Window, PostedMessagesWaitForThePumpAndKeepTheirOrder)
{
    Received r;
    HWND w = CreateMessageWindow(record, &r);
    for (WPARAM i = 0; i < 5; ++i)
        ASSERT_TRUE(PostMessage(w, WM_USER + 1, i, 0));
    EXPECT_TRUE(r.messages.empty());

    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));  // still there
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
    EXPECT_EQ(r.wParams, (std::vector<WPARAM>{0, 1, 2, 3, 4}));
    DestroyWindow(w);
}

TEST(Window, PeekFiltersByWindowAndRange)
{
    Received a, b;
    HWND wa = CreateMessageWindow(record, &a);
    HWND wb = CreateMessageWindow(record, &b);
    PostMessage(wa, WM_USER + 1, 1, 0);
    PostMessage(wb, WM_USER + 2, 2, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, wb, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_USER + 2, WM_USER + 5, PM_REMOVE));
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, wa);
    DestroyWindow(wa);
    DestroyWindow(wb);
}

TEST(Window, DestroyDropsQueuedMessages)
{
    Received r;
    HWND w = CreateMessageWindow(record, &r);
    PostMessage(w, WM_USER, 0, 0);
    DestroyWindow(w);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Window, QueueIsBounded)
{
    Received r;
    HWND w = CreateMessageWindow(record, &r);
    unsigned accepted = 0;
    while (accepted < kMessageQueueLimit + 10 && PostMessage(w, WM_USER, 0, 0))
        ++accepted;
    EXPECT_EQ(accepted, kMessageQueueLimit);
    DestroyWindow(w);
    drain();
}

TEST(Window, PostFromAnotherThreadReachesTheOwnersPump)
{
    Received r;
    HWND w = CreateMessageWindow(record, &r);
    std::thread worker([w] {
        for (WPARAM i = 0; i < 100; ++i)
            PostMessage(w, WM_USER + 3, i, 0);
        PostThreadMessage(GetWindowThreadProcessId(w), WM_QUIT, 9, 0);
    });
    CWinThread* self = AfxGetThread();
    while (self->PumpMessage()) {
    }
    worker.join();
    ASSERT_EQ(r.messages.size(), 100u);
    for (WPARAM i = 0; i < 100; ++i)
        EXPECT_EQ(r.wParams[i], i);
    EXPECT_EQ(r.threads.front(), GetCurrentThreadId());
    DestroyWindow(w);
}

TEST(Thread, EveryThreadHasItsOwnObject)
{
    CWinThread* mine = AfxGetThread();
    EXPECT_EQ(mine, AfxGetThread());
    EXPECT_EQ(mine->m_nThreadID, GetCurrentThreadId());
    CWinThread* theirs = nullptr;
    DWORD theirId = 0;
    std::thread t([&] {
        theirs = AfxGetThread();
        theirId = GetCurrentThreadId();
    });
    t.join();
    EXPECT_NE(theirs, mine);
    EXPECT_NE(theirId, mine->m_nThreadID);
    // The ended thread's object stays valid and names no thread.
    EXPECT_EQ(theirs->m_nThreadID, 0u);
}

TEST(Thread, RunEndsWithTheQuitCode)
{
    std::atomic<int> code{0};
    std::thread t([&] {
        PostQuitMessage(42);
        code = AfxGetThread()->Run();
    });
    t.join();
    EXPECT_EQ(code.load(), 42);
}

TEST(Thread, CriticalSectionIsRecursive)
{
    CCriticalSection section;
    section.Lock();
    section.Lock();
    section.Unlock();
    section.Unlock();
    CSingleLock lock(&section, TRUE);
    EXPECT_TRUE(lock.IsLocked());
}
