// The attack patterns of stage index 1: one row per action id in the table at
// the end, the three difficulties' numbers in small tables. An id without a
// row does nothing.
//
// t is the part's timer after this frame's increment; P and A are the part's
// world position and world angle (from before any turn of this frame), A0 the
// parent's world angle.
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <numbers>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/bullet_kinds.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/shots.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace {

// The shell presets.
constexpr HitShape kPod{12, 10, 0};

i32 T(const PartFrame& f) { return f.part->timer; }
bool Outside(const PartFrame& f) { return IsOutside(f.pos); }
Enemy& Owner(const PartFrame& f) { return g_EnemyList[static_cast<std::size_t>(f.enemy)]; }

// t mod n is one of the set.
bool ResidueIn(i32 t, i32 n, const i32* set, i32 count) {
    for (i32 i = 0; i < count; ++i) {
        if (t % n == set[i]) return true;
    }
    return false;
}

// A pod shell (strength 3) flying along `heading`.
void FirePod(i32 kind, i32 hp, f32 speed, f32 heading, const f32 p[2]) {
    FireShell(
        {.kind = kind, .hp = hp, .speed = speed, .strength = 3, .shape = kPod, .angle = heading, .heading = heading},
        p);
}

// Turn (step k): the part's angle toward the player.
void TurnStep(PartFrame& f, f32 step) { TurnTowardPlayer(f, AimFrom(f.pos), step); }

// sin(2 pi (t mod n) / n), in extended precision.
f32 Wave(i32 t, i32 n) {
    return static_cast<f32>(std::sin(2.0L * std::numbers::pi_v<f80> * static_cast<f80>(t % n) / static_cast<f80>(n)));
}

// ---- Ordinary enemies (201-240) ----

// 201: kind 5's aimed shots, a few in its life.
void Action201(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 p, last;
    };
    static constexpr Row kRows[3] = {{70, 150}, {40, 200}, {30, 200}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % r.p != 0 || t >= r.last) return;
    FireBullet(kBulletPellet, 2.5f, kHitShapeSmall, AimFrom(f.pos), f.pos);
    PlayFireSound();
}

// 205, 206: the small craft's shots along the nose in the upper field, on
// EASY and NORMAL only from enemies at an even index.
struct NoseShotRow {
    i32 at[2];
    i32 after;
    bool everyEnemy;
};
void NoseShot(PartFrame& f, i32 period, const NoseShotRow& r) {
    if (Outside(f)) return;
    if (!r.everyEnemy && f.enemy % 2 != 0) return;
    const i32 t = T(f);
    if (t <= r.after || !ResidueIn(t, period, r.at, 2) || !(f.pos[1] < 200.0f)) return;
    FireBullet(kBulletPellet, 3.0f, kHitShapeSmall, f.angle, f.pos);
    PlayFireSound();
}
void Action205(PartFrame& f) {
    static constexpr NoseShotRow kRows[3] = {{{20, 20}, 10, false}, {{20, 30}, 10, false}, {{20, 40}, 10, true}};
    NoseShot(f, 60, ByDifficulty(f, kRows));
}
void Action206(PartFrame& f) {
    static constexpr NoseShotRow kRows[3] = {{{0, 0}, 10, false}, {{0, 30}, 10, false}, {{0, 20}, 100, true}};
    NoseShot(f, 180, ByDifficulty(f, kRows));
}

