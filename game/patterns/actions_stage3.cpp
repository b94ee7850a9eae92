// The attack patterns of stage index 2: one row per action id in the table at
// the end, the three difficulties' numbers in small tables. An id without a
// row does nothing.
//
// t is the part's timer after this frame's increment; P, A and the parent
// angle are the part's world position, its world angle and its parent's
// world angle (f.pos, f.angle, f.parentAngle). The field scrolls sideways in
// this stage: aim(Q) aims from Q moved by FieldScrollX (where the player sees
// it), aim0(Q) from Q as it is.
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kHalfPi = kPi / 2.0f;
constexpr f32 kTwoPi = 2.0f * kPi;

// Bullet kinds and the entries of DefaultHitShapes.
constexpr i32 kBullet101 = 101;
constexpr i32 kBullet102 = 102;
constexpr i32 kBullet103 = 103;
constexpr i32 kBullet390 = 390;
constexpr i32 kHS0 = 0;
constexpr i32 kHS1 = 1;

i32 T(const PartFrame& f) { return f.part->timer; }
bool Outside(const PartFrame& f) { return IsOutside(f.pos); }
Enemy& Owner(const PartFrame& f) { return g_EnemyList[static_cast<std::size_t>(f.enemy)]; }
bool Inactive(const PartFrame& f) { return Owner(f).active == 0; }

// aim(Q): the aim from Q as the player sees it (x moved by the field scroll).
f32 Aim(const f32 q[2]) {
    const f32 seen[2] = {q[0] + g_GameState.FieldScrollX, q[1]};
    return AimFrom(seen);
}

// ---- Shells (angle and heading alike) ----

constexpr HitShape kShellSmall{12, 10, 0};
constexpr HitShape kShellFlank{25, 12, 0};
constexpr HitShape kShellRocket{35, 15, 0};

void SlowMine(f32 heading, const f32 p[2]) { FireShell({204, 30, 1.0f, 3, kShellSmall, heading, heading}, p); }
void FanShell(f32 heading, const f32 p[2]) { FireShell({301, 30, 1.0f, 3, kShellSmall, heading, heading}, p); }
void FastShell(f32 heading, const f32 p[2]) { FireShell({302, 30, 5.0f, 3, kShellSmall, heading, heading}, p); }
void FlankShell(f32 heading, f32 speed, const f32 p[2]) {
    FireShell({310, 30, speed, 4, kShellFlank, heading, heading}, p);
}
void Rocket(f32 heading, const f32 p[2]) { FireShell({104, 150, 3.0f, 4, kShellRocket, heading, heading}, p); }

void ShellSound() { PlaySoundEffect(kSoundSenMiMisairu); }
void BurstSound() { PlaySoundEffect(kSoundSenGeTaihou01); }

// ---- The vocabulary of this stage ----

// Wobble: with k = 3 (enemy index mod 2), the part's offset x moves by +w
// when clock mod 10 is k + 1 and back when it is k + 6.
void Wobble(PartFrame& f, i32 clock, f32 w) {
    const i32 k = 3 * (f.enemy % 2);
    const i32 c = clock % 10;
    if (c == k + 1) {
        f.part->offsetX += w;
    } else if (c == k + 6) {
        f.part->offsetX -= w;
    }
}
void WobbleByTimer(PartFrame& f, f32 w) { Wobble(f, T(f), w); }
void WobbleByClock(PartFrame& f, f32 w) { Wobble(f, g_GameState.FrameCounter, w); }

// Smoke(r, 12) every 15 frames.
void Smoke(PartFrame& f, f32 r) {
    if (EveryFrames(f, 15)) SpawnJitteredEffect(12, f.pos, r);
}

// Ellipse burst(Q, n, a, b, k): every bullet (kind 102, shape entry 1)
// reaches the ellipse of half-axes a, b centred 200 pixels toward the player
// after 1 / k frames.
void EllipseBurst(const f32 q[2], i32 n, f32 a, f32 b, f32 k) {
    const f32 ang = AimFrom(q);
    const f32 cx = 200.0f * std::cos(ang);
    const f32 cy = 200.0f * std::sin(ang);
    for (i32 i = 0; i < n; ++i) {
        const f32 t = kTwoPi * static_cast<f32>(i) / static_cast<f32>(n);
        f32 v[2] = {a * std::cos(t), b * std::sin(t)};
        RotateVector2(v, ang);
        v[0] += cx;
        v[1] += cy;
        FireBullet(kBullet102, std::sqrt(v[0] * v[0] + v[1] * v[1]) * k, kHS1, std::atan2(v[1], v[0]), q);
    }
}

