#pragma once
// The stage's own random generator: the Mersenne Twister MT19937 with a
// uniform draw below a bound. The stage scripts, stage behaviours and a few
// attack patterns draw from the one instance g_StageRandomState, which the
// stage load reseeds with a constant of the stage, so its sequence depends
// only on the stage and the order of the draws.
#include "engine/core/types.h"

constexpr int kStageRandomWords = 624;

struct StageRandom {
    u32 state[kStageRandomWords] = {};
    i32 index = 0;        // next word to temper; 0: the next draw regenerates the words first
    i32 seeded = 0;       // 1 once seeded
    i32 cachedN = 0;      // bound of the last StageRandomBelow (0 after seeding)
    u32 scaledRange = 0;  // cachedN shifted left by shift
    i32 shift = 0;
    i32 spare = 0;  // 0 after seeding
};

extern StageRandom g_StageRandomState;

// MT19937 initialisation by `seed`; index 0, seeded 1, cachedN 0, spare 0.
void StageRandomSeed(StageRandom* rng, u32 seed);
// The next tempered 32-bit word. An instance never seeded seeds itself first:
// g_StageRandomState with 5489, any other with 5490, 5491, ... in turn.
u32 StageRandomNext(StageRandom* rng);
// A value in [0, n), every value equally likely; 0 without a draw when n < 1.
u32 StageRandomBelow(StageRandom* rng, i32 n);
// The program-start values: g_StageRandomState unseeded (all zero) and the
// next unseeded instance seeded with 5490 again. Run at the start of the game
// (see ResetPlayRecords).
void ResetStageRandomGenerators();
