// The attack patterns of stage index 0: one row per action id in the table at
// the end, the three difficulties' numbers in small tables. An id without a
// row does nothing.
//
// t is the part's timer after this frame's increment; W, A and P are the
// part's world position, its world angle and its parent's world angle.
#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/bullet_kinds.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace {

constexpr HitShape kShellAimed{20, 10, 0};
constexpr HitShape kShellBig{45, 20, 0};

i32 T(const PartFrame& f) { return f.part->timer; }
bool Outside(const PartFrame& f) { return IsOutside(f.pos); }
const Enemy& Owner(const PartFrame& f) { return g_EnemyList[static_cast<std::size_t>(f.enemy)]; }

bool FirstTwoChildrenAlive(const EnemyPart& part) { return ChildAlive(part, 0) || ChildAlive(part, 1); }

// A fan of n bullets, headings base + i step for i = -(n/2) .. n/2 (n odd).
void Fan(i32 kind, i32 shape, f32 speed, const f32 from[2], f32 base, i32 n, f32 step) {
    for (i32 i = -(n / 2); i <= n / 2; ++i) FireBullet(kind, speed, shape, base + static_cast<f32>(i) * step, from);
}

// Two bullets at each heading of a fan, `gap` to either side.
void TwinFan(f32 speed, const f32 from[2], f32 base, i32 m, f32 step, f32 gap) {
    for (i32 i = -m; i <= m; ++i) {
        FireBullet(kBulletNeedle, speed, kHitShapeBar, base + static_cast<f32>(i) * step + gap, from);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, base + static_cast<f32>(i) * step - gap, from);
    }
}

// The aimed shell of 132 and 134 (kind 103), with a spread when `spread` > 0.
void AimedShell(PartFrame& f, f32 spread) {
    f32 heading = AimFrom(f.pos);
    if (spread > 0.0f) heading += RandomFloat(-spread, spread);
    FireShell(ShellOf(103, 20, 3.0f, 1, kShellAimed, heading), f.pos);
}

// ---- Regular actions ----

// 101: one bullet along the world angle every k frames.
void Action101(PartFrame& f) {
    if (Outside(f)) return;
    static constexpr i32 kEvery[3] = {70, 50, 30};
    if (T(f) % ByDifficulty(f, kEvery) != 0) return;
    FireBullet(kBulletPellet, 3.0f, kHitShapeSmall, f.angle, f.pos);
}

// 102: an aimed bullet from the upper field, only from every m-th enemy.
void Action102(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 period, phase, m;
        f32 speed;
    };
    static constexpr Row kRows[3] = {{180, 40, 3, 3.0f}, {80, 20, 2, 3.5f}, {50, 20, 1, 3.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(f.pos[1] < 300.0f) || t <= 10 || t % r.period != r.phase || f.enemy % r.m != 0) return;
    FireBullet(kBulletPellet, r.speed, kHitShapeSmall, AimFrom(f.pos), f.pos, f.angle, 0);
}

// 106: the first mid-boss's twin guns and shells, armed after 800 frames or
// once the part is damaged.
void Action106(PartFrame& f) {
    if (Outside(f) || Owner(f).active == 0) return;
    struct Row {
        i32 p, w, s, p2;
        i32 shellAt[3];
        i32 shellCount;
    };
    static constexpr Row kRows[3] = {
        {80, 13, 4, 500, {0, 40, 0}, 2}, {50, 13, 4, 400, {0, 40, 0}, 2}, {40, 20, 3, 300, {0, 30, 60}, 3}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 800 || f.part->hp < f.part->maxHp)) return;
    const i32 rem = t % r.p;
    if ((t / r.p) % 2 == 0 && rem < r.w && rem % r.s == 0) {
        f32 left[2];
        f32 right[2];
        LocalPoint(f, 16.0f, -24.0f, left);
        LocalPoint(f, 16.0f, 24.0f, right);
        const f32 aim = AimFrom(left);
        FireBullet(kBulletNeedle, 4.0f, kHitShapeBar, aim, left);
        FireBullet(kBulletNeedle, 4.0f, kHitShapeBar, aim, right);
        PlayFireSound();
    }
    for (i32 i = 0; i < r.shellCount; ++i) {
        if (t % r.p2 != r.shellAt[i]) continue;
        FireShell(ShellOf(106, 50, -2.0f, 3, kShellSmall, AimFrom(f.pos)), f.pos);
        PlayShellSound();
    }
}

