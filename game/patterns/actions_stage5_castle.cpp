// The castle of the last stage (enemy kind 110): its heavy cannons (1001,
// 1020), armour hubs (1003), fixed guns (1004), ring turrets (1010), stream
// guns (1021) and core (1100). The castle's behaviour hands most of them their
// action (with the timer at 0) as the fight goes on. t is the part's timer
// after this frame's increment; f.angle (θ) and f.pos are the world angle and
// position from the start of the step, so a part that turns fires along its old
// angle. The stage's table (actions_stage5.cpp) names the actions.
#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/actions_stage5.h"
#include "game/patterns/part_step.h"
#include "game/play/bullet_kinds.h"
#include "game/play/effects.h"
#include "game/play/records.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace actions_stage5::castle {

namespace {

i32 Timer(const PartFrame& f) { return f.part->timer; }
u8 CastleActive(const PartFrame& f) { return g_EnemyList[static_cast<std::size_t>(f.enemy)].active; }

// The part's drawn position: its world x moved by FieldScrollX.
bool DrawnOutside(const PartFrame& f) {
    f32 drawn[2];
    DrawnPosition(f, drawn);
    return IsOutside(drawn);
}
void TurnFromDrawnPosition(PartFrame& f, f32 rate) {
    f32 drawn[2];
    DrawnPosition(f, drawn);
    TurnTowardPlayer(f, AimFrom(drawn), rate);
}

// The heavy cannons.

// The heavy shell at the local point (150, 0), with sound 17, eight flashes
// on an ellipse around it and ten puffs that start one frame apart.
void HeavyShellVolley(const PartFrame& f) {
    f32 q[2];
    LocalPoint(f, 150.0f, 0.0f, q);
    ShellShot shell;
    shell.kind = 480;
    shell.hp = 800;
    shell.speed = 1.0f;
    shell.strength = 5;
    shell.shape = HitShape{45, 20, 0};
    shell.angle = f.angle;
    shell.heading = f.angle;
    FireShell(shell, q);
    PlaySoundEffect(kSoundSenGeHasai02);
    for (i32 k = 0; k < 8; ++k) {
        const f80 a = static_cast<f80>(k) * kTwoPiWide / 8.0L;
        f32 v[2] = {static_cast<f32>(40.0L * std::cos(a)), static_cast<f32>(80.0L * std::sin(a))};
        RotateVector2(v, f.angle);
        const f32 p[2] = {q[0] + v[0], q[1] + v[1]};
        SpawnPartEffect(kEffectSmokePuff, p);
    }
    for (i32 m = 0; m < 10; ++m) {
        const i32 e = SpawnJitteredEffect(kEffectSpark, q, 40.0f);
        if (e >= 0) g_EffectList[static_cast<std::size_t>(e)].age = -m;
    }
}

// What both cannons share: marked with their shape at t 10, turning toward
// the player from t 11, quiet outside the field, and the heavy shell on
// their firing frames (t > 100, every `period`). True when it fired.
bool HeavyCannonFires(PartFrame& f, HitShape shape, i32 period) {
    const i32 t = Timer(f);
    if (t == 10) {
        MarkPart(f);
        f.part->hitShape = shape;
    }
    if (t > 10) TurnFromDrawnPosition(f, 0.005f);
    if (DrawnOutside(f)) return false;
    if (!(t > 100 && t % period == 0)) return false;
    HeavyShellVolley(f);
    return true;
}

// A ring of bullets that leave the muzzle m together and reach, 15 frames
// later, an ellipse of half-axes `along` and `across` centred `reach` ahead
// of it; then sound 3.
struct EllipticRing {
    f32 reach;
    f32 along;
    f32 across;
    i32 count;
};

void FireEllipticRing(const PartFrame& f, const f32 m[2], const EllipticRing& ring) {
    const f80 ahead[2] = {static_cast<f80>(ring.reach) * std::cos(static_cast<f80>(f.angle)),
                          static_cast<f80>(ring.reach) * std::sin(static_cast<f80>(f.angle))};
    for (i32 i = 0; i < ring.count; ++i) {
        const f80 phi = static_cast<f80>(i) * kTwoPiWide / static_cast<f80>(ring.count);
        f32 v[2] = {static_cast<f32>(static_cast<f80>(ring.along) * std::cos(phi)),
                    static_cast<f32>(static_cast<f80>(ring.across) * std::sin(phi))};
        RotateVector2(v, f.angle);
        const f80 dx = static_cast<f80>(v[0]) + ahead[0];
        const f80 dy = static_cast<f80>(v[1]) + ahead[1];
        FireBullet(kBulletPelletBurst, static_cast<f32>(std::sqrt(dx * dx + dy * dy) / 15.0L), kHitShapeSmall,
                   static_cast<f32>(std::atan2(dy, dx)), m);
    }
    PlaySoundEffect(kSoundSenGeTaihou01);
}

// The ring turrets.

// The ring turret's angle (relative to its parent, like its rest angle r)
// held within r +- pi/3. Past 0.8 pi the turn's normalised negative angles
// are held in the same window shifted by a whole turn.
void HoldNearRestAngle(EnemyPart& part) {
    constexpr f32 kThird = kPi / 3.0f;
    f32 rest = part.restAngle;
    if (std::fabs(rest) > 2.513274f && part.angle < 0.0f) rest -= kTwoPi;
    if (part.angle > rest + kThird) part.angle = rest + kThird;
    if (part.angle < rest - kThird) part.angle = rest - kThird;
}

// The core.

// The core's three shells at S: {kind, heading offset from θ, start age}.
struct CoreShell {
    i32 kind;
    f32 turn;
    i32 age;
};

// Streams of a spray: bullets j = firstJ..lastJ with the heading
// pi (w / wDivisor + j / jDivisor) + r, r drawn first, then the speed
// base + RandomFloat(0, range). Both divisions are real.
struct Spray {
    i32 firstJ;
    i32 lastJ;
    f80 wDivisor;
    f80 jDivisor;
    f32 speedBase;
    f32 speedRange;
};

void FireSpray(const Spray& s, i32 kind, i32 shapeEntry, i32 w, const f32 at[2]) {
    for (i32 j = s.firstJ; j <= s.lastJ; ++j) {
        const f32 r = RandomFloat(-0.5f, 0.5f);
        const f32 speed = s.speedBase + RandomFloat(0.0f, s.speedRange);
        const f80 streams = static_cast<f80>(w) / s.wDivisor + static_cast<f80>(j) / s.jDivisor;
        FireBullet(kind, speed, shapeEntry, static_cast<f32>(kPiWide * streams + static_cast<f80>(r)), at);
    }
}

}  // namespace

