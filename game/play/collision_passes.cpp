// The collision passes of the play frame.
#include <algorithm>

#include "game/play/collision.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/part_death.h"
#include "game/play/player.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"

namespace {

template <typename T>
void EraseAt(std::vector<T>& list, std::size_t i) {
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

bool ValidPart(i32 index) { return index >= 0 && index < kEnemyPartPoolSize; }

// The part whose death destroys the enemy, or null.
const EnemyPart* CorePart(const Enemy& e) {
    if (e.corePart < 0 || e.corePart >= kPartLinks) return nullptr;
    const i32 slot = e.rootParts[e.corePart];
    return ValidPart(slot) ? &g_EnemyPartPool[slot] : nullptr;
}

void CollideEnemies() {
    for (std::size_t i = 0; i < g_EnemyList.size();) {
        if (!g_EnemyList[i].active) {
            ++i;
            continue;
        }
        const i32 enemy = static_cast<i32>(i);
        for (i32 r = 0; r < kPartLinks; ++r) {
            const i32 slot = g_EnemyList[i].rootParts[r];
            if (!ValidPart(slot)) break;
            Enemy& e = g_EnemyList[i];
            CollideEnemyPart(enemy, &g_EnemyPartPool[slot], &e.x, &e.rotation);
        }
        if (g_EnemyList[i].corePart != kNoPart) {
            const EnemyPart* core = CorePart(g_EnemyList[i]);
            if (core && core->state == -1) {
                DestroyEnemy(enemy);
                if (g_EnemyList[i].corePart != kNoPart) {
                    EraseAt(g_EnemyList, i);
                    continue;
                }
            }
        }
        ++i;
    }
}

PlayerState* OwnerOf(i32 owner) { return owner >= 0 && owner < kPlayerCount ? &g_PlayerState[owner] : nullptr; }

}  // namespace

void CollideShotsWithShells() {
    for (std::size_t si = 0; si < g_EnemyShellList.size();) {
        for (std::size_t ti = 0; ti < g_PlayerShotList.size() && g_EnemyShellList[si].hp > 0;) {
            EnemyShell& s = g_EnemyShellList[si];
            const PlayerShot& t = g_PlayerShotList[ti];
            if (!HitTestShapes(&s.x, &t.x, &s.hitShape, &t.hitShape, s.angle, t.angle)) {
                ++ti;
                continue;
            }
            s.hp -= t.damage;
            if (t.consumeOnHit) {
                EraseAt(g_PlayerShotList, ti);
                continue;
            }
            ++ti;
        }
        if (g_EnemyShellList[si].hp <= 0) {
            DestroyEnemyShell(static_cast<i32>(si));
            EraseAt(g_EnemyShellList, si);
            continue;
        }
        ++si;
    }
}

void CollideShotsWithEnemyBullets() {
    for (std::size_t ti = 0; ti < g_PlayerShotList.size(); ++ti) {
        const PlayerShot t = g_PlayerShotList[ti];
        if (t.kind != kShotBlastSmall && t.kind != kShotBlastLarge) continue;
        PlayerState* owner = OwnerOf(t.owner);
        const i32 m = owner ? GetScoreMultiplier(owner->shotLevel) : 0;
        for (std::size_t bi = 0; bi < g_EnemyBulletList.size();) {
            const EnemyBullet b = g_EnemyBulletList[bi];
            if (!HitTestShapes(&t.x, &b.x, &t.hitShape, &b.hitShape, 0.0f, b.rotation)) {
                ++bi;
                continue;
            }
            const f32 pos[2] = {b.x, b.y};
            SpawnEffect(kEffectCancelToken, pos, b.heading, -1);
            if (owner) {
                owner->cancelCount = std::min(owner->cancelCount + 1, kMaxCancelCount);
                owner->StageScorePoints += 10 * m;
                if (owner->shotLevel > 1) owner->levelTimer = std::min(owner->levelTimer + 1, owner->levelTimerMax);
            }
            EraseAt(g_EnemyBulletList, bi);
        }
    }
}

void CollideMissilesWithShells() {
    for (std::size_t si = 0; si < g_EnemyShellList.size();) {
        std::size_t ki = 0;
        {
            const EnemyShell& s = g_EnemyShellList[si];
            for (; ki < g_PlayerMissileList.size(); ++ki) {
                const PlayerMissile& k = g_PlayerMissileList[ki];
                if (HitTestShapes(&s.x, &k.x, &s.hitShape, &k.hitShape, s.angle, k.angle)) break;
            }
        }
        if (ki == g_PlayerMissileList.size()) {
            ++si;
            continue;
        }
        const i32 power = g_PlayerMissileList[ki].power;
        const i32 strength = g_EnemyShellList[si].strength;
        if (power > strength) {
            DestroyEnemyShell(static_cast<i32>(si));
            EraseAt(g_EnemyShellList, si);
        } else if (power < strength) {
            ExplodePlayerMissile(static_cast<i32>(ki));
            EraseAt(g_PlayerMissileList, ki);
            ++si;
        } else {
            ExplodePlayerMissile(static_cast<i32>(ki));
            DestroyEnemyShell(static_cast<i32>(si));
            EraseAt(g_EnemyShellList, si);
            EraseAt(g_PlayerMissileList, ki);
        }
    }
}

void RunCollisionPhase() {
    if (g_GameState.StageScriptPhase == kClosingPhase) return;
    CollideEnemies();
    CollideShotsWithShells();
    CollideShotsWithEnemyBullets();
    CollideMissilesWithShells();
    CollidePlayer();
}
