#include "game/patterns/part_step.h"

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

// Smoke every 15 frames at the world position, jittered by +-r.
void Smoke(PartFrame& f, i32 kind, f32 r) {
    if (!EveryFrames(f, 15)) return;
    SpawnJitteredEffect(kind, f.pos, r);
}

void StepPartTree(PartActionFn actions, i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2],
                  f32 parentAngle, int depth) {
    // The actions read the enemy: a part whose enemy is gone is not stepped.
    const Enemy* owner = EnemyAt(enemy);
    if (part == nullptr || owner == nullptr || depth >= kMaxPartDepth) return;
    PartFrame f;
    f.enemy = enemy;
    f.part = part;
    f.difficulty = difficulty;
    f.parentAngle = parentAngle;
    f32 v[2] = {part->offsetX * owner->scale, part->offsetY * owner->scale};
    RotateVector2(v, f.parentAngle);
    f.pos[0] = v[0] + parentPos[0];
    f.pos[1] = v[1] + parentPos[1];
    f.angle = part->angle + f.parentAngle;

    for (i32 child : part->children) {
        EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        StepPartTree(actions, difficulty, enemy, c, f.pos, f.angle, depth + 1);
    }
    part->timer += 1;
    if (part->hitTimer > 0) part->hitTimer -= 1;
    if (actions) actions(f);
}

}  // namespace

void StepPartFrame(PartActionFn actions, i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2],
                   const f32* parentAngle) {
    if (parentPos == nullptr || parentAngle == nullptr) return;
    StepPartTree(actions,
                 difficulty == kDifficultyEasy || difficulty == kDifficultyNormal ? difficulty : kDifficultyHard, enemy,
                 part, parentPos, *parentAngle, 0);
}

const ActionRow* FindActionRow(const ActionTable& table, i32 action) {
    for (const ActionRow& row : table.actions) {
        if (row.action == action) return &row;
    }
    return nullptr;
}

void RunActionByTable(const ActionTable& table, PartFrame& frame) {
    const ActionRow* row = FindActionRow(table, frame.part->action);
    if (row != nullptr && row->run != nullptr) row->run(frame);
}

void WreckSmoke11(PartFrame& f) { Smoke(f, kEffectSmokeCloud, 25.0f); }
void WreckSmoke12(PartFrame& f) { Smoke(f, kEffectSmokeCloud, 40.0f); }
void WreckSmoke13(PartFrame& f) { Smoke(f, kEffectSmokePuff, 15.0f); }

bool EveryFrames(const PartFrame& f, i32 n) { return f.part->timer % n == 0; }

f32 EnemyScale(const PartFrame& f) { return g_EnemyList[static_cast<std::size_t>(f.enemy)].scale; }

void LocalPoint(const PartFrame& f, f32 a, f32 b, f32 out[2]) {
    f32 v[2] = {a, b};
    RotateVector2(v, f.angle);
    out[0] = f.pos[0] + v[0];
    out[1] = f.pos[1] + v[1];
}

void DrawnPosition(const PartFrame& f, f32 out[2]) {
    out[0] = f.pos[0] + g_GameState.FieldScrollX;
    out[1] = f.pos[1];
}

f32 AimFrom(const f32 p[2]) { return static_cast<f32>(AngleToPlayer(p, 0)); }

void TurnTowardPlayer(PartFrame& f, f32 aim, f32 rate) {
    f32 angle = f.part->angle;
    TurnTowardAngle(&angle, aim - f.parentAngle, rate);
    f.part->angle = angle;
}

void Jitter(f32 p[2], f32 j) {
    const f32 dx = RandomFloat(-j, j);
    p[0] += dx;
    const f32 dy = RandomFloat(-j, j);
    p[1] += dy;
}

i32 SpawnPartEffect(i32 kind, const f32 p[2]) {
    const f32 angle = RandomFloat(-kPi, kPi);
    return SpawnEffect(kind, p, angle, -1);
}

i32 SpawnJitteredEffect(i32 kind, const f32 base[2], f32 j) {
    f32 p[2] = {base[0], base[1]};
    Jitter(p, j);
    return SpawnPartEffect(kind, p);
}

void FireBullet(i32 kind, f32 speed, i32 shapeEntry, f32 heading, const f32 p[2]) {
    FireBullet(kind, speed, shapeEntry, heading, p, heading, 0);
}

void FireBullet(i32 kind, f32 speed, i32 shapeEntry, f32 heading, const f32 p[2], f32 rotation, i32 age) {
    EnemyBullet b;
    b.kind = kind;
    b.age = age;
    b.rotation = rotation;
    b.heading = heading;
    b.speed = speed;
    b.x = p[0];
    b.y = p[1];
    b.hitShape = DefaultHitShapes[shapeEntry];
    g_EnemyBulletList.push_back(b);
}

void FireShell(const ShellShot& shell, const f32 p[2]) {
    EnemyShell s;
    s.hp = shell.hp;
    s.kind = shell.kind;
    s.age = shell.age;
    s.angle = shell.angle;
    s.heading = shell.heading;
    s.speed = shell.speed;
    s.strength = shell.strength;
    s.x = p[0];
    s.y = p[1];
    s.hitShape = shell.shape;
    s.playerHitShape = shell.shape;  // one shape for the shots and the player's body
    g_EnemyShellList.push_back(s);
}

ShellShot ShellOf(i32 kind, i32 hp, f32 speed, i32 strength, HitShape shape, f32 angle) {
    ShellShot s;
    s.kind = kind;
    s.hp = hp;
    s.speed = speed;
    s.strength = strength;
    s.shape = shape;
    s.angle = angle;
    s.heading = angle;
    return s;
}

bool IsOutside(const f32 p[2]) { return IsOutsideField(p); }

void SpacedSound(i32 n, i32 gap) { SpacedSound(n, gap, n); }

void SpacedSound(i32 tested, i32 gap, i32 played) {
    if (g_GameState.FrameCounter - GetSoundEffectStamp(tested) >= gap) {
        PlaySoundEffectStamped(played, g_GameState.FrameCounter);
    }
}

void PlayFireSound() { SpacedSound(kSoundBulletBys1, 4); }

void PlayShellSound() { PlaySoundEffect(kSoundSenMiMisairu); }

void MarkPart(PartFrame& f) { AddTargetMarker(f.part, f.part->spriteKind); }

EnemyPart* ChildOf(const EnemyPart& part, i32 index) {
    if (index < 0 || index >= kPartLinks) return nullptr;
    return PartAt(part.children[index]);
}

bool ChildAlive(const EnemyPart& part, i32 index) {
    const EnemyPart* child = ChildOf(part, index);
    return child != nullptr && child->state == 1;
}

bool ChildDestroyed(const EnemyPart& part, i32 index) {
    const EnemyPart* child = ChildOf(part, index);
    return child == nullptr || child->state == -1;
}
