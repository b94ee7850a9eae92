// The attack patterns of stage index 3: one row per action id in the table at
// the end, the three difficulties' numbers in small tables. An id without a
// row does nothing.
//
// t is the part's timer after this frame's increment; W and the world
// position are the part's world frame for this step (from before any turn the
// action makes).
#include <cmath>
#include <utility>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/bullet_kinds.h"
#include "game/play/effects.h"
#include "game/play/records.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

// kShellSmall is the shape of every shell of the stage's ordinary enemies and
// of the rear shells.

i32 T(const PartFrame& f) { return f.part->timer; }
bool Outside(const PartFrame& f) { return IsOutside(f.pos); }
bool OwnerActive(const PartFrame& f) { return EnemyRecord(f.enemy).active != 0; }

// A small shell of the ordinary enemies: hp 30, strength 3.
void SmallShell(i32 kind, f32 speed, f32 angle, const f32 p[2]) {
    FireShell(ShellOf(kind, 30, speed, 3, kShellSmall, angle), p);
}

// m bullets one after the other along one heading, with speeds v0, v0 - dv,
// ..., v0 - (m - 1) dv.
struct Line {
    f32 v0, dv;
    i32 m;
};
void FireLine(i32 kind, i32 shape, const Line& line, f32 heading, const f32 p[2]) {
    for (i32 i = 0; i < line.m; ++i) {
        FireBullet(kind, line.v0 - static_cast<f32>(i) * line.dv, shape, heading, p);
    }
}

// ---- The craft and the six-part carrier ----

// 510: the craft of kind 2: an aimed fan once per cycle, a slow shell between.
void Action510(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        f32 limit;
        i32 period, at, half;
        f32 step, speed;
        i32 shellEvery;
    };
    static constexpr Row kRows[3] = {
        {240, 180, 120, 1, 0.4f, 3.5f, 170}, {250, 150, 100, 2, 0.2f, 4.0f, 90}, {250, 150, 100, 3, 0.2f, 4.0f, 90}};
    const Row& r = ByDifficulty(f, kRows);
    if (f.pos[1] > r.limit) return;
    const i32 t = T(f);
    if (t % r.period == r.at) {
        const f32 aim = AimFrom(f.pos);
        for (i32 k = -r.half; k <= r.half; ++k)
            FireBullet(kBulletPelletEaseTo2, r.speed, kHitShapeSmall, aim + static_cast<f32>(k) * r.step, f.pos);
        PlayFireSound();
    } else if (t % r.shellEvery == 0 && t >= 50) {
        SmallShell(507, 1.0f, f.angle, f.pos);
        PlayShellSound();
    }
}

// 511: the craft of kind 3: jittered bursts from its nose and a pair of shells
// thrown backward at timer 250.
void Action511(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        f32 limit;
        i32 after, every;
        f32 spread, speed;
    };
    static constexpr Row kRows[3] = {{250, 80, 2, 0.1f, 3.5f}, {240, 70, 3, 0.1f, 4.0f}, {240, 60, 3, 0.2f, 4.0f}};
    const Row& r = ByDifficulty(f, kRows);
    if (f.pos[1] > r.limit) return;
    const i32 t = T(f);
    if (t > 50 && t % 90 > r.after && t % r.every == 0) {
        const f32 heading = f.angle + RandomFloat(-r.spread, r.spread);
        f32 nose[2];
        LocalPoint(f, 16.0f, 0.0f, nose);
        FireBullet(kBulletNeedleEaseTo2, r.speed, kHitShapeBar, heading, nose);
        PlayFireSound();
    }
    if (t == 250) {
        for (const f32 side : {-24.0f, 24.0f}) {
            f32 p[2];
            LocalPoint(f, 16.0f, side, p);
            SmallShell(502, -2.0f, f.angle, p);
        }
        PlayShellSound();
    }
}

