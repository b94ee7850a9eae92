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

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/bullet_kinds.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

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

constexpr HitShape kShellFlank{25, 12, 0};
constexpr HitShape kShellMine{16, 9, 0};

void SlowMine(f32 heading, const f32 p[2]) { FireShell({204, 30, 1.0f, 3, kShellSmall, heading, heading}, p); }
void FanShell(f32 heading, const f32 p[2]) { FireShell({301, 30, 1.0f, 3, kShellSmall, heading, heading}, p); }
void FastShell(f32 heading, const f32 p[2]) { FireShell({302, 30, 5.0f, 3, kShellSmall, heading, heading}, p); }
void FlankShell(f32 heading, f32 speed, i32 strength, const f32 p[2]) {
    FireShell({310, 30, speed, strength, kShellFlank, heading, heading}, p);
}
void Rocket(f32 heading, const f32 p[2]) { FireShell({104, 150, 3.0f, 4, kShellRocket, heading, heading}, p); }
// The heavy shell of 1312 at the difficulty's speed.
void HeavyShell(f32 speed, f32 heading, const f32 p[2]) {
    FireShell({104, 150, speed, 4, kShellRocket, heading, heading}, p);
}
// The big shell of 372.
void BigShell(f32 heading, const f32 p[2]) { FireShell({210, 150, 3.0f, 3, kShellRocket, heading, heading}, p); }
// The paired shells of 373 and 375 (kind 391 or 392).
void PairShell(i32 kind, f32 heading, const f32 p[2]) {
    FireShell({kind, 50, 6.0f, 3, kShellSmall, heading, heading}, p);
}
// The shell of 1301, thrown backward.
void BackShell(f32 heading, const f32 p[2]) { FireShell({393, 50, -4.0f, 3, kShellSmall, heading, heading}, p); }
// The mine (shell 390): its speed drawn first, then its absolute heading.
void Mine(const f32 p[2]) {
    const f32 speed = RandomFloat(-1.0f, 1.0f) - 5.0f;
    const f32 heading = RandomFloat(-2.0f, 2.0f);
    FireShell({390, 100, speed, 1, kShellMine, heading, heading}, p);
}
// The shell that falls from the top of the field (angle 0).
void Faller(f32 heading, const f32 p[2]) { FireShell({380, 200, 3.0f, 4, HitShape{0, 0, 35}, 0.0f, heading}, p); }

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
    if (EveryFrames(f, 15)) SpawnJitteredEffect(kEffectSmokeCloud, f.pos, r);
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
        FireBullet(kBulletPelletAlt, std::sqrt(v[0] * v[0] + v[1] * v[1]) * k, kHitShapeSmall, std::atan2(v[1], v[0]),
                   q);
    }
}

// Graded fan(Q, m, d): 2m + 1 bullets 101 at Q, headings aim(Q) + i d, the
// outer ones slower.
void GradedFan(const f32 q[2], i32 m, f32 d) {
    const f32 b = Aim(q);
    for (i32 i = -m; i <= m; ++i) {
        FireBullet(kBulletNeedle, 3.5f - static_cast<f32>(std::abs(i)) * 0.25f, kHitShapeBar,
                   b + static_cast<f32>(i) * d, q);
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
    FireBullet(kBulletNeedle, 3.5f, kHitShapeBar, f.angle, f.pos);
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
        FireBullet(kBulletNeedle, 3.5f, kHitShapeBar, h, p);
        if (r.doubled) FireBullet(kBulletNeedle, 3.5f, kHitShapeBar, h - 0.2f, p, h, 0);
    }
    SpacedSound(kSoundBulletBys1, 2, kSoundMg);
}
constexpr TurretRow kTurret303[3] = {{0.01f, 50, 16, 150}, {0.02f, 50, 12, 100}, {0.02f, 50, 10, 70}};

