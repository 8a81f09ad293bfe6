#include "common/interrupt.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <exception>
#include <thread>
#include <unistd.h>

#include "common/terminal_progress.h"
#include "vaultcore/vaultcore.h"

namespace {
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Slots for temporary paths, filled before they are marked in use, so that
// the handler only ever sees whole paths.
const int kSlots = 8;
char g_paths[kSlots][PATH_MAX];
volatile std::sig_atomic_t g_inUse[kSlots];

// Set while runCancellable runs: the handler then only records the signal.
volatile std::sig_atomic_t g_cooperative = 0;
volatile std::sig_atomic_t g_interrupted = 0;

void onSignal(int signal)
{
    if (g_cooperative) {
        g_interrupted = 1;
        return;
    }
    for (int i = 0; i < kSlots; ++i)
        if (g_inUse[i])
            unlink(g_paths[i]);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

const UINT kWorkDone = WM_USER + 100;
}  // namespace

void InstallInterruptHandlers()
{
    for (int signal : kSignals) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler == SIG_IGN)
            continue;  // started with the signal ignored (nohup): keep it so
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(signal, &action, nullptr);
    }
}

bool RegisterTemporaryFile(const char* path)
{
    if (std::strlen(path) >= PATH_MAX)
        return false;
    for (int i = 0; i < kSlots; ++i) {
        if (!g_inUse[i]) {
            std::strcpy(g_paths[i], path);
            g_inUse[i] = 1;
            return true;
        }
    }
    return false;
}

void UnregisterTemporaryFile(const char* path)
{
    for (int i = 0; i < kSlots; ++i)
        if (g_inUse[i] && std::strcmp(g_paths[i], path) == 0)
            g_inUse[i] = 0;
}

InterruptWatch::InterruptWatch()
{
    g_interrupted = 0;
    g_cooperative = 1;
}

InterruptWatch::~InterruptWatch()
{
    g_cooperative = 0;
}

bool InterruptWatch::requested()
{
    return g_interrupted != 0;
}

bool runCancellable(const std::function<void(CProgress* progress)>& work, TerminalProgress* bar)
{
    // The worker posts its end to a window of this thread, behind its own
    // progress messages, so the bar has seen them all when the loop ends.
    struct State {
        bool done = false;
    } state;
    HWND doneWindow = CreateMessageWindow(
        [](HWND, UINT message, WPARAM, LPARAM, void* context) -> LRESULT {
            if (message == kWorkDone)
                static_cast<State*>(context)->done = true;
            return 0;
        },
        &state);
    std::atomic<CWinThread*> workerThread{nullptr};
    std::exception_ptr error;
    bool cancelled = false;
    std::atomic<bool> endNotPosted{false};

    g_interrupted = 0;
    g_cooperative = 1;
    std::thread worker([&] {
        try {
            workerThread = AfxGetThread();  // may throw CMemoryException
            work(bar ? bar->libraryProgress() : nullptr);
        } catch (CKillThreadException* e) {
            e->Delete();
            cancelled = true;
        } catch (...) {
            error = std::current_exception();  // handed to the calling thread
        }
        // A queue that cannot take the message (out of memory) must not
        // leave the loop below waiting for ever.
        if (!PostMessage(doneWindow, kWorkDone, 0, 0))
            endNotPosted = true;
    });
    bool asked = false;
    while (!state.done && !endNotPosted) {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        if (g_interrupted && !asked && workerThread.load()) {
            ThreadToKill = workerThread.load();
            ThreadKillFlag = 1;
            asked = true;
        }
        if (!state.done && !endNotPosted)
            usleep(20000);
    }
    worker.join();
    ThreadKillFlag = 0;
    ThreadToKill = nullptr;
    g_cooperative = 0;
    DestroyWindow(doneWindow);
    if (bar)
        bar->clear();
    if (error)
        std::rethrow_exception(error);
    return !cancelled;
}