// ---- Heavy cannons ----

// 1001: the heavy cannon of an armour hub; two clouds of bullets after the
// shell, on HARD also a rear fan.
void Action1001(PartFrame& f) {
    static constexpr i32 kPeriod[3] = {200, 150, 150};
    static constexpr f32 kSpread104[3] = {0.2f, 0.3f, 0.3f};
    static constexpr f32 kSpread103[3] = {0.3f, 0.4f, 0.4f};
    if (!HeavyCannonFires(f, HitShape{70, 40, 50}, ByDifficulty(f, kPeriod))) return;
    f32 b[2];
    LocalPoint(f, 100.0f, 0.0f, b);
    const f32 s1 = ByDifficulty(f, kSpread104);
    for (i32 i = 0; i < 12; ++i) {
        const f32 speed = 1.5f + RandomFloat(0.0f, 3.0f);
        const f32 heading = f.angle + RandomFloat(-s1, s1);
        FireBullet(kBulletBall, speed, kHitShapeLarge, heading, b);
    }
    const f32 s2 = ByDifficulty(f, kSpread103);
    for (i32 i = 0; i < 12; ++i) {
        const f32 speed = 2.0f + RandomFloat(0.0f, 3.0f);
        const f32 heading = f.angle + RandomFloat(-s2, s2);
        FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, b);
    }
    if (IsHard(f)) {
        PlayFireSound();
        for (i32 i = -6; i <= 6; ++i) {
            const f80 a = kPiWide * static_cast<f80>(i) / 10.0L;
            f32 p[2];
            LocalPoint(f, 100.0f, static_cast<f32>(-30.0L * std::sin(a)), p);
            FireBullet(kBulletNeedle, 3.0f, kHitShapeBar, static_cast<f32>(static_cast<f80>(f.angle) - kPiWide + a), p);
        }
    }
    PlayFireSound();
}

