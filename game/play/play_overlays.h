#pragma once
// Play overlays: the mission timer of timed waves and bosses.
#include "engine/core/types.h"

// Starts the mission timer with that many frames and that bonus.
void SetMissionTimer(i32 frames, i32 bonusPoints);
// Only while a mission runs: completes it with its bonus.
void CompleteMission();
// Only while a mission runs: stops it as failed.
void FailMission();
