#include "game/play/enemy_runtime.h"

#include <cstddef>
#include <cstdio>

#include "engine/core/radians.h"
#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/effects.h"
#include "game/play/part_death.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

// The player a shot or missile belongs to; an owner outside the table counts
// as player 0 (the game has one).
PlayerState& OwnerOf(i32 owner) {
    if (owner < 0 || owner >= kPlayerCount) owner = 0;
    return g_PlayerState[owner];
}

// World position and angle of a part under its parent, with the offset
// multiplied by `scale`.
void PlacePart(const EnemyPart& part, const f32 parentPos[2], f32 parentAngle, f32 scale, f32 world[2],
               f32* worldAngle) {
    f32 v[2] = {part.offsetX * scale, part.offsetY * scale};
    RotateVector2(v, parentAngle);
    world[0] = parentPos[0] + v[0];
    world[1] = parentPos[1] + v[1];
    *worldAngle = part.angle + parentAngle;
}

void ReleasePartTree(EnemyPart* part, int depth) {
    if (part == nullptr || depth >= kMaxPartDepth) return;
    for (i32 child : part->children) {
        EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        ReleasePartTree(c, depth + 1);
    }
    part->inUse = 0;
}

void KillPartTree(i32 enemy, EnemyPart* part, const f32 parentPos[2], f32 parentAngle, int depth) {
    if (part == nullptr || depth >= kMaxPartDepth) return;
    f32 world[2];
    f32 worldAngle;
    PlacePart(*part, parentPos, parentAngle, 1.0f, world, &worldAngle);
    for (i32 child : part->children) {
        EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        KillPartTree(enemy, c, world, worldAngle, depth + 1);
    }
    SpawnPartDeathEffects(enemy, part, world, &worldAngle);
}

// The index RunEnemies is stepping (-1 outside its steps), and whether that
// enemy moved itself to the front of the list during its step.
i32 g_stepping = -1;
bool g_steppedMovedToFront = false;

// The end of a kept enemy's frame: age + 1 and the part step of each root
// part. The behaviour may have appended enemies: the record is looked up
// afresh for every use.
void FinishEnemyStep(i32 index) {
    const std::size_t i = static_cast<std::size_t>(index);
    if (i >= g_EnemyList.size()) return;
    g_EnemyList[i].age += 1;
    for (int r = 0; r < kPartLinks && i < g_EnemyList.size(); ++r) {
        EnemyPart* part = PartAt(g_EnemyList[i].rootParts[r]);
        if (part == nullptr) break;
        Enemy& enemy = g_EnemyList[i];
        DispatchStepPart(index, part, &enemy.x, &enemy.rotation);
    }
}

// The shot damage a part takes: blast areas do less to armoured enemies.
i32 ShotDamage(const PlayerShot& shot, bool armoured) {
    if (armoured && shot.kind == 101) return shot.damage / 2;
    if (armoured && shot.kind == 100) return 2 * (shot.damage / 3);
    return shot.damage;
}

