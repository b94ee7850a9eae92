// The last boss of the last stage (enemy kind 101) and its escorts (kind 102).
// Its phases hand the actions out with the timer at 0: the arrival (901 on the
// body, 910 on the four turrets), the dive (902 on the tail, 903 on the body),
// the wide phase (931 on the body, 932 on the wings, 933 on the arms) and the
// last phase (951 on the body, 952 on the spine); the escorts carry 960 from
// their creation. t is the part's timer after this frame's increment. The
// stage's table (actions_stage5.cpp) names the actions.
#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/actions_stage5.h"
#include "game/patterns/part_step.h"
#include "game/play/bullet_kinds.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace actions_stage5::lastboss {

namespace {

constexpr HitShape kBandShell{12, 10, 0};

constexpr f32 kThirdTurn = kTwoPi / 3.0f;

// (a, b) + (c cos phi, d sin phi), a local point on an ellipse, in extended
// precision.
void EllipsePoint(const PartFrame& f, f32 a, f32 c, f32 d, f32 phi, f32 out[2]) {
    const long double p = static_cast<long double>(phi);
    const f32 x = static_cast<f32>(static_cast<long double>(a) + static_cast<long double>(c) * std::cos(p));
    const f32 y = static_cast<f32>(static_cast<long double>(d) * std::sin(p));
    LocalPoint(f, x, y, out);
}

// The last phase's body (951).

// Mode A of 951: one random burst of four or five arms from a side muzzle.
void SideBurst(PartFrame& f, f32 b, const f32 speeds[2]) {
    const bool hard = IsHard(f);
    f32 muzzle[2];
    LocalPoint(f, 40.0f, b, muzzle);
    const f32 base = RandomFloat(-kPi, kPi);
    const i32 first = hard ? -3 : -2;
    const f32 step = hard ? 1.2566f : kPi / 2.0f;
    const f32 d = hard ? 0.015f : 0.02f;
    for (i32 k = first; k <= 1; ++k) {
        const f32 a = base + static_cast<f32>(k) * step;
        for (i32 s = 0; s < (hard ? 2 : 1); ++s) {
            for (const f32 h : {a, a - d, a + d}) FireBullet(kBulletNeedle, speeds[s], kHitShapeBar, h, muzzle);
        }
    }
    PlayFireSound();
}

// Mode A of 951 (c even): shell sprays backward and the two side bursts.
void BodyModeA(PartFrame& f, i32 t) {
    struct Row {
        i32 window, every;
        f32 halfWidth;
        i32 divisor, soundEvery, firstEvery, secondEvery;
        f32 firstSpeeds[2], secondSpeeds[2];
    };
    static constexpr Row kRows[3] = {{40, 6, 150.0f, 6, 6, 15, 15, {3.5f, 3.5f}, {3.5f, 3.5f}},
                                     {40, 4, 150.0f, 4, 8, 15, 15, {3.5f, 3.5f}, {3.5f, 3.5f}},
                                     {50, 3, 180.0f, 4, 9, 15, 10, {3.8f, 3.7f}, {3.5f, 3.4f}}};
    const Row& r = ByDifficulty(f, kRows);
    if (t > 200 && t % 200 <= r.window && t % r.every == 0) {
        const f32 across = RandomFloat(-r.halfWidth, r.halfWidth);
        f32 point[2];
        LocalPoint(f, 0.0f, across, point);
        FireShell(Shell(903 + (t / r.divisor) % 2, 50, -8.0f, 4, kBandShell, f.parentAngle + kPi), point);
        if (t % r.soundEvery == 0) ShellSound();
    }
    if (t > 200 && t % 200 >= 100 && t % r.firstEvery == 0) SideBurst(f, 120.0f, r.firstSpeeds);
    if (t > 200 && t % 200 >= 100 && t % r.secondEvery == 0) SideBurst(f, -120.0f, r.secondSpeeds);
}

// Mode B of 951 (c odd): twin rings, else the nine-stream curtain; then the
// aimed spread of nine pairs.
void BodyModeB(PartFrame& f, i32 t, i32 v) {
    struct Row {
        i32 ringEvery, ringCount;
        f32 ringGrowth, curtainStep, wobble, delta;
    };
    static constexpr Row kRows[3] = {{30, 12, 0.015f, 0.2f * 2.8f, 0.2f, 0.015f},
                                     {25, 15, 0.015f, kPi / 6.0f, 0.35f, 0.02f},
                                     {20, 18, 0.02f, kPi / 6.0f, 0.4f, 0.02f}};
    const Row& r = ByDifficulty(f, kRows);
    const f32 w = f.angle;
    if (v > 1 && v <= 200 && t % r.ringEvery == 0) {
        for (const f32 side : {1.0f, -1.0f}) {
            f32 muzzle[2];
            LocalPoint(f, 30.0f, side * static_cast<f32>(v), muzzle);
            for (i32 i = 0; i < r.ringCount; ++i) {
                FireBullet(kBulletPellet, 2.0f + r.ringGrowth * static_cast<f32>(v), kHitShapeSmall,
                           w + static_cast<f32>(i) * kTwoPi / static_cast<f32>(r.ringCount), muzzle);
            }
        }
        PlayFireSound();
    } else if (v >= 200) {
        f32 wobble = 0.0f;
        if (v > 400) {
            const long double phase = static_cast<long double>(kTwoPi) * static_cast<long double>(v - 400) / 200.0L;
            wobble = static_cast<f32>(static_cast<long double>(r.wobble) * std::sin(phase));
        }
        for (i32 i = 0; i <= 8; ++i) {
            f32 muzzle[2];
            LocalPoint(f, 10.0f, -40.0f + 10.0f * static_cast<f32>(i), muzzle);
            FireBullet(kBulletNeedle, 8.0f, kHitShapeBar, w + kPi - static_cast<f32>(i - 4) * r.curtainStep + wobble,
                       muzzle);
        }
        PlayFireSound();
    }
    const i32 every = f.difficulty == kDifficultyEasy     ? 40
                      : f.difficulty == kDifficultyNormal ? 30 - static_cast<i32>(0.02f * static_cast<f32>(v - 300))
                                                          : 20;
    if (!(v >= 300 && v % every == 0)) return;
    f32 drawn[2];
    DrawnPosition(f, drawn);
    const f32 aim = AimFrom(drawn);
    const f32 since = static_cast<f32>(v - 300);
    const f32 speed = f.difficulty == kDifficultyEasy || f.difficulty == kDifficultyNormal ? 4.0f + since / 120.0f
                                                                                           : 4.0f + 0.02f * since;
    for (i32 i = 0; i <= 8; ++i) {
        f32 muzzle[2];
        LocalPoint(f, 5.0f, -20.0f + 5.0f * static_cast<f32>(i), muzzle);
        const f32 a = aim - static_cast<f32>(i - 4) * 0.1f * kPi;
        FireBullet(kBulletNeedle, speed, kHitShapeBar, a + r.delta, muzzle);
        FireBullet(kBulletNeedle, speed, kHitShapeBar, a - r.delta, muzzle);
    }
}

}  // namespace