// 501: the carrier's turrets: aimed three-way fans of lines (HARD: two more
// lines 0.7 to either side).
void Action501(PartFrame& f) {
    if (Outside(f) || !OwnerActive(f)) return;
    struct Row {
        f32 step;
        Line line;
    };
    static constexpr Row kRows[3] = {{0.1f, {3.0f, 0.1f, 3}}, {0.2f, {3.5f, 0.15f, 3}}, {0.1f, {3.5f, 0.1f, 5}}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % 80 != 0 || t % 240 == 0 || t <= 100) return;
    const f32 aim = AimFrom(f.pos);
    for (i32 k = -1; k <= 1; ++k)
        FireLine(kBulletNeedle, kHitShapeBar, r.line, aim + static_cast<f32>(k) * r.step, f.pos);
    if (IsHard(f)) {
        FireLine(kBulletNeedle, kHitShapeBar, r.line, aim + 0.7f, f.pos);
        FireLine(kBulletNeedle, kHitShapeBar, r.line, aim - 0.7f, f.pos);
    }
    PlayFireSound();
}

// 502: the carrier's core: pairs of shells opening outward from its heading.
void Action502(PartFrame& f) {
    if (Outside(f) || !OwnerActive(f)) return;
    struct Row {
        i32 period, every;
    };
    static constexpr Row kRows[3] = {{240, 15}, {240, 8}, {200, 5}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 300) return;
    const i32 m = t % r.period;
    if (m >= 40 || t % r.every != 0) return;
    const f32 open = 0.05f * static_cast<f32>(m);
    SmallShell(503, 5.0f, f.angle + 0.1f + open, f.pos);
    SmallShell(503, 5.0f, f.angle - open - 0.1f, f.pos);
    PlayShellSound();
}

// ---- The two-part side-gun craft (kind 6) ----

// Its side section's guns and shells turn by these printed angles.
constexpr f32 kSideQuarter = 1.5708f;
constexpr f32 kSideSixth = 0.5236f;

// 515: the side section: two volleys of paired bullets per cycle from gun
// points 55 pixels to either side, and two shells dropped behind.
void Action515(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 period, aLast, bFirst, bLast, half;
        f32 step, speed;
        i32 shellPeriod, shellA, shellB;
    };
    static constexpr Row kRows[3] = {{200, 10, 100, 110, 1, 0.15f, 3.0f, 190, 50, 60},
                                     {200, 30, 100, 130, 1, 0.2f, 3.5f, 150, 80, 90},
                                     {150, 30, 100, 130, 2, 0.2f, 3.5f, 100, 80, 90}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 m = t % r.period;
    // A pair per k: from (10 k, -55) with `right`, from (10 k, 55) with `left`.
    auto volley = [&](auto right, auto left) {
        for (i32 k = -r.half; k <= r.half; ++k) {
            const f32 kk = static_cast<f32>(k);
            f32 p[2];
            LocalPoint(f, 10.0f * kk, -55.0f, p);
            FireBullet(kBulletNeedle, r.speed, kHitShapeBar, right(kk), p);
            LocalPoint(f, 10.0f * kk, 55.0f, p);
            FireBullet(kBulletNeedle, r.speed, kHitShapeBar, left(kk), p);
        }
        SpacedSound(kSoundMg, 4);
    };
    if (m <= r.aLast && t % 5 == 0) {
        volley([&](f32 k) { return f.angle - kSideQuarter - 0.4f + r.step * k; },
               [&](f32 k) { return f.angle + kSideQuarter + 0.4f - r.step * k; });
    }
    if (m >= r.bFirst && m <= r.bLast && t % 5 == 0) {
        const f32 q = static_cast<f32>(t / 200);
        volley([&](f32 k) { return f.angle - kSideSixth + r.step * k + 0.2f * q; },
               [&](f32 k) { return f.angle + kSideSixth - r.step * k - 0.2f * q; });
    }
    for (const auto& [at, side] : {std::pair{r.shellA, -60.0f}, std::pair{r.shellB, 60.0f}}) {
        if (t % r.shellPeriod != at) continue;
        f32 p[2];
        LocalPoint(f, -20.0f, side, p);
        SmallShell(507, 1.0f, f.angle, p);
        PlayShellSound();
    }
}

// 516: the core: silent while the side section (root 1) lives, then shells
// tossed to alternate sides of the player's direction.
void Action516(PartFrame& f) {
    if (Outside(f)) return;
    if (!RootDestroyed(f.enemy, 1)) return;
    struct Row {
        i32 period, window, every;
    };
    static constexpr Row kRows[3] = {{150, 20, 4}, {120, 28, 4}, {100, 24, 3}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % r.period >= r.window || t % r.every != 0) return;
    const f32 speed = RandomFloat(1.0f, 4.0f);
    const f32 aim = AimFrom(f.pos);
    f32 heading = 0;
    if (t % 8 == 0) {
        const f32 spread = RandomFloat(-0.2f, 0.8f);
        heading = aim + spread + kHalfPi;
    } else {
        const f32 spread = RandomFloat(-0.8f, 0.2f);
        heading = aim - kHalfPi + spread;
    }
    ShellShot shell = ShellOf(508, 30, speed, 3, kShellSmall, aim);
    shell.heading = heading;
    FireShell(shell, f.pos);
    PlayShellSound();
}

