#include "game/stages/enemy_spawn.h"

#include <array>
#include <utility>

#include "engine/core/radians.h"
#include "game/play/enemy_runtime.h"

namespace {

// Fills every child or root entry: -1 in all 20, then the slots of the labels.
void LinkSlots(i32 (&links)[kPartLinks], const std::vector<i32>& labels, std::span<const i32> slots) {
    for (i32& link : links) link = kNoPart;
    int n = 0;
    for (const i32 label : labels) {
        if (n == kPartLinks) break;
        if (label < 0 || static_cast<std::size_t>(label) >= slots.size()) continue;
        links[n++] = slots[static_cast<std::size_t>(label)];
    }
}

}  // namespace

EnemyKindSpec OnePartKind(EnemyKindSpec kind, PartSpec part) {
    kind.parts = {std::move(part)};
    kind.roots = {0};
    return kind;
}

i32 CountFreePartSlots() {
    i32 free = 0;
    for (const EnemyPart& part : g_EnemyPartPool) {
        if (part.inUse == 0) ++free;
    }
    return free;
}

i32 PlaceEnemy(const Enemy& record, SpawnPlacement placement) {
    switch (placement) {
        case SpawnPlacement::kBack: break;
        case SpawnPlacement::kFront: g_EnemyList.insert(g_EnemyList.begin(), record); return 0;
        case SpawnPlacement::kBeforeFirstActive:
            for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
                if (g_EnemyList[i].active != 0) {
                    g_EnemyList.insert(g_EnemyList.begin() + static_cast<std::ptrdiff_t>(i), record);
                    return static_cast<i32>(i);
                }
            }
            break;
    }
    g_EnemyList.push_back(record);
    return static_cast<i32>(g_EnemyList.size()) - 1;
}

i32 SpawnEnemyKind(const EnemyKindSpec& spec) {
    // Refuse a spawn that does not fit: the pool would otherwise hand out a
    // slot that a living enemy holds.
    if (spec.parts.size() > static_cast<std::size_t>(kEnemyPartPoolSize) ||
        static_cast<i32>(spec.parts.size()) > CountFreePartSlots()) {
        return -1;
    }

    std::array<i32, kEnemyPartPoolSize> slots{};
    const std::span<const i32> built(slots.data(), spec.parts.size());
    for (std::size_t i = 0; i < spec.parts.size(); ++i) {
        const PartSpec& p = spec.parts[i];
        const i32 slot = AllocateEnemyPart();
        slots[i] = slot;
        EnemyPart& part = g_EnemyPartPool[slot];
        part.state = 1;
        part.spriteKind = p.spriteKind;
        part.maxHp = p.hp;
        part.hp = p.hp;
        part.timer = p.timer;
        part.hitShape = p.shape;
        part.restAngle = p.restAngle;
        part.angle = p.angle;
        part.action = p.action;
        part.offsetX = p.offsetX;
        part.offsetY = p.offsetY;
        part.gaugeOffsetX = p.gaugeOffsetX;
        part.gaugeOffsetY = p.gaugeOffsetY;
        part.coinValue = p.coin;
        part.scoreValue = p.score;
        part.hitTimer = 0;
        for (i32& child : part.children) child = kNoPart;
    }
    for (std::size_t i = 0; i < spec.parts.size(); ++i) {
        LinkSlots(g_EnemyPartPool[slots[i]].children, spec.parts[i].children, built);
    }

    Enemy record;
    record.spawnId = spec.spawnId;
    record.corePart = spec.corePart;
    record.active = spec.active;
    record.armoured = spec.armoured;
    record.counter = 0;
    record.age = 0;
    record.flag = 0;
    record.state = spec.state;
    LinkSlots(record.rootParts, spec.roots, built);
    record.layer = 0;
    record.x = 0;
    record.y = 0;
    record.speed = spec.speed;
    record.heading = kHalfPi;
    record.rotation = kHalfPi;
    record.scale = 1.0f;
    if (spec.finish) spec.finish(record, built);
    return PlaceEnemy(record, spec.placement);
}

i32 SpawnEnemyFromTable(std::span<const EnemyKindSpec> kinds, i32 kind) {
    for (const EnemyKindSpec& spec : kinds) {
        if (spec.kind == kind) return SpawnEnemyKind(spec);
    }
    return -1;
}
