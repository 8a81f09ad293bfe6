#pragma once
// Ctrl-C and termination signals. By default they remove the temporary
// files of unfinished outputs and end the program as the signal would.
// Long library work run through runCancellable is cancelled instead, the
// way the library's own cancellation works (ThreadKillFlag / ThreadToKill),
// so the command ends normally and cleans up.
#include <functional>

class CProgress;
class TerminalProgress;

// Installed once by runCommand: SIGINT, SIGTERM, SIGHUP.
void InstallInterruptHandlers();

// A temporary file the signal handler removes; the path is copied. False
// when every slot is taken (the file then merely survives a signal).
bool RegisterTemporaryFile(const char* path);
void UnregisterTemporaryFile(const char* path);

// While one lives, Ctrl-C and the termination signals are only recorded:
// a command that talks to a server polls requested() (from a timer of its
// thread, say) and cancels its work itself, then ends normally.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    // Whether a signal came since the watch began.
    static bool requested();
};

// Runs work on a worker thread while this thread shows its progress
// messages on the bar (when given); Ctrl-C asks the library to stop the
// worker. Returns false when the work was cancelled; an exception of the
// work is thrown again on this thread.
bool runCancellable(const std::function<void(CProgress* progress)>& work, TerminalProgress* bar);