// 210: the gunship's gun turns to the player and fires fans.
void Action210(PartFrame& f) {
    TurnStep(f, 0.008f);
    if (Outside(f)) return;
    struct Row {
        i32 p, n;
        f32 s;
    };
    static constexpr Row kRows[3] = {{120, 1, 1.4f}, {80, 1, 1.0f}, {70, 2, 0.8f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 50 || t % r.p != 0) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    for (i32 i = -r.n; i <= r.n; ++i)
        FireBullet(kBulletNeedle, 2.0f, kHitShapeBar, f.angle + static_cast<f32>(i) * r.s, muzzle);
    PlayFireSound();
}

// 211: the second gunship's gun: scattered single shots in short bursts.
void Action211(PartFrame& f) {
    TurnStep(f, 0.008f);
    if (Outside(f)) return;
    struct Row {
        i32 p;
        i32 at[4];
        i32 count;
        f32 r;
    };
    static constexpr Row kRows[3] = {
        {150, {8, 16}, 2, 0.2f}, {100, {5, 10, 15}, 3, 0.4f}, {80, {5, 10, 15, 20}, 4, 0.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!((t > 50 && t % r.p == 0) || ResidueIn(t, r.p, r.at, r.count))) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    const f32 heading = f.angle + RandomFloat(-r.r, r.r);
    FireBullet(kBulletPellet, 2.5f, kHitShapeSmall, heading, muzzle);
    SpacedSound(kSoundMg, 4);
}

// 215: kind 15's centre rocks and fires four turning fans.
void Action215(PartFrame& f) {
    const f32 rock = static_cast<f32>(static_cast<f80>(0.1f) * static_cast<f80>(Wave(T(f), 100)));
    f.part->angle = rock;
    f.part->restAngle = rock;
    if (Outside(f)) return;
    struct Row {
        i32 p, n;
        f32 s;
    };
    static constexpr Row kRows[3] = {{100, 1, kPi / 24.0f}, {80, 2, kPi / 28.0f}, {70, 3, kPi / 24.0f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 10 || t % r.p != 0) return;
    const f32 turn = static_cast<f32>((t / 50) % 6) * kTwoPi / 6.0f;
    for (i32 k = 0; k < 4; ++k) {
        for (i32 i = -r.n; i <= r.n; ++i) {
            const f32 heading = static_cast<f32>(i) * r.s + turn + static_cast<f32>(k) * (kPi / 2.0f) + f.angle;
            FireBullet(kBulletPellet, 1.5f, kHitShapeSmall, heading, f.pos, f.angle, 0);
        }
    }
    PlayFireSound();
}

// 216: kind 15's guns sweep scattered shots in bursts.
void Action216(PartFrame& f) {
    TurnStep(f, 0.008f);
    if (Outside(f)) return;
    struct Row {
        i32 q, g;
        f32 m, v;
    };
    static constexpr Row kRows[3] = {{10, 10, 0.4f, 2.1f}, {8, 8, 0.4f, 2.1f}, {5, 8, 0.6f, 2.6f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 50 || t % 150 >= 40 || t % r.q != 0) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    const f32 jitter = RandomFloat(-0.3f, 0.3f);
    const f32 heading = f.angle + jitter + static_cast<f32>((t / r.g) % 3 - 1) * r.m;
    FireBullet(kBulletNeedle, r.v, kHitShapeBar, heading, muzzle);
    SpacedSound(kSoundMg, 4);
}

// The carriers' ring: n bullets at absolute headings 2 pi i / n, faster
// sideways than up and down (speed sqrt(1.44 cos^2 + sin^2) times `factor`).
void CarrierRing(const PartFrame& f, i32 n, f32 factor) {
    for (i32 i = 0; i < n; ++i) {
        const f32 heading = kTwoPi * static_cast<f32>(i) / static_cast<f32>(n);
        const f80 c = std::cos(static_cast<f80>(heading));
        const f80 s = std::sin(static_cast<f80>(heading));
        const f32 speed = static_cast<f32>(std::sqrt(static_cast<f80>(1.44f) * c * c + s * s)) * factor;
        FireBullet(kBulletPellet, speed, kHitShapeSmall, heading, f.pos);
    }
    PlayFireSound();
}

// Three pods (kind 201) at P + (dx_k, dy_k), all on one aim at the player.
void PodTriple(const PartFrame& f, const f32 (&offsets)[3][2]) {
    const f32 aim = AimFrom(f.pos);
    for (const auto& o : offsets) {
        const f32 at[2] = {f.pos[0] + o[0], f.pos[1] + o[1]};
        FirePod(201, 30, 4.0f, aim, at);
    }
    PlaySoundEffect(kSoundSenGeTaihou01);
}

// 220: the carrier's bridge: pod triples and rings.
void Action220(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 p, w, n;
        f32 factor;
    };
    static constexpr Row kRows[3] = {{150, 40, 8, 1.0f}, {120, 40, 12, 1.0f}, {90, 60, 16, 1.2f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t % r.p == 0) PodTriple(f, {{-20.0f, 10.0f}, {0.0f, 10.0f}, {20.0f, 10.0f}});
    if (t % r.p == r.w) CarrierRing(f, r.n, r.factor);
}

// 221: pod triples from the side toward the player, and rings of 12.
void Action221(PartFrame& f) {
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t % 80 == 0) {
        const f32 dx = f.pos[0] > g_PlayerState[0].x ? -10.0f : 10.0f;
        PodTriple(f, {{dx, 20.0f}, {dx, 0.0f}, {dx, -20.0f}});
    }
    if (t % 100 == 40) CarrierRing(f, 12, 1.0f);
}

// 230: the second mid-boss's plates: fast scattered streams.
void Action230(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 w;
        f32 r;
    };
    static constexpr Row kRows[3] = {{30, 0.2f}, {30, 0.4f}, {40, 0.6f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t < 200 || t % 100 > r.w || t % 3 != 0) return;
    const f32 heading = f.angle + RandomFloat(-r.r, r.r);
    FireBullet(kBulletPelletEaseTo3, 5.0f, kHitShapeSmall, heading, f.pos);
    SpacedSound(kSoundMg, 4);
}

// 231: the second mid-boss's core. With both plates shot while the core is
// nearly whole it leaves at once with a bonus (once per play of the stage);
// otherwise side pods, and with the plates gone more pods and twin streams.
bool LeavesEarly(const PartFrame& f) {
    if (g_GameState.StoryFlags[kStorySecondStageMidBossLeftEarly] != 0) return false;
    if (!AllRootsDestroyed(f.enemy, {0, 1})) return false;
    const EnemyPart* core = RootPartAt(f.enemy, 2);
    if (core == nullptr || core->state == -1 || core->maxHp <= 0) return false;
    return static_cast<f32>(core->hp) / static_cast<f32>(core->maxHp) > 0.8f;
}
void LeaveEarly(const PartFrame& f) {
    StartTalkEvent(216);
    g_GameState.StoryFlags[kStorySecondStageMidBossLeftEarly] = 1;
    SetEnemyState(f.enemy, 282);
    Enemy& e = Owner(f);
    e.speed = 2.0f;
    e.heading = e.rotation;
    e.active = 0;
    for (i32 r = 0; r <= 2; ++r) {
        if (!RootDestroyed(f.enemy, r)) RootPart(f.enemy, r).action = 0;
    }
    const f32 at[2] = {320.0f, 220.0f};
    SpawnEffect(kEffectDefeatBonus, at, 0.0f, -1);
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = PlayerScoreMultiplier();
    AddScore((m + PlayerLives() + 10) * 300 + m * n);
}
void Action231(PartFrame& f) {
    if (LeavesEarly(f)) {
        LeaveEarly(f);
        return;
    }
    if (Outside(f)) return;
    struct Row {
        i32 p;
        i32 first[3];
        i32 second[3];
        i32 count;
        i32 width;
    };
    static constexpr Row kRows[3] = {{300, {100}, {200}, 1, 20},
                                     {300, {100, 120}, {200, 220}, 2, 20},
                                     {250, {100, 120, 140}, {200, 220, 240}, 3, 30}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    const bool platesGone = AllRootsDestroyed(f.enemy, {0, 1});
    const auto sidePods = [&] {
        FirePod(204, 30, 1.0f, f.angle - 2.0f, f.pos);
        FirePod(204, 30, 1.0f, f.angle + 2.0f, f.pos);
        PlaySoundEffect(kSoundSenMiMisairu);
    };
    if (t >= 200 && ResidueIn(t, r.p, r.first, r.count)) sidePods();
    if (platesGone && t >= 200 && ResidueIn(t, r.p, r.second, r.count)) sidePods();
    if (platesGone && t >= 200 && t % 100 < r.width && t % 4 == 0) {
        const f32 aim = AimFrom(f.pos);
        f32 left[2];
        f32 right[2];
        LocalPoint(f, 16.0f, -24.0f, left);
        LocalPoint(f, 16.0f, 24.0f, right);
        FireBullet(kBulletNeedle, 4.0f, kHitShapeBar, aim, left);
        FireBullet(kBulletNeedle, 4.0f, kHitShapeBar, aim, right);
        PlayFireSound();
    }
}

// 240: kind 1's aimed fan, twice in its life, slower toward the edges.
void Action240(PartFrame& f) {
    if (Outside(f)) return;
    struct Row {
        i32 second;
        f32 v0;
        i32 n;
        f32 ds, c;
    };
    static constexpr Row kRows[3] = {
        {300, 2.5f, 3, 0.25f, 0.05f}, {280, 3.0f, 5, 0.2f, 0.04f}, {280, 3.0f, 7, 0.15f, 0.03f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t != 150 && t != r.second) return;
    const f32 a = AimFrom(f.pos);
    FireBullet(kBulletNeedle, r.v0, kHitShapeBar, a, f.pos);
    for (i32 i = 1; i <= r.n; ++i) {
        const f32 speed = 2.5f - static_cast<f32>(i) * r.ds;
        const f32 spread = static_cast<f32>(i * i) * r.c;
        FireBullet(kBulletNeedle, speed, kHitShapeBar, a - spread, f.pos);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, a + spread, f.pos);
    }
    PlayFireSound();
}

// ---- The boss's parts (251-295) ----

constexpr HitShape kOrb{0, 0, 28};
constexpr f32 kGunClamp = 1.0471976f;  // pi/3

// The enemy's age and state, read afresh.
i32 OwnerAge(const PartFrame& f) { return Owner(f).age; }
i32 OwnerState(const PartFrame& f) { return Owner(f).state; }
bool StateIs(const PartFrame& f, i32 a, i32 b) { return OwnerState(f) == a || OwnerState(f) == b; }

// The arm swings: the part's offset and angle rewritten from its timer (they
// take effect from the next frame on).
void Swing(PartFrame& f, bool upper) {
    const f80 s = std::sin(2.0L * std::numbers::pi_v<f80> * static_cast<f80>((2 * T(f)) % 360) / 360.0L);
    const f80 halfPi = static_cast<f80>(kPi) / 2.0L;
    const f80 a = upper ? -0.4L * s - 0.1L - halfPi : 0.4L * s + halfPi + 0.1L;
    EnemyPart& p = *f.part;
    p.offsetX = static_cast<f32>(100.0L * std::cos(a) - 50.0L);
    p.offsetY = static_cast<f32>(50.0L * std::sin(a) + (upper ? -45.0L : 45.0L));
    p.angle = static_cast<f32>(upper ? a + halfPi : a - halfPi);
}

// The clamped turn of the boss guns.
void ClampedTurn(PartFrame& f) {
    TurnStep(f, 0.004f);
    if (f.part->angle > kGunClamp) f.part->angle = kGunClamp;
    if (f.part->angle < -kGunClamp) f.part->angle = -kGunClamp;
}

// An orb shell (kind 210, 150 hit points) from P + (d, 0) turned by its
// heading; sound 13.
void Orb(const PartFrame& f, f32 heading, f32 speed, f32 d) {
    f32 v[2] = {d, 0.0f};
    RotateVector2(v, heading);
    const f32 at[2] = {f.pos[0] + v[0], f.pos[1] + v[1]};
    FireShell(
        {.kind = 210, .hp = 150, .speed = speed, .strength = 3, .shape = kOrb, .angle = heading, .heading = heading},
        at);
    PlaySoundEffect(kSoundFire);
}
// The volley window's shell: its heading spread by one draw, made before the
// position.
void VolleyOrb(const PartFrame& f) {
    const f32 heading = f.angle + RandomFloat(-0.1f, 0.1f);
    Orb(f, heading, 4.0f, 50.0f);
}
void SingleOrb(const PartFrame& f, f32 d) { Orb(f, f.angle, 3.0f, d); }
bool InVolleyWindow(i32 u) { return u == 10 || u == 14 || u == 18 || u == 22 || u == 26; }

// A ring of n bullets (kind 101) at headings base + 2 pi i / n; bullet sound.
void Ring101(const PartFrame& f, i32 n, f32 speed, f32 base) {
    for (i32 i = 0; i < n; ++i) {
        FireBullet(kBulletNeedle, speed, kHitShapeBar, base + kTwoPi * static_cast<f32>(i) / static_cast<f32>(n),
                   f.pos);
    }
    PlayFireSound();
}

// Pods spread to both sides of `base`: base + step i for i = 1..n, then
// base - step i.
void PodSpread(const PartFrame& f, i32 kind, f32 base, f32 step, i32 n) {
    for (i32 i = 1; i <= n; ++i) FirePod(kind, 50, 0.0f, base + step * static_cast<f32>(i), f.pos);
    for (i32 i = 1; i <= n; ++i) FirePod(kind, 50, 0.0f, base - step * static_cast<f32>(i), f.pos);
}

// `count` explosions (effect 10) around P, the j-th aged -2 j: x, y and angle
// drawn per effect.
void ArrivalBlasts(const PartFrame& f, i32 count) {
    PlaySoundEffect(kSoundSenGeBom05);
    for (i32 j = 0; j < count; ++j) {
        const f32 dx = RandomFloat(-30.0f, 30.0f);
        const f32 dy = RandomFloat(-30.0f, 30.0f);
        const f32 at[2] = {f.pos[0] + dx, f.pos[1] + dy};
        const i32 index = SpawnPartEffect(kEffectSpark, at);
        if (index >= 0) g_EffectList[static_cast<std::size_t>(index)].age = -2 * j;
    }
}

// Five orb shells at P, turning with the window's progress (direction by the
// parity of t / q).
void OrbStar(const PartFrame& f, i32 q) {
    const i32 t = T(f);
    const f32 turn = static_cast<f32>((t % q) / 5) * 0.1f;
    for (i32 i = 0; i < 5; ++i) {
        const f32 base = f.angle + kTwoPi * static_cast<f32>(i) / 5.0f;
        const f32 heading = (t / q) % 2 == 0 ? base + turn : base - turn;
        FireShell(
            {.kind = 210, .hp = 150, .speed = 3.0f, .strength = 3, .shape = kOrb, .angle = heading, .heading = heading},
            f.pos);
    }
    PlaySoundEffect(kSoundFire);
}

// Fans of bullets 101 for i = -n..n from P + rot((dx, 100 sin(i pi / g)), A)
// at heading A + i h, one bullet per speed; with `jitter` each bullet after
// the first of an i turns by a further draw of +-0.1.
void WaveFans(const PartFrame& f, f32 dx, i32 n, i32 g, f32 h, const f32* speeds, i32 speedCount, bool jitter) {
    for (i32 i = -n; i <= n; ++i) {
        const f32 dy =
            static_cast<f32>(100.0L * std::sin(static_cast<f80>(i) * static_cast<f80>(kPi) / static_cast<f80>(g)));
        f32 from[2];
        LocalPoint(f, dx, dy, from);
        f32 heading = f.angle + static_cast<f32>(i) * h;
        for (i32 k = 0; k < speedCount; ++k) {
            if (jitter && k > 0) heading += RandomFloat(-0.1f, 0.1f);
            FireBullet(kBulletNeedle, speeds[k], kHitShapeBar, heading, from);
        }
    }
    PlayFireSound();
}

// 251, 252: the claws swing and fire by the boss's state.
void Claw(PartFrame& f, bool upper) {
    Swing(f, upper);
    if (Outside(f)) return;
    const i32 t = T(f);
    if (StateIs(f, 255, 256) && OwnerAge(f) < 600) {
        if (t % 300 == 0) Ring101(f, 24, 1.8f, f.angle);
    } else if (StateIs(f, 261, 262)) {
        if (t > 50 && t % 40 == 0) {
            const f32 w = 0.05f * Wave(t, 500) + 0.06f;
            for (i32 i = -2; i <= 2; ++i) {
                FireBullet(kBulletNeedle, 3.0f - 0.15f * static_cast<f32>(std::abs(i)), kHitShapeBar,
                           f.angle + static_cast<f32>(i) * w, f.pos);
            }
            PlayFireSound();
        }
    } else if (StateIs(f, 251, 252)) {
        if (t > 50 && t % 80 == 0) {
            for (i32 i = -2; i <= 2; ++i)
                FireBullet(kBulletNeedle, 2.0f, kHitShapeBar, f.angle + 0.15f * static_cast<f32>(i), f.pos);
            PlayFireSound();
        }
    }
}
void Action251(PartFrame& f) { Claw(f, true); }
void Action252(PartFrame& f) { Claw(f, false); }

// 253: a boss gun that arrives with a blast; volleys and single shots in a
// 440-frame cycle, turning between them.
void Action253(PartFrame& f) {
    if (T(f) == 1) ArrivalBlasts(f, 10);
    if (Outside(f)) return;
    const i32 t = T(f);
    const i32 u = t % 110;
    const i32 c = (t / 110) % 4;
    if (c == 0 && u < 30) {
        f.part->spriteKind = 259;
        if (InVolleyWindow(u)) VolleyOrb(f);
    } else if (u < 20) {
        f.part->spriteKind = 259;
        if (u == 10) SingleOrb(f, 50.0f);
        if (u == 15 && g_GameState.StoryFlags[kStoryBossGunTalkShown] == 0) {
            g_GameState.StoryFlags[kStoryBossGunTalkShown] = 1;
            StartTalkEvent(222);
        }
    } else {
        f.part->spriteKind = 260;
        ClampedTurn(f);
    }
}

// 260: a rebuilt arm gun drops pods; the rebuild's talk once.
void Action260(PartFrame& f) {
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t > 50 && t % 120 == 0) {
        FirePod(202, 50, 0.0f, f.parentAngle, f.pos);
        PlaySoundEffect(kSoundSenGeTaihou01);
    }
    auto& flags = g_GameState.StoryFlags;
    if (flags[kStoryBossArmRebuilt] == 1 && flags[kStoryBossArmTalkAsked] == 0) {
        StartTalkEvent(223);
        flags[kStoryBossArmTalkAsked] = 1;
    }
}

// 261: a boss gun that arrives with a blast (its timer jumps to 30), then
// single shots every 150 frames, turning between them.
void Action261(PartFrame& f) {
    if (T(f) < 10) {
        ArrivalBlasts(f, 5);
        f.part->timer = 20 * f.part->timer + 10;
    }
    if (Outside(f)) return;
    const i32 t = T(f);
    if (t > 20 && t % 150 < 20) {
        if (t % 150 == 10) SingleOrb(f, 15.0f);
    } else {
        ClampedTurn(f);
    }
}

// 270: an arm rebuilds its destroyed guns while it is out of the field in the
// boss's states 255 and 256, 300 of its hit points each.
void Action270(PartFrame& f) {
    if (!StateIs(f, 255, 256) || !Outside(f)) return;
    for (i32 c = 0; c < 2; ++c) {
        EnemyPart* child = ChildOf(*f.part, c);
        if (child == nullptr || child->state != -1 || f.part->hp <= 300) continue;
        f.part->hp -= 300;
        child->state = 1;
        child->action = 260;
        child->hp = child->maxHp;
        g_GameState.StoryFlags[kStoryBossArmRebuilt] = 1;
    }
}

// 275: the boss's nose: a ring of pods in states 255 and 256, fans of pods in
// 261 and 262 once root part 1's children 2 and 3 are gone.
void Action275(PartFrame& f) {
    if (StateIs(f, 255, 256) && OwnerAge(f) == 400) {
        for (i32 i = 0; i < 8; ++i) FirePod(203, 50, 0.0f, kTwoPi * static_cast<f32>(i) / 8.0f, f.pos);
        PlaySoundEffect(kSoundSenMiMisairu);
    }
    if (StateIs(f, 261, 262) && T(f) % 200 == 0 && ChildDestroyed(f.enemy, 1, 2) && ChildDestroyed(f.enemy, 1, 3)) {
        for (i32 i = 0; i < 7; ++i) {
            FirePod(203, 50, 0.0f, f.parentAngle + kTwoPi * static_cast<f32>(i) / 7.0f, f.pos);
        }
        PlaySoundEffect(kSoundSenMiMisairu);
    }
}

// 276: the boss's core, hittable once root part 2 and root part 1's children
// 2 and 3 are gone; the boss sinks (298) once root part 0 and root part 1's
// children 0 to 3 are gone.
void Action276(PartFrame& f) {
    const i32 t = T(f);
    if (RootDestroyed(f.enemy, 2) && ChildDestroyed(f.enemy, 1, 2) && ChildDestroyed(f.enemy, 1, 3)) {
        f.part->hitShape = HitShape{30, 30, 40};
        const auto crossAndRing = [&](i32 shape, i32 rings, f32 speed, f32 step) {
            for (i32 i = 1; i <= 4; ++i) {
                const f32 d = static_cast<f32>(i) * kPi / 5.0f;
                FireBullet(210, 1.0f, shape, f.angle + d, f.pos);
                FireBullet(210, 1.0f, shape, f.angle - d, f.pos);
            }
            for (i32 i = 0; i < 20; ++i) {
                for (i32 j = 0; j < rings; ++j) {
                    // kind 211 carries {0, 0, 5}, entry 1 of DefaultHitShapes
                    FireBullet(211, speed + step * static_cast<f32>(j), kHitShapeSmall,
                               f.angle + static_cast<f32>(i) * kPi / 10.0f, f.pos);
                }
            }
        };
        if (g_GameState.StoryFlags[kStoryBossGunTalkShown] == 1) {
            if (t > 50 && t % 100 == 0) crossAndRing(2, 1, 1.5f, 0.0f);
            if (t > 50 && t % 250 < 30 && t % 5 == 0) OrbStar(f, 250);
        } else if (StateIs(f, 251, 252) && t > 50 && t % 100 == 0) {
            crossAndRing(kHitShapeSmall, 4, 1.2f, 0.05f);
        }
    } else {
        f.part->hitShape = HitShape{};
        f.part->timer = 0;
    }
    if (OwnerState(f) != 298 && RootDestroyed(f.enemy, 0) && ChildDestroyed(f.enemy, 1, 0) &&
        ChildDestroyed(f.enemy, 1, 1) && ChildDestroyed(f.enemy, 1, 2) && ChildDestroyed(f.enemy, 1, 3)) {
        SetEnemyState(f.enemy, 298);
    }
}

// 280: phase 1's guns drop pods.
void Action280(PartFrame& f) {
    if (Outside(f)) return;
    static constexpr i32 kEvery[3] = {120, 80, 80};
    const i32 t = T(f);
    if (t <= 50 || t % ByDifficulty(f, kEvery) != 0) return;
    FirePod(202, 50, 0.0f, f.parentAngle, f.pos);
    PlaySoundEffect(kSoundSenGeTaihou01);
}

// 281, 282: the side parts swing and fire fans in four of every five periods.
void SideFans(PartFrame& f, bool upper) {
    Swing(f, upper);
    if (Outside(f)) return;
    struct Row {
        i32 p, n;
        f32 v, s;
    };
    static constexpr Row kRows[3] = {{80, 2, 3.0f, 0.2f}, {50, 3, 3.0f, 0.2f}, {40, 4, 2.8f, 0.25f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 50 || t % r.p != 0 || (t / r.p) % 5 > 3) return;
    for (i32 i = -r.n; i <= r.n; ++i)
        FireBullet(kBulletNeedle, r.v, kHitShapeBar, f.angle + static_cast<f32>(i) * r.s, f.pos);
    PlayFireSound();
}

// 285, 286: the side parts swing and fire rings at the boss's ages.
void SideRings(PartFrame& f, bool upper) {
    Swing(f, upper);
    struct Row {
        i32 n1, second;
        f32 v2;
    };
    static constexpr Row kRows[3] = {{24, 0, 0.0f}, {24, 50, 1.8f}, {32, 80, 2.4f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 age = OwnerAge(f);
    const bool cycle = age >= 1000 && age < 5000;
    if (cycle && age % 1000 == 200) Ring101(f, r.n1, 1.8f, f.angle);
    if (r.second > 0 && cycle && age % 1000 == 200 + r.second) Ring101(f, 24, r.v2, f.angle);
}

// 287: phase 2's core part spreads pods at the boss's ages.
void Action287(PartFrame& f) {
    static constexpr i32 kCount[3] = {3, 4, 6};
    const i32 age = OwnerAge(f);
    if (age < 1000 || age >= 5000 || age % 1000 != 150) return;
    PodSpread(f, 203, f.angle, 0.1f * kPi, ByDifficulty(f, kCount));
    PlaySoundEffect(kSoundSenMiMisairu);
}

// 288: phase 3's core: pods along its length in the first 200 frames of every
// 1000, and wave fans at ages 1050 and 2050.
void Action288(PartFrame& f) {
    struct Row {
        i32 q, n, g;
        f32 h;
        f32 speeds[4];
        i32 speedCount;
    };
    static constexpr Row kRows[3] = {{20, 9, 12, 0.05f * kPi, {3.2f, 3.0f}, 2},
                                     {15, 12, 12, kPi / 24.0f, {3.2f, 3.0f}, 2},
                                     {10, 15, 15, kPi / 28.0f, {4.2f, 3.9999998f, 3.7999997f, 3.6f}, 4}};
    const Row& r = ByDifficulty(f, kRows);
    const bool hard = &r == &kRows[2];
    const i32 age = OwnerAge(f);
    if (age >= 1000 && age % 1000 < 200 && (age % 1000) % r.q == 0) {
        const f32 along = RandomFloat(-150.0f, 150.0f);
        f32 at[2];
        LocalPoint(f, 0.0f, along, at);
        f32 heading = f.parentAngle;
        if (hard) heading += RandomFloat(-0.2f, 0.2f);
        FirePod(205, 50, 0.0f, heading, at);
        PlaySoundEffect(kSoundSenGeTaihou01);
    }
    if (age == 1050 || age == 2050) WaveFans(f, 0.0f, r.n, r.g, r.h, r.speeds, r.speedCount, hard);
}

// 289: final form 295's core: wave fans, the faster the fewer guns stand.
void Action289(PartFrame& f) {
    struct Row {
        i32 perGun, base, n;
        f32 h;
        f32 speeds[3];
        i32 speedCount;
    };
    // p(c) = perGun c + base: EASY 50 c + 60, NORMAL 40 (c + 1), HARD 30 (c + 1).
    static constexpr Row kRows[3] = {{50, 60, 9, 0.05f * kPi, {3.2f, 3.0f}, 2},
                                     {40, 40, 12, kPi / 24.0f, {3.2f, 3.0f}, 2},
                                     {30, 30, 13, kPi / 24.0f, {3.2f, 2.8f, 2.4f}, 3}};
    const Row& r = ByDifficulty(f, kRows);
    i32 c = 0;
    for (const i32 root : {7, 8, 9, 10}) c += RootDestroyed(f.enemy, root) ? 0 : 1;
    if (c == 0 && !RootDestroyed(f.enemy, 4)) c = 1;
    const i32 t = T(f);
    if (t < 501 || t % (r.perGun * c + r.base) != 0) return;
    WaveFans(f, -60.0f, r.n, 12, r.h, r.speeds, r.speedCount, &r == &kRows[2]);
}

// 290: final form 295's nose gun: after 300 frames, volleys and single shots
// in a four-period cycle, turning between them.
void Action290(PartFrame& f) {
    static constexpr i32 kPeriod[3] = {150, 110, 90};
    const i32 p = ByDifficulty(f, kPeriod);
    const i32 t = T(f);
    const i32 u = t % p;
    if (t > 300 && (t / p) % 4 == 0 && u < 30) {
        f.part->spriteKind = 260;
        if (InVolleyWindow(u)) VolleyOrb(f);
    } else if (t > 300 && u < 20) {
        f.part->spriteKind = 260;
        if (u == 10) SingleOrb(f, 50.0f);
    } else {
        f.part->spriteKind = 259;
        ClampedTurn(f);
    }
}

// 291: final form 295's revived guns: a single shot at the start of each
// period after 300 frames.
void Action291(PartFrame& f) {
    static constexpr i32 kPeriod[3] = {180, 150, 120};
    const i32 p = ByDifficulty(f, kPeriod);
    const i32 t = T(f);
    if (t <= 300 || t % p >= 20) {
        f.part->spriteKind = 257;
        return;
    }
    f.part->spriteKind = 258;
    if (t % p == 10) SingleOrb(f, 55.0f);
}

// 292: final form 294's core: turning orb stars and two swaying fans.
void Action292(PartFrame& f) {
    struct Row {
        i32 q, r, every, n;
    };
    static constexpr Row kRows[3] = {{250, 8, 40, 2}, {250, 5, 40, 2}, {200, 5, 30, 3}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t > 300 && t % r.q < 30 && t % r.r == 0) {
        OrbStar(f, r.q);
        if (g_GameState.StoryFlags[kStoryBossGunTalkShown] == 0) StartTalkEvent(222);
    }
    if (t >= 301 && t % r.every == 0) {
        const f32 w = 0.08f * Wave(t, 500) + 0.1f;
        const f32 b = 1.2f * Wave(t, 700);
        for (const f32 side : {1.0f, -1.0f}) {
            f32 from[2];
            LocalPoint(f, 0.0f, 50.0f * side, from);
            const f32 base = f.angle + side * b;
            for (i32 i = -r.n; i <= r.n; ++i) {
                FireBullet(kBulletNeedle, 3.0f - 0.15f * static_cast<f32>(std::abs(i)), kHitShapeBar,
                           base + static_cast<f32>(i) * w, from);
            }
        }
        PlayFireSound();
    }
}

// 293: pods spread to both sides every p frames after 300.
void Action293(PartFrame& f) {
    struct Row {
        i32 p;
        f32 s;
        i32 n;
    };
    static constexpr Row kRows[3] = {{250, 0.1f, 4}, {200, 0.1f, 4}, {200, 0.125f, 6}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= 300 || t % r.p != 0) return;
    PodSpread(f, 203, f.angle, r.s * kPi, r.n);
    PlaySoundEffect(kSoundSenMiMisairu);
}

// 295: aimed bursts from points to either side, alternating, in the second
// part of every period.
void Action295(PartFrame& f) {
    struct Row {
        i32 p, w, q;
        f32 s;
        f32 speeds[4];
    };
    static constexpr Row kRows[3] = {{300, 200, 10, 0.8f, {3.4f, 3.35f, 3.3f, 3.25f}},
                                     {350, 250, 6, 0.8f, {3.4f, 3.3f, 3.2f, 3.1f}},
                                     {400, 300, 4, 1.2f, {3.4f, 3.3f, 3.2f, 3.1f}}};
    const Row& r = ByDifficulty(f, kRows);
    const bool hard = &r == &kRows[2];
    const i32 t = T(f);
    if (t % r.p < r.w) return;
    f32 side = 0.0f;
    if (t % r.q == 0) {
        side = 1.0f;
    } else if (t % r.q == r.q / 2) {
        side = -1.0f;
    } else {
        return;
    }
    const f32 dx = RandomFloat(50.0f, 150.0f);
    const f32 origin[2] = {f.pos[0] + side * dx, f.pos[1]};
    const f32 a = AimFrom(origin);
    f32 base = a;
    if (t % 300 != 150) base = a + RandomFloat(-r.s, r.s);
    for (const f32 speed : r.speeds) {
        f32 heading = base;
        if (hard) heading += RandomFloat(-0.1f, 0.1f);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, heading, origin);
    }
    PlayFireSound();
}

void Nothing(PartFrame&) {}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    // clang-format off
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13}, {201, Action201}, {205, Action205},
    {206, Action206},   {210, Action210},   {211, Action211},   {215, Action215}, {216, Action216},
    {220, Action220},   {221, Action221},   {230, Action230},   {231, Action231}, {240, Action240},
    {251, Action251},   {252, Action252},   {253, Action253},   {254, Nothing},   {260, Action260},
    {261, Action261},   {270, Action270},   {275, Action275},   {276, Action276}, {280, Action280},
    {281, [](PartFrame& f) { SideFans(f, true); }},             {282, [](PartFrame& f) { SideFans(f, false); }},
    {283, [](PartFrame& f) { Swing(f, true); }},                {284, [](PartFrame& f) { Swing(f, false); }},
    {285, [](PartFrame& f) { SideRings(f, true); }},            {286, [](PartFrame& f) { SideRings(f, false); }},
    {287, Action287},   {288, Action288},   {289, Action289},   {290, Action290}, {291, Action291},
    {292, Action292},   {293, Action293},   {295, Action295},
    // clang-format on
};

// 231 silences the mid-boss's parts when it leaves early; 270 rebuilds the
// arm's guns with 260; the guns show their firing and resting pictures.
constexpr i32 kWrittenActions[] = {0, 260};
constexpr i32 kWrittenSpriteKinds[] = {257, 258, 259, 260};

constexpr ActionTable kTable{
    .actions = kActions,
    .writesActions = kWrittenActions,
    .writesSpriteKinds = kWrittenSpriteKinds,
};

}  // namespace

const ActionTable& ActionsStage2() { return kTable; }

void RunPartActionStage2(PartFrame& frame) { RunActionByTable(kTable, frame); }