void CollidePartTree(i32 enemy, EnemyPart* part, const f32 parentPos[2], f32 parentAngle, int depth) {
    if (part == nullptr || depth >= kMaxPartDepth) return;
    const Enemy* owner = EnemyAt(enemy);
    const f32 scale = owner != nullptr ? owner->scale : 1.0f;
    const bool armoured = owner != nullptr && owner->armoured == 1;
    f32 world[2];
    f32 worldAngle;
    PlacePart(*part, parentPos, parentAngle, scale, world, &worldAngle);
    for (i32 child : part->children) {
        EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        CollidePartTree(enemy, c, world, worldAngle, depth + 1);
    }
    if (part->state != 1) return;

    for (std::size_t s = 0; s < g_PlayerShotList.size();) {
        const PlayerShot shot = g_PlayerShotList[s];
        const f32 shotPos[2] = {shot.x, shot.y};
        if (!HitTestShapes(world, shotPos, &part->hitShape, &shot.hitShape, worldAngle, shot.angle)) {
            ++s;
            continue;
        }
        PlayerState& player = OwnerOf(shot.owner);
        if (shot.kind != 100 && shot.kind != 101) SpawnEffect(kEffectShotHit, shotPos, 0.0f, -1);
        part->hp -= ShotDamage(shot, armoured);
        part->hitTimer = 100;
        if (shot.kind == 10) {
            player.StageScorePoints += 1;
            if (g_GameState.FrameCounter - GetSoundEffectStamp(kSoundGunshot5) >= 4)
                PlaySoundEffectStamped(kSoundGunshot5, g_GameState.FrameCounter);
        }
        if (part->hp <= 0) {
            const i32 level = player.shotLevel;
            const i32 m = GetScoreMultiplier(level);
            SpawnCoins(10, world, -kPi / 2, m + part->coinValue);
            if (level > 1) SpawnEffect(ChainLevelEffect(level), world, 0.0f, -1);
            player.StageScorePoints += (m * part->scoreValue) / 2;
            g_GameState.RankPoints += level;
            SpawnPartDeathEffects(enemy, part, world, &worldAngle);
            if (part->state != 1) {
                for (i32 child : part->children) {
                    EnemyPart* c = PartAt(child);
                    if (c == nullptr) break;
                    KillPartTree(enemy, c, world, worldAngle, depth + 1);
                }
            }
        }
        if (shot.consumeOnHit != 0) {
            g_PlayerShotList.erase(g_PlayerShotList.begin() + static_cast<std::ptrdiff_t>(s));
        } else {
            ++s;
        }
        if (part->state != 1) return;
    }

    for (std::size_t k = 0; k < g_PlayerMissileList.size();) {
        const PlayerMissile missile = g_PlayerMissileList[k];
        const f32 missilePos[2] = {missile.x, missile.y};
        if (!HitTestShapes(world, missilePos, &part->hitShape, &missile.hitShape, worldAngle, missile.angle)) {
            ++k;
            continue;
        }
        PlayerState& player = OwnerOf(missile.owner);
        g_GameState.LevelDigitHeight = 0;
        player.shotLevel += 1;
        if (player.shotLevel > 8) {
            player.shotLevel = 8;
            g_GameState.LevelDigitHeight = 20;
        }
        ExplodePlayerMissile(static_cast<i32>(k));
        g_PlayerMissileList.erase(g_PlayerMissileList.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

}  // namespace

EnemyPart* PartAt(i32 index) {
    if (index < 0 || index >= kEnemyPartPoolSize) return nullptr;
    return &g_EnemyPartPool[index];
}

Enemy* EnemyAt(i32 enemy) {
    if (enemy < 0 || static_cast<std::size_t>(enemy) >= g_EnemyList.size()) return nullptr;
    return &g_EnemyList[static_cast<std::size_t>(enemy)];
}

bool PartAlive(i32 index) {
    const EnemyPart* part = PartAt(index);
    return part != nullptr && part->state == 1;
}

bool PartSpent(i32 index) {
    const EnemyPart* part = PartAt(index);
    return part == nullptr || part->hp <= 0;
}

i32 AllocateEnemyPart() {
    for (i32 i = 0; i < kEnemyPartPoolSize; ++i) {
        EnemyPart& part = g_EnemyPartPool[i];
        if (part.inUse != 0) continue;
        part.inUse = 1;
        part.gaugeOffsetX = 0.0f;
        part.gaugeOffsetY = 0.0f;
        return i;
    }
    // The caller goes without the part. Said once a run, so that long runs
    // (and the soak runner) show it.
    static bool said = false;
    if (!said) {
        said = true;
        std::fprintf(stderr, "tolvarin: the enemy part pool (%d parts) is full; a part was refused\n",
                     kEnemyPartPoolSize);
    }
    return kNoPart;
}

void ReleaseEnemyPart(EnemyPart* part) { ReleasePartTree(part, 0); }

void ReleaseEnemyParts(i32 enemy) {
    const Enemy* e = EnemyAt(enemy);
    if (e == nullptr) return;
    for (i32 root : e->rootParts) {
        EnemyPart* part = PartAt(root);
        if (part == nullptr) break;
        ReleaseEnemyPart(part);
    }
}

void MoveEnemyToFrontOfList(i32 enemy) {
    if (EnemyAt(enemy) == nullptr) return;
    const Enemy copy = g_EnemyList[static_cast<std::size_t>(enemy)];
    g_EnemyList.erase(g_EnemyList.begin() + enemy);
    g_EnemyList.insert(g_EnemyList.begin(), copy);
    if (enemy == g_stepping) g_steppedMovedToFront = true;
}

void RunEnemies() {
    for (std::size_t i = 0; i < g_EnemyList.size();) {
        const i32 index = static_cast<i32>(i);
        const std::size_t before = g_EnemyList.size();
        g_stepping = index;
        g_steppedMovedToFront = false;
        const bool kept = DispatchStepEnemy(index, g_EnemyList[i].state);
        g_stepping = -1;
        if (!kept) {
            // The enemy was erased and the next one stands at i. A behaviour
            // that answers false without erasing would stall the loop: it is
            // passed over instead.
            if (g_EnemyList.size() >= before) ++i;
            continue;
        }
        if (g_steppedMovedToFront) {
            // The stepped enemy now stands at 0 and the ones before it moved
            // up by one, already stepped: the moved enemy ends its frame at
            // 0 and the next to step follows its old index.
            FinishEnemyStep(0);
            i = i + 1;
            continue;
        }
        // The behaviour may have appended enemies: the record is looked up
        // afresh for every use.
        if (i >= g_EnemyList.size()) break;
        FinishEnemyStep(index);
        ++i;
    }
}

void CollideEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    if (part == nullptr || parentPos == nullptr || parentAngle == nullptr) return;
    CollidePartTree(enemy, part, parentPos, *parentAngle, 0);
}

void KillEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    if (part == nullptr || parentPos == nullptr || parentAngle == nullptr) return;
    KillPartTree(enemy, part, parentPos, *parentAngle, 0);
}

