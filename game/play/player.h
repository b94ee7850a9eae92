#pragma once
// The player's aircraft: its reset, per-frame step, hit test and drawing.
#include "engine/core/types.h"

// Mode 0: a new run (also a retry and a continue); mode 1: a stage start.
void ResetPlayerState(i32 mode);
void UpdatePlayer();
void CollidePlayer();
void DrawPlayer();
