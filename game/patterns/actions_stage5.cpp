// The attack patterns of stage index 4: one row per action id in the table,
// the three difficulties' numbers in small tables. An id without a row does
// nothing. The castle's and the last boss's actions have files of their own
// (actions_stage5_castle.cpp, actions_stage5_lastboss.cpp), and
// actions_stage5.h is what the three share.
//
// t is the part's timer after this frame's increment; f.pos, f.angle and
// f.parentAngle are the part's world position, its world angle and its
// parent's world angle, all from the start of the step.
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <span>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/actions_stage5.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/bullet_kinds.h"
#include "game/play/effects.h"
#include "game/play/records.h"
#include "game/play/stage_random.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace actions_stage5 {

i32 T(const PartFrame& f) { return f.part->timer; }

ShellShot Shell(i32 kind, i32 hp, f32 speed, i32 strength, HitShape shape, f32 heading) {
    ShellShot s;
    s.kind = kind;
    s.hp = hp;
    s.speed = speed;
    s.strength = strength;
    s.shape = shape;
    s.angle = heading;
    s.heading = heading;
    return s;
}

void ShellSound() { PlaySoundEffect(kSoundSenMiMisairu); }

f32 AimFromDrawn(const f32 p[2]) {
    const f32 drawn[2] = {p[0] + g_GameState.FieldScrollX, p[1]};
    return AimFrom(drawn);
}

}  // namespace actions_stage5

