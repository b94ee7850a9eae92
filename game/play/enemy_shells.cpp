#include "game/play/enemy_shells.h"

#include <cmath>
#include <cstddef>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

EnemyShell* ShellAt(i32 index) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_EnemyShellList.size()) return nullptr;
    return &g_EnemyShellList[static_cast<std::size_t>(index)];
}

// A burst of `count` explosions of kind 10 around the shell, delayed 0, 2, 4
// ... frames, drawn over everything of layer 1.
void ShellBurst(const f32 pos[2], i32 count) {
    for (i32 k = 0; k < count; ++k) {
        const f32 dx = RandomFloat(-15.0f, 15.0f);
        const f32 dy = RandomFloat(-15.0f, 15.0f);
        const f32 a = RandomFloat(-kPi, kPi);
        const f32 at[2] = {pos[0] + dx, pos[1] + dy};
        const i32 e = SpawnEffect(kEffectSpark, at, a, -1);
        if (e < 0) continue;
        g_EffectList[static_cast<std::size_t>(e)].age = -2 * k;
        g_EffectList[static_cast<std::size_t>(e)].layer = 1;
    }
}

i32 Trunc(f32 v) { return static_cast<i32>(v); }

// A quad centred on (cx, cy), turned by the shell's angle.
PlayQuad Turned(PlaySheet sheet, f32 cx, f32 cy, f32 w, f32 h, const Rect& source, i32 angle) {
    PlayQuad q;
    q.sheet = sheet;
    q.destination = MakeRect(Trunc(cx - w), Trunc(cy - h), Trunc(cx + w), Trunc(cy + h));
    q.source = source;
    q.rotated = true;
    q.angle = angle;
    return q;
}

struct RocketLook {
    f32 flameD;
    f32 flameW;
    f32 flameH;
    Rect body;
    f32 bodyW;
    f32 bodyH;
};

bool RocketLookOf(const EnemyShell& s, RocketLook* look) {
    const i32 m = (s.age / 3) % 3;
    const Rect rocket = MakeRect(160, 40 * m, 199, 40 * m + 39);
    const Rect small = MakeRect(300, 0, 339, 39);
    const Rect big = MakeRect(200, 40, 289, 99);
    // clang-format off
    switch (s.kind) {
    case 101: case 102: case 106: case 110: case 201: case 202: case 203: case 204: case 205: case 301:
    case 302: case 401: case 403: case 406: case 407: case 408: case 409: case 410: case 411: case 482:
    case 490: case 491: case 502: case 503: case 506: case 507: case 508: case 1201:
        *look = {30, 15, 15, rocket, 20, 20};
        return true;
    case 391: case 392: case 393: case 504: case 505: case 514: case 515: case 902:
        *look = {30, 15, 15, small, 20, 20};
        return true;
    case 901: case 903: case 904:
        *look = {40, 15, 25, big, 30, 20};
        return true;
    case 104: case 402: case 1200:
        *look = {45, 15, 25, big, 35, 24};
        return true;
    case 105: case 404: case 480: case 550: case 553:
        *look = {60, 20, 35, big, 50, 40};
        return true;
    default:
        return false;
    }
    // clang-format on
}