// 1020: the heavy cannon of a wall; one or two elliptic rings after the
// shell.
void Action1020(PartFrame& f) {
    static constexpr i32 kPeriod[3] = {200, 160, 140};
    if (!HeavyCannonFires(f, HitShape{80, 40, 70}, ByDifficulty(f, kPeriod))) return;
    f32 m[2];
    LocalPoint(f, 50.0f, 0.0f, m);
    constexpr EllipticRing kSmall{70, 30, 80, 12};
    constexpr EllipticRing kLarge{90, 40, 120, 18};
    if (f.difficulty == kDifficultyEasy) {
        FireEllipticRing(f, m, kSmall);
    } else {
        FireEllipticRing(f, m, kLarge);
        if (IsHard(f)) FireEllipticRing(f, m, kSmall);
    }
}

// ---- Hubs, fixed guns, ring turrets and stream guns ----

// 1003: the armour hub becomes a target (radius 120) once its heavy cannon
// (child 4) is destroyed; the radius, no longer 0, keeps this to once.
void Action1003(PartFrame& f) {
    if (ChildDestroyed(*f.part, 4) && f.part->hitShape.radius == 0.0f) {
        MarkPart(f);
        f.part->hitShape.radius = 120.0f;
    }
}

// 1004: a fixed gun fires lines of bullets along its own direction from
// muzzles side by side, only while the castle is active.
void Action1004(PartFrame& f) {
    struct Guns {
        i32 period;
        i32 firstMuzzle;
        i32 lastMuzzle;
        f32 spacing;
        i32 perMuzzle;
        f32 v0;
        f32 slower;
    };
    static constexpr Guns kGuns[3] = {
        {180, -1, 1, 10.0f, 4, 2.0f, 0.15f},
        {140, -1, 1, 15.0f, 5, 2.2f, 0.15f},
        {140, -2, 2, 15.0f, 5, 2.5f, 0.12f},
    };
    const i32 t = Timer(f);
    if (t == 10 && CastleActive(f) == 1) MarkPart(f);
    if (DrawnOutside(f) || CastleActive(f) == 0) return;
    const Guns& g = ByDifficulty(f, kGuns);
    if (!(t > 200 && t % g.period == 0)) return;
    for (i32 j = g.firstMuzzle; j <= g.lastMuzzle; ++j) {
        f32 muzzle[2];
        LocalPoint(f, 40.0f, g.spacing * static_cast<f32>(j), muzzle);
        for (i32 k = 0; k < g.perMuzzle; ++k) {
            FireBullet(kBulletBall, g.v0 - g.slower * static_cast<f32>(k), kHitShapeLarge, f.angle, muzzle);
        }
    }
    PlayFireSound();
}

// 1010: a ring turret aims within pi/3 of its rest direction and fires
// short bursts of rows, each row slower by 0.1.
void Action1010(PartFrame& f) {
    struct Turret {
        i32 period;
        i32 rows;
        f32 v0;
        i32 perRow;
        f32 spread[3];
    };
    static constexpr Turret kTurrets[3] = {
        {100, 3, 2.5f, 1, {0.0f, 0.0f, 0.0f}},
        {80, 5, 2.8f, 2, {0.015f, -0.015f, 0.0f}},
        {55, 5, 3.0f, 3, {0.0f, 0.02f, -0.02f}},
    };
    const i32 t = Timer(f);
    if (t == 10) {
        MarkPart(f);
        f.part->hitShape = HitShape{0, 0, 30};
        return;
    }
    if (t < 10) return;
    TurnFromDrawnPosition(f, 0.025f);
    HoldNearRestAngle(*f.part);
    if (DrawnOutside(f)) return;
    const Turret& g = ByDifficulty(f, kTurrets);
    if (t % g.period != 0) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    for (i32 k = 0; k < g.rows; ++k) {
        const f32 speed = g.v0 - 0.1f * static_cast<f32>(k);
        for (i32 h = 0; h < g.perRow; ++h)
            FireBullet(kBulletNeedle, speed, kHitShapeBar, f.angle + g.spread[h], muzzle);
    }
    PlayFireSound();
}

