#pragma once
// Target markers and part gauges.
#include "engine/core/types.h"
#include "game/play/records.h"

void UpdateTargetMarkers();
void DrawTargetMarkers();
// The HP gauge of a part and its children, placed from the parent's position
// and angle.
void DrawPartHpGauge(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
