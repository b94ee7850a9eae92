#pragma once
// Target markers (blinking, beeping frames pinned to a part for a while) and
// part gauges (a health bar over a part after each hit). Both follow their
// part through its enemy's part tree.
#include "engine/core/types.h"
#include "game/play/play_sprites.h"
#include "game/play/records.h"

// Appends {part, partId, 100}; partId is the part's sprite kind.
void AddTargetMarker(EnemyPart* part, i32 partId);
// Appends {part, partId, frames}.
void AddTargetMarkerTimed(EnemyPart* part, i32 partId, i32 frames);
// Once per play frame: counts every marker down, beeps, removes spent ones.
void UpdateTargetMarkers();

// The markers over every enemy's parts.
void DrawTargetMarkers();
void DrawPartTargetMarkers(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// The part's gauge and its children's.
void DrawPartHpGauge(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);

// The quads the draws above make (appended to `quads`).
void CollectTargetMarkerQuads(PlayQuadList& quads);
void CollectPartTargetMarkerQuads(i32 enemy, const EnemyPart* part, const f32 parentPos[2], f32 parentAngle,
                                  PlayQuadList& quads);
void CollectPartHpGaugeQuads(const EnemyPart* part, const f32 parentPos[2], f32 parentAngle, PlayQuadList& quads);