// The fan of 131 and 133 from the muzzle (16, 0).
struct FanRow {
    i32 n;
    f32 step;
    f32 speed;
};
void MuzzleFan(PartFrame& f, const FanRow& fan) {
    f32 muzzle[2];
    LocalPoint(f, 16.0f, 0.0f, muzzle);
    Fan(kBulletPellet, kHitShapeSmall, fan.speed, muzzle, AimFrom(muzzle), fan.n, fan.step);
    PlayFireSound();
}

// 131: turret fans in bursts.
void Action131(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 after, period;
        i32 at[2];
        i32 atCount;
        FanRow fan;
    };
    static constexpr Row kRows[3] = {{200, 90, {20, 0}, 1, {3, 0.5f, 2.5f}},
                                     {50, 80, {10, 30}, 2, {3, 0.5f, 3.0f}},
                                     {50, 80, {10, 30}, 2, {5, 0.3f, 3.0f}}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= r.after || (t / r.period) % 2 != 0) return;
    for (i32 i = 0; i < r.atCount; ++i) {
        if (t % r.period == r.at[i]) MuzzleFan(f, r.fan);
    }
}

// 132: the gunboat's hull: side mines while a turret lives, then aimed shells.
void Action132(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 after, period;
        i32 at[2];
        i32 atCount;
        i32 aimedEvery;
        f32 spread;
    };
    static constexpr Row kRows[3] = {
        {200, 300, {0, 0}, 1, 30, 0.0f}, {100, 200, {0, 0}, 1, 20, 0.0f}, {100, 200, {0, 40}, 2, 15, 0.4f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (FirstTwoChildrenAlive(*f.part)) {
        if (t <= r.after) return;
        for (i32 i = 0; i < r.atCount; ++i) {
            if (t % r.period != r.at[i]) continue;
            FireShell(ShellOf(102, 50, 0.0f, 3, kShellSmall, f.parentAngle + kHalfPi), f.pos);
            FireShell(ShellOf(102, 50, 0.0f, 3, kShellSmall, f.parentAngle - kHalfPi), f.pos);
            PlayShellSound();
        }
    } else if (t % r.aimedEvery == 0) {
        AimedShell(f, r.spread);
    }
}

// 133: the second mid-boss's turrets: fans, then a stream of shells.
void Action133(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 at[2];
        i32 atCount;
        FanRow fan;
        i32 shellEvery;
        f32 spread;
    };
    static constexpr Row kRows[3] = {{{10, 0}, 1, {3, 0.5f, 2.5f}, 30, 0.0f},
                                     {{10, 20}, 2, {3, 0.5f, 3.0f}, 20, 0.2f},
                                     {{10, 20}, 2, {5, 0.3f, 3.0f}, 20, 0.4f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 200) return;
    if (t % 500 < 400) {
        if ((t / 60) % 2 != 0) return;
        for (i32 i = 0; i < r.atCount; ++i) {
            if (t % 60 == r.at[i]) MuzzleFan(f, r.fan);
        }
    } else if (t % r.shellEvery == 0) {
        f32 heading = f.parentAngle;
        if (r.spread > 0.0f) heading += RandomFloat(-r.spread, r.spread);
        const f32 from[2] = {f.pos[0], f.pos[1] + 10.0f};
        FireShell(ShellOf(201, 30, 4.0f, 3, kShellSmall, heading), from);
        PlayShellSound();
    }
}

// 134: the second mid-boss's core: spinning rings while a turret lives, then
// aimed shells.
void Action134(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 w, s, aimedEvery;
        f32 spread;
    };
    static constexpr Row kRows[3] = {{20, 4, 30, 0.0f}, {20, 3, 10, 0.2f}, {40, 3, 10, 0.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (FirstTwoChildrenAlive(*f.part)) {
        if (t <= 200 || t % 300 > r.w || t % r.s != 0) return;
        const f32 base = static_cast<f32>(t / 3) * 0.2f;
        for (i32 i = 0; i < 8; ++i) {
            FireBullet(kBulletBall, 2.0f, kHitShapeLarge, base + static_cast<f32>(i) * 0.125f * kTwoPi, f.pos);
        }
        PlayFireSound();
    } else if (t % r.aimedEvery == 0) {
        AimedShell(f, r.spread);
    }
}

// The burst window of 141 and 144: from timer `from` on, with u = t - shift,
// q = u / period of the wanted parity, r = u % period below `width` and a
// multiple of `every`.
struct BurstRow {
    i32 from, shift, period;
    bool odd;
    i32 width, every;
    f32 speed;
};
void NoseGun(PartFrame& f, const BurstRow& b) {
    const i32 t = T(f);
    if (t < b.from) return;
    const i32 u = t - b.shift;
    const bool odd = (u / b.period) % 2 != 0;
    const i32 r = u % b.period;
    if (odd != b.odd || r >= b.width || r % b.every != 0) return;
    f32 muzzle[2];
    LocalPoint(f, 35.0f, 0.0f, muzzle);
    FireBullet(kBulletNeedle, b.speed, kHitShapeBar, f.parentAngle, muzzle);
    PlayFireSound();
}

// 141: kind 61's nose gun.
void Action141(PartFrame& f) {
    if (Outside(f)) return;
    static constexpr BurstRow kRows[3] = {
        {51, 0, 60, false, 12, 4, 3.0f}, {11, 0, 50, true, 12, 4, 3.0f}, {30, 30, 30, false, 9, 3, 3.5f}};
    NoseGun(f, ByDifficulty(f, kRows));
}

// 144: the escorts' nose gun.
void Action144(PartFrame& f) {
    if (Outside(f)) return;
    static constexpr BurstRow kRows[3] = {
        {291, 0, 60, false, 24, 8, 3.0f}, {100, 0, 50, true, 12, 4, 3.0f}, {129, 30, 30, false, 9, 3, 3.5f}};
    NoseGun(f, ByDifficulty(f, kRows));
}

// 142: kind 71's rocket.
void Action142(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 after, every;
    };
    static constexpr Row kRows[3] = {{99, 150}, {99, 100}, {60, 70}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= r.after || t % r.every != 0) return;
    f32 muzzle[2];
    LocalPoint(f, 60.0f, 0.0f, muzzle);
    FireShell(ShellOf(104, 150, 3.0f, 4, kShellRocket, f.angle), muzzle);
    PlayShellSound();
}

// 143: a ring opened at the player.
void Action143(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 after, every, n;
        f32 step, speed;
    };
    static constexpr Row kRows[3] = {
        {200, 150, 12, kPi / 6.0f, 2.0f}, {100, 120, 16, kPi / 8.0f, 2.0f}, {100, 120, 24, kPi / 12.0f, 2.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= r.after || t % r.every != 0) return;
    const f32 aim = AimFrom(f.pos);
    for (i32 i = -r.n / 2; i <= r.n / 2 - 1; ++i) {
        FireBullet(kBulletPellet, r.speed, kHitShapeSmall, aim + static_cast<f32>(i) * r.step, f.pos, f.angle, 0);
    }
    PlayFireSound();
}

// ---- Boss parts ----

// 150: a swinging gun.
void Action150(PartFrame& f) {
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t <= 1000) {
        if (t % 40 == 0) {
            const f32 heading = f.parentAngle + RandomFloat(-0.5f, 0.5f);
            for (const f32 speed : {2.5f, 2.4f, 2.3f})
                FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, f.pos, f.parentAngle, 0);
            PlayFireSound();
        }
    } else if (t % 110 == 0) {
        for (i32 i = -2; i <= 2; ++i) {
            FireBullet(kBulletPellet, 2.5f, kHitShapeSmall, f.angle + static_cast<f32>(i) * 0.1f, f.pos, f.parentAngle,
                       0);
        }
        PlayFireSound();
    }
    if (t % 100 == 0) {
        f32 muzzle[2];
        LocalPoint(f, 30.0f, 0.0f, muzzle);
        FireShell(ShellOf(104, 150, 3.0f, 4, kShellRocket, f.angle), muzzle);
        PlayShellSound();
    }
    if (t <= 1000) {
        f.part->angle =
            static_cast<f32>(static_cast<f80>(0.8f) * std::sin(static_cast<f80>(t % 400) * static_cast<f80>(0.0025f) *
                                                               static_cast<f80>(kTwoPi)));
    } else {
        TurnTowardPlayer(f, AimFrom(f.pos), 0.01f);
    }
}