// 901: rotating volleys from an ellipse 140 pixels ahead of the body; HARD
// adds the counter-turning volley two frames later.
void Action901(PartFrame& f) {
    const i32 t = T(f);
    if (t <= 500) return;
    const i32 u = t % 250;
    if (u > 150) return;
    static constexpr f32 kEasyOffsets[] = {0.0f, kThirdTurn, 2.0f * kThirdTurn};
    static constexpr f32 kOffsets[] = {0.0f, kPi, kPi / 2.0f, -kPi / 2.0f};
    const std::span<const f32> offsets =
        f.difficulty == kDifficultyEasy ? std::span<const f32>(kEasyOffsets) : kOffsets;
    static constexpr f32 kGrowth[3] = {0.02f, 0.02f, 0.03f};
    const f32 speed = 2.0f + ByDifficulty(f, kGrowth) * static_cast<f32>(u);
    const f32 turn = kTwoPi * static_cast<f32>(u) / 70.0f;
    const auto volley = [&](bool counter) {
        for (const f32 offset : offsets) {
            const f32 phi = counter ? offset - turn : turn + offset;
            f32 muzzle[2];
            EllipsePoint(f, 140.0f, 5.0f, 40.0f, phi, muzzle);
            FireBullet(kBulletPellet, speed, kHitShapeSmall, phi, muzzle);
        }
        PlayFireSound();
    };
    if (t % 5 == 0) volley(false);
    if (IsHard(f) && t % 5 == 2) volley(true);
}

