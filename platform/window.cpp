#include "platform/window.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include <unistd.h>

#include "platform/exceptions.h"
#include "platform/thread.h"

struct HWND__ {};

namespace {
struct Window {
    WNDPROC proc;
    void* context;
    DWORD owner;
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<MSG> messages;
};

// Windows and thread queues of the process. Handles are never reused, so a
// stale handle simply names no window.
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

// The helpers below call into the standard library (maps, queues, locks);
// the public functions run them through vcTranslateStdExceptions, so only
// the class library's exceptions leave this file.

ThreadQueue& myQueue()
{
    static thread_local QueueHolder holder;
    return *holder.queue;
}

std::shared_ptr<Window> findWindow(HWND window)
{
    return vcTranslateStdExceptions([&]() -> std::shared_ptr<Window> {
        std::lock_guard<std::mutex> lock(registry().mutex);
        auto it = registry().windows.find(window);
        return it == registry().windows.end() ? nullptr : it->second;
    });
}

std::shared_ptr<ThreadQueue> findQueue(DWORD thread)
{
    return vcTranslateStdExceptions([&]() -> std::shared_ptr<ThreadQueue> {
        std::lock_guard<std::mutex> lock(registry().mutex);
        auto it = registry().queues.find(thread);
        return it == registry().queues.end() ? nullptr : it->second;
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
    } catch (const std::exception&) {
        return FALSE;
    }
    queue->arrived.notify_one();
    return TRUE;
}

bool matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (window && msg.hwnd != window)
        return false;
    if ((filterMin || filterMax) && (msg.message < filterMin || msg.message > filterMax))
        return false;
    return true;
}

// Finds the first matching message; the queue's lock is held by the caller.
std::deque<MSG>::iterator findMessage(ThreadQueue& queue, HWND window, UINT filterMin, UINT filterMax)
{
    auto it = queue.messages.begin();
    for (; it != queue.messages.end(); ++it) {
        if (matches(*it, window, filterMin, filterMax) || it->message == WM_QUIT)
            break;
    }
    return it;
}
}  // namespace

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
    return vcTranslateStdExceptions([&] {
        ThreadQueue& queue = myQueue();
        std::lock_guard<std::mutex> lock(queue.mutex);
        auto it = findMessage(queue, window, filterMin, filterMax);
        if (it == queue.messages.end())
            return FALSE;
        *msg = *it;
        if (removeFlags & PM_REMOVE)
            queue.messages.erase(it);
        return TRUE;
    });
}

BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax)
{
    return vcTranslateStdExceptions([&] {
        ThreadQueue& queue = myQueue();
        std::unique_lock<std::mutex> lock(queue.mutex);
        std::deque<MSG>::iterator it;
        queue.arrived.wait(lock, [&] {
            it = findMessage(queue, window, filterMin, filterMax);
            return it != queue.messages.end();
        });
        *msg = *it;
        queue.messages.erase(it);
        return msg->message != WM_QUIT ? TRUE : FALSE;
    });
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg || !msg->hwnd)
        return 0;
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
