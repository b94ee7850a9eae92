#pragma once
// The engine's random generator: the classic C library generator, written
// out here so that its sequence is the same on every system (replays depend
// on it): state = state x 214013 + 2531011 (mod 2^32), result = bits 16..30
// of the new state (0 to 32767). One state, main thread only.
#include "engine/core/types.h"

inline constexpr i32 kRandomMax = 32767;

// srand: the state becomes the seed itself.
void RandomSeed(u32 seed);
// rand: advances the state and returns 0 to 32767.
i32 RandomNext();
// The raw state (for state hashes and save/restore in tests).
u32 RandomGetState();
void RandomSetState(u32 state);

// (r1 x r2) mod (hi - lo + 1) + lo with two successive results r1 then r2;
// always draws exactly twice. hi below lo is a caller error: it asserts in
// debug builds and otherwise returns lo after the same two draws, so that the
// number of draws never depends on the arguments.
i32 RandomInt(i32 lo, i32 hi);
// (hi - lo) x (r x 3.0518509e-05) + lo in extended precision with one result
// r, rounded to float: lo for r = 0, hi (to float rounding) for r = 32767.
f32 RandomFloat(f32 lo, f32 hi);
