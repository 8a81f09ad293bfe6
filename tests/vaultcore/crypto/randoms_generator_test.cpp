#include <gtest/gtest.h>

#include <cstring>

#include "vaultcore/vaultcore.h"

namespace {
bool hasZero(const unsigned char* p, size_t n)
{
    return std::memchr(p, 0, n) != nullptr;
}
}  // namespace

TEST(RandomsGenerator, BlocksNeverHoldZeroBytes)
{
    CRandomsGenerator generator;
    for (unsigned long n : {1ul, 15ul, 16ul, 17ul, 40ul, 256ul, 4096ul}) {
        std::vector<unsigned char> out(n + 1, 0xEE);
        generator.GetRandomBlock(out.data(), n);
        EXPECT_FALSE(hasZero(out.data(), n)) << n;
        EXPECT_EQ(out[n], 0xEE) << "wrote past the end for " << n;
    }
}

TEST(RandomsGenerator, GeneratorsMadeBackToBackDiffer)
{
    // The old tick-count seeding gave equal bytes for generators made in the
    // same millisecond.
    unsigned char a[32], b[32];
    CRandomsGenerator first;
    CRandomsGenerator second;
    first.GetRandomBlock(a, sizeof a);
    second.GetRandomBlock(b, sizeof b);
    EXPECT_NE(std::memcmp(a, b, sizeof a), 0);

    // A copy continues independently and still differs: every request mixes
    // fresh entropy.
    CRandomsGenerator copy = first;
    first.GetRandomBlock(a, sizeof a);
    copy.GetRandomBlock(b, sizeof b);
    EXPECT_NE(std::memcmp(a, b, sizeof a), 0);
}

TEST(RandomsGenerator, SeedsAreAccepted)
{
    const unsigned char seed[20] = "keystrokes and mice";
    unsigned char out[40];
    CRandomsGenerator withLength(seed, 3);
    withLength.GetRandomBlock(out, sizeof out);
    EXPECT_FALSE(hasZero(out, sizeof out));
    CRandomsGenerator defaultLength(seed, 0);  // reads 20 seed bytes
    defaultLength.RegenerateRandoms(seed, sizeof seed);
    defaultLength.GetRandomBlock(out, sizeof out);
    EXPECT_FALSE(hasZero(out, sizeof out));
}

TEST(RandomsGenerator, OutputLooksUniform)
{
    // 255 possible values over 64 KiB: every value should turn up, none
    // wildly often (expected about 257 each).
    std::vector<unsigned char> out(65535);
    CRandomsGenerator generator;
    generator.GetRandomBlock(out.data(), (unsigned long)out.size());
    int counts[256] = {};
    for (unsigned char b : out)
        ++counts[b];
    EXPECT_EQ(counts[0], 0);
    for (int v = 1; v < 256; ++v) {
        EXPECT_GT(counts[v], 150) << v;
        EXPECT_LT(counts[v], 380) << v;
    }
}
