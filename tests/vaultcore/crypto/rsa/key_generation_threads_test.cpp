// Key generations on several threads at once each keep their own progress,
// and running out of memory during one throws the class library's memory
// exception.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "support/der_helpers.h"
#include "support/failing_allocator.h"
#include "vaultcore/vaultcore.h"

namespace {

// Records the set-position messages sent to a progress window.
struct PositionLog {
    std::vector<WPARAM> positions;
    std::function<void(WPARAM)> onPosition;

    static LRESULT proc(HWND, UINT message, WPARAM wParam, LPARAM, void* context)
    {
        auto* log = static_cast<PositionLog*>(context);
        if (message == PBM_SETPOS) {
            log->positions.push_back(wParam);
            if (log->onPosition)
                log->onPosition(wParam);
        }
        return 0;
    }
};

// A generation's bar: 0, then one step at a time, then full (1) and empty (0).
bool climbsOneStepAtATime(const std::vector<WPARAM>& positions)
{
    if (positions.size() < 3 || positions.front() != 0 || positions[positions.size() - 2] != 1 ||
        positions.back() != 0)
        return false;
    for (size_t i = 1; i + 2 < positions.size(); ++i)
        if (positions[i] != positions[i - 1] + 1)
            return false;
    return true;
}

void generate(unsigned short bits, PositionLog& log)
{
    HWND window = CreateMessageWindow(&PositionLog::proc, &log);
    CProgress progress(window, FALSE);
    CRSAKeyPair pair(bits, 1, nullptr, 0, &progress);
    DestroyWindow(window);
}

TEST(KeyGenerationThreads, EachGenerationKeepsItsOwnProgress)
{
    // The first generation stops at its first step until a second one,
    // started meanwhile on this thread, has run from start to end.
    std::mutex mutex;
    std::condition_variable changed;
    bool firstPaused = false, firstDone = false, secondDone = false;
    PositionLog first, second;
    first.onPosition = [&](WPARAM position) {
        if (position != 1 || firstPaused)
            return;
        std::unique_lock<std::mutex> lock(mutex);
        firstPaused = true;
        changed.notify_all();
        changed.wait(lock, [&] { return secondDone; });
    };
    std::thread worker([&] {
        generate(768, first);
        std::lock_guard<std::mutex> lock(mutex);
        firstDone = true;
        changed.notify_all();
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return firstPaused || firstDone; });
    }
    generate(512, second);
    {
        std::lock_guard<std::mutex> lock(mutex);
        secondDone = true;
        changed.notify_all();
    }
    worker.join();
    EXPECT_TRUE(climbsOneStepAtATime(first.positions));
    EXPECT_TRUE(climbsOneStepAtATime(second.positions));
}

TEST(KeyGenerationThreads, OutOfMemoryThrowsTheMemoryException)
{
    if (!kAllocationsCanFail)
        GTEST_SKIP() << "operator new cannot be replaced in this build";
    EXPECT_TRUE(failsWithoutMemoryAs<CMemoryException>([] { CRSAKeyPair pair(512, 1); }));
    CRSAKeyPair pair(512, 1);  // and the next generation works
    EXPECT_EQ(pair.TestKeys(2, nullptr, 0), 0);
}

}  // namespace