// 151: wide fans, doubled after 1500 frames.
void Action151(PartFrame& f) {
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t <= 1500) {
        if (t % 180 != 0) return;
        Fan(kBulletNeedle, kHitShapeBar, 2.0f, f.pos, AimFrom(f.pos), 11, 0.3f);
        PlayFireSound();
    } else if (t % 210 == 0) {
        TwinFan(2.0f, f.pos, AimFrom(f.pos), 5, 0.4f, 0.05f);
        PlayFireSound();
    }
}

// The new core that 152 makes of its third child, with two fresh guns.
void TransformCore(PartFrame& f) {
    const i32 coreSlot = f.part->children[2];
    if (coreSlot < 0 || coreSlot >= kEnemyPartPoolSize) return;
    EnemyPart& core = g_EnemyPartPool[coreSlot];
    core.spriteKind = 155;
    core.offsetX = -20.0f;
    core.hitShape = HitShape{100, 40, 0};
    core.state = 1;
    core.maxHp = 5000;
    core.hp = 5000;
    core.action = 153;

    const i32 first = AllocateEnemyPart();
    const i32 second = first >= 0 ? AllocateEnemyPart() : -1;
    if (first >= 0) {
        EnemyPart& gun = g_EnemyPartPool[first];
        gun.offsetX = 0;
        gun.offsetY = 0;
        gun.state = 1;
        gun.timer = 0;
        gun.angle = 0;
        gun.hitTimer = 0;
        gun.hitShape = HitShape{0, 0, 25};
        gun.maxHp = 800;
        gun.hp = 800;
        gun.spriteKind = 103;
        gun.action = 143;
        gun.coinValue = 4;
        gun.scoreValue = 200;
        for (i32& child : gun.children) child = kNoPart;
        if (second >= 0) g_EnemyPartPool[second] = gun;
        gun.offsetX = 20.0f;
        gun.offsetY = -50.0f;
        core.children[0] = first;
        if (second >= 0) {
            g_EnemyPartPool[second].offsetX = 20.0f;
            g_EnemyPartPool[second].offsetY = 50.0f;
            core.children[1] = second;
        }
    }
    g_GameState.StoryFlags[kStorySecondMidBossTransformed] = 1;
    for (i32 k = 0; k < 15; ++k) {
        f32 p[2] = {f.pos[0], f.pos[1]};
        const f32 dx = RandomFloat(-100.0f, 100.0f);
        p[0] += dx;
        const f32 dy = RandomFloat(-100.0f, 100.0f);
        p[1] += dy;
        const i32 index = SpawnPartEffect(kEffectSpark, p);
        if (index >= 0) g_EffectList[static_cast<std::size_t>(index)].age = -2 * k;
    }
    PlaySoundEffect(kSoundBom35);
    f.part->action = 0;
    g_EnemyList[static_cast<std::size_t>(f.enemy)].active = 1;
    const f32 banner[2] = {320.0f, 240.0f};
    SpawnEffect(kEffectPhaseBonus, banner, 0.0f, -1);
    PlaySoundEffect(kSoundDecide12);
}

