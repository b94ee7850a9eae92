#pragma once
// The settings' volume levels 0 to 10, shared by the music and the sound
// effects.
#include "engine/core/types.h"

constexpr i32 kVolumeLevelCount = 11;
extern const f32 VolumeLevelTable[kVolumeLevelCount];

// A level read from the settings file, brought into 0..10 (the file may hold
// anything).
i32 ClampVolumeLevel(i32 level);
// The sound effects' decibels of a level: trunc(50 x entry - 50) on the
// single-precision entries: -50, -34, -25, -19, -17, -15, -12, -7, -5, -2, 0.
i32 VolumeLevelDecibels(i32 level);