namespace {

using namespace actions_stage5;

bool Outside(const PartFrame& f) { return IsOutside(f.pos); }
Enemy& Owner(const PartFrame& f) { return g_EnemyList[static_cast<std::size_t>(f.enemy)]; }
bool Inactive(const PartFrame& f) { return Owner(f).active == 0; }

void GunSound() { SpacedSound(kSoundMg, 4); }

// The aims actions 413, 420 and 421 keep between frames, one per difficulty;
// set back at every stage load.
f32 g_aim413[3] = {0, 0, 0};
f32 g_aim420[3] = {0, 0, 0};
f32 g_aim421[3] = {0, 0, 0};

void ResetStoredAims() {
    for (int d = 0; d < 3; ++d) {
        g_aim413[d] = 0.0f;
        g_aim420[d] = 0.0f;
        g_aim421[d] = 0.0f;
    }
}

f32& StoredAim(f32 (&aims)[3], const PartFrame& f) { return aims[IsHard(f) ? kDifficultyHard : f.difficulty]; }

// ---- The fortress (enemy kind 30) ----

// 200: the main gun turns toward the player and fires heavy rockets.
void Action200(PartFrame& f) {
    const i32 t = T(f);
    if (t == 100) {
        MarkPart(f);
        Owner(f).active = 1;
    }
    f32 drawn[2];
    DrawnPosition(f, drawn);
    TurnTowardPlayer(f, AimFrom(drawn), 0.0075f);
    static constexpr i32 kPeriod[3] = {350, 280, 250};
    if (!(t > 100 && t % ByDifficulty(f, kPeriod) <= 50 && t % 20 == 0)) return;
    f32 muzzle[2];
    LocalPoint(f, 60.0f, 0.0f, muzzle);
    const f32 speed = RandomFloat(4.0f, 7.0f);
    FireShell(Shell(1200, 9999, speed, 5, HitShape{35, 15, 0}, f.angle), muzzle);
    PlaySoundEffect(kSoundSenGeHasai02);
    for (i32 i = 0; i < 8; ++i) {
        const f80 a = static_cast<f80>(i) * static_cast<f80>(kTwoPi) / 8.0L;
        f32 v[2] = {static_cast<f32>(20.0L * std::cos(a)), static_cast<f32>(80.0L * std::sin(a))};
        RotateVector2(v, f.angle);
        const f32 p[2] = {muzzle[0] + v[0], muzzle[1] + v[1]};
        SpawnPartEffect(kEffectSmokePuff, p);
    }
    for (i32 k = 0; k < 5; ++k) {
        const i32 e = SpawnJitteredEffect(kEffectSpark, muzzle, 20.0f);
        if (e >= 0) g_EffectList[static_cast<std::size_t>(e)].age = -k;
    }
}

// 201: the fortress's core: shell pairs, and once the main gun is gone,
// aimed bullet pairs.
void Action201(PartFrame& f) {
    const i32 t = T(f);
    if (t == 700) {
        MarkPart(f);
        f.part->hitShape = HitShape{15, 65, 30};
    }
    if (Outside(f)) return;
    struct Row {
        i32 from;
        i32 times[3];
        i32 timeCount;
        f32 offsets[4];
        i32 offsetCount;
        i32 pairs;
    };
    static constexpr Row kRows[3] = {{1000, {100, 150, 0}, 2, {-2, 2, 0, 0}, 2, 1},
                                     {900, {100, 150, 0}, 2, {-2, 2, -2.5f, 2.5f}, 4, 2},
                                     {800, {100, 140, 180}, 3, {-2, 2, -2.8f, 2.8f}, 4, 4}};
    const Row& r = ByDifficulty(f, kRows);
    bool group = false;
    for (i32 i = 0; i < r.timeCount; ++i) group = group || t % 200 == r.times[i];
    if (t >= r.from && group) {
        for (i32 i = 0; i < r.offsetCount; ++i) {
            FireShell(Shell(204, 30, 1.0f, 3, kShellSmall, f.angle + r.offsets[i]), f.pos);
        }
        ShellSound();
    }
    if (!RootDestroyed(f.enemy, 0)) return;
    if (t % 40 < 10 && t % 2 == 0) {
        for (i32 i = 0; i < r.pairs; ++i) {
            const f32 aim = AimFrom(f.pos);
            const f32 side = 20.0f + 10.0f * static_cast<f32>(i);
            f32 left[2];
            f32 right[2];
            LocalPoint(f, 16.0f, -side, left);
            LocalPoint(f, 16.0f, side, right);
            FireBullet(kBulletNeedle, 4.5f, kHitShapeBar, aim, left);
            FireBullet(kBulletNeedle, 4.5f, kHitShapeBar, aim, right);
        }
        PlayFireSound();
    }
}

// 202: the side guns: five-bullet volleys, narrow (A) and wide (B) in turn.
void Action202(PartFrame& f) {
    const i32 t = T(f);
    if (t == 100) {
        MarkPart(f);
        Owner(f).active = 1;
    }
    const i32 r = t % 150;
    if (!(t > 50 && r <= 20 && t % 5 == 0)) return;
    struct Volley {
        f32 step, spread, base, perR;
    };
    static constexpr Volley kA[3] = {
        {0.025f, 0.025f, 2.0f, 0.2f}, {0.05f, 0.05f, 2.5f, 0.2f}, {0.05f, 0.05f, 2.5f, 0.2f}};
    static constexpr Volley kB[3] = {{0.5f, 0.1f, 2.5f, 0.05f}, {0.4f, 0.1f, 2.5f, 0.05f}, {0.4f, 0.1f, 2.5f, 0.05f}};
    const Volley& v = (t / 150) % 2 == 0 ? ByDifficulty(f, kA) : ByDifficulty(f, kB);
    const f32 speed = v.base + v.perR * static_cast<f32>(r);
    for (i32 j = -2; j <= 2; ++j) {
        const f32 spread = RandomFloat(-v.spread, v.spread);
        const f32 heading = f.angle + static_cast<f32>(j) * v.step + spread;
        f32 muzzle[2] = {20.0f, 0.0f};
        RotateVector2(muzzle, heading);
        const f32 p[2] = {f.pos[0] + muzzle[0], f.pos[1] + muzzle[1]};
        FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, p);
    }
    GunSound();
}

// ---- Small enemies ----

// Fires `count` bullets of kind 101 at p on one heading, speeds first - i step.
void Stream(const f32 p[2], f32 heading, i32 count, f32 first, f32 step) {
    for (i32 i = 0; i < count; ++i)
        FireBullet(kBulletNeedle, first - static_cast<f32>(i) * step, kHitShapeBar, heading, p);
}