// 305/306: a flame (effect 101) from a muzzle 50 out (HARD: two, 0.3 to
// either side).
void FireFlame(PartFrame& f) {
    f32 m[2];
    LocalPoint(f, 50.0f, 0.0f, m);
    if (IsHard(f)) {
        SpawnEffect(kEffectFlame, m, f.angle - 0.3f, -1);
        SpawnEffect(kEffectFlame, m, f.angle + 0.3f, -1);
    } else {
        SpawnEffect(kEffectFlame, m, f.angle, -1);
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
    static constexpr Row kRows[3] = {{200, {100, 0, 0}, 1, 20, 4, 0.2f},
                                     {100, {100, 120, 0}, 2, 40, 4, 0.2f},
                                     {100, {100, 120, 140}, 3, 50, 3, 0.3f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t >= r.from) {
        // The same shell frames 100 later in each 300.
        for (i32 i = 0; i < r.mineCount; ++i) {
            const i32 u = t % 300;
            if (u != r.mineAt[i] && u != r.mineAt[i] + 100) continue;
            const f32 widen = IsHard(f) ? 0.015f * static_cast<f32>(t % 100) : 0.0f;
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
            FireBullet(kBulletNeedle, 4.0f, kHitShapeBar, heading, p);
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
                FireBullet(kBulletNeedle, r.speed, kHitShapeBar, h, p);
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
        FireBullet(kBulletNeedle, r.speed, kHitShapeBar, Aim(p), p);
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
    if (IsHard(f)) heading += RandomFloat(0.3f, 0.3f);
    FireBullet(kBulletPellet, 3.0f, kHitShapeSmall, heading, f.pos);
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
    FireBullet(kBulletPelletAlt, 1.0f + 0.1f * static_cast<f32>(u), kHitShapeSmall, heading, f.pos);
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
        bool lead;  // a first bullet along A
        f32 leadSpeed;
        f32 jitter[4];  // 0: no draw
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
    if (r.lead) FireBullet(kBulletPelletAlt, r.leadSpeed, kHitShapeSmall, f.angle, m);
    for (i32 i = 0; i < r.count; ++i) {
        f32 heading = f.angle;
        if (r.jitter[i] > 0.0f) heading += RandomFloat(-r.jitter[i], r.jitter[i]);
        FireBullet(kBulletPelletAlt, r.speeds[i], kHitShapeSmall, heading, m);
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
    if (IsHard(f)) {
        for (i32 i = 0; i < 10; ++i) {
            const f32 heading = f.angle + RandomFloat(-0.4f, 0.4f);
            const f32 speed = RandomFloat(0.0f, 2.0f) + 1.5f;
            FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, m);
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
constexpr StarRow kStar[3] = {
    {80, 10, 5, 0.2f, 250, 2.0f}, {50, 10, 5, 0.2f, 140, 2.0f}, {40, 8, 8, 0.125f, 110, 2.5f}};
void Star(PartFrame& f, const StarRow& r) {
    const i32 t = T(f);
    if (!(f.pos[1] < 200.0f) || t < 501 || t % r.period > r.width || t % 2 != 0) return;
    f32 m[2];
    LocalPoint(f, -10.0f, 0.0f, m);
    const f32 spin = static_cast<f32>(t % r.turn) / static_cast<f32>(r.turn);
    const f32 sign = (t / r.period) % 2 == 0 ? 1.0f : -1.0f;
    for (i32 i = 0; i < r.n; ++i) {
        FireBullet(kBulletNeedle, r.speed, kHitShapeBar, kTwoPi * (r.step * static_cast<f32>(i) + sign * spin), m);
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
    static constexpr Row kRows[3] = {
        {400, 500, 50, 15.0f, 40.0f}, {400, 500, 50, 20.0f, 60.0f}, {400, 500, 25, 30.0f, 80.0f}};
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
    if (IsHard(f)) r.speed = 2.0f;
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
    FlankShell(f.angle + r + kPi, 10.0f, 4, f.pos);
    FlankShell(f.angle - r + kPi, 10.0f, 4, f.pos);
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
    static constexpr Row kRows[3] = {{500, 600, 9, 70.0f, 160.0f, 1.0f / 70.0f},
                                     {400, 500, 12, 80.0f, 200.0f, 0.0125f},
                                     {350, 450, 18, 80.0f, 240.0f, 0.01f}};
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
        for (i32 i = 0; i < 5; ++i)
            FireBullet(kBulletNeedle, 3.0f + 0.1f * static_cast<f32>(i), kHitShapeBar, heading, q);
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
    if (IsHard(f)) {
        if (u != 110 && u != 90 && u != 130) return;
        const f32 b = Aim(f.pos);
        for (i32 i = -6; i <= 6; ++i) {
            f32 v[2] = {80.0f, 0.0f};
            RotateVector2(v, b + kPi * static_cast<f32>(i) / 6.0f);
            const f32 q[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
            FireBullet(kBulletNeedle, 3.8f - 0.2f * static_cast<f32>(std::abs(i)), kHitShapeBar, Aim(q), q);
        }
    } else {
        const bool easy = f.difficulty == kDifficultyEasy;
        if (u != 110 && (easy || u != 130)) return;
        const i32 n = easy ? 12 : 20;
        for (i32 i = 0; i < n; ++i) {
            f32 v[2] = {80.0f, 0.0f};
            RotateVector2(v, kTwoPi * static_cast<f32>(i) / static_cast<f32>(n));
            const f32 q[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
            FireBullet(kBulletNeedle, easy ? 3.0f : 3.5f, kHitShapeBar, Aim(q), q);
        }
    }
    PlaySoundEffect(kSoundBulletBys1);
}

// 392: the leaving mid-boss's graded fans (EASY: in its first 100 frames
// only).
void Action392(PartFrame& f) {
    const i32 t = T(f);
    if (f.difficulty == kDifficultyEasy) {
        if (t >= 100 || t % 15 != 1) return;
    } else if (t % 300 >= 100 || t % 10 != 1) {
        return;
    }
    const FanRow& r = ByDifficulty(f, kGradedFan);
    GradedFan(f.pos, r.m, r.d);
    PlayFireSound();
}

// ---- Boss parts of the first set: 371-375, 1301-1303 ----

// A ring of n bullets 390 (shape entry 0) along A + 2 pi i / n, every fourth
// faster.
void Ring390(const PartFrame& f, i32 n, f32 fast, f32 slow) {
    for (i32 i = 0; i < n; ++i) {
        const f32 heading = f.angle + kTwoPi * static_cast<f32>(i) / static_cast<f32>(n);
        FireBullet(kBulletNeedleBraking, i % 4 == 0 ? fast : slow, kHitShapeBar, heading, f.pos);
    }
}

// 371: a sweeping stream, a spray of mines and a ring, repeating every 1000
// frames after the first.
void Action371(PartFrame& f) {
    if (f.part->timer > 1000) f.part->timer -= 1000;
    if (Inactive(f)) return;
    const i32 t = T(f);
    if (t >= 100 && t < 500) {
        if (t % 100 <= 50 && t % 5 == 0) {
            const f32 u = static_cast<f32>((t - 100) % 50) / 50.0f;
            const f32 sweep = 1.5f * u * std::sin(kTwoPi * u);
            FireBullet(kBulletNeedle, 3.0f, kHitShapeBar, f.angle + sweep, f.pos);
        } else {
            TurnTowardPlayer(f, Aim(f.pos), 0.01f);
        }
    }
    if (t >= 600 && t <= 650 && t % 5 == 0) Mine(f.pos);
    if (t >= 700 && t <= 800 && t % 100 == 0) Ring390(f, 16, 8.0f, 6.0f);
}

// 372: one big shell at t 50; the part falls silent from t 101.
void Action372(PartFrame& f) {
    const i32 t = T(f);
    if (t == 50) {
        f32 m[2];
        LocalPoint(f, 50.0f, 0.0f, m);
        BigShell(f.angle, m);
        PlaySoundEffect(kSoundFire);
    }
    if (t >= 101) {
        f.part->action = 0;
        f.part->timer = 0;
    }
}

// The shell pairs of 373 and 375: kind 391 or 392, r = RandomFloat(0, 3),
// backward at r to either side.
void PairShells(PartFrame& f, i32 kind) {
    const f32 r = RandomFloat(0.0f, 3.0f);
    PairShell(kind, f.angle + r + kPi, f.pos);
    PairShell(kind, f.angle - r + kPi, f.pos);
    BurstSound();
}

// 373: shell pairs in the first 41 frames of every 400.
void Action373(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    if (Outside(f) || Inactive(f)) return;
    const i32 t = T(f);
    if (t >= 100 && t % 400 <= 40 && t % 4 == 0) PairShells(f, 391 + (t % 8) / 4);
}

// 374: the fortress's last part: it turns to the player and flames three
// ways.
void Action374(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        f32 turn;
        i32 after;
    };
    static constexpr Row kRows[3] = {{0.01f, 70}, {0.0125f, 70}, {0.015f, 40}};
    const Row& r = ByDifficulty(f, kRows);
    TurnTowardPlayer(f, Aim(f.pos), r.turn);
    const i32 t = T(f);
    if (t % 120 <= r.after || t % 4 != 0) return;
    f32 m[2];
    LocalPoint(f, 50.0f, 0.0f, m);
    for (const f32 spread : {0.0f, 0.1f, -0.1f}) SpawnEffect(kEffectLargeFlame, m, f.angle + spread, -1);
    SpacedSound(kSoundFire, 4);
}

// 375: the fortress centre's last pattern: shell pairs, and rings of triple
// bullets once the part in root slot 13 is gone.
void Action375(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    if (Outside(f) || Inactive(f)) return;
    struct Row {
        i32 every, kindPeriod;
        i32 ringsBelow, ringEvery, ringAt;
        i32 offsetBelow, offsetAt;
        f32 offsetSpeed;
    };
    static constexpr Row kRows[3] = {
        {15, 30, 240, 80, 0, 240, 40, 3.0f}, {12, 16, 200, 60, 0, 200, 30, 3.0f}, {10, 8, 350, 40, 0, 200, 20, 4.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % 300 <= 100 && t % r.every == 0) PairShells(f, 391 + (t % r.kindPeriod) / (r.kindPeriod / 2));
    const EnemyPart* slot13 = PartAt(Owner(f).rootParts[13]);
    if (slot13 != nullptr && slot13->state != -1) return;
    const i32 v = t % 500;
    const auto ring = [&](f32 offset, f32 speed) {
        for (i32 i = -8; i <= 7; ++i) {
            const f32 h = f.angle + kPi * static_cast<f32>(i) / 8.0f + offset;
            FireBullet(kBulletNeedle, speed, kHitShapeBar, h, f.pos);
            FireBullet(kBulletNeedle, speed, kHitShapeBar, h + 0.04f, f.pos);
            FireBullet(kBulletNeedle, speed, kHitShapeBar, h - 0.04f, f.pos);
        }
        PlayFireSound();
    };
    if (v < r.ringsBelow && v % r.ringEvery == r.ringAt) ring(0.0f, 3.0f);
    if (v < r.offsetBelow && v % r.ringEvery == r.offsetAt) ring(kPi / 16.0f, r.offsetSpeed);
}

// 1301: the fortress centre's first pattern: aimed shells thrown backward.
void Action1301(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        i32 every;
        f32 spread;
    };
    static constexpr Row kRows[3] = {{10, 1.0f}, {5, 1.0f}, {4, 1.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % 300 > 100 || t % r.every != 0) return;
    const f32 spread = RandomFloat(-r.spread, r.spread);
    BackShell(Aim(f.pos) + spread, f.pos);
    ShellSound();
}

// 1302: the first set's guns: a spray forward and a wide fan.
void Action1302(PartFrame& f) {
    struct Row {
        i32 width, every;
        f32 jitter, speed;
        i32 fanHalf;
    };
    static constexpr Row kRows[3] = {{50, 4, 0.9f, 3.2f, 8}, {40, 2, 0.9f, 3.2f, 12}, {50, 2, 1.2f, 3.8f, 16}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % 300 < r.width && t % r.every == 0 && t > 100) {
        FireBullet(kBulletNeedle, r.speed, kHitShapeBar, f.angle + RandomFloat(-r.jitter, r.jitter), f.pos);
        SpacedSound(kSoundBulletBys1, 4, kSoundMg);
    }
    if (t % 600 == 50 && t > 100) {
        const f32 step = kPi / static_cast<f32>(r.fanHalf);
        for (i32 i = -r.fanHalf; i <= r.fanHalf; ++i) {
            FireBullet(kBulletNeedle, RandomFloat(0.0f, 2.0f) + 1.2f, kHitShapeBar,
                       f.angle + step * static_cast<f32>(i), f.pos);
        }
        SpacedSound(kSoundBulletBys1, 4, kSoundMg);
    }
}

// 1303: a dome's rings of 390 and its spray of mines (the ring's
// sin(2 pi (t mod 100) / 100) term is 0 on every firing frame).
void Action1303(PartFrame& f) {
    if (Inactive(f)) return;
    struct Row {
        i32 n;
        f32 fast, slow;
        i32 mineWidth, mineEvery;
    };
    static constexpr Row kRows[3] = {{20, 8.0f, 6.0f, 20, 10}, {32, 11.0f, 9.0f, 15, 5}, {40, 10.0f, 8.0f, 30, 5}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 u = T(f) % 300;
    if (u == 100 || u == 200) {
        Ring390(f, r.n, r.fast, r.slow);
        SpacedSound(kSoundBulletBys1, 4, kSoundMg);
    }
    const bool mines = (u >= 100 && u <= 100 + r.mineWidth) || (u >= 200 && u <= 200 + r.mineWidth);
    if (mines && T(f) % r.mineEvery == 0) Mine(f.pos);
}

// ---- Boss parts of the second set: 1304-1331 ----
//
// The aims some volleys keep from their window's first frame to its later
// ones, one per routine (difficulty) and volley, shared by every part that
// runs the action.
struct StoredAims {
    f32 a1305[3] = {};   // 1305's volley B
    f32 a1305c[3] = {};  // 1305's volley C
    f32 a1310[3] = {};   // 1310's second ring on HARD
    f32 a1330[3] = {};   // 1330's volley B
    f32 a1330c[3] = {};  // 1330's volley C
};
StoredAims g_aims;
f32& Stored(f32 (&aims)[3], const PartFrame& f) { return aims[f.difficulty]; }

void ResetStoredAims() { g_aims = StoredAims{}; }

// Turns the part toward aim(P) - the parent angle + `bias` by at most `step`.
void TurnToward(PartFrame& f, f32 bias, f32 step) {
    f32 angle = f.part->angle;
    TurnTowardAngle(&angle, Aim(f.pos) - f.parentAngle + bias, step);
    f.part->angle = angle;
}

// A hex ring of radius r around `centre`: six bullets placed at
// centre + R(k 2 pi / 6) (r, 0), each with heading(k) and the speed.
template <typename HeadingFn>
void HexRing(i32 kind, f32 speed, f32 r, const f32 centre[2], HeadingFn heading) {
    for (i32 k = 0; k < 6; ++k) {
        f32 v[2] = {r, 0.0f};
        RotateVector2(v, static_cast<f32>(k) * 0.1666667f * kTwoPi);
        const f32 p[2] = {centre[0] + v[0], centre[1] + v[1]};
        FireBullet(kind, speed, kHitShapeLarge, heading(), p);
    }
}

// 1304: a boss spiral of 390 with mines (HARD turns to the player and fires
// even while the enemy is unarmed).
void Action1304(PartFrame& f) {
    if (IsHard(f)) {
        TurnToward(f, 0.0f, 0.01f);
    } else if (Inactive(f)) {
        return;
    }
    struct Row {
        i32 n;
        f32 step, fast, slow;
        i32 w, s;
    };
    static constexpr Row kRows[3] = {
        {20, 0.05f, 8.0f, 6.0f, 20, 10}, {32, 0.03125f, 11.0f, 9.0f, 15, 5}, {40, 0.025f, 10.0f, 8.0f, 30, 5}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 u = T(f) % 300;
    if (u == 100 || u == 200) {
        const f32 base = f.part->angle + f.parentAngle;
        for (i32 i = 0; i < r.n; ++i) {
            FireBullet(kBulletNeedleBraking, i % 4 == 0 ? r.fast : r.slow, kHitShapeBar,
                       base + static_cast<f32>(i) * r.step * kTwoPi, f.pos);
        }
        SpacedSound(kSoundBulletBys1, 4, kSoundMg);
    }
    const bool window = (u >= 100 && u <= 100 + r.w) || (u >= 200 && u <= 200 + r.w);
    if (window && T(f) % r.s == 0) Mine(f.pos);
}

// 1305: hexagon volleys sweeping across the player, mines above.
void Action1305(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        i32 mineW, mineS;
        f32 dy, r1, r2, w;
    };
    static constexpr Row kRows[3] = {{30, 10, 100.0f, -15.0f, -25.0f, 0.6283185f},
                                     {50, 5, 0.0f, 15.0f, 25.0f, 0.7853982f},
                                     {50, 5, 0.0f, 15.0f, 25.0f, 1.0471976f}};
    const Row& r = ByDifficulty(f, kRows);
    const bool hard = IsHard(f);
    const i32 t = T(f);
    const i32 u = t % 600;
    const f32 centre[2] = {f.pos[0], f.pos[1] - r.dy};
    if (t >= 500 && (u <= 50 || (u >= 200 && u <= 200 + r.mineW) || (u >= 400 && u <= 400 + r.mineW)) &&
        t % r.mineS == 0) {
        Mine(centre);
    }
    const auto jitter = [&](bool drawn, f32 heading) { return drawn ? heading + RandomFloat(-0.2f, 0.2f) : heading; };
    if (t > 500 && u <= 50 && t % 5 == 0) {
        if (u == 0) Stored(g_aims.a1305, f) = Aim(f.pos);
        const f32 h = Stored(g_aims.a1305, f) + static_cast<f32>(u) * 0.02f * r.w - r.w / 2.0f;
        HexRing(kBulletBall, 5.5f, r.r1, centre, [&] { return jitter(hard, h); });
        HexRing(kBulletPellet, 5.2f, r.r2, centre, [&] { return h; });
        SpacedSound(kSoundMg, 2);
    }
    if (t > 500 && u >= 200 && u <= 250 && t % 5 == 0) {
        if (u == 200) Stored(g_aims.a1305c, f) = Aim(f.pos);
        const f32 h = Stored(g_aims.a1305c, f) - static_cast<f32>(u - 200) * 0.02f * r.w + r.w / 2.0f;
        HexRing(kBulletBall, 5.5f, 15.0f, centre, [&] { return jitter(hard, h); });
        HexRing(kBulletPellet, 5.2f, 25.0f, centre, [&] { return jitter(hard, h); });
        SpacedSound(kSoundMg, 2);
    }
    if (t > 500 && u >= 400 && u <= 450 && t % 5 == 0) {
        const f32 h = Aim(f.pos);
        HexRing(kBulletBall, 5.5f, 15.0f, centre, [&] { return jitter(hard, h); });
        HexRing(kBulletPellet, 5.2f, 25.0f, centre, [&] { return jitter(hard, h); });
        SpacedSound(kSoundMg, 2);
    }
}

// Three bullets 101 along b, b + d and b - d for each of 2m bases
// b = A + i pi / m + o.
void RadialFan(const PartFrame& f, i32 m, f32 o, f32 d, f32 speed) {
    for (i32 i = -m; i <= m - 1; ++i) {
        const f32 b = f.angle + static_cast<f32>(i) * kPi / static_cast<f32>(m) + o;
        FireBullet(kBulletNeedle, speed, kHitShapeBar, b, f.pos);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, b + d, f.pos);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, b - d, f.pos);
    }
    SpacedSound(kSoundBulletBys1, 4, kSoundMg);
}

// 1306: the fortress centre's radial fans.
void Action1306(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        i32 p1, m;
        f32 v1, d1;
        i32 p2;
        f32 o, d2, v2;
    };
    static constexpr Row kRows[3] = {{50, 6, 2.5f, 0.02f, 50, 0.2617994f, 0.02f, 2.5f},
                                     {60, 8, 3.0f, 0.05f, 60, 0.1963495f, 0.05f, 3.0f},
                                     {40, 8, 3.0f, 0.06f, 50, 0.1963495f, 0.05f, 4.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 u = t % 500;
    if (t <= 300 || u >= 200) return;
    if (u % r.p1 == 0) RadialFan(f, r.m, 0.0f, r.d1, r.v1);
    if (u % r.p2 == 30) RadialFan(f, r.m, r.o, r.d2, r.v2);
}

// Three columns of n bullets 103 aimed at the player from muzzles g apart.
void AimedColumns(const PartFrame& f, f32 g, i32 n, f32 v0, f32 dv) {
    const f32 a = Aim(f.pos);
    for (i32 c = -1; c <= 1; ++c) {
        f32 v[2] = {static_cast<f32>(c) * g, 20.0f};
        RotateVector2(v, a + kHalfPi);
        const f32 m[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
        for (i32 k = 0; k < n; ++k) FireBullet(kBulletPellet, v0 - static_cast<f32>(k) * dv, kHitShapeSmall, a, m);
    }
    PlayFireSound();
}

// 1307: the third set's domes: aimed columns with mines.
void Action1307(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 l, p;
        f32 g;
        i32 n;
        f32 v0, dv;
        i32 q;
    };
    static constexpr Row kRows[3] = {
        {300, 60, 8.0f, 3, 3.5f, 0.15f, 2}, {400, 50, 10.0f, 5, 4.0f, 0.2f, 2}, {400, 40, 12.0f, 5, 4.2f, 0.2f, 3}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % 500 > r.l) return;
    if (t % r.p == 0) AimedColumns(f, r.g, r.n, r.v0, r.dv);
    if (t % r.p < r.q) Mine(f.pos);
}

// 1308: a dome shot off in the last phase: its fortress sinks back a little
// and the dome smokes, then turns into plain smoke (11).
void Action1308(PartFrame& f) {
    const i32 t = T(f);
    Owner(f).y += static_cast<f32>(50 - t) * 0.05f;
    if (t % 15 == 0) SpawnJitteredEffect(kEffectSmokeCloud, f.pos, 25.0f);
    if (t > 50) f.part->action = 11;
}

// 1309 (NORMAL and HARD): the thrown-off domes' aimed columns.
void Action1309(PartFrame& f) {
    if (f.difficulty == kDifficultyEasy || Outside(f)) return;
    static constexpr i32 kPeriod[3] = {0, 200, 150};
    const i32 t = T(f);
    if (t > 500 && t % 600 < 400 && t % ByDifficulty(f, kPeriod) == 0) AimedColumns(f, 10.0f, 5, 4.0f, 0.2f);
}

// 1310: the second set's core: a turning hexagon cannon with mines; it
// becomes a target at t 500.
void Action1310(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        f32 turn, rB, sB, v1, v2, vD, j, spin;
    };
    static constexpr Row kRows[3] = {{0.3141593f, -15.0f, -1.0f, 4.5f, 4.2f, 5.5f, 0.0f, 0.0125664f},
                                     {0.3926991f, -15.0f, -1.0f, 5.0f, 4.8f, 5.0f, 0.1f, 0.0157080f},
                                     {0.5235988f, 15.0f, 1.0f, 5.5f, 5.2f, 5.5f, 0.2f, 0.0209440f}};
    const Row& r = ByDifficulty(f, kRows);
    const bool jittered = r.j > 0.0f;
    const i32 t = T(f);
    const i32 u = t % 600;
    if (t == 500) {
        MarkPart(f);
        f.part->hitShape = HitShape{0, 0, 50};
        g_GameState.BossActiveFlag = 0;
    }
    if (t >= 500 && (u <= 50 || (u >= 200 && u <= 230) || (u >= 400 && u <= 430)) && t % 10 == 0) {
        const f32 above[2] = {f.pos[0], f.pos[1] - 100.0f};
        Mine(above);
    }
    if (t <= 500) return;
    const auto heading = [&] { return jittered ? f.angle + RandomFloat(-r.j, r.j) : f.angle; };
    if (u >= 500) TurnToward(f, -r.turn, 0.05f);
    if (u <= 50) {
        if (t % 5 == 0) {
            HexRing(kBulletBall, r.v1, r.rB, f.pos, heading);
            if (IsHard(f)) {
                if (u == 0) Stored(g_aims.a1310, f) = Aim(f.pos);
                const f32 h = Stored(g_aims.a1310, f) + static_cast<f32>(u) * 0.02f * kPi / 3.0f - kPi / 6.0f;
                HexRing(kBulletPellet, r.v2, 25.0f * r.sB, f.pos, [&] { return h; });
            } else {
                HexRing(kBulletPellet, r.v2, 25.0f * r.sB, f.pos, heading);
            }
            SpacedSound(kSoundMg, 2);
        } else {
            f.part->angle += r.spin;
        }
    }
    if (u >= 100 && u <= 199) TurnToward(f, r.turn, 0.05f);
    if (u >= 200 && u <= 250) {
        if (t % 5 == 0) {
            HexRing(kBulletBall, r.v1, 15.0f, f.pos, heading);
            HexRing(kBulletPellet, r.v2, 25.0f, f.pos, heading);
            SpacedSound(kSoundMg, 2);
        } else {
            f.part->angle -= r.spin;
        }
    }
    if (u >= 400 && u <= 450 && t % 5 == 0) {
        HexRing(kBulletBall, r.vD, 15.0f, f.pos, heading);
        HexRing(kBulletPellet, r.v2, 25.0f, f.pos, heading);
        SpacedSound(kSoundMg, 2);
    } else if (u >= 300 && u <= 450) {
        TurnToward(f, 0.0f, 0.01f);
    }
}

// The guns of a split hatch (1311 to 1313) become targets at t 200 and turn
// to the player every frame.
void ArmSplitGun(PartFrame& f, f32 turn) {
    if (T(f) == 200) {
        MarkPart(f);
        f.part->hitShape.radius = 40.0f;
    }
    TurnToward(f, 0.0f, turn);
}

// 1311: accelerating single shots.
void Action1311(PartFrame& f) {
    struct Row {
        f32 turn;
        i32 from, period, width, every;
        f32 j;
    };
    static constexpr Row kRows[3] = {
        {0.02f, 200, 200, 50, 8, 0.0f}, {0.025f, 200, 200, 50, 5, 0.3f}, {0.025f, 290, 150, 60, 5, 0.4f}};
    const Row& r = ByDifficulty(f, kRows);
    ArmSplitGun(f, r.turn);
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t < r.from || t % r.period >= r.width || t % r.every != 0) return;
    f32 heading = f.angle;
    if (r.j > 0.0f) heading += RandomFloat(-r.j, r.j);
    FireBullet(kBulletPellet, static_cast<f32>(t % r.period) * 0.04f + 3.0f, kHitShapeSmall, heading, f.pos);
    PlayFireSound();
}

// 1312: a heavy shell (HARD: with a spray of ten bullets).
void Action1312(PartFrame& f) {
    struct Row {
        f32 turn;
        i32 period;
        f32 speed;
    };
    static constexpr Row kRows[3] = {{0.02f, 100, 3.0f}, {0.025f, 80, 4.0f}, {0.02f, 100, 4.0f}};
    const Row& r = ByDifficulty(f, kRows);
    ArmSplitGun(f, r.turn);
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t < 200 || t % r.period != 60) return;
    f32 m[2];
    LocalPoint(f, 30.0f, 0.0f, m);
    HeavyShell(r.speed, f.angle, m);
    ShellSound();
    if (!IsHard(f)) return;
    for (i32 i = 0; i < 10; ++i) {
        const f32 heading = f.angle + RandomFloat(-0.4f, 0.4f);
        const f32 speed = 1.5f + RandomFloat(0.0f, 2.0f);
        FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, m);
    }
}

// Three bullets 101 at 3.5 along A + c D from muzzles 40 out (1313, 1314).
void ThreeWay(const PartFrame& f, f32 d) {
    for (i32 c = -1; c <= 1; ++c) {
        const f32 h = f.angle + static_cast<f32>(c) * d;
        f32 v[2] = {40.0f, 0.0f};
        RotateVector2(v, h);
        const f32 p[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
        FireBullet(kBulletNeedle, 3.5f, kHitShapeBar, h, p);
    }
    SpacedSound(kSoundBulletBys1, 2, kSoundMg);
}

// 1313: a turning three-way gun.
void Action1313(PartFrame& f) {
    struct Row {
        f32 turn;
        i32 after, period, last;
        f32 d;
    };
    static constexpr Row kRows[3] = {
        {0.02f, 200, 300, 130, 0.2f}, {0.025f, 100, 200, 140, 0.3f}, {0.02f, 10, 150, 140, 0.5f}};
    const Row& r = ByDifficulty(f, kRows);
    ArmSplitGun(f, r.turn);
    if (Outside(f)) return;
    const i32 t = T(f);
    const i32 u = t % r.period;
    if (t > r.after && u >= 110 && u <= r.last && t % 5 == 0) ThreeWay(f, r.d);
}

// 1314: a sweeping three-way gun that hands over to 1313 when the player lies
// the turning way at the end of its sweep.
void Action1314(PartFrame& f) {
    if (Outside(f)) return;
    static constexpr f32 kSpread[3] = {0.2f, 0.3f, 0.2f};
    const i32 t = T(f);
    if (t >= 110 && t <= 140 && t % 5 == 0) ThreeWay(f, ByDifficulty(f, kSpread));
    f.part->angle -= 0.015f;
    if (t > 200) {
        f.part->timer = 102;
        f32 angle = f.part->angle;
        const i32 d = GetTurnDirection(&angle, AimFrom(f.pos) - f.parentAngle);
        f.part->angle = angle;
        if (d > 0) f.part->action = 1313;
    }
}

// 1320: the long craft's middle targets: a rotating star that reverses with
// every 50 frames.
void Action1320(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        i32 n, q;
        f32 speed;
    };
    static constexpr Row kRows[3] = {{5, 160, 2.0f}, {6, 110, 2.0f}, {8, 120, 2.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 100 || t % 50 > 10 || t % 2 != 0) return;
    f32 m[2];
    LocalPoint(f, -10.0f, 0.0f, m);
    const f32 spin = static_cast<f32>(t % r.q) / static_cast<f32>(r.q);
    const bool forward = (t / 50) % 2 == 0;
    for (i32 i = 0; i < r.n; ++i) {
        const f32 share = static_cast<f32>(i) / static_cast<f32>(r.n);
        const f32 heading = forward ? (share + spin) * kTwoPi : share * kTwoPi - spin * kTwoPi;
        FireBullet(kBulletNeedle, r.speed, kHitShapeBar, heading, m);
    }
    PlayFireSound();
}

// 1325: a split hatch throws flank shells to its right, then to its left.
void Action1325(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    if (Outside(f) || Inactive(f)) return;
    struct Row {
        i32 p1, p2;
    };
    static constexpr Row kRows[3] = {{600, 300}, {500, 250}, {400, 200}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < 100 || t % 5 != 0) return;
    if (t % r.p1 <= 20) {
        const f32 at[2] = {f.pos[0] + 80.0f, f.pos[1] - 50.0f};
        FlankShell(f.angle + RandomFloat(0.8f, 2.6f) + kPi, 10.0f, 3, at);
        BurstSound();
    } else if (t % r.p2 <= 20) {
        const f32 at[2] = {f.pos[0] - 80.0f, f.pos[1] - 50.0f};
        FlankShell(f.angle - RandomFloat(0.8f, 2.6f) + kPi, 10.0f, 3, at);
        BurstSound();
    }
}

// 1330: the long craft's first tower: sweeping pairs and shells falling
// from the top.
void Action1330(PartFrame& f) {
    WobbleByClock(f, 2.0f);
    struct Row {
        i32 after, period, every;
        f32 w, w2, j;
        i32 fallAfter, fallEvery;
    };
    static constexpr Row kRows[3] = {{300, 400, 5, kPi, 2.0943952f, 0.02f, 1000, 100},
                                     {300, 400, 5, kPi / 2.0f, kPi / 2.0f, 0.03f, 1000, 50},
                                     {290, 300, 2, kPi, kPi, 0.1f, 700, 40}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const i32 u = t % r.period;
    if (t == 400) {
        MarkPart(f);
        f.part->hitShape.radius = 50.0f;
    }
    if (t > r.after && u <= 50 && t % r.every == 0) {
        if (u == 0) Stored(g_aims.a1330, f) = Aim(f.pos);
        for (const i32 c : {-1, 0}) {
            const f32 h =
                Stored(g_aims.a1330, f) + static_cast<f32>(u) * 0.02f * r.w - r.w / 2.0f - static_cast<f32>(c) * r.j;
            FireBullet(kBulletNeedle, 3.5f + 0.5f * static_cast<f32>(c), kHitShapeBar, h, f.pos);
        }
        PlayFireSound();
    }
    if (t > r.after && u >= 200 && u <= 250 && t % r.every == 0) {
        if (u == 200) Stored(g_aims.a1330c, f) = Aim(f.pos);
        for (const i32 c : {-1, 0}) {
            const f32 h = Stored(g_aims.a1330c, f) - static_cast<f32>(u - 200) * 0.02f * r.w2 + r.w2 / 2.0f +
                          static_cast<f32>(c) * r.j;
            FireBullet(kBulletNeedle, 3.5f + 0.5f * static_cast<f32>(c), kHitShapeBar, h, f.pos);
        }
        PlayFireSound();
    }
    if (t > r.fallAfter && t % r.fallEvery == 0) {
        const f32 at[2] = {RandomFloat(220.0f, 420.0f), -100.0f};
        Faller((t / r.fallEvery) % 2 == 0 ? 0.7853982f : 2.3561945f, at);
    }
}

// 1331: the long craft's hull: twin flank shells, then twin fans from two
// muzzles once the four guns on it are down (or after t 1000).
void Action1331(PartFrame& f) {
    WobbleByTimer(f, 2.0f);
    struct Row {
        i32 period, every;
        f32 rlo;
        i32 pv;
        i32 a1, b1, a2, b2;
        f32 d1, o1, v1, v1b;
        i32 k;
        f32 d2, v2;
    };
    static constexpr Row kRows[3] = {{300, 8, 0.8f, 200, -4, 3, -4, 3, 0.2f, 0.1f, 2.5f, 2.5f, 2, 0.2f, 3.5f},
                                     {250, 5, 0.8f, 160, -5, 4, -4, 3, 0.3f, 0.15f, 3.0f, 2.5f, 3, 0.15f, 3.8f},
                                     {200, 4, 0.2f, 140, -6, 5, -6, 5, 0.24f, 0.12f, 3.0f, 3.0f, 4, 0.2f, 4.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t >= 200 && t % r.period <= 40 && t % r.every == 0) {
        const f32 spread = RandomFloat(r.rlo, 2.6f);
        FlankShell(f.angle + spread + kPi, 13.0f, 3, f.pos);
        FlankShell(f.angle - spread + kPi, 13.0f, 3, f.pos);
        BurstSound();
    }
    if (t <= 1000) {
        const EnemyPart* tower = PartAt(Owner(f).rootParts[2]);
        for (i32 c = 0; c < 4 && tower != nullptr; ++c) {
            const EnemyPart* gun = ChildOf(*tower, c);
            if (gun != nullptr && gun->state != -1) return;
        }
    }
    f32 m1[2];
    f32 m2[2];
    LocalPoint(f, -50.0f, -60.0f, m1);
    LocalPoint(f, -50.0f, 60.0f, m2);
    const i32 u = t % r.pv;
    if (u == 10 || (IsHard(f) && u == 40)) {
        const f32 aim1 = Aim(m1);
        for (i32 i = r.a1; i <= r.b1; ++i) {
            FireBullet(kBulletNeedle, r.v1, kHitShapeBar, aim1 + static_cast<f32>(i) * r.d1 + r.o1, m1);
        }
        const f32 aim2 = Aim(m2);
        for (i32 i = r.a2; i <= r.b2; ++i) {
            FireBullet(kBulletNeedle, r.v1b, kHitShapeBar, aim2 + static_cast<f32>(i) * r.d1 + r.o1, m2);
        }
        PlayFireSound();
    }
    if (u == 30) {
        for (const f32* m : {static_cast<const f32*>(m1), static_cast<const f32*>(m2)}) {
            const f32 aim = Aim(m);
            for (i32 i = -r.k; i <= r.k; ++i)
                FireBullet(kBulletNeedle, r.v2, kHitShapeBar, aim + static_cast<f32>(i) * r.d2, m);
        }
        PlayFireSound();
    }
}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13}, {300, Action300},   {301, Action301},
    {302, Action302},   {303, Action303},   {304, Action304},   {305, Action305},   {306, Action306},
    {310, Action310},   {320, Action320},   {321, Action321},   {322, Action322},   {323, Action323},
    {330, Action330},   {331, Action331},   {336, Action336},   {337, Action337},   {338, Action338},
    {339, Action339},   {340, Action340},   {341, Action341},   {350, Action350},   {351, Action351},
    {352, Action352},   {353, Action353},   {370, Action370},   {371, Action371},   {372, Action372},
    {373, Action373},   {374, Action374},   {375, Action375},   {380, Action380},   {390, Action390},
    {391, Action391},   {392, Action392},   {1301, Action1301}, {1302, Action1302}, {1303, Action1303},
    {1304, Action1304}, {1305, Action1305}, {1306, Action1306}, {1307, Action1307}, {1308, Action1308},
    {1309, Action1309}, {1310, Action1310}, {1311, Action1311}, {1312, Action1312}, {1313, Action1313},
    {1314, Action1314}, {1320, Action1320}, {1325, Action1325}, {1330, Action1330}, {1331, Action1331},
};

// The turrets hand their parts the other member of their pair; 336, 339 and
// 1308 end in smoke 11; 372 ends itself; 1314 hands over to 1313.
constexpr i32 kWrittenActions[] = {0, 11, 301, 302, 303, 304, 305, 306, 1313};

constexpr ActionTable kTable{
    .actions = kActions,
    .writesActions = kWrittenActions,
    .reset = ResetStoredAims,
};

}  // namespace

const ActionTable& ActionsStage3() { return kTable; }

void RunPartActionStage3(PartFrame& frame) { RunActionByTable(kTable, frame); }