// Graded fan(Q, m, d): 2m + 1 bullets 101 at Q, headings aim(Q) + i d, the
// outer ones slower.
void GradedFan(const f32 q[2], i32 m, f32 d) {
    const f32 b = Aim(q);
    for (i32 i = -m; i <= m; ++i) {
        FireBullet(kBullet101, 3.5f - static_cast<f32>(std::abs(i)) * 0.25f, kHS0, b + static_cast<f32>(i) * d, q);
    }
}

// ---- Turrets 301-306 ----
//
// The first id of a pair turns the part's angle up by its step each frame,
// the second down; both fire alike. Inside the field and above y 300 they
// fire when 8 < t < W and t mod k = 0; then at t = 1 and after t > T the
// timer restarts at 2 and the pair member that turns toward the player takes
// over.
struct TurretRow {
    f32 step;
    i32 w, k, t;
};

template <void (*Fire)(PartFrame&), i32 First>
void Turret(PartFrame& f, const TurretRow& r, f32 direction) {
    if (Outside(f)) return;
    f.part->angle += direction * r.step;
    const i32 t = T(f);
    if (t > 8 && t < r.w && t % r.k == 0 && f.pos[1] < 300.0f) Fire(f);
    if (t == 1 || t > r.t) {
        f.part->timer = 2;
        f32 angle = f.part->angle;
        const i32 turn = GetTurnDirection(&angle, AimFrom(f.pos) - f.parentAngle);
        f.part->angle = angle;
        f.part->action = turn == 1 ? First : First + 1;
    }
}

// 301/302: one bullet along the world angle.
void FireSingle(PartFrame& f) {
    FireBullet(kBullet101, 3.5f, kHS0, f.angle, f.pos);
    SpacedSound(kSoundBulletBys1, 4);
}
constexpr TurretRow kTurret301{0.015f, 50, 8, 100};