// ---- The stream and broadside enemies (kinds 10 to 13) ----

// A block: three rows (k = -1, 0, 1) of one line of bullets each, along one
// heading; `row` gives row k's point.
struct BlockRow {
    i32 period;
    f32 spacing;
    Line line;
};
constexpr BlockRow kBlocks[3] = {{180, 15, {2.0f, 0.15f, 4}}, {100, 20, {2.0f, 0.2f, 5}}, {50, 20, {3.0f, 0.1f, 8}}};

template <typename RowPoint>
void Block(f32 heading, const Line& line, RowPoint row) {
    for (i32 k = -1; k <= 1; ++k) {
        f32 p[2];
        row(static_cast<f32>(k), p);
        FireLine(kBulletPellet, kHitShapeSmall, line, heading, p);
    }
}

// 520 and 521: a block along the part's facing (521 backward), its rows
// stacked down the screen whatever the facing.
void StreamAlongScreen(PartFrame& f, f32 turn) {
    if (Outside(f)) return;
    const BlockRow& b = ByDifficulty(f, kBlocks);
    if (!EveryFrames(f, b.period)) return;
    Block(f.angle + turn, b.line, [&](f32 k, f32 p[2]) {
        p[0] = f.pos[0];
        p[1] = f.pos[1] + k * b.spacing;
    });
    PlayFireSound();
}
void Action520(PartFrame& f) { StreamAlongScreen(f, 0.0f); }
void Action521(PartFrame& f) { StreamAlongScreen(f, 3.1416f); }

// 522: two blocks to either side of the part, their rows across its facing.
void Action522(PartFrame& f) {
    if (Outside(f)) return;
    const BlockRow& b = ByDifficulty(f, kBlocks);
    if (!EveryFrames(f, b.period)) return;
    Block(f.angle + 1.5708f, b.line, [&](f32 k, f32 p[2]) { LocalPoint(f, k * b.spacing, 20.0f, p); });
    Block(f.angle - 1.5708f, b.line, [&](f32 k, f32 p[2]) { LocalPoint(f, k * b.spacing, -20.0f, p); });
    PlayFireSound();
}

// 525: a pair of shells 0.8 to either side of the player's direction.
void Action525(PartFrame& f) {
    if (Outside(f)) return;
    static constexpr i32 kPeriod[3] = {350, 250, 200};
    if (T(f) % ByDifficulty(f, kPeriod) != 125) return;
    const f32 aim = AimFrom(f.pos);
    FireShell(ShellOf(501, 30, 2.0f, 4, kShellSmall, aim + 0.8f), f.pos);
    FireShell(ShellOf(501, 30, 2.0f, 4, kShellSmall, aim - 0.8f), f.pos);
    PlaySoundEffect(kSoundSenGeTaihou01);
}

// ---- The recurring mid-boss's cannon (actions 530 to 532) ----

// The rear volley: K1 shells from behind the left muzzle, K2 from behind the
// right, each straight back and then turned outward by every deviation.
struct RearRow {
    i32 k1, k2;
    f32 deviations[2];
    i32 count;
};
constexpr RearRow kRear[3] = {{514, 515, {0.9f, 0}, 1}, {504, 505, {0.5f, 0}, 1}, {504, 505, {0.5f, 0.9f}, 2}};

void RearShell(PartFrame& f, i32 kind, f32 b, f32 angle, f32 speed = -2.0f) {
    f32 p[2];
    LocalPoint(f, -16.0f, b, p);
    FireShell(ShellOf(kind, 150, speed, 3, kShellSmall, angle), p);
}

void RearVolley(PartFrame& f) {
    const RearRow& r = ByDifficulty(f, kRear);
    const f32 back = f.angle + kPi;
    RearShell(f, r.k1, -24.0f, back);
    for (i32 i = 0; i < r.count; ++i) RearShell(f, r.k1, -24.0f, back - r.deviations[i]);
    RearShell(f, r.k2, 24.0f, back);
    for (i32 i = 0; i < r.count; ++i) RearShell(f, r.k2, 24.0f, back + r.deviations[i]);
    PlayShellSound();
}

