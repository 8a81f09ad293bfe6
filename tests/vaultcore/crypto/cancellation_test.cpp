#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {
// Restores the cancellation globals whatever a test leaves behind.
struct KillFlagGuard {
    ~KillFlagGuard()
    {
        ThreadKillFlag = 0;
        ThreadToKill = nullptr;
    }
};

struct ProgressLog {
    std::vector<UINT> messages;
    std::vector<WPARAM> wParams;
    std::vector<LPARAM> lParams;
};

LRESULT logProgress(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context)
{
    auto* log = static_cast<ProgressLog*>(context);
    log->messages.push_back(message);
    log->wParams.push_back(wParam);
    log->lParams.push_back(lParam);
    return 0;
}
}  // namespace

TEST(CryptoExceptions, UnlockThrowsTheSharedObject)
{
    try {
        AfxThrowUnlockException("modulus of %d bits is too short", 512);
        FAIL();
    } catch (CUnlockException* e) {
        EXPECT_EQ(e, CUnlockException::shared());
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        e->Delete();  // must leave the shared object alone
    }
    EXPECT_FALSE(CUnlockException::shared()->m_bAutoDelete);
}

TEST(CryptoExceptions, KillFlagStopsOnlyTheNamedThread)
{
    KillFlagGuard guard;
    __checkKillThreadFlag();  // flag clear: returns

    CWinThread* other = nullptr;
    std::thread t([&] { other = AfxGetThread(); });
    t.join();
    ThreadToKill = other;
    ThreadKillFlag = 1;
    EXPECT_NO_THROW(__checkKillThreadFlag());

    ThreadToKill = AfxGetThread();
    try {
        __checkKillThreadFlag();
        FAIL();
    } catch (CKillThreadException* e) {
        EXPECT_EQ(e, CKillThreadException::shared());
        e->Delete();
    }
    ThreadKillFlag = 0;
    EXPECT_NO_THROW(__checkKillThreadFlag());
}

TEST(CryptoExceptions, FreshenThreadQueueDispatchesWaitingMessages)
{
    ProgressLog log;
    HWND w = CreateMessageWindow(logProgress, &log);
    PostMessage(w, WM_USER + 9, 1, 0);
    PostMessage(w, WM_USER + 9, 2, 0);
    __freshenThreadQueue();
    EXPECT_EQ(log.wParams, (std::vector<WPARAM>{1, 2}));

    // The pump stops at WM_QUIT and leaves what follows it.
    PostQuitMessage(0);
    PostMessage(w, WM_USER + 9, 3, 0);
    __freshenThreadQueue();
    EXPECT_EQ(log.wParams.size(), 2u);
    __freshenThreadQueue();
    EXPECT_EQ(log.wParams.size(), 3u);
    DestroyWindow(w);
}

TEST(Progress, SetUpSendsRangeStepPositionInOrder)
{
    ProgressLog log;
    HWND w = CreateMessageWindow(logProgress, &log);
    CProgress progress(w, 0);
    progress.SetUp(100, 5, 2, 7);
    progress.Hint(3);
    ASSERT_EQ(log.messages, (std::vector<UINT>{1025, 1028, 1026, 1027}));
    EXPECT_EQ(log.lParams[0], (LPARAM)((100 << 16) | 5));
    EXPECT_EQ(log.wParams[1], 2u);
    EXPECT_EQ(log.wParams[2], 7u);
    EXPECT_EQ(log.wParams[3], 3u);
    DestroyWindow(w);
}

TEST(Progress, PostedMessagesArriveInOrderThroughTheQueue)
{
    ProgressLog log;
    HWND w = CreateMessageWindow(logProgress, &log);
    std::thread worker([w] {
        CProgress progress(w, 1);
        progress.SetUp(100, 0, 1, 0);
        for (int i = 0; i < 10; ++i)
            progress.Hint(1);
        PostThreadMessage(GetWindowThreadProcessId(w), WM_QUIT, 0, 0);
    });
    worker.join();
    EXPECT_TRUE(log.messages.empty());  // nothing before the pump runs
    while (AfxGetThread()->PumpMessage()) {
    }
    ASSERT_EQ(log.messages.size(), 13u);
    EXPECT_EQ(log.messages[0], 1025u);
    EXPECT_EQ(log.messages[1], 1028u);
    EXPECT_EQ(log.messages[2], 1026u);
    for (size_t i = 3; i < 13; ++i)
        EXPECT_EQ(log.messages[i], 1027u);
    DestroyWindow(w);
}