// 152: a mid-boss core that waits for its guns to fall while it is alone,
// talks, and turns into a new core.
void Action152(PartFrame& f) {
    const bool talking = g_TalkState.active != 0;
    if (g_EnemyList.size() == 1 && (!talking || g_TalkState.eventId != 122)) {
        i32 alive = 0;
        for (const i32 child : f.part->children) {
            if (child == kNoPart) break;
            if (child >= 0 && child < kEnemyPartPoolSize && g_EnemyPartPool[child].state == 1) ++alive;
        }
        if (alive == 0) {
            StartTalkEvent(122);
            g_EnemyList[static_cast<std::size_t>(f.enemy)].active = 0;
        }
    }
    if (g_TalkState.active != 0 && g_TalkState.eventId == 122 && g_TalkState.lineIndex == 1 &&
        g_TalkState.lineFrame == 150) {
        TransformCore(f);
    }
}

// 153: the transformed core.
void Action153(PartFrame& f) {
    if (Outside(f)) return;
    const i32 t = T(f);
    TurnTowardPlayer(f, AimFrom(f.pos), 0.002f);
    if (t % 70 == 0) {
        Fan(kBulletNeedle, kHitShapeBar, 2.5f, f.pos, AimFrom(f.pos), 15, 0.3f);
        PlayFireSound();
    }
    if (t % 220 == 0) {
        f32 muzzle[2];
        LocalPoint(f, 100.0f, 0.0f, muzzle);
        FireShell(ShellOf(105, 500, 1.0f, 5, kShellBig, f.angle), muzzle);
        PlayShellSound();
    }
    const f32 ratio = static_cast<f32>(f.part->hp) / static_cast<f32>(f.part->maxHp);
    if (ratio < 0.7f && t % 240 < 60 && t % 20 == 0) {
        const f32 k = static_cast<f32>((t / 20) % 3);
        FireShell(ShellOf(102, 50, 0.0f, 3, kShellSmall, f.parentAngle + kHalfPi - 0.4f * k), f.pos);
        FireShell(ShellOf(102, 50, 0.0f, 3, kShellSmall, f.parentAngle - kHalfPi + 0.4f * k), f.pos);
        if (f.difficulty != kDifficultyEasy) PlayShellSound();
    }
}

