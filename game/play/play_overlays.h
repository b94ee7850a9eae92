#pragma once
// Play overlays: HUD, gauges, banner, pause menu, continue prompt, mission
// timer and stage rank.
#include "engine/core/types.h"

// Fails a running mission timer; nothing when no mission runs.
void FailMission();