// 401: five fans at the player from the nose.
void Action401(PartFrame& f) {
    if (Outside(f) || Inactive(f)) return;
    struct Row {
        i32 p, o;
        f32 first;   // fans 1-3: 3 bullets, first - 0.2 i
        f32 d;       // offset of fans 2 and 3
        f32 e1, e2;  // offset of fans 4 and 5, added in two steps
        i32 outer;   // bullets of fans 4 and 5
        f32 outerFirst;
    };
    static constexpr Row kRows[3] = {{180, 100, 3.0f, 0.02f, 1.2f, 0.0f, 2, 3.0f},
                                     {150, 80, 3.0f, 0.03f, 0.8f, 0.1f, 2, 3.0f},
                                     {120, 70, 3.5f, 0.05f, 0.8f, 0.2f, 3, 3.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 20 && t % r.p == r.o)) return;
    f32 muzzle[2];
    LocalPoint(f, 16.0f, 0.0f, muzzle);
    Stream(muzzle, AimFromDrawn(muzzle), 3, r.first, 0.2f);
    Stream(muzzle, AimFromDrawn(muzzle) - r.d, 3, r.first, 0.2f);
    Stream(muzzle, AimFromDrawn(muzzle) + r.d, 3, r.first, 0.2f);
    const f32 left = r.e2 != 0.0f ? AimFromDrawn(muzzle) - r.e1 - r.e2 : AimFromDrawn(muzzle) - r.e1;
    Stream(muzzle, left, r.outer, r.outerFirst, 0.5f);
    const f32 right = r.e2 != 0.0f ? AimFromDrawn(muzzle) + r.e1 + r.e2 : AimFromDrawn(muzzle) + r.e1;
    Stream(muzzle, right, r.outer, r.outerFirst, 0.5f);
    PlayFireSound();
}

// 402: a shell thrown backward, and fans of bullets at the player.
void Action402(PartFrame& f) {
    if (Outside(f) || Inactive(f)) return;
    struct Row {
        i32 p, o, k;
        f32 step;
        i32 count;
        f32 speeds[3];
    };
    static constexpr Row kRows[3] = {{120, 60, 1, 0.4f, 2, {2.5f, 2.3f, 0}},
                                     {80, 60, 2, 0.25f, 2, {2.5f, 2.3f, 0}},
                                     {70, 50, 3, 0.35f, 3, {4.0f, 2.5f, 1.0f}}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t > 20 && t % r.p == r.o) {
        FireShell(Shell(401, 50, -5.0f, 3, kShellSmall, f.parentAngle + kPi), f.pos);
        ShellSound();
    }
    if (t > 20 && t % 150 == 80) {
        f32 muzzle[2];
        LocalPoint(f, 16.0f, 0.0f, muzzle);
        for (i32 k = -r.k; k <= r.k; ++k) {
            const f32 aim = AimFromDrawn(muzzle);
            for (i32 i = 0; i < r.count; ++i) {
                FireBullet(kBulletNeedle, r.speeds[i], kHitShapeBar, aim + static_cast<f32>(k) * r.step, muzzle);
            }
        }
        PlayFireSound();
    }
}

