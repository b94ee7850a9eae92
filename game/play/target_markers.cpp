#include "game/play/target_markers.h"

#include <cstddef>

#include "game/play/enemy_runtime.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

void Place(const EnemyPart& part, const f32 parentPos[2], f32 parentAngle, f32 scale, f32 world[2], f32* worldAngle) {
    f32 v[2] = {part.offsetX * scale, part.offsetY * scale};
    RotateVector2(v, parentAngle);
    world[0] = parentPos[0] + v[0];
    world[1] = parentPos[1] + v[1];
    *worldAngle = part.angle + parentAngle;
}

void MarkerTree(i32 enemy, const EnemyPart* part, const f32 parentPos[2], f32 parentAngle, PlayQuadList& quads,
                int depth) {
    if (part == nullptr || depth >= kMaxPartDepth) return;
    const Enemy* owner = EnemyAt(enemy);
    const f32 scale = owner != nullptr ? owner->scale : 1.0f;
    f32 world[2];
    f32 worldAngle;
    Place(*part, parentPos, parentAngle, scale, world, &worldAngle);
    const f32 x = world[0] + g_GameState.FieldScrollX;
    const f32 y = world[1];
    for (const TargetMarker& marker : g_TargetMarkerList) {
        if (marker.part != part || marker.partId != part->spriteKind || part->state == -1) continue;
        const i32 t = marker.timer;
        PlayQuad q;
        q.sheet = kSheetMissile;
        q.source = MakeRect(390, 420, 479, 509);
        if (t < 20) {
            const f32 w = static_cast<f32>(60 - t);
            const f32 h = static_cast<f32>(2 * t);
            q.destination = MakeRect(static_cast<i32>(x - w), static_cast<i32>(y - h), static_cast<i32>(x + w),
                                     static_cast<i32>(y + h));
        } else {
            if ((t / 5) % 2 != 0) continue;
            q.destination = MakeRect(static_cast<i32>(x - 40.0f), static_cast<i32>(y - 40.0f),
                                     static_cast<i32>(x + 40.0f), static_cast<i32>(y + 40.0f));
        }
        quads.push_back(q);
    }
    for (i32 child : part->children) {
        const EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        MarkerTree(enemy, c, world, worldAngle, quads, depth + 1);
    }
}

void GaugeTree(const EnemyPart* part, const f32 parentPos[2], f32 parentAngle, PlayQuadList& quads, int depth) {
    if (part == nullptr || depth >= kMaxPartDepth) return;
    f32 world[2];
    f32 worldAngle;
    Place(*part, parentPos, parentAngle, 1.0f, world, &worldAngle);
    const i32 cx = static_cast<i32>(world[0] + part->gaugeOffsetX + g_GameState.FieldScrollX);
    const i32 cy = static_cast<i32>(world[1] + part->gaugeOffsetY);
    if (part->state == 1 && part->hitTimer > 0) {
        // Single precision, so 29 of 100 hit points make a bar of 29 pixels. A
        // part whose maxHp is 0 shows an empty bar rather than dividing by 0.
        const i32 p = part->maxHp != 0
                          ? static_cast<i32>(static_cast<f32>(part->hp) / static_cast<f32>(part->maxHp) * 100.0f)
                          : 0;
        const i32 timer = part->hitTimer;
        const i32 frameH = timer < 20 ? static_cast<i32>(static_cast<f32>(timer) * 0.05f * 8.0f) : 8;
        const i32 barH = timer < 20 ? static_cast<i32>(static_cast<f32>(timer) * 0.05f * 5.0f) : 5;
        const i32 gy = cy - 30;
        PlayQuad frame;
        frame.sheet = kSheetPicture;
        frame.source = MakeRect(320, 235, 427, 264);
        frame.destination = MakeRect(cx - 54, gy - frameH, cx + 54, gy + frameH);
        quads.push_back(frame);
        PlayQuad bar;
        bar.sheet = kSheetPicture;
        bar.source = MakeRect(360, 325, 459, 344);
        bar.destination = MakeRect(cx - 50, gy - barH, cx - 50 + p, gy + barH);
        bar.colour = p < 30 ? 0xFFFF00FFu : (p < 70 ? 0xFFFF96FFu : 0xFFFFFFFFu);
        quads.push_back(bar);
    }
    for (i32 child : part->children) {
        const EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        GaugeTree(c, world, worldAngle, quads, depth + 1);
    }
}

}  // namespace

void AddTargetMarker(EnemyPart* part, i32 partId) { AddTargetMarkerTimed(part, partId, 100); }

void AddTargetMarkerTimed(EnemyPart* part, i32 partId, i32 frames) {
    TargetMarker marker;
    marker.part = part;
    marker.partId = partId;
    marker.timer = frames;
    g_TargetMarkerList.push_back(marker);
}

void UpdateTargetMarkers() {
    for (std::size_t i = 0; i < g_TargetMarkerList.size();) {
        TargetMarker& marker = g_TargetMarkerList[i];
        marker.timer -= 1;
        if (marker.timer % 16 == 0) PlaySoundEffect(kSoundPi);
        if (marker.timer <= 0) {
            g_TargetMarkerList.erase(g_TargetMarkerList.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void CollectPartTargetMarkerQuads(i32 enemy, const EnemyPart* part, const f32 parentPos[2], f32 parentAngle,
                                  PlayQuadList& quads) {
    if (parentPos == nullptr) return;
    MarkerTree(enemy, part, parentPos, parentAngle, quads, 0);
}

void CollectTargetMarkerQuads(PlayQuadList& quads) {
    if (g_TargetMarkerList.empty()) return;
    for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
        const Enemy& enemy = g_EnemyList[i];
        for (i32 root : enemy.rootParts) {
            const EnemyPart* part = PartAt(root);
            if (part == nullptr) break;
            CollectPartTargetMarkerQuads(static_cast<i32>(i), part, &enemy.x, enemy.rotation, quads);
        }
    }
}

void DrawTargetMarkers() {
    PlayQuadList quads;
    CollectTargetMarkerQuads(quads);
    DrawPlayQuads(quads);
}

void DrawPartTargetMarkers(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    if (parentAngle == nullptr) return;
    PlayQuadList quads;
    CollectPartTargetMarkerQuads(enemy, part, parentPos, *parentAngle, quads);
    DrawPlayQuads(quads);
}

void CollectPartHpGaugeQuads(const EnemyPart* part, const f32 parentPos[2], f32 parentAngle, PlayQuadList& quads) {
    if (parentPos == nullptr) return;
    GaugeTree(part, parentPos, parentAngle, quads, 0);
}

void DrawPartHpGauge(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    (void)enemy;
    if (parentAngle == nullptr) return;
    PlayQuadList quads;
    CollectPartHpGaugeQuads(part, parentPos, *parentAngle, quads);
    DrawPlayQuads(quads);
}
