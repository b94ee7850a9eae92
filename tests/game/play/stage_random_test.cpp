#include <gtest/gtest.h>

#include <random>

#include "game/play/stage_random.h"

namespace {

TEST(StageRandomTest, Seed5489GivesTheReferenceSequence) {
    StageRandom rng;
    StageRandomSeed(&rng, 5489);
    const u32 expected[] = {3499211612u, 581869302u, 3890346734u, 3586334585u, 545404204u};
    for (u32 value : expected) EXPECT_EQ(StageRandomNext(&rng), value);
    StageRandomSeed(&rng, 5489);
    u32 last = 0;
    for (int i = 0; i < 10000; ++i) last = StageRandomNext(&rng);
    EXPECT_EQ(last, 4123659995u);  // the 10000th output of MT19937 at its default seed
}

TEST(StageRandomTest, StageSeedsMatchTheStandardGeneratorAcrossRegenerations) {
    for (u32 seed : {0u, 300u}) {
        StageRandom rng;
        StageRandomSeed(&rng, seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(StageRandomNext(&rng), reference()) << seed << " #" << i;
    }
    StageRandom rng;
    StageRandomSeed(&rng, 0);
    EXPECT_EQ(StageRandomNext(&rng), 2357136044u);
}

TEST(StageRandomTest, SeedingResetsPositionAndCache) {
    StageRandom rng;
    StageRandomSeed(&rng, 7);
    StageRandomBelow(&rng, 10);
    rng.spare = 9;
    StageRandomSeed(&rng, 7);
    EXPECT_EQ(rng.index, 0);
    EXPECT_EQ(rng.seeded, 1);
    EXPECT_EQ(rng.cachedN, 0);
    EXPECT_EQ(rng.spare, 0);
    std::mt19937 reference(7);
    EXPECT_EQ(StageRandomNext(&rng), reference());
}

TEST(StageRandomTest, UnseededInstancesSeedThemselves) {
    g_StageRandomState = StageRandom{};
    EXPECT_EQ(StageRandomNext(&g_StageRandomState), 3499211612u);
    EXPECT_EQ(g_StageRandomState.seeded, 1);

    // Other instances take 5490, 5491, ... in turn (the counter is shared by
    // the whole program, so only the step between two of them is fixed).
    StageRandom first;
    const u32 a = StageRandomNext(&first);
    StageRandom second;
    const u32 b = StageRandomNext(&second);
    u32 seedOfFirst = 0;
    for (u32 seed = 5490; seed < 5490 + 1000; ++seed) {
        if (std::mt19937(seed)() == a) {
            seedOfFirst = seed;
            break;
        }
    }
    ASSERT_NE(seedOfFirst, 0u);
    EXPECT_EQ(std::mt19937(seedOfFirst + 1)(), b);
    g_StageRandomState = StageRandom{};
}

// Draws consumed by one StageRandomBelow call, read from the generator's
// position (the call must not cross a regeneration).
int DrawsOf(StageRandom& rng, i32 n, u32* value) {
    const i32 before = rng.index;
    *value = StageRandomBelow(&rng, n);
    return (rng.index - before + kStageRandomWords) % kStageRandomWords;
}

TEST(StageRandomTest, BelowOneDrawsOnceAndBelowZeroNever) {
    StageRandom rng;
    StageRandomSeed(&rng, 0);
    StageRandomNext(&rng);  // past the regeneration so positions count draws
    u32 value = 99;
    for (i32 n : {0, -1, -100000}) {
        const StageRandom before = rng;
        EXPECT_EQ(DrawsOf(rng, n, &value), 0) << n;
        EXPECT_EQ(value, 0u);
        EXPECT_EQ(rng.cachedN, before.cachedN);
    }
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(DrawsOf(rng, 1, &value), 1);
        EXPECT_EQ(value, 0u);
    }
}

TEST(StageRandomTest, ScalingOfTheBound) {
    struct Case {
        i32 n;
        i32 shift;
        u32 scaledRange;
    };
    const Case cases[] = {{1, 31, 0x80000000u},        {2, 30, 0x80000000u},         {3, 29, 3u << 29},
                          {10, 27, 10u << 27},         {0x40000000, 1, 0x80000000u}, {0x40000001, 0, 0x40000001u},
                          {0x7FFFFFFF, 0, 0x7FFFFFFFu}};
    for (const Case& c : cases) {
        StageRandom rng;
        StageRandomSeed(&rng, 1);
        StageRandomBelow(&rng, c.n);
        EXPECT_EQ(rng.cachedN, c.n);
        EXPECT_EQ(rng.shift, c.shift) << c.n;
        EXPECT_EQ(rng.scaledRange, c.scaledRange) << c.n;
    }
}

// n = 3: a draw at or above 3 x 2^29 is not thrown away but reused through
// the sub-ranges 3 x 2^27, 3 x 2^25, ...; so every call takes one word.
TEST(StageRandomTest, BoundThreeReusesTheRejectedPart) {
    StageRandom rng;
    StageRandomSeed(&rng, 300);
    std::mt19937 reference(300);
    int reused = 0;
    for (int i = 0; i < 5000; ++i) {
        const u32 r = reference() >> 1;
        u32 expected;
        if (r < (3u << 29)) {
            expected = r >> 29;
        } else {
            ++reused;
            // The excess is uniform over [0, 2^29); it is split into 3 x 2^27,
            // leaving 2^27, split into 3 x 2^25, leaving 2^25, and so on.
            u32 rest = r - (3u << 29);
            int k = 27;
            while (rest >= (3u << k)) {
                rest -= 3u << k;
                k -= 2;
                ASSERT_GE(k, 0);
            }
            expected = rest >> k;
        }
        ASSERT_EQ(StageRandomBelow(&rng, 3), expected) << i;
    }
    EXPECT_GT(reused, 500);
    // The generator stayed in step with the reference: one word per call.
    EXPECT_EQ(StageRandomNext(&rng), reference());
}

// A bound above 2^30 leaves less than n after the scaled range: a rejected
// word is dropped and a new one drawn.
TEST(StageRandomTest, LargeBoundDrawsAgainOnRejection) {
    const i32 n = 0x40000001;
    StageRandom rng;
    StageRandomSeed(&rng, 0);
    std::mt19937 reference(0);
    int redraws = 0;
    for (int i = 0; i < 2000; ++i) {
        u32 r = reference() >> 1;
        while (r >= static_cast<u32>(n)) {
            ++redraws;
            r = reference() >> 1;
        }
        ASSERT_EQ(StageRandomBelow(&rng, n), r) << i;
    }
    EXPECT_GT(redraws, 500);
    EXPECT_EQ(StageRandomNext(&rng), reference());
}

TEST(StageRandomTest, AlternatingBoundsDrawAsFreshCalls) {
    StageRandom alternating;
    StageRandom fresh;
    StageRandomSeed(&alternating, 42);
    StageRandomSeed(&fresh, 42);
    const i32 bounds[] = {3, 1000, 3, 7, 0x40000001, 7, 1};
    for (int round = 0; round < 300; ++round) {
        for (i32 n : bounds) {
            fresh.cachedN = 0;  // forget the cache before every call
            ASSERT_EQ(StageRandomBelow(&alternating, n), StageRandomBelow(&fresh, n)) << n;
        }
    }
}

TEST(StageRandomTest, BelowStaysInRangeAndCoversIt) {
    StageRandom rng;
    StageRandomSeed(&rng, 5);
    for (i32 n : {2, 3, 5, 6, 7, 100}) {
        std::vector<int> seen(n, 0);
        for (int i = 0; i < 200 * n; ++i) {
            const u32 v = StageRandomBelow(&rng, n);
            ASSERT_LT(v, static_cast<u32>(n));
            ++seen[v];
        }
        for (int v = 0; v < n; ++v) EXPECT_GT(seen[v], 100) << "n " << n << " value " << v;
    }
}

}  // namespace