void CollectShell(const EnemyShell& s, PlayQuadList& quads) {
    const f32 x = s.x + g_GameState.FieldScrollX;
    const f32 y = s.y;
    const i32 a = RadianToAngle(s.angle);
    RocketLook look;
    if (RocketLookOf(s, &look)) {
        f32 v[2] = {-look.flameD, 0.0f};
        RotateVector2(v, s.angle);
        const i32 p = (s.age / 4) % 2;
        quads.push_back(Turned(kSheetMissile, x + v[0], y + v[1], look.flameW, look.flameH,
                               MakeRect(90 + 30 * p, 0, 119 + 30 * p, 29), a));
        quads.push_back(Turned(kSheetMissile, x, y, look.bodyW, look.bodyH, look.body, a));
        return;
    }
    switch (s.kind) {
        case 103: quads.push_back(Turned(kSheetMissile, x, y, 30, 20, MakeRect(240, 0, 299, 39), a)); break;
        case 210:
            if ((s.age / 3) % 2 == 0) {
                quads.push_back(Turned(kSheetMissile, x, y, 40, 40, MakeRect(0, 160, 59, 219), a));
            } else {
                quads.push_back(Turned(kSheetMissile, x, y, 35, 35, MakeRect(60, 160, 119, 219), a));
            }
            break;
        case 310: {
            const i32 f = (s.age / 2) % 3;
            const f32 fx = x - 50.0f * std::cos(s.angle);
            const f32 fy = y - 50.0f * std::sin(s.angle);
            quads.push_back(Turned(kSheetPicture, fx, fy, 20, 10, MakeRect(180 + 20 * f, 210, 199 + 20 * f, 229), a));
            const Rect body = (s.age / 3) % 2 == 0 ? MakeRect(200, 100, 279, 139) : MakeRect(200, 140, 279, 179);
            quads.push_back(Turned(kSheetMissile, x, y, 40, 20, body, a));
            break;
        }
        case 380: quads.push_back(Turned(kSheetMissile, x, y, 50, 50, MakeRect(370, 0, 469, 99), a)); break;
        case 390: quads.push_back(Turned(kSheetMissile, x, y, 20, 15, MakeRect(290, 40, 369, 99), a)); break;
        case 510: {
            const i32 k = (s.age / 2) % 3;
            f32 v[2] = {-27.0f, 0.0f};
            RotateVector2(v, s.angle);
            quads.push_back(
                Turned(kSheetEnemy3, x + v[0], y + v[1], 10, 25, MakeRect(390 + 20 * k, 100, 409 + 20 * k, 149), a));
            quads.push_back(Turned(kSheetMissile, x, y, 30, 15, MakeRect(430, 100, 489, 129), a));
            break;
        }
        case 551: {
            const f32 half = 45.0f + 2.0f * std::cos(kTwoPi * 0.00125f * static_cast<f32>(s.age % 80));
            quads.push_back(Turned(kSheetMissile, x, y, half, half, MakeRect(280, 100, 369, 189), a));
            break;
        }
        case 905: quads.push_back(Turned(kSheetMissile, x, y, 30, 30, MakeRect(300, 0, 339, 39), a)); break;
        case 910: quads.push_back(Turned(kSheetMissile, x, y, 30, 20, MakeRect(370, 100, 429, 139), a)); break;
        default: break;
    }
}

}  // namespace

i32 PushEnemyShellShapes(const EnemyShell& shell) {
    g_EnemyShellList.push_back(shell);
    return static_cast<i32>(g_EnemyShellList.size()) - 1;
}

i32 PushEnemyShell(const EnemyShell& shell, const HitShape& shape) {
    EnemyShell s = shell;
    s.hitShape = shape;
    s.playerHitShape = shape;
    return PushEnemyShellShapes(s);
}

i32 FireEnemyShell(i32 kind, i32 hp, f32 speed, i32 strength, const HitShape& shape, f32 angle, f32 heading,
                   const f32 pos[2], i32 age) {
    EnemyShell s;
    s.unused0 = 0;
    s.hp = hp;
    s.kind = kind;
    s.age = age;
    s.angle = angle;
    s.heading = heading;
    s.speed = speed;
    s.strength = strength;
    s.x = pos[0];
    s.y = pos[1];
    return PushEnemyShell(s, shape);
}

void UpdateEnemyShells() {
    for (std::size_t i = 0; i < g_EnemyShellList.size();) {
        if (!StepEnemyShell(static_cast<i32>(i))) {
            g_EnemyShellList.erase(g_EnemyShellList.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        g_EnemyShellList[i].age += 1;
        ++i;
    }
}

void DestroyEnemyShell(i32 index) {
    const EnemyShell* shell = ShellAt(index);
    if (shell == nullptr) return;
    const EnemyShell s = *shell;
    const f32 p[2] = {s.x, s.y};
    SpawnEffect(kEffectSpark, p, RandomFloat(-kPi, kPi), -1);
    if (s.kind == 903 || s.kind == 904) SpawnEffect(kEffectShellExplosion, p, RandomFloat(-kPi, kPi), -1);
    if (s.kind == 1200) ShellBurst(p, 10);
    if (s.kind == 380) ShellBurst(p, 6);
    if (s.kind == 551) {
        EnemyShell cluster;
        cluster.kind = 552;
        cluster.hp = 1000;
        cluster.x = s.x;
        cluster.y = s.y;
        PushEnemyShellShapes(cluster);
    }
    PlaySoundEffect(kSoundBom35);
}

void SpawnShellDeathEffects(i32 index) {
    const EnemyShell* shell = ShellAt(index);
    if (shell == nullptr) return;
    const EnemyShell s = *shell;
    const f32 p[2] = {s.x, s.y};
    if (s.kind == 104 || s.kind == 105 || s.kind == 380 || s.kind == 480) {
        ShellBurst(p, 6);
    } else if (s.kind == 903 || s.kind == 904) {
        SpawnEffect(kEffectShellExplosion, p, RandomFloat(-kPi, kPi), -1);
    }
}

void CollectEnemyShellQuads(PlayQuadList& quads) {
    for (const EnemyShell& s : g_EnemyShellList) CollectShell(s, quads);
}

void DrawEnemyShells() {
    PlayQuadList quads;
    CollectEnemyShellQuads(quads);
    DrawPlayQuads(quads);
}
