#include "game/play/shots.h"

#include <algorithm>
#include <cmath>

#include "engine/core/angle.h"
#include "engine/core/application.h"
#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "engine/graphics/texture.h"
#include "game/play/effects.h"
#include "game/play/enemy_shells.h"
#include "game/play/records.h"
#include "game/play/stage_textures.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"

namespace {

template <typename T>
void EraseAt(std::vector<T>& list, std::size_t i) {
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

void MoveBullet(EnemyBullet& b) {
    b.x = static_cast<f32>(b.x + std::cos(static_cast<f64>(b.heading)) * b.speed);
    b.y = static_cast<f32>(b.y + std::sin(static_cast<f64>(b.heading)) * b.speed);
}

void AddToSpeed(EnemyBullet& b, f64 delta) { b.speed = static_cast<f32>(b.speed + delta); }
void ScaleSpeed(EnemyBullet& b, f64 factor) { b.speed = static_cast<f32>(b.speed * factor); }

// One bullet's motion and speed curve by kind; false when the bullet is gone.
bool StepBullet(EnemyBullet& b) {
    // clang-format off
    switch (b.kind) {
    case 10: case 20: case 101: case 102: case 103: case 104: case 201: case 202: case 211:
        MoveBullet(b);
        break;
    case 30:
        b.rotation = static_cast<f32>(b.rotation + 0.05);
        if (b.rotation > kPi) b.rotation = static_cast<f32>(b.rotation - static_cast<f64>(kTwoPi));
        MoveBullet(b);
        break;
    case 40:
        MoveBullet(b);
        if (b.age % 5 == 0) {
            const f32 pos[2] = {b.x, b.y};
            SpawnEffect(kEffectBulletTrail, pos, RandomFloat(-kPi, kPi), -1);
        }
        break;
    case 50:
        // Exists for one collision phase.
        if (b.age >= 1) return false;
        break;
    case 203:
        if (b.speed > 3.0f) AddToSpeed(b, -0.05);
        MoveBullet(b);
        break;
    case 210:
        TurnTowardAngle(&b.heading, kPi / 2.0f, 0.01f);
        if (b.speed < 5.0f) AddToSpeed(b, 0.02);
        MoveBullet(b);
        break;
    case 310:
        // Slows to a stop, then flies back ever faster.
        if (b.age <= 100) {
            if (b.speed > 0.0f) AddToSpeed(b, -0.02);
        } else if (b.speed < 2.5f) {
            AddToSpeed(b, -0.1);
        }
        MoveBullet(b);
        break;
    case 390:
        MoveBullet(b);
        if (b.speed > 1.5f) ScaleSpeed(b, 0.95);
        break;
    case 401:
        MoveBullet(b);
        if (b.speed > 4.0f) ScaleSpeed(b, 0.95);
        break;
    case 481:
        MoveBullet(b);
        if (b.speed > 1.0f) ScaleSpeed(b, 0.95);
        break;
    case 482:
        MoveBullet(b);
        if (b.speed > 2.0f) ScaleSpeed(b, 0.975);
        break;
    case 483:
        MoveBullet(b);
        if (b.age < 30) ScaleSpeed(b, 0.95);
        break;
    case 501:
        MoveBullet(b);
        if (b.speed > 2.0f) AddToSpeed(b, -0.1);
        break;
    case 502:
        MoveBullet(b);
        if (b.speed > 2.0f) AddToSpeed(b, -0.05);
        break;
    case 999:
        // An enemy blast area: gone at its first update.
        return false;
    default:
        break;
    }
    // clang-format on
    return true;
}

enum class BulletAngle { Spin, Rotation, Heading };

struct BulletLook {
    Rect source;
    i32 halfWidth;
    i32 halfHeight;
    BulletAngle angle;
};

// The look of a bullet kind; false for kinds that are not drawn.
bool LookOf(i32 kind, BulletLook* look) {
    // clang-format off
    switch (kind) {
    case 10:
        *look = {{0, 40, 29, 69}, 15, 15, BulletAngle::Spin};
        return true;
    case 201: case 10101:
        *look = {{30, 0, 59, 29}, 15, 15, BulletAngle::Spin};
        return true;
    case 102: case 103: case 203: case 482: case 483: case 501: case 10100:
        *look = {{0, 0, 29, 29}, 15, 15, BulletAngle::Spin};
        return true;
    case 10102:
        *look = {{60, 0, 89, 29}, 15, 15, BulletAngle::Spin};
        return true;
    case 104: case 202: case 210: case 310: case 401: case 481: case 10106:
        *look = {{0, 60, 39, 99}, 20, 20, BulletAngle::Spin};
        return true;
    case 10107:
        *look = {{40, 60, 79, 99}, 20, 20, BulletAngle::Spin};
        return true;
    case 10108:
        *look = {{80, 60, 119, 99}, 20, 20, BulletAngle::Spin};
        return true;
    case 211: case 10104:
        *look = {{30, 30, 59, 59}, 15, 15, BulletAngle::Rotation};
        return true;
    case 10105:
        *look = {{60, 30, 89, 59}, 15, 15, BulletAngle::Rotation};
        return true;
    case 101: case 390: case 502: case 10103:
        *look = {{0, 30, 29, 59}, 16, 16, BulletAngle::Rotation};
        return true;
    case 20:
        *look = {{0, 0, 39, 39}, 20, 20, BulletAngle::Heading};
        return true;
    case 30:
        *look = {{0, 120, 59, 159}, 30, 20, BulletAngle::Rotation};
        return true;
    case 40:
        *look = {{0, 160, 89, 219}, 45, 30, BulletAngle::Rotation};
        return true;
    default:
        return false;
    }
    // clang-format on
}

PlayerState& Player() { return g_PlayerState[0]; }

}  // namespace

void UpdatePlayerShots() {
    for (std::size_t i = 0; i < g_PlayerShotList.size();) {
        PlayerShot& s = g_PlayerShotList[i];
        if (s.kind == kShotBlastSmall || s.kind == kShotBlastLarge) {
            // A blast area lives through exactly one collision phase.
            EraseAt(g_PlayerShotList, i);
            continue;
        }
        if (s.kind == kShotGun) {
            s.y -= 15.0f;
            if (s.age == 1) s.hitShape = HitShape{0.0f, 0.0f, 5.0f};
        }
        ++s.age;
        if (s.y < -20.0f || s.y > 500.0f) {
            EraseAt(g_PlayerShotList, i);
            continue;
        }
        ++i;
    }
}

void UpdateEnemyBullets() {
    for (std::size_t i = 0; i < g_EnemyBulletList.size();) {
        // The trail effect may not touch the bullet list, but a copy keeps the
        // step independent of it.
        EnemyBullet b = g_EnemyBulletList[i];
        if (!StepBullet(b)) {
            EraseAt(g_EnemyBulletList, i);
            continue;
        }
        ++b.age;
        g_EnemyBulletList[i] = b;
        if (b.y < -50.0f || b.y > 530.0f || b.x < -50.0f || b.x > 690.0f) {
            EraseAt(g_EnemyBulletList, i);
            continue;
        }
        ++i;
    }
}

void DrawPlayerShots() {
    Texture* picture = g_StageTextures.picture;
    if (!picture) return;
    const f32 scroll = g_GameState.FieldScrollX;
    const Rect source{0, 80, 39, 119};
    for (const PlayerShot& s : g_PlayerShotList) {
        if (s.kind != kShotGun) continue;
        const f32 x = s.x + scroll;
        const Rect destination{static_cast<i32>(x - 20.0f), static_cast<i32>(s.y - 20.0f), static_cast<i32>(x + 20.0f),
                               static_cast<i32>(s.y + 20.0f)};
        picture->TextureDrawRotated(destination, 0.0f, source, RadianToAngle(s.angle), 0xFFFFFFFFu, 1);
    }
}

void DrawEnemyBullets() {
    Texture* missile = g_StageTextures.missile;
    if (!missile) return;
    const f32 scroll = g_GameState.FieldScrollX;
    for (const EnemyBullet& b : g_EnemyBulletList) {
        BulletLook look;
        if (!LookOf(b.kind, &look)) continue;
        i32 angle = 0;
        switch (look.angle) {
            case BulletAngle::Spin: angle = DegreeToAngle((b.age * 5) % 360); break;
            case BulletAngle::Rotation: angle = RadianToAngle(b.rotation); break;
            case BulletAngle::Heading: angle = RadianToAngle(b.heading); break;
        }
        const f32 x = b.x + scroll;
        const f32 hx = static_cast<f32>(look.halfWidth);
        const f32 hy = static_cast<f32>(look.halfHeight);
        const Rect destination{static_cast<i32>(x - hx), static_cast<i32>(b.y - hy), static_cast<i32>(x + hx),
                               static_cast<i32>(b.y + hy)};
        missile->TextureDrawRotated(destination, 0.0f, look.source, angle, 0xFFFFFFFFu, 1);
    }
}

void BurstBulletIntoSparks(i32 bullet) {
    if (bullet < 0 || bullet >= static_cast<i32>(g_EnemyBulletList.size())) return;
    const EnemyBullet b = g_EnemyBulletList[bullet];
    if (b.kind != 40) return;
    for (i32 k = 0; k < 6; ++k) {
        const f32 dx = RandomFloat(-15.0f, 15.0f);
        const f32 dy = RandomFloat(-15.0f, 15.0f);
        const f32 angle = RandomFloat(-kPi, kPi);
        const f32 pos[2] = {b.x + dx, b.y + dy};
        const i32 index = SpawnEffect(kEffectSpark, pos, angle, -1);
        if (index >= 0 && index < static_cast<i32>(g_EffectList.size())) {
            g_EffectList[index].age = -2 * k;
            g_EffectList[index].layer = 1;
        }
    }
}

i32 ClearEnemyBulletsAndShells() {
    PlayerState& p = Player();
    const i32 m = GetScoreMultiplier(p.shotLevel);
    i32 count = 0;
    while (!g_EnemyBulletList.empty()) {
        const EnemyBullet b = g_EnemyBulletList.front();
        const f32 pos[2] = {b.x, b.y};
        SpawnEffect(kEffectCancelToken, pos, 0.0f, -1);
        p.cancelCount = std::min(p.cancelCount + 1, kMaxCancelCount);
        p.StageScorePoints += 10 * m;
        g_EnemyBulletList.erase(g_EnemyBulletList.begin());
        ++count;
    }
    LogPrintf("bem-clear\n");
    while (!g_EnemyShellList.empty()) {
        const EnemyShell s = g_EnemyShellList.front();
        DestroyEnemyShell(0);
        f32 pos[2] = {s.x, s.y};
        for (i32 k = 0; k < s.strength; ++k) {
            if (k > 0) {
                pos[0] = pos[0] + RandomFloat(-5.0f, 5.0f);
                pos[1] = pos[1] + RandomFloat(-5.0f, 5.0f);
            }
            SpawnEffect(kEffectCancelToken, pos, 0.0f, -1);
        }
        p.cancelCount = std::min(p.cancelCount + std::max(s.strength, 0), kMaxCancelCount);
        p.StageScorePoints += s.strength * 10 * m;
        g_EnemyShellList.erase(g_EnemyShellList.begin());
        ++count;
    }
    LogPrintf("mis-clear\n");
    return count;
}
