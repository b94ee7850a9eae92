#include "game/play/stage_random.h"

StageRandom g_StageRandomState;

namespace {

constexpr int kMiddle = 397;
constexpr u32 kMatrix = 0x9908B0DFu;
constexpr u32 kUpperMask = 0x80000000u;
constexpr u32 kLowerMask = 0x7FFFFFFFu;
constexpr u32 kDefaultSeed = 5489u;
constexpr u32 kRange31 = 0x80000000u;     // 2^31: values of a draw shifted right by one
constexpr u32 kScaleLimit = 0x40000000u;  // 2^30

// Seeds of instances other than the shared one that are drawn from unseeded.
u32 g_unseededCounter = kDefaultSeed;

void Regenerate(StageRandom* rng) {
    u32* mt = rng->state;
    for (int i = 0; i < kStageRandomWords; ++i) {
        const u32 y = (mt[i] & kUpperMask) | (mt[(i + 1) % kStageRandomWords] & kLowerMask);
        mt[i] = mt[(i + kMiddle) % kStageRandomWords] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
    }
}

}  // namespace

void ResetStageRandomGenerators() {
    g_StageRandomState = StageRandom{};
    g_unseededCounter = kDefaultSeed;
}

void StageRandomSeed(StageRandom* rng, u32 seed) {
    rng->state[0] = seed;
    for (int i = 1; i < kStageRandomWords; ++i) {
        const u32 previous = rng->state[i - 1];
        rng->state[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<u32>(i);
    }
    rng->index = 0;
    rng->seeded = 1;
    rng->cachedN = 0;
    rng->spare = 0;
}

u32 StageRandomNext(StageRandom* rng) {
    if (rng->seeded == 0) {
        if (rng == &g_StageRandomState) {
            StageRandomSeed(rng, kDefaultSeed);
        } else {
            ++g_unseededCounter;
            StageRandomSeed(rng, g_unseededCounter);
        }
    }
    // A damaged index (never written by this code) is brought back to a
    // regeneration instead of reading outside the words.
    if (rng->index < 0 || rng->index >= kStageRandomWords) rng->index = 0;
    if (rng->index == 0) Regenerate(rng);
    u32 y = rng->state[rng->index];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    rng->index = (rng->index + 1) % kStageRandomWords;
    return y;
}

u32 StageRandomBelow(StageRandom* rng, i32 n) {
    if (n < 1) return 0;
    const u32 bound = static_cast<u32>(n);
    if (n != rng->cachedN) {
        rng->cachedN = n;
        if (bound <= kScaleLimit) {
            i32 k = 1;
            while ((static_cast<u64>(bound) << k) <= kScaleLimit) ++k;
            rng->shift = k;
            rng->scaledRange = bound << k;
        } else {
            rng->shift = 0;
            rng->scaledRange = bound;
        }
    }
    for (;;) {
        u32 r = StageRandomNext(rng) >> 1;
        if (r < rng->scaledRange) return r >> rng->shift;
        // Reuse the part of the draw above the scaled range: it is uniform
        // over [0, span), which is split again into ranges of n x 2^s.
        r -= rng->scaledRange;
        u32 span = kRange31 - rng->scaledRange;
        u32 range = rng->scaledRange;
        i32 s = rng->shift;
        while (span >= bound) {
            while (range > span) {
                range >>= 1;
                --s;
            }
            if (r < range) return r >> s;
            span -= range;
            r -= range;
        }
    }
}
