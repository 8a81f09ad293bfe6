#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <thread>

#include "platform/afx.h"
#include "support/socket_test_helpers.h"

namespace {
using Clock = std::chrono::steady_clock;

std::vector<UINT_PTR> g_procTicks;

void countTick(HWND, UINT message, UINT_PTR id, DWORD)
{
    if (message == WM_TIMER)
        g_procTicks.push_back(id);
}

void drainQueue()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}
}  // namespace

TEST(WindowTimer, WindowTimerTicksThroughThePumpOneAtATimeUntilKilled)
{
    std::vector<WPARAM> ticks;
    TestWindow window;
    window.onMessage = [&](UINT message, WPARAM id) {
        if (message == WM_TIMER)
            ticks.push_back(id);
    };
    EXPECT_EQ(42u, SetTimer(window.hwnd, 42, 15, nullptr));
    Clock::time_point start = Clock::now();
    MSG msg;
    while (ticks.size() < 3 && GetMessage(&msg, nullptr, 0, 0))
        DispatchMessage(&msg);
    EXPECT_EQ((std::vector<WPARAM>{42, 42, 42}), ticks);
    EXPECT_GE(millisecondsSince(start), 40);

    // However long nobody looked, one WM_TIMER is pending, not a backlog.
    usleep(60000);
    EXPECT_TRUE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

    EXPECT_TRUE(KillTimer(window.hwnd, 42));
    EXPECT_FALSE(KillTimer(window.hwnd, 42));
    usleep(30000);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

    // A destroyed window takes its timers with it.
    HWND gone = CreateMessageWindow(TestWindow::procedure, &window);
    SetTimer(gone, 1, 10, nullptr);
    DestroyWindow(gone);
    usleep(20000);
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

TEST(WindowTimer, TimersBelongToTheWindowsThread)
{
    TestWindow window;
    UINT_PTR fromOther = 1;
    BOOL killedFromOther = TRUE;
    ASSERT_TRUE(SetTimer(window.hwnd, 3, 1000, nullptr));
    std::thread([&] {
        fromOther = SetTimer(window.hwnd, 4, 10, nullptr);
        killedFromOther = KillTimer(window.hwnd, 3);
    }).join();
    EXPECT_EQ(0u, fromOther);
    EXPECT_FALSE(killedFromOther);
    EXPECT_TRUE(KillTimer(window.hwnd, 3));
}

TEST(MessageWait, WakesForDescriptorsPostsAndTimersAndTimesOut)
{
    drainQueue();
    int pipeFds[2];
    ASSERT_EQ(0, pipe(pipeFds));
    TestWindow window;
    enum Source { descriptor, post, timer, nothing };
    struct Case {
        const char* reason;
        Source source;
        int expectedReady;
        int minMs, maxMs;
    } cases[] = {
        {"descriptor becomes readable", descriptor, 1, 30, 1000},
        {"message posted by another thread", post, 0, 30, 1000},
        {"timer falls due", timer, 0, 30, 1000},
        {"time-out", nothing, 0, 80, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        if (c.source == timer)
            SetTimer(window.hwnd, 9, 40, nullptr);
        pollfd fd{pipeFds[0], POLLIN, 0};
        Clock::time_point start = Clock::now();
        int ready;
        {
            Later source(40, [&] {
                if (c.source == descriptor) {
                    EXPECT_EQ(1, write(pipeFds[1], "x", 1));
                }
                if (c.source == post)
                    PostMessage(window.hwnd, WM_USER, 0, 0);
            });
            ready = MsgWaitForDescriptors(&fd, 1, c.source == nothing ? 80 : 3000);
        }
        long long elapsed = millisecondsSince(start);
        EXPECT_EQ(c.expectedReady, ready);
        EXPECT_GE(elapsed, c.minMs);
        EXPECT_LT(elapsed, c.maxMs);
        char byte;
        if (c.source == descriptor) {
            EXPECT_EQ(1, read(pipeFds[0], &byte, 1));
        }
        KillTimer(window.hwnd, 9);
        drainQueue();
    }

    // Input already waiting, even posted before the wait began, ends it at once.
    PostMessage(window.hwnd, WM_USER, 0, 0);
    pollfd fd{pipeFds[0], POLLIN, 0};
    Clock::time_point start = Clock::now();
    EXPECT_EQ(0, MsgWaitForDescriptors(&fd, 1, 3000));
    EXPECT_LT(millisecondsSince(start), 1000);
    drainQueue();
    close(pipeFds[0]);
    close(pipeFds[1]);
}
