#pragma once
// The enemy runtime: the per-frame enemy step and scoring.
#include "engine/core/types.h"

void RunEnemies();
// Score award with the difficulty factor.
void AddScore(i32 points);
