#pragma once
// The exceptions of the cryptographic classes and the cooperative
// cancellation of long arithmetic.
//
// Every RSA, padding, size and prime-search failure throws the one shared
// CUnlockException; the message given at the throw site names the failure
// there but is not kept. Long arithmetic runs on a host's worker thread and
// polls __checkKillThreadFlag(): when the host sets ThreadToKill to that
// thread's object and ThreadKillFlag non-zero, the poll throws the shared
// CKillThreadException on that thread only. Both are thrown by pointer;
// catchers call Delete(), which leaves the shared objects alone.
//
// Threads: ThreadKillFlag and ThreadToKill are atomic words (CAtomicWord).
// A host sets them from any thread without a lock, ThreadToKill first and
// the flag last, with plain assignments (`ThreadKillFlag = TRUE;`,
// `ThreadToKill = worker;`, which are atomic stores), and every worker's
// poll reads them. The shared exception objects never change, so any thread
// may throw them.
#include <atomic>

#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class VAULTCORE_API CUnlockException : public CException {
    DECLARE_DYNAMIC(CUnlockException)
public:
    CUnlockException() : CException(FALSE) {}
    // The one object every unlock-class failure throws.
    static CUnlockException* shared();
};

class VAULTCORE_API CKillThreadException : public CException {
    DECLARE_DYNAMIC(CKillThreadException)
public:
    CKillThreadException() : CException(FALSE) {}
    // The one object every cancellation throws.
    static CKillThreadException* shared();
};

// Formats the failure's message (not kept) and throws the shared
// CUnlockException.
[[noreturn]] VAULTCORE_API void AfxThrowUnlockException(const char* format, ...)
    __attribute__((format(printf, 1, 2)));

// A word shared between threads that host code uses like the plain
// variable it once was: assigned from a value or from another atomic of the
// same type (a seq_cst store), read by conversion (a seq_cst load), or
// through std::atomic's own members. Same size and layout as T.
template <class T>
struct CAtomicWord : std::atomic<T> {
    constexpr CAtomicWord(T value) noexcept : std::atomic<T>(value) {}
    using std::atomic<T>::operator=;
    CAtomicWord& operator=(const std::atomic<T>& other) noexcept
    {
        this->store(other.load());
        return *this;
    }
};

extern "C" {
// Non-zero asks the thread named by ThreadToKill to stop. Set by the host
// from any thread, without a lock.
extern VAULTCORE_API CAtomicWord<int> ThreadKillFlag;
// The worker thread to stop (its AfxGetThread() object).
extern VAULTCORE_API CAtomicWord<CWinThread*> ThreadToKill;
// For the host's own bookkeeping; the library never reads or writes it.
extern VAULTCORE_API int ThreadCannotBeKilled;
}
// The exported words keep the layout of a plain int and pointer.
static_assert(sizeof(CAtomicWord<int>) == sizeof(int) && std::atomic<int>::is_always_lock_free,
              "ThreadKillFlag must stay one lock-free int");
static_assert(sizeof(CAtomicWord<CWinThread*>) == sizeof(CWinThread*) &&
                  std::atomic<CWinThread*>::is_always_lock_free,
              "ThreadToKill must stay one lock-free pointer");

// Throws the shared CKillThreadException when ThreadKillFlag is set and
// ThreadToKill is the calling thread's object; returns at once otherwise.
VAULTCORE_API void __checkKillThreadFlag();

// Lets the calling thread's pump process the window messages waiting for
// it; returns when the queue is empty or the pump meets WM_QUIT.
VAULTCORE_API void __freshenThreadQueue();

// The poll for inner loops: reads the flag only, and leaves the thread
// comparison to __checkKillThreadFlag when the flag is set.
inline void vcPollKillThreadFlag()
{
    if (ThreadKillFlag.load(std::memory_order_relaxed))
        __checkKillThreadFlag();
}
