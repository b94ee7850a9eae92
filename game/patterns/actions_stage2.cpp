// The attack patterns of stage index 1: one row per action id in the table at
// the end, the three difficulties' numbers in small tables. An id without a
// row does nothing.
//
// t is the part's timer after this frame's increment; P and A are the part's
// world position and world angle (from before any turn of this frame), A0 the
// parent's world angle.
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/part_step.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/shots.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace {

using f80 = long double;

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kTwoPi = 2.0f * kPi;

// Bullet kinds and the entries of DefaultHitShapes they carry.
constexpr i32 kBullet101 = 101;
constexpr i32 kBullet103 = 103;
constexpr i32 kBullet203 = 203;
constexpr i32 kHS0 = 0;
constexpr i32 kHS1 = 1;

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
    FireShell({.kind = kind, .hp = hp, .speed = speed, .strength = 3, .shape = kPod, .angle = heading,
               .heading = heading},
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
    FireBullet(kBullet103, 2.5f, kHS1, AimFrom(f.pos), f.pos);
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
    FireBullet(kBullet103, 3.0f, kHS1, f.angle, f.pos);
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
    for (i32 i = -r.n; i <= r.n; ++i) FireBullet(kBullet101, 2.0f, kHS0, f.angle + static_cast<f32>(i) * r.s, muzzle);
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
    static constexpr Row kRows[3] = {{150, {8, 16}, 2, 0.2f}, {100, {5, 10, 15}, 3, 0.4f}, {80, {5, 10, 15, 20}, 4, 0.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!((t > 50 && t % r.p == 0) || ResidueIn(t, r.p, r.at, r.count))) return;
    f32 muzzle[2];
    LocalPoint(f, 20.0f, 0.0f, muzzle);
    const f32 heading = f.angle + RandomFloat(-r.r, r.r);
    FireBullet(kBullet103, 2.5f, kHS1, heading, muzzle);
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
            FireBullet(kBullet103, 1.5f, kHS1, heading, f.pos, f.angle, 0);
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
    FireBullet(kBullet101, r.v, kHS0, heading, muzzle);
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
        FireBullet(kBullet103, speed, kHS1, heading, f.pos);
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
    FireBullet(kBullet203, 5.0f, kHS1, heading, f.pos);
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
    SpawnEffect(64, at, 0.0f, -1);
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
        FireBullet(kBullet101, 4.0f, kHS0, aim, left);
        FireBullet(kBullet101, 4.0f, kHS0, aim, right);
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
    FireBullet(kBullet101, r.v0, kHS0, a, f.pos);
    for (i32 i = 1; i <= r.n; ++i) {
        const f32 speed = 2.5f - static_cast<f32>(i) * r.ds;
        const f32 spread = static_cast<f32>(i * i) * r.c;
        FireBullet(kBullet101, speed, kHS0, a - spread, f.pos);
        FireBullet(kBullet101, speed, kHS0, a + spread, f.pos);
    }
    PlayFireSound();
}

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13}, {201, Action201}, {205, Action205},
    {206, Action206},   {210, Action210},   {211, Action211},   {215, Action215}, {216, Action216},
    {220, Action220},   {221, Action221},   {230, Action230},   {231, Action231}, {240, Action240},
};

// 231 silences the mid-boss's parts when it leaves early.
constexpr i32 kWrittenActions[] = {0};

constexpr ActionTable kTable{.actions = kActions, .writesActions = kWrittenActions};

}  // namespace

const ActionTable& ActionsStage2() { return kTable; }

void RunPartActionStage2(PartFrame& frame) { RunActionByTable(kTable, frame); }

void StepPartStage2Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage2Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage2Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 2, enemy, part, parentPos, parentAngle);
}
