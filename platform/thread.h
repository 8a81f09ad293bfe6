#pragma once
// Threads, time and locks with the class library's names: the thread object
// (CWinThread) that every thread gets on first use, the calling thread's
// identifier, the millisecond tick count and the critical section.
//
// Threads: the platform starts no thread; CWinThread is the object of a
// thread that exists already. Another thread may read its m_nThreadID (with
// an atomic load: it becomes 0 when the thread ends), e.g. to name it for
// cancellation; everything else of it is for its own thread. A
// CCriticalSection is meant to be shared; a CSingleLock belongs to the
// thread that made it. Failures of the system's locks throw
// CResourceException, and running out of memory CMemoryException.
#include <mutex>

#include "platform/exceptions.h"
#include "platform/platform_export.h"
#include "platform/types.h"

// Identifier of the calling thread; unique among the live threads of the
// process (the kernel's thread id).
PLATFORM_API DWORD GetCurrentThreadId();

// Milliseconds since an arbitrary start (the system's monotonic clock),
// wrapping after 49.7 days like the original.
PLATFORM_API DWORD GetTickCount();

// The thread object of one thread. AfxGetThread() makes it for the calling
// thread on first use, so any thread (not only ones the host started through
// the class library) can be named, e.g. as the thread to cancel.
class PLATFORM_API CWinThread {
public:
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Waits for the next message of this thread's queue and dispatches it to
    // its window (the calling thread must be this object's thread). FALSE
    // when the message was WM_QUIT: the thread's pump is to end. What a
    // window procedure throws passes on to the caller.
    virtual BOOL PumpMessage();
    // Idle processing, called with a growing count while the queue is empty;
    // TRUE asks for more idle calls. Nothing to do by default.
    virtual BOOL OnIdle(LONG count);
    // The message loop: pumps until WM_QUIT and returns its exit code.
    virtual int Run();

    DWORD m_nThreadID;

protected:
    explicit CWinThread(DWORD threadId) : m_nThreadID(threadId) {}
    friend PLATFORM_API CWinThread* AfxGetThread();
    int m_nExitCode = 0;
};

// The calling thread's object; made on first use. When the thread ends the
// object stays (never freed) with m_nThreadID 0, naming no thread.
PLATFORM_API CWinThread* AfxGetThread();

// A critical section: a recursive lock, as the original's are.
class PLATFORM_API CCriticalSection {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;
    BOOL Lock()
    {
        vcTranslateStdExceptions([&] { m_mutex.lock(); });
        return TRUE;
    }
    BOOL Unlock()
    {
        m_mutex.unlock();
        return TRUE;
    }

private:
    std::recursive_mutex m_mutex;
};

// Holds a critical section for the lifetime of a scope.
class PLATFORM_API CSingleLock {
public:
    explicit CSingleLock(CCriticalSection* section, BOOL initialLock = FALSE) : m_section(section)
    {
        if (initialLock)
            Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    BOOL Lock()
    {
        if (!m_locked)
            m_locked = m_section->Lock();
        return m_locked;
    }
    BOOL Unlock()
    {
        if (m_locked) {
            m_section->Unlock();
            m_locked = FALSE;
        }
        return TRUE;
    }
    BOOL IsLocked() const { return m_locked; }

private:
    CCriticalSection* m_section;
    BOOL m_locked = FALSE;
};
