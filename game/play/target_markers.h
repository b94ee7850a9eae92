#pragma once
// Target markers and part gauges.
#include "engine/core/types.h"
#include "game/play/records.h"

// Appends {part, partId, 100}; callers pass the part's sprite kind.
void AddTargetMarker(EnemyPart* part, i32 partId);
// Appends {part, partId, frames}.
void AddTargetMarkerTimed(EnemyPart* part, i32 partId, i32 frames);
