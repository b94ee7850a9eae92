#pragma once
// A stand-in for the player's shots at the castle of the last stage (spawn
// id 1001): once a frame, after the enemies' step, each part it aims at that
// can be hit now (the castle active, the part hittable with a hit shape) is
// shot down as a shot's kill does it: its hit points to 0, the part killed
// with its subtree (children first). The tests that run the castle through
// its fight use it in place of aimed play.
#include "game/enemy/enemy_behaviour.h"
#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/shell/game_math.h"

namespace stage_test {

// What is shot at: root parts 9..11 and 13..15 (the turrets of the second
// ring), or every part.
enum class CastleAim { kSecondRingTurrets, kEverything };

namespace castle_shots_detail {

inline bool Aimed(CastleAim aim, i32 enemy, i32 root, const EnemyPart* part) {
    if (aim == CastleAim::kEverything) return true;
    return root >= 9 && root <= 15 && root != 12 && part == RootPartAt(enemy, root);
}

inline void Shoot(CastleAim aim, i32 enemy, EnemyPart* part, const f32 parentPos[2], f32 parentAngle, i32 root) {
    f32 v[2] = {part->offsetX, part->offsetY};
    RotateVector2(v, parentAngle);
    const f32 world[2] = {parentPos[0] + v[0], parentPos[1] + v[1]};
    const f32 angle = part->angle + parentAngle;
    for (const i32 c : part->children) {
        if (c < 0 || c >= kEnemyPartPoolSize) break;
        Shoot(aim, enemy, &g_EnemyPartPool[c], world, angle, root);
    }
    const HitShape& s = part->hitShape;
    if (!Aimed(aim, enemy, root, part) || part->state != 1 || (s.halfWidth <= 0.0f && s.radius <= 0.0f)) return;
    part->hp = 0;
    KillEnemyPart(enemy, part, parentPos, &parentAngle);
}

}  // namespace castle_shots_detail

// The castle's index in g_EnemyList, -1 when it is not there.
inline i32 CastleIndex() {
    for (std::size_t i = 0; i < g_EnemyList.size(); ++i)
        if (g_EnemyList[i].spawnId == 1001) return static_cast<i32>(i);
    return -1;
}

// Shoots the aimed parts of the enemy at index e, when it is active.
inline void ShootEnemy(i32 e, CastleAim aim) {
    if (e < 0 || EnemyRecord(e).active == 0) return;
    for (i32 r = 0; r < kPartLinks; ++r) {
        EnemyPart* part = RootPartAt(e, r);
        if (part == nullptr) break;
        const f32 at[2] = {EnemyRecord(e).x, EnemyRecord(e).y};
        castle_shots_detail::Shoot(aim, e, part, at, EnemyRecord(e).rotation, r);
    }
}

inline void ShootCastle(CastleAim aim) { ShootEnemy(CastleIndex(), aim); }

// Every hittable part of every active enemy but the castle (the last boss
// and its escorts), from the back of the list (a kill may erase the enemy).
inline void ShootAllButTheCastle() {
    for (i32 e = static_cast<i32>(g_EnemyList.size()) - 1; e >= 0; --e) {
        if (e < static_cast<i32>(g_EnemyList.size()) && e != CastleIndex()) ShootEnemy(e, CastleAim::kEverything);
    }
}

}  // namespace stage_test
