// Timers of a thread: SetTimer and KillTimer, and the look-ups the pump uses
// to turn a due timer into WM_TIMER.
#include <time.h>

#include <algorithm>
#include <atomic>

#include "platform/exceptions.h"
#include "platform/message_queue.h"
#include "platform/thread.h"

using platform_detail::ThreadQueue;
using platform_detail::Timer;

namespace {
// Thread timers get ids of their own, unique in the process.
std::atomic<UINT_PTR> nextThreadTimerId{1};

UINT clampElapse(UINT elapse)
{
    return std::min(std::max(elapse, USER_TIMER_MINIMUM), USER_TIMER_MAXIMUM);
}

std::vector<Timer>::iterator findTimer(ThreadQueue& queue, HWND window, UINT_PTR id)
{
    return std::find_if(queue.timers.begin(), queue.timers.end(),
                        [&](const Timer& t) { return t.window == window && t.id == id; });
}

// A window's timers belong to the thread that owns it.
bool ownedByCaller(HWND window)
{
    return !window || GetWindowThreadProcessId(window) == GetCurrentThreadId();
}
}  // namespace

namespace platform_detail {

uint64_t monotonicMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint64_t)now.tv_sec * 1000u + (uint64_t)now.tv_nsec / 1000000u;
}

Timer* dueTimerLocked(ThreadQueue& queue, HWND window, UINT filterMin, UINT filterMax, uint64_t now)
{
    for (Timer& timer : queue.timers) {
        if (timer.due <= now && passesFilter(timer.window, WM_TIMER, window, filterMin, filterMax))
            return &timer;
    }
    return nullptr;
}

int64_t nextTimerDelayLocked(const ThreadQueue& queue, uint64_t now, HWND window, UINT filterMin, UINT filterMax)
{
    int64_t delay = -1;
    for (const Timer& timer : queue.timers) {
        if (!passesFilter(timer.window, WM_TIMER, window, filterMin, filterMax))
            continue;
        int64_t left = timer.due <= now ? 0 : (int64_t)(timer.due - now);
        if (delay < 0 || left < delay)
            delay = left;
    }
    return delay;
}

bool isLiveTimerLocked(const ThreadQueue& queue, HWND window, UINT_PTR id, TIMERPROC proc)
{
    return std::any_of(queue.timers.begin(), queue.timers.end(), [&](const Timer& t) {
        return t.window == window && t.id == id && t.proc == proc;
    });
}

void removeWindowTimersLocked(ThreadQueue& queue, HWND window)
{
    queue.timers.erase(std::remove_if(queue.timers.begin(), queue.timers.end(),
                                      [&](const Timer& t) { return t.window == window; }),
                       queue.timers.end());
}

}  // namespace platform_detail

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (window && !IsWindow(window))
        return 0;
    if (!ownedByCaller(window))
        return 0;
    elapse = clampElapse(elapse);
    uint64_t due = platform_detail::monotonicMs() + elapse;
    try {
        ThreadQueue& queue = platform_detail::myQueue();
        std::lock_guard<std::mutex> lock(queue.mutex);
        auto it = findTimer(queue, window, id);
        if (it != queue.timers.end()) {
            it->elapse = elapse;
            it->proc = proc;
            it->due = due;
        } else {
            if (!window)
                id = nextThreadTimerId++;
            queue.timers.push_back(Timer{window, id, elapse, proc, due});
        }
        queue.signalLocked();  // a waiter recomputes how long it may sleep
    } catch (const std::exception&) {  // no memory for the timer, or a failed lock
        return 0;
    }
    if (window)
        return id ? id : 1;
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    if (!ownedByCaller(window))
        return FALSE;
    return vcTranslateStdExceptions([&] {
        ThreadQueue& queue = platform_detail::myQueue();
        std::lock_guard<std::mutex> lock(queue.mutex);
        auto it = findTimer(queue, window, id);
        if (it == queue.timers.end())
            return FALSE;
        queue.timers.erase(it);
        return TRUE;
    });
}
