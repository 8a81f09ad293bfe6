#pragma once
// Inside the platform library only: the per-thread message queue behind the
// window functions, with the thread's timers and the descriptor that wakes a
// poll-based wait when something arrives.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/window.h"

namespace platform_detail {

// Milliseconds of the monotonic clock, not wrapping (timers need no wrap).
uint64_t monotonicMs();

struct Timer {
    HWND window;  // null for a thread timer
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    uint64_t due;
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<MSG> messages;
    std::vector<Timer> timers;
    // eventfd made on the first descriptor wait of the owning thread; every
    // post and timer change signals it so a waiting poll returns.
    int wakeFd = -1;

    ~ThreadQueue();
    // Wakes GetMessage and a descriptor wait; the caller holds the mutex.
    void signalLocked();
};

// The calling thread's queue, registered on first use.
ThreadQueue& myQueue();
// The queue of a live thread, or null.
std::shared_ptr<ThreadQueue> findQueue(DWORD thread);

// Whether a message for messageWindow lets a filter (window, range) through.
bool passesFilter(HWND messageWindow, UINT message, HWND window, UINT filterMin, UINT filterMax);

// Timers, with the queue's mutex held by the caller:
// the first due timer that a message filter lets through, or null;
Timer* dueTimerLocked(ThreadQueue& queue, HWND window, UINT filterMin, UINT filterMax, uint64_t now);
// milliseconds until the next timer that the filter lets through is due (0:
// one is due now), or -1 when there is none;
int64_t nextTimerDelayLocked(const ThreadQueue& queue, uint64_t now, HWND window = nullptr, UINT filterMin = 0,
                             UINT filterMax = 0);
// whether a WM_TIMER naming this window, id and procedure comes from a live timer.
bool isLiveTimerLocked(const ThreadQueue& queue, HWND window, UINT_PTR id, TIMERPROC proc);
// drops every timer of a window.
void removeWindowTimersLocked(ThreadQueue& queue, HWND window);

}  // namespace platform_detail
