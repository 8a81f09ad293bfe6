#include "vaultcore/crypto/crypto_exceptions.h"

IMPLEMENT_DYNAMIC(CUnlockException, CException)
IMPLEMENT_DYNAMIC(CKillThreadException, CException)

namespace {
CUnlockException unlockException;
CKillThreadException killThreadException;
}  // namespace

CAtomicWord<int> ThreadKillFlag{0};
CAtomicWord<CWinThread*> ThreadToKill{nullptr};
int ThreadCannotBeKilled = 0;

CUnlockException* CUnlockException::shared()
{
    return &unlockException;
}

CKillThreadException* CKillThreadException::shared()
{
    return &killThreadException;
}

void AfxThrowUnlockException(const char*, ...)
{
    throw CUnlockException::shared();
}

void __checkKillThreadFlag()
{
    // Acquire: a host that set ThreadToKill before the flag is seen whole.
    if (!ThreadKillFlag.load(std::memory_order_acquire))
        return;
    CWinThread* target = ThreadToKill.load(std::memory_order_acquire);
    if (target && __atomic_load_n(&target->m_nThreadID, __ATOMIC_RELAXED) == GetCurrentThreadId())
        throw CKillThreadException::shared();
}

void __freshenThreadQueue()
{
    CWinThread* thread = AfxGetThread();
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!thread->PumpMessage())
            break;
    }
}