// 910: the turrets' short aimed bursts of three, with shells.
void Action910(PartFrame& f) {
    struct Row {
        i32 start, period;
        f32 spread, jitter;
    };
    static constexpr Row kRows[3] = {{10, 280, 0.05f, 0.5f}, {100, 200, 0.1f, 0.5f}, {50, 100, 0.15f, 1.5f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (t <= r.start) return;
    const i32 u = t % r.period;
    const bool hard = IsHard(f);
    if (!(hard ? u <= 5 : (u <= 10 && u % 2 == 0))) return;
    f32 muzzle[2];
    LocalPoint(f, 16.0f, 0.0f, muzzle);
    const f32 spread = RandomFloat(-r.spread, r.spread);
    const f32 heading = spread + AimFromDrawn(muzzle);
    for (i32 i = 0; i < 3; ++i) {
        const f32 jitter = RandomFloat(-r.jitter, r.jitter);
        FireBullet(kBulletNeedle, (5.0f - 0.2f * static_cast<f32>(i)) + jitter, kHitShapeBar, heading, muzzle);
    }
    const bool shell = f.difficulty == kDifficultyEasy     ? u % 4 == 0
                       : f.difficulty == kDifficultyNormal ? true
                                                           : t % 2 == 0;
    if (shell) {
        const f32 speed = RandomFloat(-1.0f, 1.0f) - 5.0f;
        const f32 angle = RandomFloat(-2.0f, 2.0f);
        FireShell(Shell(910, 100, speed, 1, HitShape{16, 9, 0}, angle), f.pos);
    }
    if (u == 0) PlaySoundEffect(kSoundGunshot4);
}

// 902: aimed fans of three that widen and speed up through the window.
void Action902(PartFrame& f) {
    const i32 t = T(f);
    const i32 u = t % 200;
    if (!(u < 150 && t % 5 == 0)) return;
    const f32 fu = static_cast<f32>(u);
    const auto fan = [&](f32 a, f32 b, f32 g, f32 speed) {
        f32 muzzle[2];
        LocalPoint(f, a, b, muzzle);
        const f32 aim = AimFromDrawn(muzzle);
        for (i32 i = -1; i <= 1; ++i)
            FireBullet(kBulletNeedle, speed, kHitShapeBar, aim + 0.05f * static_cast<f32>(i) * g, muzzle);
    };
    if (f.difficulty == kDifficultyEasy) {
        fan(16.0f, 0.0f, fu, 2.0f + 0.025f * fu);
    } else if (f.difficulty == kDifficultyNormal) {
        fan(-16.0f, -50.0f, fu, 2.0f + fu / 30.0f);
        fan(-16.0f, 50.0f, fu, 2.0f + fu / 30.0f);
    } else {
        fan(-16.0f, -50.0f, fu + 50.0f, 3.0f + 0.025f * fu);
        fan(-16.0f, 50.0f, fu + 50.0f, 3.0f + 0.025f * fu);
        fan(10.0f, 0.0f, fu, 2.0f + fu / 30.0f);
    }
    PlayFireSound();
}

// 903: shells dropped at random points of a band across the body.
void Action903(PartFrame& f) {
    static constexpr i32 kEvery[3] = {70, 40, 20};
    static constexpr f32 kHalfWidth[3] = {200.0f, 150.0f, 150.0f};
    if (!EveryFrames(f, ByDifficulty(f, kEvery))) return;
    const f32 r = ByDifficulty(f, kHalfWidth);
    const f32 along = RandomFloat(-r, r);
    const f32 at[2] = {f.pos[0] + along, f.pos[1]};
    FireShell(Shell(901, 200, -3.0f, 3, kBandShell, kHalfPiWritten), at);
    ShellSound();
}

// 931: windows of shells thrown in random directions at random speeds.
void Action931(PartFrame& f) {
    const i32 t = T(f);
    const i32 window = f.difficulty == kDifficultyEasy     ? 50
                       : f.difficulty == kDifficultyNormal ? 40
                                                           : (t <= 2000 ? 50 : 80);
    if (t % 200 > window) return;
    i32 kind = 0;
    if (f.difficulty == kDifficultyEasy) {
        if (t % 2 == 0) kind = 902;
    } else if (f.difficulty == kDifficultyNormal) {
        kind = 902;
    } else if (t % 5 == 0) {
        kind = 905;
    } else if (t % 2 == 0) {
        kind = 902;
    }
    if (kind == 0) return;
    const bool heavy = kind == 905;
    const f32 speed = RandomFloat(heavy ? 5.0f : 3.0f, 8.0f);
    const f32 angle = RandomFloat(-kPi, kPi);
    FireShell(Shell(kind, heavy ? 200 : 150, speed, 2, kBandShell, angle), f.pos);
    if (t % 8 == 0) ShellSound();
}

// 932: rotating four-armed rings; late on HARD six-way rings in their place.
void Action932(PartFrame& f) {
    const i32 t = T(f);
    const f32 base = static_cast<f32>(t % 200) * kPi / 100.0f;
    const bool hard = IsHard(f);
    if (hard && t > 1500 && t % 10 == 0) {
        for (i32 k = -3; k <= 2; ++k) {
            FireBullet(kBulletNeedle, 3.0f, kHitShapeBar, base + static_cast<f32>(k) * kPi / 3.0f, f.pos);
        }
        PlayFireSound();
        return;
    }
    static constexpr i32 kEvery[3] = {35, 20, 15};
    if (!(t > 50 && EveryFrames(f, ByDifficulty(f, kEvery)))) return;
    for (i32 k = -2; k <= 1; ++k) {
        const f32 a = base + static_cast<f32>(k) * kPi / 2.0f;
        const std::initializer_list<f32> easy = {a, a - 0.02f, a + 0.02f};
        const std::initializer_list<f32> wide = {a, a - 0.02f, a - 0.04f, a + 0.02f, a + 0.04f};
        for (const f32 h : hard ? wide : easy) FireBullet(kBulletNeedle, 3.0f, kHitShapeBar, h, f.pos);
    }
    PlayFireSound();
}

// 933: aimed streams of three or five that speed up through the window,
// only from inside the field.
void Action933(PartFrame& f) {
    if (IsOutside(f.pos)) return;
    const i32 t = T(f);
    const i32 u = t % 200;
    static constexpr i32 kWindow[3] = {30, 50, 50};
    if (!(t > 50 && u < ByDifficulty(f, kWindow) && t % 5 == 0)) return;
    f32 drawn[2];
    DrawnPosition(f, drawn);
    const f32 aim = AimFrom(drawn);
    const f32 speed = 3.0f + 0.04f * static_cast<f32>(u);
    const f32 d = f.difficulty == kDifficultyEasy ? 0.02f : 0.05f;
    for (const f32 h : {aim, aim + d, aim - d}) FireBullet(kBulletPellet, speed, kHitShapeSmall, h, f.pos);
    if (IsHard(f)) {
        for (const f32 h : {aim + 0.8f, aim - 0.8f}) FireBullet(kBulletPellet, speed, kHitShapeSmall, h, f.pos);
    }
    SpacedSound(kSoundBulletBys1, 10);
}

// 960: an escort keeps turning toward the player and fires three volleys of
// three tiers along its facing (the facing from the start of the frame).
void Action960(PartFrame& f) {
    TurnTowardPlayer(f, AimFrom(f.pos), 0.1f);
    struct Row {
        i32 period;
        bool upTo600;  // the limit is t <= 600 (else t < 600)
        f32 speed, step;
    };
    static constexpr Row kRows[3] = {{200, true, 3.0f, 0.05f}, {180, false, 3.2f, 0.075f}, {150, false, 3.5f, 0.1f}};
    const Row& r = ByDifficulty(f, kRows);
    const i32 t = T(f);
    if (!(t > 10 && t % r.period == 0 && (r.upTo600 ? t <= 600 : t < 600))) return;
    const f32 at[2] = {f.pos[0], f.pos[1] - 20.0f};
    const f32 w = f.angle;
    f32 speed = r.speed;
    for (i32 tier = 0; tier < 3; ++tier) {
        speed -= r.step;
        if (f.difficulty == kDifficultyEasy) {
            FireBullet(kBulletPellet, speed, kHitShapeSmall, w, at);
        } else if (f.difficulty == kDifficultyNormal) {
            for (const f32 h : {w, w + 0.8f, w - 0.8f}) FireBullet(kBulletPellet, speed, kHitShapeSmall, h, at);
        } else {
            for (const f32 h : {w, w + 0.75f, w - 0.75f, w + 1.5f, w - 1.5f})
                FireBullet(kBulletPellet, speed, kHitShapeSmall, h, at);
        }
    }
    PlayFireSound();
}

// 952: the spine opens as a target at t = 500 and never fires.
void Action952(PartFrame& f) {
    if (T(f) != 500) return;
    MarkPart(f);
    f.part->hitShape = HitShape{45, 170, 0};
}

// 951: the body opens as a target at t = 500 (and clears BossActiveFlag);
// then mode A and mode B take turns every 800 frames.
void Action951(PartFrame& f) {
    const i32 t = T(f);
    if (t == 500) {
        MarkPart(f);
        f.part->hitShape = HitShape{80, 35, 0};
        g_GameState.BossActiveFlag = 0;
    }
    if ((t / 800) % 2 == 0) {
        BodyModeA(f, t);
    } else {
        BodyModeB(f, t, t % 800);
    }
}

}  // namespace actions_stage5::lastboss