// 1021: a stream gun turns slowly toward the player and fires short aimed
// streams in windows of its timer.
void Action1021(PartFrame& f) {
    struct Stream {
        i32 period;
        i32 open;   // fires while t mod period <= open
        i32 every;  // and t mod every == 0
        i32 count;
        f32 v0;
        f32 slower;
    };
    static constexpr Stream kStreams[3] = {
        {100, 99, 100, 3, 2.5f, 0.2f},
        {300, 150, 50, 5, 2.8f, 0.1f},
        {300, 120, 30, 5, 2.8f, 0.1f},
    };
    const i32 t = Timer(f);
    if (t == 10) {
        MarkPart(f);
        f.part->hitShape = HitShape{0, 0, 35};
    }
    if (t > 10) TurnFromDrawnPosition(f, 0.01f);
    if (DrawnOutside(f)) return;
    const Stream& s = ByDifficulty(f, kStreams);
    if (!(t % s.period <= s.open && t % s.every == 0)) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    for (i32 k = 0; k < s.count; ++k) {
        FireBullet(kBulletBall, s.v0 - s.slower * static_cast<f32>(k), kHitShapeLarge, f.angle, muzzle);
    }
    PlayFireSound();
}

// ---- The core ----

// 1100: the core slides down into place, becomes a target at t 100, then
// cycles: aiming late in each cycle, and at its start three shells, sprays
// of fast bullets in rotating streams and a wide rear fan.
void Action1100(PartFrame& f) {
    struct Core {
        i32 cycle;
        CoreShell shells[3];
        Spray sprayA;
        Spray sprayB;
        i32 fanHalf;
    };
    static constexpr Core kCores[3] = {
        {300,
         {{481, 0.0f, 0}, {481, -0.3f, 2}, {481, 0.3f, 4}},
         {-3, 2, 45.0L, 3.0L, 5.0f, 4.0f},
         {0, 2, 45.0L, 1.5L, 5.0f, 4.0f},
         9},
        {250,
         {{481, 0.0f, 0}, {481, -0.3f, 2}, {481, 0.3f, 4}},
         {-3, 2, 45.0L, 3.0L, 5.0f, 4.0f},
         {-2, 1, 60.0L, 2.0L, 5.0f, 4.0f},
         12},
        {250,
         {{481, -0.3f, 2}, {481, 0.3f, 4}, {483, 0.0f, 0}},
         {-3, 2, 45.0L, 3.0L, 6.0f, 5.0f},
         {-3, 2, 60.0L, 3.0L, 5.0f, 5.0f},
         16},
    };
    const Core& c = ByDifficulty(f, kCores);
    const i32 t = Timer(f);
    const i32 u = t % c.cycle;
    const i32 w = t % 500;
    if (t < 100 && t % 2 == 0) f.part->offsetY += 1.0f;
    if (t == 100) {
        MarkPart(f);
        f.part->hitShape = HitShape{170, 50, 120};
        PlaySoundEffect(kSoundSenMiRoboBato01);
    }
    if (t > 100 && u > 150) TurnFromDrawnPosition(f, 0.005f);
    f32 s[2];
    LocalPoint(f, 250.0f, 0.0f, s);
    if (t > 100 && u == 0) {
        for (const CoreShell& cs : c.shells) {
            ShellShot shell;
            shell.kind = cs.kind;
            shell.hp = 30;
            shell.speed = 4.0f;
            shell.strength = 3;
            shell.angle = f.angle;
            shell.heading = f.angle + cs.turn;
            shell.age = cs.age;
            FireShell(shell, s);
        }
        SpawnPartEffect(kEffectLargeExplosion, s);
        PlaySoundEffect(kSoundSenGeHasai02);
    }
    if (t > 200 && u < 80 && t % 4 == 0) FireSpray(c.sprayA, kBulletPelletBraking, kHitShapeSmall, w, s);
    if (t > 200 && u < 80 && t % 12 == 0) FireSpray(c.sprayB, kBulletBallBrakeTo1, kHitShapeLarge, w, s);
    if (t > 200 && u == 0) {
        for (i32 i = -c.fanHalf; i <= c.fanHalf; ++i) {
            f32 p[2];
            LocalPoint(f, 250.0f, static_cast<f32>(-50.0L * std::sin(kPiWide * static_cast<f80>(i) / 12.0L)), p);
            const f80 heading = static_cast<f80>(f.angle) - kPiWide + kPiWide * static_cast<f80>(i) / 20.0L;
            FireBullet(kBulletNeedle, 4.5f, kHitShapeBar, static_cast<f32>(heading), p);
        }
        PlayFireSound();
    }
}

}  // namespace actions_stage5::castle