// 303/304: three bullets from a muzzle 40 out along each heading (HARD: a
// second bullet at each, 0.2 lower, turned as the first).
struct ThreeWayRow {
    f32 spread;
    bool doubled;
};
constexpr ThreeWayRow kThreeWay[3] = {{0.25f, false}, {0.4f, false}, {0.35f, true}};
void FireThreeWay(PartFrame& f) {
    const ThreeWayRow& r = ByDifficulty(f, kThreeWay);
    for (i32 i = -1; i <= 1; ++i) {
        const f32 h = f.angle + r.spread * static_cast<f32>(i);
        f32 v[2] = {40.0f, 0.0f};
        RotateVector2(v, h);
        const f32 p[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
        FireBullet(kBullet101, 3.5f, kHS0, h, p);
        if (r.doubled) FireBullet(kBullet101, 3.5f, kHS0, h - 0.2f, p, h, 0);
    }
    SpacedSound(kSoundBulletBys1, 2, kSoundMg);
}
constexpr TurretRow kTurret303[3] = {{0.01f, 50, 16, 150}, {0.02f, 50, 12, 100}, {0.02f, 50, 10, 70}};

// 305/306: a flame (effect 101) from a muzzle 50 out (HARD: two, 0.3 to
// either side).
void FireFlame(PartFrame& f) {
    f32 m[2];
    LocalPoint(f, 50.0f, 0.0f, m);
    if (f.difficulty == 2) {
        SpawnEffect(101, m, f.angle - 0.3f, -1);
        SpawnEffect(101, m, f.angle + 0.3f, -1);
    } else {
        SpawnEffect(101, m, f.angle, -1);
    }
    SpacedSound(kSoundFire, 4);
}
constexpr TurretRow kTurret305[3] = {{0.02f, 50, 4, 120}, {0.02f, 50, 4, 80}, {0.025f, 60, 4, 70}};

void Action301(PartFrame& f) { Turret<FireSingle, 301>(f, kTurret301, 1.0f); }
void Action302(PartFrame& f) { Turret<FireSingle, 301>(f, kTurret301, -1.0f); }
void Action303(PartFrame& f) { Turret<FireThreeWay, 303>(f, ByDifficulty(f, kTurret303), 1.0f); }
void Action304(PartFrame& f) { Turret<FireThreeWay, 303>(f, ByDifficulty(f, kTurret303), -1.0f); }
void Action305(PartFrame& f) { Turret<FireFlame, 305>(f, ByDifficulty(f, kTurret305), 1.0f); }
void Action306(PartFrame& f) { Turret<FireFlame, 305>(f, ByDifficulty(f, kTurret305), -1.0f); }

// ---- Single parts 300-331 ----

// 300: the gunship's slow mines to both sides and aimed twin bullets.
void Action300(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 from;
        i32 mineAt[3];
        i32 mineCount;
        i32 width, every;
        f32 jitter;
    };
    static constexpr Row kRows[3] = {
        {200, {100, 0, 0}, 1, 20, 4, 0.2f}, {100, {100, 120, 0}, 2, 40, 4, 0.2f}, {100, {100, 120, 140}, 3, 50, 3, 0.3f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t >= r.from) {
        // The same shell frames 100 later in each 300.
        for (i32 i = 0; i < r.mineCount; ++i) {
            const i32 u = t % 300;
            if (u != r.mineAt[i] && u != r.mineAt[i] + 100) continue;
            const f32 widen = f.difficulty == 2 ? 0.015f * static_cast<f32>(t % 100) : 0.0f;
            SlowMine(f.angle - 2.0f - widen, f.pos);
            SlowMine(f.angle + 2.0f + widen, f.pos);
            ShellSound();
        }
    }
    if (t >= r.from && t % 100 < r.width && t % r.every == 0) {
        for (const f32 side : {-24.0f, 24.0f}) {
            f32 p[2];
            LocalPoint(f, 16.0f, side, p);
            const f32 heading = Aim(p) + RandomFloat(-r.jitter, r.jitter);
            FireBullet(kBullet101, 4.0f, kHS0, heading, p);
        }
        PlayFireSound();
    }
}

// 310: the barge hull's shell fans backward and side bullets.
void Action310(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 pairs;
        f32 pairStep;
        bool bullets;
        i32 last, count;
        f32 step, speed;
    };
    static constexpr Row kRows[3] = {
        {2, 0.8f, false, 0, 0, 0.0f, 0.0f}, {3, 0.5f, true, 205, 3, 0.4f, 2.5f}, {3, 0.5f, true, 215, 4, 0.3f, 3.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t == 100 || t == 400) {
        for (i32 i = 1; i <= r.pairs; ++i) {
            FastShell(f.angle + kPi + r.pairStep * static_cast<f32>(i), f.pos);
            FastShell(f.angle + kPi - r.pairStep * static_cast<f32>(i), f.pos);
        }
        ShellSound();
    }
    const i32 u = t % 300;
    if (r.bullets && u >= 200 && u <= r.last && t % 5 == 0) {
        for (const f32 side : {1.0f, -1.0f}) {
            for (i32 i = -(r.count - 1); i <= 0; ++i) {
                const f32 h = f.angle + side * (kHalfPi + r.step * static_cast<f32>(i));
                f32 v[2] = {40.0f, 0.0f};
                RotateVector2(v, h);
                const f32 p[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
                FireBullet(kBullet101, r.speed, kHS0, h, p);
            }
        }
        PlayFireSound();
    }
}

// 320: a fighter's aimed twin shots in bursts.
void Action320(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 after, period;
        i32 at[3];
        i32 count;
        f32 speed;
    };
    static constexpr Row kRows[3] = {
        {50, 120, {80, 88, 0}, 2, 3.0f}, {50, 80, {60, 68, 76}, 3, 3.0f}, {20, 50, {30, 35, 40}, 3, 3.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= r.after) return;
    bool fires = false;
    for (i32 i = 0; i < r.count; ++i) fires = fires || t % r.period == r.at[i];
    if (!fires) return;
    for (const f32 side : {-24.0f, 24.0f}) {
        f32 p[2];
        LocalPoint(f, 16.0f, side, p);
        FireBullet(kBullet101, r.speed, kHS0, Aim(p), p);
    }
    PlayFireSound();
}

// 321: the small craft's aimed shots while it comes in.
void Action321(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 every, from;
    };
    static constexpr Row kRows[3] = {{35, 101}, {35, 51}, {25, 51}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % r.every != 0 || t < r.from || t > 199) return;
    f32 heading = AimFrom(f.pos);
    // HARD adds 0.3 through a draw whose bounds are equal: one value consumed.
    if (f.difficulty == 2) heading += RandomFloat(0.3f, 0.3f);
    FireBullet(kBullet103, 3.0f, kHS1, heading, f.pos);
    PlayFireSound();
}

// 322: the tail's fan of slow shells.
void Action322(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 m;
        f32 step;
    };
    static constexpr Row kRows[3] = {{2, 0.5f}, {4, 0.4f}, {6, 0.35f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t != 100 && t != 400) return;
    for (i32 i = -r.m; i <= r.m; ++i) FanShell(f.angle + r.step * static_cast<f32>(i), f.pos);
    BurstSound();
}

// 323: the wings' sweeping streams (kind 325 sweeps one way, 326 the other).
void Action323(PartFrame& f) {
    struct Row {
        i32 width, every;
        f32 step;
        i32 centre;
    };
    static constexpr Row kRows[3] = {{40, 8, 0.04f, 40}, {40, 6, 0.04f, 40}, {60, 4, 0.05f, 50}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 u = t % 100;
    if (t < 200 || u > r.width || t % r.every != 0) return;
    const f32 sweep = r.step * static_cast<f32>(u - r.centre);
    const f32 heading = f.part->spriteKind == 325 ? f.angle + sweep : f.angle - sweep;
    FireBullet(kBullet102, 1.0f + 0.1f * static_cast<f32>(u), kHS1, heading, f.pos);
    PlayFireSound();
}

// The turn of 330 and 331, every frame before anything else.
void TrackPlayer(PartFrame& f) { TurnTowardPlayer(f, Aim(f.pos), 0.0075f); }

// 330: a tracking gun's volleys of 102 from its muzzle.
void Action330(PartFrame& f) {
    TrackPlayer(f);
    if (Outside(f)) return;
    struct Row {
        i32 after, every;
        bool lead;        // a first bullet along A
        f32 leadSpeed;
        f32 jitter[4];    // 0: no draw
        f32 speeds[4];
        i32 count;
    };
    static constexpr Row kRows[3] = {{50, 60, false, 0.0f, {0, 0, 0, 0}, {3.0f, 2.8f, 2.6f, 0}, 3},
                                     {30, 40, true, 3.5f, {0.1f, 0.1f, 0.1f, 0}, {3.3f, 3.1f, 2.9f, 0}, 3},
                                     {20, 30, true, 4.0f, {0.2f, 0.3f, 0.4f, 0.5f}, {3.8f, 3.6f, 3.4f, 3.2f}, 4}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= r.after || t % r.every != 0) return;
    f32 m[2];
    LocalPoint(f, 20.0f, 0.0f, m);
    if (r.lead) FireBullet(kBullet102, r.leadSpeed, kHS1, f.angle, m);
    for (i32 i = 0; i < r.count; ++i) {
        f32 heading = f.angle;
        if (r.jitter[i] > 0.0f) heading += RandomFloat(-r.jitter[i], r.jitter[i]);
        FireBullet(kBullet102, r.speeds[i], kHS1, heading, m);
    }
    SpacedSound(kSoundMg, 5);
}

// 331: a tracking launcher's rocket (HARD: with a spray of ten bullets).
void Action331(PartFrame& f) {
    TrackPlayer(f);
    if (Outside(f)) return;
    static constexpr i32 kPeriod[3] = {100, 70, 70};
    const i32 t = T(f);
    if (t <= 50 || t % ByDifficulty(f, kPeriod) != 60) return;
    f32 m[2];
    LocalPoint(f, 30.0f, 0.0f, m);
    Rocket(f.angle, m);
    if (f.difficulty == 2) {
        for (i32 i = 0; i < 10; ++i) {
            const f32 heading = f.angle + RandomFloat(-0.4f, 0.4f);
            const f32 speed = RandomFloat(0.0f, 2.0f) + 1.5f;
            FireBullet(kBullet103, speed, kHS1, heading, m);
        }
    }
    ShellSound();
}

// ---- Smoke, drift and wobble ----

// 336 and 339: a tower shot off a fortress sinks smoking and turns into
// plain smoke (11) at t = `until`.
void SinkingTower(PartFrame& f, i32 until) {
    Owner(f).y += 1.5f;
    Smoke(f, 25.0f);
    if (T(f) == until) f.part->action = 11;
}
void Action336(PartFrame& f) { SinkingTower(f, 100); }
void Action339(PartFrame& f) { SinkingTower(f, 80); }
void Action337(PartFrame& f) { WobbleByTimer(f, 1.0f); }
void Action338(PartFrame& f) { WobbleByTimer(f, 2.0f); }
void Action370(PartFrame& f) { WobbleByClock(f, 2.0f); }
void Action380(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    Smoke(f, 40.0f);
}

// ---- Fortress parts 340-353 ----

// The spinning star of 340 (b) and 341: while P is above y 200, bullets 101
// at (-10, 0) on an absolute star that turns one way in even periods and the
// other in odd ones.
struct StarRow {
    i32 period, width, n;
    f32 step;
    i32 turn;
    f32 speed;
};
constexpr StarRow kStar[3] = {{80, 10, 5, 0.2f, 250, 2.0f}, {50, 10, 5, 0.2f, 140, 2.0f}, {40, 8, 8, 0.125f, 110, 2.5f}};
void Star(PartFrame& f, const StarRow& r) {
    const i32 t = T(f);
    if (!(f.pos[1] < 200.0f) || t < 501 || t % r.period > r.width || t % 2 != 0) return;
    f32 m[2];
    LocalPoint(f, -10.0f, 0.0f, m);
    const f32 spin = static_cast<f32>(t % r.turn) / static_cast<f32>(r.turn);
    const f32 sign = (t / r.period) % 2 == 0 ? 1.0f : -1.0f;
    for (i32 i = 0; i < r.n; ++i) {
        FireBullet(kBullet101, r.speed, kHS0, kTwoPi * (r.step * static_cast<f32>(i) + sign * spin), m);
    }
    PlayFireSound();
}

// 340: the bow's ellipse bursts, then the star.
void Action340(PartFrame& f) {
    WobbleByTimer(f, 1.0f);
    if (Outside(f)) return;
    struct Row {
        i32 first, last, every;
        f32 a, b;
    };
    static constexpr Row kRows[3] = {{400, 500, 50, 15.0f, 40.0f}, {400, 500, 50, 20.0f, 60.0f}, {400, 500, 25, 30.0f, 80.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t >= r.first && t <= r.last && (t - r.first) % r.every == 0) {
        f32 m[2];
        LocalPoint(f, 50.0f, 0.0f, m);
        EllipseBurst(m, 12, r.a, r.b, 0.0125f);
        BurstSound();
        return;
    }
    Star(f, ByDifficulty(f, kStar));
}

// 341: the stern's star once the tower and the bow have fallen; it keeps its
// fortress sinking while it is below y 200.
void Action341(PartFrame& f) {
    WobbleByTimer(f, 1.0f);
    if (f.pos[1] > 200.0f) Owner(f).y += 1.5f;
    if (Outside(f)) return;
    for (const i32 root : {5, 8}) {
        const i32 slot = Owner(f).rootParts[root];
        const EnemyPart* part = PartAt(slot);
        if (part != nullptr && part->state == 1) return;
    }
    StarRow r = ByDifficulty(f, kStar);
    if (f.difficulty == 2) r.speed = 2.0f;
    Star(f, r);
}

// 350: backward shell fans every 300 frames.
void Action350(PartFrame& f) {
    WobbleByTimer(f, 2.0f);
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t < 100 || t % 300 != 0) return;
    for (i32 i = 1; i <= 3; ++i) {
        FastShell(f.angle + kPi + 0.6f * static_cast<f32>(i), f.pos);
        FastShell(f.angle + kPi - 0.6f * static_cast<f32>(i), f.pos);
    }
    BurstSound();
}

// The flank shell pairs of 351 and 353: r = RandomFloat(0.8, 2.6), shells 310
// backward at r to either side.
void FlankPairs(PartFrame& f) {
    const i32 t = T(f);
    if (t < 100 || t % 300 > 40 || t % 4 != 0) return;
    const f32 r = RandomFloat(0.8f, 2.6f);
    FlankShell(f.angle + r + kPi, 10.0f, f.pos);
    FlankShell(f.angle - r + kPi, 10.0f, f.pos);
    BurstSound();
}

// 351: flank shell pairs while the enemy is armed.
void Action351(PartFrame& f) {
    WobbleByTimer(f, 2.0f);
    if (Outside(f) || Inactive(f)) return;
    FlankPairs(f);
}

// 352: the long craft's guns: ellipse bursts at the player.
void Action352(PartFrame& f) {
    if (Outside(f) || Inactive(f)) return;
    struct Row {
        i32 p1, p2, n;
        f32 a, b, k;
    };
    static constexpr Row kRows[3] = {
        {500, 600, 9, 70.0f, 160.0f, 1.0f / 70.0f}, {400, 500, 12, 80.0f, 200.0f, 0.0125f}, {350, 450, 18, 80.0f, 240.0f, 0.01f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < 200 || (t % r.p1 != 0 && t % r.p2 != 0)) return;
    EllipseBurst(f.pos, r.n, r.a, r.b, r.k);
    BurstSound();
}

// 353: the flank shell pairs and two aimed columns of five from below the
// part.
void Action353(PartFrame& f) {
    WobbleByTimer(f, 2.0f);
    if (Outside(f) || Inactive(f)) return;
    FlankPairs(f);
    const i32 t = T(f);
    if (t < 200 || t % 250 != 0) return;
    for (const f32 dx : {25.0f, -25.0f}) {
        const f32 q[2] = {f.pos[0] + dx, f.pos[1] + 50.0f};
        const f32 heading = Aim(q);
        for (i32 i = 0; i < 5; ++i) FireBullet(kBullet101, 3.0f + 0.1f * static_cast<f32>(i), kHS0, heading, q);
    }
}

// ---- The mid-boss 390-392 ----

struct FanRow {
    i32 m;
    f32 d;
};
constexpr FanRow kGradedFan[3] = {{6, 0.45f}, {8, 0.3f}, {10, 0.25f}};

// 390: graded fans in the first 60 frames of every 300.
void Action390(PartFrame& f) {
    static constexpr i32 kEvery[3] = {20, 20, 15};
    const i32 t = T(f);
    if (t % 300 >= 60 || t % ByDifficulty(f, kEvery) != 1) return;
    const FanRow& r = ByDifficulty(f, kGradedFan);
    GradedFan(f.pos, r.m, r.d);
    PlayFireSound();
}

// 391: the arms' rings of aimed bullets (HARD: an arc opened toward the
// player).
void Action391(PartFrame& f) {
    const i32 u = T(f) % 300;
    if (f.difficulty == 2) {
        if (u != 110 && u != 90 && u != 130) return;
        const f32 b = Aim(f.pos);
        for (i32 i = -6; i <= 6; ++i) {
            f32 v[2] = {80.0f, 0.0f};
            RotateVector2(v, b + kPi * static_cast<f32>(i) / 6.0f);
            const f32 q[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
            FireBullet(kBullet101, 3.8f - 0.2f * static_cast<f32>(std::abs(i)), kHS0, Aim(q), q);
        }
    } else {
        const bool easy = f.difficulty == 0;
        if (u != 110 && (easy || u != 130)) return;
        const i32 n = easy ? 12 : 20;
        for (i32 i = 0; i < n; ++i) {
            f32 v[2] = {80.0f, 0.0f};
            RotateVector2(v, kTwoPi * static_cast<f32>(i) / static_cast<f32>(n));
            const f32 q[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
            FireBullet(kBullet101, easy ? 3.0f : 3.5f, kHS0, Aim(q), q);
        }
    }
    PlaySoundEffect(kSoundBulletBys1);
}

// 392: the leaving mid-boss's graded fans (EASY: in its first 100 frames
// only).
void Action392(PartFrame& f) {
    const i32 t = T(f);
    if (f.difficulty == 0) {
        if (t >= 100 || t % 15 != 1) return;
    } else if (t % 300 >= 100 || t % 10 != 1) {
        return;
    }
    const FanRow& r = ByDifficulty(f, kGradedFan);
    GradedFan(f.pos, r.m, r.d);
    PlayFireSound();
}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13}, {300, Action300}, {301, Action301},
    {302, Action302},   {303, Action303},   {304, Action304},   {305, Action305}, {306, Action306},
    {310, Action310},   {320, Action320},   {321, Action321},   {322, Action322}, {323, Action323},
    {330, Action330},   {331, Action331},   {336, Action336},   {337, Action337}, {338, Action338},
    {339, Action339},   {340, Action340},   {341, Action341},   {350, Action350}, {351, Action351},
    {352, Action352},   {353, Action353},   {370, Action370},   {380, Action380}, {390, Action390},
    {391, Action391},   {392, Action392},
};

// The turrets hand their parts the other member of their pair; 336 and 339
// end in smoke 11.
constexpr i32 kWrittenActions[] = {11, 301, 302, 303, 304, 305, 306};

constexpr ActionTable kTable{
    .actions = kActions,
    .writesActions = kWrittenActions,
};

}  // namespace

const ActionTable& ActionsStage3() { return kTable; }

void RunPartActionStage3(PartFrame& frame) { RunActionByTable(kTable, frame); }

void StepPartStage3Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage3, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage3Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage3, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage3Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage3, 2, enemy, part, parentPos, parentAngle);
}
