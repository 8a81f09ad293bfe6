// Key generations on several threads at once each keep their own progress,
// and running out of memory during one throws the class library's memory
// exception.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/der_helpers.h"
#include "support/failing_allocator.h"
#include "vaultcore/vaultcore.h"

namespace {

// Records the set-position messages sent to a progress window; with pause
// set, the generation waits at its first position 1 (its first step, or its
// full bar at the latest) until resume is fulfilled.
struct PositionLog {
    std::vector<WPARAM> positions;
    std::promise<void>* paused = nullptr;
    std::shared_future<void> resume;

    static LRESULT proc(HWND, UINT message, WPARAM wParam, LPARAM, void* context)
    {
        auto* log = static_cast<PositionLog*>(context);
        if (message != PBM_SETPOS)
            return 0;
        log->positions.push_back(wParam);
        if (wParam == 1 && log->paused) {
            std::exchange(log->paused, nullptr)->set_value();
            log->resume.wait();
        }
        return 0;
    }
};

// A generation's bar: 0 (twice when its first prime came without a step),
// then one step at a time, then full (1) and empty (0).
bool climbsOneStepAtATime(const std::vector<WPARAM>& positions)
{
    if (positions.size() < 3 || positions.front() != 0 || positions[positions.size() - 2] != 1 ||
        positions.back() != 0)
        return false;
    size_t first = positions[1] == 0 ? 2 : 1;
    for (size_t i = first; i + 2 < positions.size(); ++i)
        if (positions[i] != positions[i - 1] + 1)
            return false;
    return true;
}

std::string textOf(const std::vector<WPARAM>& positions)
{
    std::string text;
    for (WPARAM p : positions)
        text += std::to_string(p) + " ";
    return text;
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
    // The first generation pauses while a second runs on this thread from
    // start to end.
    std::promise<void> paused, resume;
    PositionLog first, second;
    first.paused = &paused;
    first.resume = resume.get_future().share();
    std::thread worker([&] { generate(768, first); });
    paused.get_future().wait();
    generate(512, second);
    resume.set_value();
    worker.join();
    EXPECT_TRUE(climbsOneStepAtATime(first.positions)) << textOf(first.positions);
    EXPECT_TRUE(climbsOneStepAtATime(second.positions)) << textOf(second.positions);
}

TEST(KeyGenerationThreads, OutOfMemoryThrowsTheMemoryException)
{
    if (!kAllocationsCanFail)
        GTEST_SKIP() << "operator new cannot be replaced in this build";
    EXPECT_TRUE(throwsAndDeletes<CMemoryException>([] {
        AllocationsFail failing;
        CRSAKeyPair pair(512, 1);
    }));
    CRSAKeyPair pair(512, 1);  // and the next generation works
    EXPECT_EQ(pair.TestKeys(2, nullptr, 0), 0);
}

}  // namespace
