// The prime search's progress bar: fast at first, ever slower, and safe on
// very long searches.
#include <gtest/gtest.h>

#include "../ciphers/progress_recorder.h"

namespace {

TEST(PrimeSearchProgress, MovesEverMoreSlowly)
{
    ProgressRecorder recorder;
    CProgress progress(recorder.window, FALSE);
    CPrimeSearchProgress bar;
    bar.begin(&progress);
    ASSERT_EQ(recorder.messages.size(), 3u);  // range, step, position 0
    for (int i = 0; i < 51; ++i)
        bar.rejected(&progress);
    EXPECT_EQ(bar.position(), 50);  // one step per candidate, then the interval doubles
    EXPECT_EQ(bar.interval(), 2);
    for (int i = 0; i < 51; ++i)
        bar.rejected(&progress);
    EXPECT_EQ(bar.interval(), 4);
    EXPECT_LT(bar.position(), 50 + 51);
}

TEST(PrimeSearchProgress, LongSearchesDoNotOverflowTheInterval)
{
    ProgressRecorder recorder;
    CProgress progress(recorder.window, FALSE);
    CPrimeSearchProgress bar;
    bar.begin(&progress);
    for (int i = 0; i < 51 * 40; ++i)  // 40 doublings: far past the int range
        bar.rejected(&progress);
    EXPECT_EQ(bar.interval(), CPrimeSearchProgress::kMaxInterval);
    unsigned short position = bar.position();
    bar.rejected(&progress);
    EXPECT_EQ(bar.position(), position);  // stands still rather than jumping
}

TEST(PrimeSearchProgress, ANewSearchOnAMovedBarKeepsCounting)
{
    ProgressRecorder recorder;
    CProgress progress(recorder.window, FALSE);
    CPrimeSearchProgress bar;
    bar.begin(&progress);
    bar.rejected(&progress);
    size_t messages = recorder.messages.size();
    bar.begin(&progress);  // the second prime of the same key
    EXPECT_EQ(recorder.messages.size(), messages);
    CPrimeSearchProgress next;  // the next key's own bookkeeping starts over
    next.begin(&progress);
    EXPECT_EQ(recorder.messages.size(), messages + 3);
    next.rejected(nullptr);  // without a bar nothing is counted
    EXPECT_EQ(next.position(), 0);
}

}  // namespace