void KillEnemyPartAlone(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    if (part == nullptr || parentPos == nullptr || parentAngle == nullptr) return;
    f32 world[2];
    f32 worldAngle;
    PlacePart(*part, parentPos, *parentAngle, 1.0f, world, &worldAngle);
    SpawnPartDeathEffects(enemy, part, world, &worldAngle);
}

void ExplodePlayerMissile(i32 missile) {
    if (missile < 0 || static_cast<std::size_t>(missile) >= g_PlayerMissileList.size()) return;
    const PlayerMissile m = g_PlayerMissileList[static_cast<std::size_t>(missile)];
    PlayerState& player = OwnerOf(m.owner);
    player.levelTimer = player.levelTimerMax;
    const f32 pos[2] = {m.x, m.y};
    SpawnEffect(m.kind == 10 ? kEffectMissileBlast : kEffectDoubleMissileBlast, pos, 0.0f, m.owner);
    PlaySoundEffect(kSoundSenGeTaihou01);
}

void AddScore(i32 points) {
    g_GameState.RankPoints += points / 50;
    if (g_GameState.Difficulty == kDifficultyNormal) {
        points = static_cast<i32>(static_cast<f80>(points) * static_cast<f80>(1.2f));
    } else if (g_GameState.Difficulty == kDifficultyHard) {
        points = static_cast<i32>(static_cast<f80>(points) * static_cast<f80>(1.5f));
    }
    // A negative award would name another effect kind: it shows no pop-up.
    const f32 popup[2] = {305.0f, 260.0f};
    if (points >= 0) SpawnEffect(kEffectScorePopup + points, popup, 0.0f, -1);
    g_PlayerState[0].StageScorePoints += points;
    PlaySoundEffect(kSoundDecide12);
}

bool IsOutsideField(const f32 pos[2]) {
    return pos[0] < 90.0f || pos[0] > 550.0f || pos[1] < -30.0f || pos[1] > 510.0f;
}
