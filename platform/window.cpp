#include "platform/window.h"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>

#include <unistd.h>

#include "platform/exceptions.h"
#include "platform/message_queue.h"
#include "platform/thread.h"

struct HWND__ {};

using platform_detail::ThreadQueue;
using platform_detail::Timer;
using platform_detail::myQueue;
using platform_detail::findQueue;

namespace {
struct Window {
    WNDPROC proc;
    void* context;
    DWORD owner;
};

// Windows and thread queues of the process. Handles are never reused, so a
// stale handle simply names no window.
//
// The functions below call into the standard library (maps, queues, locks);
// the public ones run those calls through vcTranslateStdExceptions, so only
// the class library's exceptions leave this file.
struct Registry {
    std::mutex mutex;
    std::map<HWND, std::shared_ptr<Window>> windows;
    std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    uintptr_t nextHandle = 0x10;
};

Registry& registry()
{
    static Registry* r = new Registry;  // outlives every thread's queue holder
    return *r;
}

// Registers the calling thread's queue on first use and removes it when the
// thread ends.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
    DWORD thread = GetCurrentThreadId();
    QueueHolder()
    {
        std::lock_guard<std::mutex> lock(registry().mutex);
        registry().queues[thread] = queue;
    }
    ~QueueHolder()
    {
        std::lock_guard<std::mutex> lock(registry().mutex);
        auto it = registry().queues.find(thread);
        if (it != registry().queues.end() && it->second == queue)
            registry().queues.erase(it);
    }
};
}  // namespace

namespace platform_detail {

ThreadQueue::~ThreadQueue()
{
    if (wakeFd >= 0)
        close(wakeFd);
}

void ThreadQueue::signalLocked()
{
    arrived.notify_all();
    if (wakeFd >= 0) {
        uint64_t one = 1;
        ssize_t written = write(wakeFd, &one, sizeof one);
        (void)written;  // a full counter already wakes the waiter
    }
}

ThreadQueue& myQueue()
{
    static thread_local QueueHolder holder;
    return *holder.queue;
}

std::shared_ptr<ThreadQueue> findQueue(DWORD thread)
{
    return vcTranslateStdExceptions([&]() -> std::shared_ptr<ThreadQueue> {
        std::lock_guard<std::mutex> lock(registry().mutex);
        auto it = registry().queues.find(thread);
        return it == registry().queues.end() ? nullptr : it->second;
    });
}

}  // namespace platform_detail

namespace {
std::shared_ptr<Window> findWindow(HWND window)
{
    return vcTranslateStdExceptions([&]() -> std::shared_ptr<Window> {
        std::lock_guard<std::mutex> lock(registry().mutex);
        auto it = registry().windows.find(window);
        return it == registry().windows.end() ? nullptr : it->second;
    });
}

// FALSE when the thread has no queue, or its queue is full or cannot grow.
BOOL enqueue(DWORD thread, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<ThreadQueue> queue = findQueue(thread);
    if (!queue)
        return FALSE;
    try {
        std::lock_guard<std::mutex> lock(queue->mutex);
        if (queue->messages.size() >= kMessageQueueLimit)
            return FALSE;
        queue->messages.push_back(MSG{window, message, wParam, lParam, GetTickCount()});
        queue->signalLocked();
    } catch (const std::exception&) {
        return FALSE;
    }
    return TRUE;
}

// Finds the first matching message; the queue's lock is held by the caller.
std::deque<MSG>::iterator findMessage(ThreadQueue& queue, HWND window, UINT filterMin, UINT filterMax)
{
    auto it = queue.messages.begin();
    for (; it != queue.messages.end(); ++it) {
        if (platform_detail::passesFilter(it->hwnd, it->message, window, filterMin, filterMax) ||
            it->message == WM_QUIT)
            break;
    }
    return it;
}

// The first message a filter lets through: a posted one, else a due timer's
// WM_TIMER. With remove the posted message leaves the queue, or the timer
// becomes due again one period from now.
bool takeMessageLocked(ThreadQueue& queue, MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    auto it = findMessage(queue, window, filterMin, filterMax);
    if (it != queue.messages.end()) {
        *msg = *it;
        if (remove)
            queue.messages.erase(it);
        return true;
    }
    uint64_t now = platform_detail::monotonicMs();
    Timer* timer = platform_detail::dueTimerLocked(queue, window, filterMin, filterMax, now);
    if (!timer)
        return false;
    *msg = MSG{timer->window, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc), GetTickCount()};
    if (remove)
        timer->due = now + timer->elapse;
    return true;
}
}  // namespace