// The muzzle blast of the main cannon: eight smoke puffs on an ellipse
// around the muzzle, turned by the world angle.
void CannonRing(PartFrame& f, const f32 muzzle[2]) {
    for (i32 i = 0; i < 8; ++i) {
        const f32 a = static_cast<f32>(i) * 0.125f * kTwoPi;
        f32 v[2] = {40.0f * std::cos(a), 80.0f * std::sin(a)};
        RotateVector2(v, f.angle);
        const f32 p[2] = {muzzle[0] + v[0], muzzle[1] + v[1]};
        SpawnPartEffect(kEffectSmokePuff, p);
    }
}

// Bullets of the cannon's volley: each speed base + RandomFloat(0, extra)
// drawn before its heading A + RandomFloat(-d, d).
void CannonScatter(PartFrame& f, i32 kind, i32 shape, i32 n, f32 base, f32 extra, f32 d) {
    for (i32 i = 0; i < n; ++i) {
        const f32 speed = base + RandomFloat(0.0f, extra);
        const f32 heading = f.angle + RandomFloat(-d, d);
        FireBullet(kind, speed, shape, heading, f.pos);
    }
    PlayFireSound();
}

// 180: the boss's main cannon (and in HARD its change to 182 at t = 751).
void Action180(PartFrame& f) {
    struct Row {
        i32 p, u, n1;
        f32 d1;
        i32 n2;
        f32 d2;
    };
    static constexpr Row kRows[3] = {
        {250, 200, 12, 0.5f, 6, 0.3f}, {250, 200, 18, 0.8f, 9, 0.4f}, {200, 150, 18, 1.2f, 9, 0.9f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 phase = t % r.p;
    if (t > 100 && phase > 50 && phase < r.u) TurnTowardPlayer(f, AimFrom(f.pos), 0.005f);
    if (phase == 0) {
        f32 muzzle[2];
        LocalPoint(f, 100.0f, 0.0f, muzzle);
        FireShell(ShellOf(105, 800, 1.0f, 5, kShellBig, f.angle), muzzle);
        PlaySoundEffect(kSoundSenGeHasai02);
        CannonRing(f, muzzle);
        for (i32 k = 0; k < 10; ++k) {
            const i32 index = SpawnJitteredEffect(kEffectSpark, muzzle, 40.0f);
            if (index >= 0) g_EffectList[static_cast<std::size_t>(index)].age = -k;
        }
        g_EnemyList[static_cast<std::size_t>(f.enemy)].speed = 3.0f;
        CannonScatter(f, kBulletPellet, kHitShapeSmall, r.n1, 2.5f, 3.0f, r.d1);
        CannonScatter(f, kBulletBall, kHitShapeLarge, r.n2, 1.0f, 2.0f, r.d2);
    }
    if (IsHard(f) && t > 750) {
        f.part->timer = 0;
        f.part->action = 182;
    }
}

// 182 (HARD only): the cannon's second phase.
void Action182(PartFrame& f) {
    const i32 t = T(f);
    const i32 phase = t % 150;
    if (phase > 30 && phase < 120) TurnTowardPlayer(f, AimFrom(f.pos), 0.0075f);
    if (phase != 0) return;
    f32 muzzle[2];
    LocalPoint(f, 100.0f, 0.0f, muzzle);
    FireShell(ShellOf(105, 500, 1.0f, 5, kShellBig, f.angle), muzzle);
    PlayShellSound();
    CannonRing(f, muzzle);
    g_EnemyList[static_cast<std::size_t>(f.enemy)].speed = 3.0f;
    CannonScatter(f, kBulletPellet, kHitShapeSmall, 24, 2.8f, 3.0f, 1.2f);
    CannonScatter(f, kBulletBall, kHitShapeLarge, 16, 1.5f, 2.0f, 0.9f);
}

// 181: the boss body's twin fans in phase 4.
void Action181(PartFrame& f) {
    struct Row {
        i32 t1, p, m;
        f32 step, gap, speed;
        i32 t2, o;
        f32 v2;
    };
    static constexpr Row kRows[3] = {{400, 200, 7, 0.3f, 0.02f, 2.0f, 1000, 100, 2.0f},
                                     {400, 150, 7, 0.3f, 0.05f, 2.5f, 1000, 75, 2.5f},
                                     {300, 120, 8, 0.25f, 0.03f, 2.5f, 600, 55, 3.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t > r.t1 && t % r.p == 0) {
        TwinFan(r.speed, f.pos, AimFrom(f.pos), r.m, r.step, r.gap);
        PlayFireSound();
    }
    if (t > r.t2 && t % r.p == r.o) {
        TwinFan(r.v2, f.pos, AimFrom(f.pos), r.m, r.step, r.gap);
        PlayFireSound();
    }
}

// 185: the sweeping guns of phase 2's body.
void Action185(PartFrame& f) {
    struct Row {
        i32 period, every;
    };
    static constexpr Row kRows[3] = {{300, 8}, {300, 5}, {250, 4}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < 200 || t % r.every != 0) return;
    const i32 phase = t % r.period;
    const f32 from[2] = {f.pos[0], f.pos[1] - 90.0f};
    if (phase <= 80) {
        const f32 heading = f.angle + static_cast<f32>(phase / 2 - 20) / 15.0f;
        FireBullet(kBulletNeedle, 2.5f, kHitShapeBar, heading, from);
        PlayFireSound();
    }
    if (phase >= 100 && phase <= 180) {
        const f32 heading = f.angle - static_cast<f32>((phase - 100) / 2 - 20) / 15.0f;
        FireBullet(kBulletNeedle, 2.5f, kHitShapeBar, heading, from);
        PlayFireSound();
    }
}

// 186: aimed shells from the phase 2 targets (and bullets between them in HARD).
void Action186(PartFrame& f) {
    struct Row {
        i32 period, every;
    };
    static constexpr Row kRows[3] = {{200, 20}, {150, 15}, {180, 10}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < 100 || t % r.period > 50 || t % r.every != 0) return;
    const f32 shellHeading = AimFrom(f.pos) + RandomFloat(-0.2f, 0.2f);
    FireShell(ShellOf(103, 50, 3.0f, 1, kShellAimed, shellHeading), f.pos);
    if (IsHard(f) && t % 20 != 0) {
        const f32 heading = AimFrom(f.pos) + RandomFloat(-0.2f, 0.2f);
        FireBullet(kBulletPellet, 2.0f, kHitShapeBar, heading, f.pos);
        PlayFireSound();
    }
}

// 187: mines scattered above the phase 3 body.
void Action187(PartFrame& f) {
    struct Row {
        i32 from, every;
    };
    static constexpr Row kRows[3] = {{300, 40}, {200, 30}, {100, 25}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < r.from || t % r.every != 0) return;
    const f32 from[2] = {f.pos[0], f.pos[1] - 100.0f};
    FireShell(ShellOf(110, 50, 0.0f, 3, kShellSmall, RandomFloat(-kPi, kPi)), from);
    PlayShellSound();
}

// 188: triple (HARD: fivefold) shots of the phase 3 targets.
void Action188(PartFrame& f) {
    struct Row {
        i32 from, every;
        f32 speed;
        f32 xs[5];
        i32 count;
    };
    static constexpr Row kRows[3] = {{600, 100, 2.5f, {0, 10, -10, 0, 0}, 3},
                                     {400, 80, 2.5f, {0, 10, -10, 0, 0}, 3},
                                     {300, 50, 3.0f, {0, 15, -15, 30, -30}, 5}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < r.from || t % r.every != 0) return;
    const f32 heading = f.angle + RandomFloat(-0.6f, 0.6f);
    for (i32 i = 0; i < r.count; ++i) {
        const f32 from[2] = {f.pos[0] + r.xs[i], f.pos[1] - 20.0f};
        FireBullet(kBulletNeedle, r.speed, kHitShapeBar, heading, from);
    }
    PlayFireSound();
}

// 190: the phase 1 guns' 2000-frame cycle: aimed triples, then swinging fans.
void Action190(PartFrame& f) {
    struct Row {
        i32 fanEvery, fanHalf;
        f32 fanStep;
        i32 tripleEvery;
        f32 speeds[3];
        f32 turn;
    };
    static constexpr Row kRows[3] = {{110, 2, 0.04f, 100, {3.0f, 2.9f, 2.8f}, 0.005f},
                                     {70, 2, 0.05f, 60, {2.5f, 2.4f, 2.3f}, 0.005f},
                                     {60, 3, 0.04f, 40, {2.8f, 2.7f, 2.6f}, 0.004f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % 2000 >= 1000) {
        if (t % 1000 > 100 && t % r.fanEvery == 0) {
            f32 muzzle[2];
            LocalPoint(f, 40.0f, 0.0f, muzzle);
            for (i32 i = -r.fanHalf; i <= r.fanHalf; ++i) {
                FireBullet(kBulletPellet, 2.0f, kHitShapeSmall, f.angle + static_cast<f32>(i) * r.fanStep, muzzle);
            }
            PlayFireSound();
        }
        const f32 target =
            static_cast<f32>(static_cast<f80>(0.8f) *
                             std::sin(static_cast<f80>(t % 500) * static_cast<f80>(0.002f) * static_cast<f80>(kTwoPi)));
        f32 angle = f.part->angle;
        TurnTowardAngle(&angle, target, 0.005f);
        f.part->angle = angle;
    } else {
        if (t % 1000 > 10 && t % r.tripleEvery == 0) {
            f32 muzzle[2];
            LocalPoint(f, 40.0f, 0.0f, muzzle);
            for (const f32 speed : r.speeds) FireBullet(kBulletPellet, speed, kHitShapeSmall, f.angle, muzzle);
            PlayFireSound();
        }
        TurnTowardPlayer(f, AimFrom(f.pos), r.turn);
    }
}

// 191: the boss body's mines of phase 1 (and aimed twin fans in HARD).
void Action191(PartFrame& f) {
    struct Row {
        i32 width, every;
        f32 step;
    };
    static constexpr Row kRows[3] = {{150, 50, 0.3f}, {200, 50, 0.3f}, {200, 40, 0.25f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 phase = t % 300;
    if (t >= 300 && phase < r.width && t % r.every == 0) {
        const f32 j = static_cast<f32>(phase / r.every);
        const f32 from[2] = {f.pos[0], f.pos[1] - 100.0f};
        FireShell(ShellOf(110, 50, 0.0f, 3, kShellSmall, f.parentAngle + kHalfPi - r.step * j + 0.7f), from);
        FireShell(ShellOf(110, 50, 0.0f, 3, kShellSmall, f.parentAngle - kHalfPi + r.step * j - 0.7f), from);
        PlayShellSound();
    }
    if (IsHard(f) && t > 500 && t % 200 == 0) {
        TwinFan(2.5f, f.pos, AimFrom(f.pos), 7, 0.3f, 0.05f);
        PlayFireSound();
    }
}

// 182 runs on HARD only.
void Action182Hard(PartFrame& f) {
    if (IsHard(f)) Action182(f);
}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13},   {101, Action101}, {102, Action102}, {106, Action106},
    {131, Action131},   {132, Action132},   {133, Action133},     {134, Action134}, {141, Action141}, {142, Action142},
    {143, Action143},   {144, Action144},   {150, Action150},     {151, Action151}, {152, Action152}, {153, Action153},
    {180, Action180},   {181, Action181},   {182, Action182Hard}, {185, Action185}, {186, Action186}, {187, Action187},
    {188, Action188},   {190, Action190},   {191, Action191},
};

// 180 hands its part 182 (HARD); 152 turns its third child into a core of
// kind 155 with 153 and gives it two new guns of kind 103 with 143.
constexpr i32 kWrittenActions[] = {0, 143, 153, 182};
constexpr i32 kWrittenSpriteKinds[] = {103, 155};

constexpr ActionTable kTable{
    .actions = kActions,
    .writesActions = kWrittenActions,
    .writesSpriteKinds = kWrittenSpriteKinds,
};

}  // namespace

const ActionTable& ActionsStage1() { return kTable; }

void RunPartActionStage1(PartFrame& frame) { RunActionByTable(kTable, frame); }
