#include <gtest/gtest.h>

#include <time.h>
#include <unistd.h>

#include <thread>

#include "platform/afx.h"
#include "support/socket_test_helpers.h"

namespace {
std::vector<UINT_PTR> g_procTicks;

void countTick(HWND, UINT, UINT_PTR id, DWORD)
{
    g_procTicks.push_back(id);
}
}  // namespace

TEST(WindowTimer, TicksThroughThePumpOneAtATimeUntilKilledOrTheWindowGoes)
{
    std::vector<WPARAM> ticks;
    TestWindow window;
    window.onMessage = [&](UINT message, WPARAM id) {
        if (message == WM_TIMER)
            ticks.push_back(id);
    };
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(42u, SetTimer(window.hwnd, 42, 15, nullptr));
    MSG msg;
    while (ticks.size() < 3 && GetMessage(&msg, nullptr, 0, 0))
        DispatchMessage(&msg);
    EXPECT_EQ((std::vector<WPARAM>{42, 42, 42}), ticks);
    // Three periods, less the part of a millisecond the timer clock drops.
    EXPECT_GE(millisecondsSince(start), 44);

    // However long nobody looked, one WM_TIMER is pending, not a backlog.
    usleep(60000);
    EXPECT_TRUE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

    // A wait that filters the due timer out sleeps until its own message comes.
    timespec before, after;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    {
        HWND hwnd = window.hwnd;
        Later post(100, [hwnd] { PostMessage(hwnd, WM_USER, 0, 0); });
        EXPECT_TRUE(GetMessage(&msg, nullptr, WM_USER, WM_USER));
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    EXPECT_LT((after.tv_sec - before.tv_sec) * 1000 + (after.tv_nsec - before.tv_nsec) / 1000000, 10);

    UINT_PTR fromOtherThread = 1;
    std::thread([&] { fromOtherThread = SetTimer(window.hwnd, 4, 10, nullptr); }).join();
    EXPECT_EQ(0u, fromOtherThread);  // a window's timers are its thread's

    EXPECT_TRUE(KillTimer(window.hwnd, 42));
    EXPECT_FALSE(KillTimer(window.hwnd, 42));
    HWND gone = CreateMessageWindow(TestWindow::procedure, &window);
    SetTimer(gone, 1, 10, nullptr);
    DestroyWindow(gone);
    usleep(30000);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(WindowTimer, ThreadTimerCallsItsProcedureAndForgedTimerMessagesCallNothing)
{
    g_procTicks.clear();
    UINT_PTR first = SetTimer(nullptr, 0, 10, countTick);
    UINT_PTR second = SetTimer(nullptr, 0, 10, countTick);
    ASSERT_NE(0u, first);
    ASSERT_NE(first, second);
    ASSERT_TRUE(KillTimer(nullptr, second));
    MSG msg;
    while (g_procTicks.empty() && GetMessage(&msg, nullptr, 0, 0))
        DispatchMessage(&msg);
    EXPECT_EQ(std::vector<UINT_PTR>{first}, g_procTicks);
    ASSERT_TRUE(KillTimer(nullptr, first));

    // A hand-made WM_TIMER naming a procedure must not make the pump call it.
    PostThreadMessage(GetCurrentThreadId(), WM_TIMER, first, reinterpret_cast<LPARAM>(countTick));
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessage(&msg);
    EXPECT_EQ(1u, g_procTicks.size());
}