// One spiral fan of n bullets at local point (0, b), 2 pi / n apart from
// `base`; with a companion of speed `s2` after each, `companionTurn` off.
void SpiralFan(PartFrame& f, f32 b, f32 base, i32 n, f32 s1, f32 s2 = 0, f32 companionTurn = 0) {
    f32 p[2];
    LocalPoint(f, 0.0f, b, p);
    for (i32 i = 0; i < n; ++i) {
        const f32 h = base + static_cast<f32>(i) * (kTwoPi / static_cast<f32>(n));
        FireBullet(kBulletNeedle, s1, kHitShapeBar, h, p);
        if (s2 != 0.0f) FireBullet(kBulletNeedle, s2, kHitShapeBar, h + companionTurn, p);
    }
}

bool CannonSilent(const PartFrame& f) { return Outside(f) || !OwnerActive(f); }

// 530: the twin spiral of the first fight.
void Action530(PartFrame& f) {
    if (CannonSilent(f)) return;
    struct Row {
        i32 every, n;
        f32 speed;
    };
    static constexpr Row kRows[3] = {{5, 3, 3.0f}, {4, 4, 3.8f}, {3, 5, 3.8f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 timer = T(f);
    const i32 t = timer % 250;
    if (t < 40 && timer % r.every == 0) {
        const f32 turn = static_cast<f32>(t) * 0.0785398f;
        SpiralFan(f, -40.0f, f.angle + turn, r.n, r.speed);
        SpiralFan(f, 40.0f, f.angle - turn, r.n, r.speed);
        PlayFireSound();
    }
    if (timer % 120 == 0) RearVolley(f);
}

// 531: the double spiral of the second fight, each bullet with a slow
// companion, its turn reversed in the second half of the window.
void Action531(PartFrame& f) {
    if (CannonSilent(f)) return;
    struct Row {
        i32 firstEnd, secondEnd, n;
        f32 turn, s1, s2;
    };
    static constexpr Row kRows[3] = {
        {30, 60, 3, 0.0157080f, 3.0f, 3.5f}, {30, 60, 4, 0.0261799f, 3.8f, 3.2f}, {40, 80, 5, 0.0261799f, 4.2f, 2.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 timer = T(f);
    const i32 t = timer % 250;
    if (timer % 4 == 0 && t < r.secondEnd) {
        const f32 turn = static_cast<f32>(t) * r.turn;
        // Phase A turns the upper muzzle's fan forward, phase B backward.
        const f32 sign = t < r.firstEnd ? 1.0f : -1.0f;
        SpiralFan(f, -40.0f, sign > 0 ? f.angle + turn : f.angle - turn, r.n, r.s1, r.s2, 0.05f);
        SpiralFan(f, 40.0f, sign > 0 ? f.angle - turn : f.angle + turn, r.n, r.s1, r.s2, -0.05f);
        PlayFireSound();
    }
    if (timer % 120 == 0) RearVolley(f);
}

// 532: the shell battery of the third fight: the rear volley and a wide
// volley of fast shells.
void Action532(PartFrame& f) {
    if (CannonSilent(f)) return;
    static constexpr i32 kWideEvery[3] = {250, 200, 160};
    const i32 timer = T(f);
    if (timer % 120 == 0) RearVolley(f);
    if (timer % ByDifficulty(f, kWideEvery) != 0) return;
    // After the first, each shell is turned pi/6 off a flank (W +- pi/2), the
    // two f32 additions in that order.
    const f32 sixth = kPi / 6.0f;
    RearShell(f, 510, -24.0f, f.angle + kTwoPi / 3.0f, 6.0f);
    RearShell(f, 510, -24.0f, f.angle + kHalfPi - sixth, 6.0f);
    RearShell(f, 510, 24.0f, f.angle - kHalfPi + sixth, 6.0f);
    RearShell(f, 510, 24.0f, f.angle - kHalfPi - sixth, 6.0f);
    PlayShellSound();
}

// ---- The boss (kind 99) ----
//
// Its phases give these parts their actions with timer 0: t counts from the
// phase's opening. The boss's root part 6 is its centre; the guards of the
// later phases are children of the centre and further root parts, read by
// position (a missing part counts as destroyed).

constexpr i32 kCentre = 6;

// The printed quarter turn of the shells' and the line guns' angles.
constexpr f32 kQuarter = 1.5708f;

// Clamps the part's own angle to the quarter turns either side of its parent.
void ClampTurn(PartFrame& f, f32 limit) {
    if (f.part->angle < -limit) f.part->angle = -limit;
    if (f.part->angle > limit) f.part->angle = limit;
}

// Arms a part the phase gave no hit shape: marked, radius 45.
void ArmPart(PartFrame& f) {
    MarkPart(f);
    f.part->hitShape.radius = 45.0f;
}

// 549: side shells from the screen's edges toward where the player was, and
// an effect at that point a cycle later (which then follows the player). The
// aim point of each difficulty starts at (0, 0) at every stage load, so a
// fight's first effect is spawned there whatever an earlier fight in the
// same program left.
f32 g_sideAim[3][2] = {};

void ResetSideAim() {
    for (auto& aim : g_sideAim) aim[0] = aim[1] = 0.0f;
}

void Action549(PartFrame& f) {
    struct Row {
        i32 first, cycle;
        f32 topHigh;
    };
    static constexpr Row kRows[3] = {{500, 600, 100.0f}, {500, 600, 200.0f}, {300, 400, 300.0f}};
    const Row& r = ByDifficulty(f, kRows);
    if (f.part->timer < r.first) f.part->timer = r.first;
    const i32 t = T(f);
    f32* aim = g_sideAim[f.difficulty];
    const i32 m = t % r.cycle;
    if (m == r.cycle - 60) SpawnPartEffect(kEffectTargetWarning, aim);
    if (m == r.cycle - 10) {
        aim[0] = g_PlayerState[0].x;
        aim[1] = g_PlayerState[0].y;
    }
    if (m >= 80 || t % 10 != 0) return;
    auto sideShell = [&](f32 x, f32 y) {
        const f32 angle = static_cast<f32>(
            std::atan2(static_cast<f80>(aim[1]) - static_cast<f80>(y), static_cast<f80>(aim[0]) - static_cast<f80>(x)));
        const f32 p[2] = {x, y};
        FireShell(ShellOf(550, 500, -4.0f, 4, kShellSmall, angle), p);
    };
    const f32 y1 = RandomFloat(-50.0f, r.topHigh);
    sideShell(640.0f, y1);
    const f32 y2 = RandomFloat(-50.0f, 300.0f);
    sideShell(0.0f, y2);
    PlayShellSound();
}

// A fan of n lines of three bullets from (80, 0), `step` apart and centred on
// the facing, the speed running down by 0.1 from bullet to bullet within a
// line and carried into the next line.
void LineFan(PartFrame& f, i32 n, f32 step, f32 speed) {
    f32 muzzle[2];
    LocalPoint(f, 80.0f, 0.0f, muzzle);
    for (i32 j = 0; j < n; ++j) {
        const f32 h = f.angle + step * static_cast<f32>(j) - (step / 2.0f) * static_cast<f32>(n - 1);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, h, muzzle);
        speed -= 0.1f;
        FireBullet(kBulletNeedle, speed, kHitShapeBar, h, muzzle);
        speed -= 0.1f;
        FireBullet(kBulletNeedle, speed, kHitShapeBar, h, muzzle);
    }
}

// 550 and 551: the target guns: they turn toward the player, and fire
// growing fans in turn, 550 in the first part of every 200 frames and 551 in
// the second, and a long burst together.
void TargetGun(PartFrame& f, bool second) {
    TurnTowardPlayer(f, AimFrom(f.pos), 0.004f);
    ClampTurn(f, kHalfPi);
    const i32 t = T(f);
    if (t <= 100) return;
    const i32 m = t % 1000;
    const i32 u = t % 200;
    struct Row {
        f32 step1, speed1, step2, speed2;
        i32 lastLines;  // the most lines of a burst-1 fan
    };
    static constexpr Row kRows[3] = {
        {0.8f, 3.5f, 0.8f, 3.0f, 4}, {0.6f, 3.5f, 0.7f, 3.5f, 5}, {0.5f, 3.0f, 0.6f, 3.5f, 7}};
    const Row& r = ByDifficulty(f, kRows);
    const bool easy = f.difficulty == kDifficultyEasy;
    const i32 every = easy ? 15 : 10;
    const i32 v = second ? u - 100 : u;  // frames into the gun's half of the 200
    bool fire1 = m < 600 && v >= 0 && v <= every * r.lastLines && v % every == 0 && (easy || t % 10 == 0);
    if (!second && easy && m == 600) fire1 = true;  // u = 0: a sound only
    if (second && !easy && v == 0) fire1 = false;   // 551 starts at u = 110
    if (fire1) {
        LineFan(f, v / every, r.step1, r.speed1);
        SpacedSound(kSoundBulletBys1, 5);
    }
    const i32 w = m - 700;
    if (w >= 0 && w <= 100 && w % every == 0 && (easy || t % 10 == 0)) {
        LineFan(f, w / every, r.step2, r.speed2);
        SpacedSound(kSoundBulletBys1, 5);
    }
}

// 552 and 553: three streams turning a full turn every P frames (552 one way,
// 553 the other), in the first half of every 400 frames.
void TripleStream(PartFrame& f, f32 sense) {
    if (Outside(f)) return;
    struct Row {
        i32 from, every, period;
    };
    static constexpr Row kRows[3] = {{400, 20, 160}, {400, 10, 100}, {300, 5, 100}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < r.from || t % 400 >= 200 || t % r.every != 0) return;
    const f32 h = f.angle + sense * kTwoPi * static_cast<f32>(t % r.period) / static_cast<f32>(r.period);
    for (const f32 a : {-15.0f, 0.0f, 15.0f}) {
        f32 p[2];
        LocalPoint(f, a, 20.0f, p);
        FireBullet(kBulletPellet, 2.0f, kHitShapeSmall, h, p);
    }
    SpacedSound(kSoundBulletBys1, 5);
}

// A spiral volley: arms `firstArm`..`lastArm`, 2 pi / `arms` apart and turned
// by `phase`; three bullets per arm, `trail` apart in the `sign` sense; the
// first at `speed`, every further one `slower` below the one before it.
struct Spiral {
    i32 firstArm, lastArm, arms;
    f32 speed, slower, trail;
};
void SpiralVolley(PartFrame& f, const f32 from[2], const Spiral& s, f32 phase, f32 sign) {
    f32 speed = s.speed;
    for (i32 k = s.firstArm; k <= s.lastArm; ++k) {
        const f32 b = f.angle + static_cast<f32>(k) * (kTwoPi / static_cast<f32>(s.arms)) + phase;
        for (i32 i = 0; i < 3; ++i) {
            FireBullet(kBulletNeedle, speed, kHitShapeBar, b + static_cast<f32>(i) * sign * s.trail, from, b, 0);
            speed -= s.slower;
        }
    }
}

// The two sweeping windows of the spiral guns: A (the sweep backward) while
// t mod 500 is at most `aLast`, B (forward) from 200 to `bLast` of its
// period; one turn of the sweep takes `turn` frames.
struct SpiralWindows {
    i32 aFrom, aPeriod, aLast, bPeriod, bFirst, bLast, every, turn;
};
void SpiralWindowsStep(PartFrame& f, const SpiralWindows& w, auto volley) {
    const i32 t = T(f);
    if (t > w.aFrom && t % w.aPeriod <= w.aLast && t % w.every == 0) {
        volley(-kTwoPi * static_cast<f32>(t % 500) / static_cast<f32>(w.turn), -1.0f);
        PlayFireSound();
    }
    const i32 b = t % w.bPeriod;
    if (t > 500 && b >= w.bFirst && b <= w.bLast && t % w.every == 0) {
        volley(kTwoPi * static_cast<f32>(t % 500 - 200) / static_cast<f32>(w.turn), 1.0f);
        PlayFireSound();
    }
}

// 554: the spiral turret of the second phase, armed at timer M.
void Action554(PartFrame& f) {
    struct Row {
        i32 armAt;
        SpiralWindows windows;
        f32 trail;
    };
    static constexpr Row kRows[3] = {{500, {500, 500, 100, 500, 200, 300, 20, 200}, 0.05f},
                                     {500, {500, 500, 100, 500, 200, 300, 10, 200}, 0.05f},
                                     {300, {300, 300, 100, 300, 150, 250, 8, 200}, 0.03f}};
    const Row& r = ByDifficulty(f, kRows);
    if (T(f) == r.armAt) ArmPart(f);
    const Spiral spiral{-2, 1, 4, 2.0f, 0.05f, r.trail};
    SpiralWindowsStep(f, r.windows, [&](f32 phase, f32 sign) { SpiralVolley(f, f.pos, spiral, phase, sign); });
}

// 557 and 558: the aimed line guns, half a period apart.
void LineGun(PartFrame& f, bool second) {
    TurnTowardPlayer(f, AimFrom(f.pos), 0.004f);
    ClampTurn(f, kQuarter);
    struct Row {
        i32 period, muzzles;
        f32 spacing, speed;
    };
    static constexpr Row kRows[3] = {{80, 1, 10.0f, 3.5f}, {50, 1, 10.0f, 3.5f}, {50, 2, 8.0f, 4.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 0 || t % r.period != (second ? r.period / 2 : 0)) return;
    for (i32 m = -r.muzzles; m <= r.muzzles; ++m) {
        f32 p[2];
        LocalPoint(f, 80.0f, static_cast<f32>(m) * r.spacing, p);
        for (i32 i = 0; i < 6; ++i)
            FireBullet(kBulletNeedle, r.speed - 0.1f * static_cast<f32>(i), kHitShapeBar, f.angle, p);
    }
    PlayFireSound();
}

// 560: shells dropped from above the field, alternately left and right
// (HARD: anywhere).
void Action560(PartFrame& f) {
    struct Row {
        i32 every, leftEvery;
        f32 lo, hi;  // HARD's one range
    };
    static constexpr Row kRows[3] = {{80, 160, 0, 0}, {50, 100, 0, 0}, {50, 0, 160.0f, 480.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 300 || t % r.every != 0) return;
    f32 lo = r.lo;
    f32 hi = r.hi;
    if (r.leftEvery > 0) {
        const bool left = t % r.leftEvery == 0;
        lo = left ? 120.0f : 370.0f;
        hi = left ? 270.0f : 520.0f;
    }
    const f32 x = RandomFloat(lo, hi);
    const f32 p[2] = {x, -80.0f};
    FireShell(ShellOf(551, 200, 0.0f, 3, HitShape{0, 0, 40}, kQuarter), p);
}

// 562 and 563: the spiral guns of the third phase, each silent and out of the
// hit test until its guard (child 0 or 1 of the centre) falls.
void GuardedSpiral(PartFrame& f, i32 guard) {
    if (!ChildDestroyed(f.enemy, kCentre, guard)) return;
    if (f.part->hitShape.radius == 0.0f) ArmPart(f);
    struct Row {
        i32 every, turn;
        Spiral spiral;
    };
    static constexpr Row kRows[3] = {{12, 230, {-2, 1, 4, 2.0f, 0.05f, 0.05f}},
                                     {10, 190, {-2, 1, 4, 2.0f, 0.05f, 0.05f}},
                                     {10, 180, {-2, 2, 5, 3.0f, 0.1f, 0.03f}}};
    const Row& r = ByDifficulty(f, kRows);
    const SpiralWindows windows{500, 500, 100, 500, 200, 300, r.every, r.turn};
    SpiralWindowsStep(f, windows, [&](f32 phase, f32 sign) { SpiralVolley(f, f.pos, r.spiral, phase, sign); });
}

// 555 and 556: three streams 2 pi / 3 apart turning a full turn every 170
// frames (555 one way, 556 the other), in bursts at the start of every 20
// frames; armed at timer 500 while inside the field.
void ThreeWayGun(PartFrame& f, f32 sense) {
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t == 500) ArmPart(f);
    static constexpr i32 kFrom[3] = {1500, 1500, 500};
    i32 burst = f.difficulty == kDifficultyEasy ? 2 : 3;
    if (IsHard(f)) burst = t <= 1000 ? 3 : t <= 1500 ? 4 : t <= 2000 ? 5 : 6;
    if (t <= ByDifficulty(f, kFrom) || t % 20 >= burst) return;
    const f32 turn = sense * kTwoPi * static_cast<f32>(t % 170) / 170.0f;
    for (i32 j = 0; j < 3; ++j) {
        FireBullet(kBulletPellet, 2.0f, kHitShapeSmall, f.angle + kTwoPi * static_cast<f32>(j) / 3.0f + turn, f.pos);
    }
    PlayFireSound();
}

// 561: the centre of the last phase: shells lobbed ever faster from the
// start; hittable at timer M or once its four guards (roots 9 and 10, the
// centre's children 4 and 5) are down, and only then its own spiral.
void Action561(PartFrame& f) {
    struct Row {
        i32 lob[4];    // the lob interval, and after each threshold
        i32 after[3];  // the thresholds
        i32 armAt, every, turn;
    };
    static constexpr Row kRows[3] = {{{150, 120, 90, 60}, {1000, 2000, 3000}, 1000, 10, 140},
                                     {{100, 80, 50, 30}, {1000, 2000, 3000}, 1000, 5, 170},
                                     {{80, 60, 40, 20}, {500, 1000, 1500}, 500, 5, 170}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    i32 interval = r.lob[0];
    for (i32 i = 0; i < 3; ++i) {
        if (t > r.after[i]) interval = r.lob[i + 1];
    }
    if (t > 300 && t % interval == 0) {
        const bool left = t % (2 * interval) == 0;
        const f32 tx = left ? RandomFloat(120.0f, 320.0f) : RandomFloat(320.0f, 520.0f);
        const f32 from[2] = {f.pos[0], f.pos[1] - 50.0f};
        FireShell(ShellOf(553, 400, (tx - f.pos[0]) * 0.025f, 3, HitShape{0, 0, 40}, kQuarter), from);
        PlayShellSound();
    }
    const bool guarded = !(RootDestroyed(f.enemy, 9) && RootDestroyed(f.enemy, 10) &&
                           ChildDestroyed(f.enemy, kCentre, 4) && ChildDestroyed(f.enemy, kCentre, 5));
    if (f.part->hitShape.radius == 0.0f && (t >= r.armAt || !guarded)) ArmPart(f);
    if (guarded) return;
    const f32 from[2] = {f.pos[0], f.pos[1] - 150.0f};
    const SpiralWindows windows{500, 500, 150, 500, 200, 350, r.every, r.turn};
    SpiralWindowsStep(f, windows, [&](f32 phase, f32 sign) {
        for (i32 k = -2; k <= 1; ++k) {
            const f32 b = f.angle + static_cast<f32>(k) * kHalfPi + phase;
            FireBullet(kBulletNeedle, 3.0f, kHitShapeBar, b, from, b, 0);
            FireBullet(kBulletNeedle, 3.05f, kHitShapeBar, b + sign * 0.02f, from, b, 0);
            FireBullet(kBulletNeedle, 3.0f, kHitShapeBar, b + sign * 0.04f, from, b, 0);
        }
    });
}

// 14: the wreck's smoke on both sides, every 15 frames.
void Wreck14(PartFrame& f) {
    if (!EveryFrames(f, 15)) return;
    f32 p[2];
    LocalPoint(f, 0.0f, 50.0f, p);
    SpawnJitteredEffect(kEffectSmokePuff, p, 15.0f);
    LocalPoint(f, 0.0f, -50.0f, p);
    SpawnJitteredEffect(kEffectSmokePuff, p, 15.0f);
}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    // clang-format off
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13}, {14, Wreck14},       {501, Action501},
    {502, Action502},   {510, Action510},   {511, Action511},   {515, Action515},    {516, Action516},
    {520, Action520},   {521, Action521},   {522, Action522},   {525, Action525},    {530, Action530},
    {531, Action531},   {532, Action532},   {549, Action549},
    // clang-format on
    {550, [](PartFrame& f) { TargetGun(f, false); }},
    {551, [](PartFrame& f) { TargetGun(f, true); }},
    {552, [](PartFrame& f) { TripleStream(f, 1.0f); }},
    {553, [](PartFrame& f) { TripleStream(f, -1.0f); }},
    {554, Action554},
    {555, [](PartFrame& f) { ThreeWayGun(f, 1.0f); }},
    {556, [](PartFrame& f) { ThreeWayGun(f, -1.0f); }},
    {557, [](PartFrame& f) { LineGun(f, false); }},
    {558, [](PartFrame& f) { LineGun(f, true); }},
    {560, Action560},
    {561, Action561},
    {562, [](PartFrame& f) { GuardedSpiral(f, 0); }},
    {563, [](PartFrame& f) { GuardedSpiral(f, 1); }},
};

constexpr ActionTable kTable{.actions = kActions, .reset = ResetSideAim};

}  // namespace

const ActionTable& ActionsStage4() { return kTable; }

void RunPartActionStage4(PartFrame& frame) { RunActionByTable(kTable, frame); }