namespace platform_detail {
bool passesFilter(HWND messageWindow, UINT message, HWND window, UINT filterMin, UINT filterMax)
{
    if (window && messageWindow != window)
        return false;
    if ((filterMin || filterMax) && (message < filterMin || message > filterMax))
        return false;
    return true;
}
}  // namespace platform_detail

HWND CreateMessageWindow(WNDPROC proc, void* context)
{
    return vcTranslateStdExceptions([&] {
        myQueue();
        auto window = std::make_shared<Window>(Window{proc, context, GetCurrentThreadId()});
        std::lock_guard<std::mutex> lock(registry().mutex);
        HWND handle = reinterpret_cast<HWND>(registry().nextHandle);
        registry().windows[handle] = window;
        registry().nextHandle += 0x10;
        return handle;
    });
}

BOOL DestroyWindow(HWND window)
{
    return vcTranslateStdExceptions([&] {
        DWORD owner;
        {
            std::lock_guard<std::mutex> lock(registry().mutex);
            auto it = registry().windows.find(window);
            if (it == registry().windows.end())
                return FALSE;
            owner = it->second->owner;
            registry().windows.erase(it);
        }
        if (std::shared_ptr<ThreadQueue> queue = findQueue(owner)) {
            std::lock_guard<std::mutex> lock(queue->mutex);
            for (auto it = queue->messages.begin(); it != queue->messages.end();)
                it = it->hwnd == window ? queue->messages.erase(it) : it + 1;
            platform_detail::removeWindowTimersLocked(*queue, window);
        }
        return TRUE;
    });
}

BOOL IsWindow(HWND window)
{
    return findWindow(window) != nullptr;
}

DWORD GetWindowThreadProcessId(HWND window, DWORD* processId)
{
    if (processId)
        *processId = (DWORD)getpid();
    std::shared_ptr<Window> w = findWindow(window);
    return w ? w->owner : 0;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Window> w = findWindow(window);
    return w ? w->proc(window, message, wParam, lParam, w->context) : 0;
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<Window> w = findWindow(window);
    return w ? enqueue(w->owner, window, message, wParam, lParam) : FALSE;
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    return enqueue(threadId, nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    vcTranslateStdExceptions([] { myQueue(); });
    enqueue(GetCurrentThreadId(), nullptr, WM_QUIT, (WPARAM)exitCode, 0);
}

BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    return vcTranslateStdExceptions([&]() -> BOOL {
        ThreadQueue& queue = myQueue();
        std::lock_guard<std::mutex> lock(queue.mutex);
        return takeMessageLocked(queue, msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0);
    });
}

BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax)
{
    return vcTranslateStdExceptions([&]() -> BOOL {
        ThreadQueue& queue = myQueue();
        std::unique_lock<std::mutex> lock(queue.mutex);
        while (!takeMessageLocked(queue, msg, window, filterMin, filterMax, true)) {
            int64_t delay = platform_detail::nextTimerDelayLocked(queue, platform_detail::monotonicMs(), window,
                                                                  filterMin, filterMax);
            if (delay < 0)
                queue.arrived.wait(lock);
            else
                queue.arrived.wait_for(lock, std::chrono::milliseconds(delay));
        }
        return msg->message != WM_QUIT;
    });
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a live timer's procedure is called: a WM_TIMER posted by hand
        // must not make the pump jump to an address it carries.
        TIMERPROC proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        bool live = vcTranslateStdExceptions([&] {
            ThreadQueue& queue = myQueue();
            std::lock_guard<std::mutex> lock(queue.mutex);
            return platform_detail::isLiveTimerLocked(queue, msg->hwnd, msg->wParam, proc);
        });
        if (live)
            proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