// 405: the gunship's core sprays shells on random headings.
void Action405(PartFrame& f) {
    if (Outside(f) || Inactive(f)) return;
    struct Row {
        i32 lo, hi, m, c;
    };
    static constexpr Row kRows[3] = {{90, 100, 5, 10}, {80, 100, 5, 10}, {80, 100, 4, 8}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 w = t % 200;
    if (!(t > 10 && w >= r.lo && w <= r.hi && w % r.m == 0)) return;
    ShellShot s = Shell(410, 50, -4.0f, 3, kShellSmall, kHalfPiWritten);
    if (IsHard(f)) s.speed = -RandomFloat(1.0f, 6.0f);
    s.heading = RandomFloat(-2.0f, 2.0f);
    FireShell(s, f.pos);
    if (t % r.c == 0) ShellSound();
}

// 406: the gunship's side turrets track the player and spray bullets.
void Action406(PartFrame& f) {
    TurnTowardPlayer(f, AimFrom(f.pos), 0.005f);
    if (Outside(f)) return;
    struct Row {
        i32 p, lo, hi;
        f32 spread, speed;
    };
    static constexpr Row kRows[3] = {{160, 80, 90, 0.1f, 3.2f}, {120, 80, 90, 0.2f, 3.2f}, {120, 70, 100, 0.2f, 4.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 w = t % r.p;
    if (!(t > 10 && w >= r.lo && w <= r.hi && w % 2 == 0)) return;
    const f32 spread = RandomFloat(-r.spread, r.spread);
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    FireBullet(kBulletPellet, r.speed, kHitShapeSmall, f.angle + spread, muzzle);
    GunSound();
}

// ---- The gate boss and the mid-boss (enemy kind 99) ----

// 410: shells dropped from random points above the field.
void Action410(PartFrame& f) {
    struct Row {
        i32 n;
        f32 base, range;
        i32 m;
    };
    static constexpr Row kRows[3] = {{10, 3.0f, 5.0f, 20}, {8, 3.0f, 5.0f, 16}, {5, 2.0f, 7.0f, 15}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % r.n != 0) return;
    const f32 speed = r.base + RandomFloat(0.0f, r.range);
    const i32 x = 120 + static_cast<i32>(StageRandomBelow(&g_StageRandomState, 400));
    const f32 at[2] = {static_cast<f32>(x), -100.0f};
    FireShell(Shell(402, 200, speed, 3, kShellSmall, f.parentAngle), at);
    if (t % r.m == 0) ShellSound();
}

// 411: straight volleys from the turrets on the enemy's age beat.
void Action411(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 p, k;
        f32 first, step, offset;
    };
    static constexpr Row kRows[3] = {
        {400, 5, 4.0f, 0.1f, 0.0f}, {350, 12, 4.0f, 0.1f, 0.0f}, {200, 12, 4.5f, 0.05f, 0.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 age = Owner(f).age;
    f32 muzzle[2];
    LocalPoint(f, 16.0f, 0.0f, muzzle);
    if (age % r.p == 0) {
        Stream(muzzle, f.angle + r.offset, r.k, r.first, r.step);
        PlayFireSound();
    }
    if (IsHard(f) && age % 200 == 100) {
        Stream(muzzle, f.angle - 0.2f, r.k, r.first, r.step);
        PlayFireSound();
    }
}

// 412: shells scattered upward in a short window of every 300 frames.
void Action412(PartFrame& f) {
    struct Row {
        i32 n;
        f32 top, spread;
        i32 m;
    };
    static constexpr Row kRows[3] = {{5, 5.0f, 2.0944f, 10}, {4, 7.0f, 1.0472f, 8}, {5, 5.0f, 2.0944f, 10}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 300 && t % 300 <= 50 && t % r.n == 0)) return;
    ShellShot s = Shell(407, 50, 0.0f, 3, kShellSmall, kHalfPiWritten);
    s.speed = RandomFloat(1.0f, r.top);
    s.heading = RandomFloat(-r.spread, r.spread) - kHalfPiWritten;
    FireShell(s, f.pos);
    if (t % r.m == 0) ShellSound();
}

// 413: an aimed five-way fan that sweeps while its window lasts.
void Action413(PartFrame& f) {
    struct Row {
        i32 n;
        f32 speed, d;
    };
    static constexpr Row kRows[3] = {{10, 12.5f, 0.75f}, {5, 3.0f, 0.06f}, {10, 2.5f, 0.1f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 20 && t % 180 >= 100 && t % r.n == 0)) return;
    f32 muzzle[2];
    LocalPoint(f, 16.0f, 0.0f, muzzle);
    f32& aim = StoredAim(g_aim413, f);
    if (t % 180 == 100) aim = AimFromDrawn(muzzle);
    const f32 sweep = 0.1f * static_cast<f32>(t % 180 - 100);
    for (i32 j = -2; j <= 2; ++j)
        FireBullet(kBulletPellet, r.speed, kHitShapeSmall, aim + sweep + static_cast<f32>(j) * r.d, muzzle);
}

// Root part `root` of the part's enemy is hittable.
bool RootHittable(const PartFrame& f, i32 root) {
    const EnemyPart* part = RootPartAt(f.enemy, root);
    return part != nullptr && part->state == 1;
}

// 414: streams from a rear muzzle; they scatter once a wing is lost.
void Action414(PartFrame& f) {
    struct Row {
        i32 n, q, c;
        f32 w;
        i32 k;
        f32 first;
    };
    static constexpr Row kRows[3] = {
        {5, 20, 30, 50.0f, 4, 4.0f}, {3, 20, 30, 80.0f, 5, 4.5f}, {3, 30, 40, 80.0f, 5, 4.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 20 && t % r.n == 0 && t % r.c < r.q)) return;
    const f32 y0 = RandomFloat(-r.w, r.w);
    f32 muzzle[2];
    LocalPoint(f, -30.0f, y0, muzzle);
    f32 heading = f.angle;
    if (IsHard(f)) heading = f.angle + RandomFloat(-0.1f, 0.1f);
    const bool wingsWhole = RootHittable(f, 1) && RootHittable(f, 2);
    if (!wingsWhole) heading = f.angle + RandomFloat(-1.0f, 1.0f);
    Stream(muzzle, heading, r.k, r.first, 0.1f);
    PlayFireSound();
}

// 415: heavy shells laid along the part's facing.
void Action415(PartFrame& f) {
    static constexpr i32 kEvery[3] = {300, 150, 150};
    const i32 t = T(f);
    if (!(t > 150 && t % ByDifficulty(f, kEvery) == 0)) return;
    const ShellShot s = Shell(404, 500, -4.0f, 4, kShellSmall, f.angle);
    if (f.difficulty == kDifficultyEasy || f.difficulty == kDifficultyNormal) {
        FireShell(s, f.pos);
    } else {
        const f32 left[2] = {f.pos[0] - 100.0f, f.pos[1]};
        const f32 right[2] = {f.pos[0] + 100.0f, f.pos[1]};
        FireShell(s, left);
        FireShell(s, right);
    }
}

// 416: a spinning star of large bullets, turning the other way every 300
// frames; only late in the mid-boss's state 413.
void Action416(PartFrame& f) {
    const Enemy& e = Owner(f);
    const i32 t = T(f);
    if (!(e.age > 1000 && e.state == 413 && t % 300 < 200 && t % 5 == 0)) return;
    struct Row {
        i32 k;
        f32 spacing, speed;
    };
    static constexpr Row kRows[3] = {{4, 0.25f, 6.0f}, {5, 0.2f, 6.0f}, {5, 0.2f, 8.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 m = t % 300;
    const bool even = (t / 300) % 2 == 0;
    for (i32 i = 0; i < r.k; ++i) {
        const f32 arm = static_cast<f32>(i) * r.spacing * kTwoPi;
        const f32 spin = 0.05f * static_cast<f32>(m);
        f32 heading = even ? f.angle + arm - spin : f.angle - arm + spin;
        if (t % 10 == 0) heading += 0.05f;
        FireBullet(kBulletBallBrakeTo4, r.speed, kHitShapeLarge, heading, f.pos);
    }
    PlayFireSound();
}

// 417, 418: slow shells to one side (417 toward smaller angles, 418 toward
// larger), and under HARD an aimed fan.
void ActionSideShells(PartFrame& f, bool larger) {
    const Enemy& e = Owner(f);
    struct Row {
        i32 g, n;
        f32 lo417, hi417;
        i32 m;
    };
    static constexpr Row kRows[3] = {{1000, 10, -0.4f, 1.4f, 10}, {400, 5, -0.4f, 1.4f, 10}, {1000, 3, -0.9f, 1.9f, 9}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (e.age > r.g && e.state == 413 && t > 400 && t % 300 >= 200 && t % 300 <= 250 && t % r.n == 0) {
        // 418 draws over the mirror of 417's range.
        const f32 draw = larger ? RandomFloat(-r.hi417, -r.lo417) : RandomFloat(r.lo417, r.hi417);
        const f32 base = larger ? f.angle + kHalfPiWritten : f.angle - kHalfPiWritten;
        FireShell(Shell(larger ? 409 : 408, 150, 1.0f, 3, kShellSmall, base + draw), f.pos);
        if (t % r.m == 0) ShellSound();
    }
    if (f.difficulty == kDifficultyEasy || f.difficulty == kDifficultyNormal) return;
    if (t > 10 && Owner(f).state == 413 && t % 300 >= 50 && t % 300 <= 100 && t % 10 == 0) {
        const f32 aim = AimFrom(f.pos);
        const f32 speed = larger ? 4.0f : 4.5f;
        for (i32 j = -2; j <= 2; ++j)
            FireBullet(kBulletNeedle, speed, kHitShapeBar, aim + 0.4f * static_cast<f32>(j), f.pos);
        GunSound();
    }
}

// 420, 421: mirrored sweeping fans from the wings' muzzles, each from its
// stored aim (420 sweeps toward larger angles, 421 toward smaller).
void ActionWingFans(PartFrame& f, bool mirrored) {
    const i32 t = T(f);
    const bool hard = IsHard(f);
    if (hard) {
        if (!(t > 20 && t % 200 >= 80 && t % 3 == 0)) return;
    } else {
        static constexpr i32 kEvery[3] = {10, 8, 3};
        if (!(t > 20 && t % 180 >= 100 && t % ByDifficulty(f, kEvery) == 0)) return;
    }
    f32 muzzle[2];
    LocalPoint(f, -20.0f, mirrored ? 50.0f : -50.0f, muzzle);
    f32& aim = StoredAim(mirrored ? g_aim421 : g_aim420, f);
    // Under HARD the window's first firing frame takes the aim.
    const bool fresh = hard ? t % 200 - 80 < 3 : t % 180 == 100;
    if (fresh) aim = AimFromDrawn(muzzle);
    const f32 sweep = hard ? 0.125f * static_cast<f32>(t % 200 - 80) : 0.1f * static_cast<f32>(t % 180 - 100);
    static constexpr f32 kStep420[3] = {0.025f, 0.05f, 0.025f};
    static constexpr f32 kStep421[3] = {0.05f, 0.05f, 0.025f};
    const f32 d = ByDifficulty(f, mirrored ? kStep421 : kStep420);
    static constexpr f32 kSpeed[3] = {2.5f, 2.5f, 3.2f};
    const f32 centre = mirrored ? aim - sweep : aim + sweep;
    for (i32 j = -2; j <= 2; ++j) {
        FireBullet(kBulletPellet, ByDifficulty(f, kSpeed), kHitShapeSmall, centre + static_cast<f32>(j) * d, muzzle);
    }
    PlayFireSound();
}

// ---- The carrier (enemy kind 20) ----

// 430: a turret turning slowly toward the player; single jittered bullets
// while in the upper field.
void Action430(PartFrame& f) {
    TurnTowardPlayer(f, AimFrom(f.pos), 0.005f);
    if (Outside(f) || f.pos[1] > 280.0f) return;
    struct Row {
        i32 p, a, b;
        f32 speed, jitter;
    };
    static constexpr Row kRows[3] = {
        {240, 60, 80, 3.5f, 0.075f}, {200, 50, 80, 3.5f, 0.1f}, {150, 50, 90, 4.5f, 0.15f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 w = t % r.p;
    if (!(t > 10 && w >= r.a && w <= r.b && w % 2 == 0)) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    FireBullet(kBulletNeedle, r.speed, kHitShapeBar, f.angle + RandomFloat(-r.jitter, r.jitter), muzzle);
    GunSound();
}

// 431: arms of short bullet strings turning one way (phase A), then the
// other (phase B), during the part's first 600 frames.
void Action431(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 n, k0;
        f32 turn, d;
        bool fourth;
    };
    static constexpr Row kRows[3] = {
        {10, -1, 1.0f / 3.0f, 0.015f, false}, {10, -2, 1.0f / 4.0f, 0.01f, false}, {5, -3, 1.0f / 5.0f, 0.01f, true}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 10 && t < 600 && t % r.n == 0)) return;
    const i32 m = t % 300;
    const auto arms = [&](f32 sway, f32 sense) {
        f32 v = 2.0f;
        for (i32 k = r.k0; k <= 1; ++k) {
            const f32 base = f.angle + static_cast<f32>(k) * r.turn * kTwoPi + sway;
            FireBullet(kBulletPellet, v, kHitShapeSmall, base, f.pos, base, 0);
            v -= 0.02f;
            FireBullet(kBulletPellet, v, kHitShapeSmall, base + sense * r.d, f.pos, base, 0);
            v -= 0.02f;
            FireBullet(kBulletPellet, v, kHitShapeSmall, base + sense * 2.0f * r.d, f.pos, base, 0);
            if (r.fourth) {
                v = 3.0f;
                FireBullet(kBulletPellet, v, kHitShapeSmall, base, f.pos, base, 0);
            }
        }
        PlayFireSound();
    };
    if (m <= 150) arms(-static_cast<f32>(m) * 0.005f * kTwoPi, -1.0f);
    if (m >= 200 && m <= 250) arms(static_cast<f32>(m - 100) * 0.005f * kTwoPi, 1.0f);
}

// ---- The craft (enemy kind 15) ----

// 435: a pair of shells thrown back to both sides, and a short forward
// burst of accelerating bullets.
void Action435(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 c1, c2;
        f32 w;
        i32 a, b;
        f32 first;
        i32 j0;
        f32 d;
    };
    static constexpr Row kRows[3] = {{180, -1, 2.5f, 140, 150, 2.0f, -1, 0.03f},
                                     {140, -1, 2.0f, 120, 140, 2.5f, -1, 0.05f},
                                     {140, 160, 2.0f, 80, 110, 3.0f, -2, 0.04f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t >= 10 && (t % 200 == r.c1 || t % 200 == r.c2)) {
        FireShell(Shell(411, 30, 2.0f, 3, kShellSmall, f.angle - r.w), f.pos);
        FireShell(Shell(411, 30, 2.0f, 3, kShellSmall, f.angle + r.w), f.pos);
        ShellSound();
    }
    const i32 w = t % 300;
    if (t > 10 && w >= r.a && w <= r.b && t % 5 == 0) {
        f32 muzzle[2];
        LocalPoint(f, 40.0f, 0.0f, muzzle);
        const f32 speed = r.first + 0.1f * static_cast<f32>(w - r.a);
        for (i32 j = r.j0; j <= -r.j0; ++j)
            FireBullet(kBulletNeedle, speed, kHitShapeBar, f.angle + static_cast<f32>(j) * r.d, muzzle);
        PlayFireSound();
    }
}

// 436: an aimed burst of accelerating bullets.
void Action436(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 a, b;
        f32 first, d;
    };
    static constexpr Row kRows[3] = {{50, 60, 2.0f, 0.03f}, {50, 70, 2.5f, 0.05f}, {40, 70, 3.0f, 0.05f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 w = t % 300;
    if (!(t > 10 && w >= r.a && w <= r.b && t % 5 == 0)) return;
    f32 muzzle[2];
    LocalPoint(f, 40.0f, 0.0f, muzzle);
    const f32 aim = AimFrom(muzzle);
    const f32 speed = r.first + 0.1f * static_cast<f32>(w - r.a);
    FireBullet(kBulletNeedle, speed, kHitShapeBar, aim - r.d, muzzle);
    FireBullet(kBulletNeedle, speed, kHitShapeBar, aim, muzzle);
    FireBullet(kBulletNeedle, speed, kHitShapeBar, aim + r.d, muzzle);
    if (IsHard(f)) {
        for (const f32 off : {0.8f, 1.2f}) FireBullet(kBulletNeedle, speed, kHitShapeBar, aim + off, muzzle);
        for (const f32 off : {0.8f, 1.2f}) FireBullet(kBulletNeedle, speed, kHitShapeBar, aim - off, muzzle);
    }
    PlayFireSound();
}

// ---- The wheel (enemy kind 100) ----

// At timer 2200 the part becomes a circle of `radius` and is marked.
void OpenAtLast(PartFrame& f, f32 radius) {
    if (T(f) == 2200) {
        f.part->hitShape = HitShape{0, 0, radius};
        MarkPart(f);
    }
}

// 480: an armoured spoke: opens 200 frames after its lamp is destroyed.
void Action480(PartFrame& f) {
    if (T(f) < 2000) {
        if (T(f) == 1999) f.part->timer = -1;
        if (ChildDestroyed(*f.part, 0)) f.part->timer = 2000;
    } else {
        OpenAtLast(f, 60.0f);
    }
}

// 490: the hub: rings of 32 shells, the faster the fewer pods are left;
// opens once its pods are gone.
void Action490(PartFrame& f) {
    if (T(f) < 2000) {
        i32 n = 0;
        for (i32 c = 0; c < 5; ++c) n += ChildDestroyed(*f.part, c) ? 0 : 1;
        const i32 t = T(f);
        if (t > 100 && n > 0 && t % (100 * n) == 0) {
            const f32 r = RandomFloat(-0.5f, 0.5f);
            const f32 at[2] = {f.pos[0], f.pos[1] - 100.0f};
            for (i32 i = 0; i < 32; ++i) {
                const f32 heading = r + static_cast<f32>(i) * (1.0f / 32.0f) * kTwoPi;
                FireShell(Shell(i % 2 == 0 ? 490 : 491, 150, -2.0f, 3, kShellSmall, heading), at);
            }
        }
        if (T(f) == 1999) f.part->timer = 99;
        if (ChildDestroyed(*f.part, 0) && ChildDestroyed(*f.part, 1) && ChildDestroyed(*f.part, 2) &&
            ChildDestroyed(*f.part, 4)) {
            f.part->timer = 2000;
        }
    } else {
        OpenAtLast(f, 90.0f);
    }
}

// 481: five streams on an absolute heading that turns once every 600 frames.
void Action481(PartFrame& f) {
    const i32 t = T(f);
    if (!(t >= 1 && t % 100 <= 60 && t % 5 == 0)) return;
    const f32 heading = static_cast<f32>(t % 600) * (1.0f / 600.0f) * kTwoPi;
    for (i32 k = -2; k <= 2; ++k) {
        const f32 v = 3.5f - 0.15f * static_cast<f32>(std::abs(k));
        for (const f32 less : {0.1f, 0.2f, 0.3f}) FireBullet(kBulletPellet, v - less, kHitShapeSmall, heading, f.pos);
    }
    PlayFireSound();
}

// 491: a six-arm spiral on absolute headings.
void Action491(PartFrame& f) {
    const i32 t = T(f);
    if (!(t >= 400 && t % 400 <= 100 && t % 20 == 0)) return;
    for (i32 k = 0; k < 6; ++k) {
        const f32 heading = static_cast<f32>(k) * (1.0f / 6.0f) * kTwoPi - static_cast<f32>(t % 300) * 0.005f * kTwoPi;
        for (const f32 speed : {2.4f, 2.3f, 2.2f}) FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, f.pos);
    }
    PlayFireSound();
}

// 14: smoke 60 pixels ahead every 10 frames, only while the scale is at
// least 0.9 (no draw at all below it, or when it is not a number).
void Wreck14(PartFrame& f) {
    if (!EveryFrames(f, 10)) return;
    if (!(EnemyScale(f) >= 0.9f)) return;
    f32 p[2];
    LocalPoint(f, 60.0f, 0.0f, p);
    SpawnJitteredEffect(kEffectSmokePuff, p, 15.0f);
}

// 15: smoke every 15 frames, jittered by +-60.
void Wreck15(PartFrame& f) {
    if (!EveryFrames(f, 15)) return;
    SpawnJitteredEffect(kEffectSmokePuff, f.pos, 60.0f);
}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11},
    {12, WreckSmoke12},
    {13, WreckSmoke13},
    {14, Wreck14},
    {15, Wreck15},
    {200, Action200},
    {201, Action201},
    {202, Action202},
    {401, Action401},
    {402, Action402},
    {405, Action405},
    {406, Action406},
    {410, Action410},
    {411, Action411},
    {412, Action412},
    {413, Action413},
    {414, Action414},
    {415, Action415},
    {416, Action416},
    {417, [](PartFrame& f) { ActionSideShells(f, false); }},
    {418, [](PartFrame& f) { ActionSideShells(f, true); }},
    {420, [](PartFrame& f) { ActionWingFans(f, false); }},
    {421, [](PartFrame& f) { ActionWingFans(f, true); }},
    {430, Action430},
    {431, Action431},
    {435, Action435},
    {436, Action436},
    {480, Action480},
    {481, Action481},
    {490, Action490},
    {491, Action491},
    // The castle.
    {1001, castle::Action1001},
    {1003, castle::Action1003},
    {1004, castle::Action1004},
    {1010, castle::Action1010},
    {1020, castle::Action1020},
    {1021, castle::Action1021},
    {1100, castle::Action1100},
    // The last boss and its escorts.
    {901, lastboss::Action901},
    {902, lastboss::Action902},
    {903, lastboss::Action903},
    {910, lastboss::Action910},
    {931, lastboss::Action931},
    {932, lastboss::Action932},
    {933, lastboss::Action933},
    {951, lastboss::Action951},
    {952, lastboss::Action952},
    {960, lastboss::Action960},
};

constexpr ActionTable kTable{.actions = kActions, .reset = ResetStoredAims};

}  // namespace

const ActionTable& ActionsStage5() { return kTable; }

void RunPartActionStage5(PartFrame& frame) { RunActionByTable(kTable, frame); }
