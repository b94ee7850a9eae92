#pragma once
// Play overlays: HUD, gauges, banner, pause menu, continue prompt, mission
// timer and stage rank.
#include "engine/core/types.h"

// Fails a running mission timer; nothing when no mission runs.
void FailMission();
// Starts the mission timer with that many frames and that bonus.
void SetMissionTimer(i32 frames, i32 bonusPoints);
// Only while a mission runs: completes it with its bonus.
void CompleteMission();
