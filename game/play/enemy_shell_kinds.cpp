// The per-kind steps of the enemy shells.
#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_shells.h"
#include "game/play/kind_table.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

// 0 EASY, 1 NORMAL, 2 HARD (any other value).
int DifficultyColumn() {
    const i32 d = g_GameState.Difficulty;
    return d == kDifficultyEasy ? 0 : (d == kDifficultyNormal ? 1 : 2);
}

// One update of one shell, worked on a copy; shells it makes wait in `born`
// until the copy has been written back.
class ShellStep {
public:
    ShellStep(EnemyShell& shell, i32 index) : s(shell), index_(index), age(shell.age), col(DifficultyColumn()) {}

    bool Run();
    std::vector<EnemyShell> born;

private:
    EnemyShell& s;
    i32 index_;
    const i32 age;  // the shell's age as the update began
    const int col;  // DifficultyColumn()

    void Pos(f32 p[2]) const {
        p[0] = s.x;
        p[1] = s.y;
    }
    void Move() {
        s.x += std::cos(s.heading) * s.speed;
        s.y += std::sin(s.heading) * s.speed;
    }
    void Turn(f32 rate) {
        const f32 p[2] = {s.x, s.y};
        TurnTowardAngle(&s.heading, static_cast<f32>(AngleToPlayer(p, 0)), rate);
        s.angle = s.heading;
    }
    void TurnDrawn(f32 rate) {
        const f32 p[2] = {s.x + g_GameState.FieldScrollX, s.y};
        TurnTowardAngle(&s.heading, static_cast<f32>(AngleToPlayer(p, 0)), rate);
        s.angle = s.heading;
    }
    void Spin() {
        s.angle += 0.1f;
        if (s.angle > kPi) s.angle -= kTwoPi;
    }
    void Up(f32 a, f32 c) {
        if (s.speed < c) s.speed += a;
    }
    void Down(f32 a, f32 c) {
        if (s.speed > c) s.speed -= a;
    }
    void Puff(i32 kind) {
        f32 p[2];
        Pos(p);
        SpawnEffect(kind, p, RandomFloat(-kPi, kPi), -1);
    }
    void Trail(i32 kind, i32 every) {
        if (s.age % every == 0) Puff(kind);
    }
    void Debris() {
        const f32 dx = RandomFloat(-20.0f, 20.0f);
        const f32 dy = RandomFloat(-20.0f, 20.0f);
        const f32 a = RandomFloat(-kPi, kPi);
        const f32 p[2] = {s.x + dx, s.y + dy};
        SpawnEffect(kEffectShellExplosion, p, a, -1);
    }
    // Debris every `every` updates while `when`, with sound 3 every second time.
    void DebrisEvery(bool when, i32 every) {
        if (!when || s.age % every != 0) return;
        Debris();
        if (s.age % (2 * every) == 0) PlaySoundEffect(kSoundSenGeTaihou01);
    }
    void Stamped(i32 effect, i32 gap) {
        const i32 frame = g_GameState.FrameCounter;
        if (frame - GetSoundEffectStamp(effect) >= gap) PlaySoundEffectStamped(effect, frame);
    }
    bool OutsideMargin() const { return s.x < -100.0f || s.x > 740.0f || s.y < -100.0f || s.y > 580.0f; }
    void Bullet(i32 kind, f32 x, f32 y, f32 heading, f32 speed, const HitShape& shape) {
        EnemyBullet b;
        b.kind = kind;
        b.age = 0;
        b.rotation = heading;
        b.heading = heading;
        b.speed = speed;
        b.x = x;
        b.y = y;
        b.hitShape = shape;
        g_EnemyBulletList.push_back(b);
    }
    // Toward the player's x by 0.5 (kinds 401 and 410).
    void DriftTowardPlayer() {
        if (s.x > g_PlayerState[0].x) {
            s.x -= 0.5f;
        } else {
            s.x += 0.5f;
        }
    }
    // Kinds 407, 482, 508: a slow homing glide, then a dash along the facing.
    void Glide(f32 dash, f32 top) {
        if (s.age < 100) {
            Down(0.02f, 0.0f);
            const f32 p[2] = {s.x, s.y};
            TurnTowardAngle(&s.heading, static_cast<f32>(AngleToPlayer(p, 0)), 0.015f * s.speed);
        } else {
            s.heading = s.angle;
            Up(dash, top);
        }
        Move();
        Trail(kEffectSmokeWisp, 3);
    }
    // Kinds 408, 409, 504, 505, 514, 515: a curve that straightens out.
    void Curve(i32 until, f32 rate, f32 sign, f32 accel, f32 top) {
        if (s.age < until) s.heading += sign * static_cast<f32>(until - s.age) * rate;
        s.angle = s.heading;
        Up(accel, top);
        Move();
        Trail(kEffectSmokeWisp, 2);
    }
    static f32 Around(i32 k, i32 n) {
        return static_cast<f32>(static_cast<f64>(kTwoPi) * static_cast<f64>(k) / static_cast<f64>(n));
    }

public:
    // One step per kind (kinds that behave alike share one); true keeps the shell.
    bool Kind101();
    bool Kind102();
    bool Kind103();
    bool Kind104();
    bool Kind105();
    bool Kind106();
    bool Kind110();
    bool Kind201();
    bool Kind202();
    bool Kind203();
    bool Kind204();
    bool Kind205();
    bool Kind210();
    bool Kind301();
    bool Kind302();
    bool Kind310();
    bool Kind380();
    bool Kind390();
    bool Kind391And392();
    bool Kind393();
    bool Kind401();
    bool Kind402();
    bool Kind403();
    bool Kind404();
    bool Kind406();
    bool Kind407();
    bool Kind408();
    bool Kind409();
    bool Kind410();
    bool Kind411();
    bool Kind480();
    bool Kind481();
    bool Kind482();
    bool Kind483();
    bool Kind490And491();
    bool Kind501();
    bool Kind502And506And507();
    bool Kind503();
    bool Kind504();
    bool Kind505();
    bool Kind508();
    bool Kind510();
    bool Kind514();
    bool Kind515();
    bool Kind550();
    bool Kind551();
    bool Kind552();
    bool Kind553();
    bool Kind901();
    bool Kind902And905();
    bool Kind903And904();
    bool Kind910();
    bool Kind1200();
    bool Kind1201();
};

bool ShellStep::Kind101() {
    if (s.speed > 0.0f && s.speed < 7.5f) Turn(0.03f);
    Up(0.1f, 8.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 500;
}

bool ShellStep::Kind102() {
    if (age < 200) Turn(0.015f);
    Up(0.1f, 3.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 500;
}

bool ShellStep::Kind103() {
    Spin();
    Move();
    return !(s.y < -100.0f || s.y > 580.0f);
}

bool ShellStep::Kind104() {
    Move();
    Trail(kEffectBulletTrail, 5);
    return !OutsideMargin();
}

bool ShellStep::Kind105() {
    s.speed += 0.2f;
    Move();
    Trail(kEffectSmokeCloud, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind106() {
    s.speed += 0.1f;
    Trail(kEffectSmokeWisp, 2);
    Move();
    return !OutsideMargin();
}

bool ShellStep::Kind110() {
    if (age > 20 && age < 100) Turn(0.03f);
    Up(0.1f, 4.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 500;
}

bool ShellStep::Kind201() {
    Down(0.2f, 3.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind202() {
    Up(0.1f, 5.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind203() {
    if (age < 50) {
        Turn(0.01f);
    } else if (age < 100) {
        Turn(0.02f);
    }
    Up(0.1f, 4.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 300;
}

bool ShellStep::Kind204() {
    if (age < 60) {
        TurnDrawn(0.04f);
        Up(0.075f, 6.0f);
    } else if (age < 100) {
        TurnDrawn(0.02f);
        Up(0.15f, 6.0f);
    }
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 300;
}

bool ShellStep::Kind205() {
    Up(0.1f, 8.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind210() {
    if (age % 7 == 0) {
        f32 p[2];
        Pos(p);
        SpawnEffect(kEffectShellSmoke, p, s.heading, -1);
    }
    Move();
    return !OutsideMargin();
}

bool ShellStep::Kind301() {
    Up(0.2f, 4.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind302() {
    if (age < 100) {
        const f32 p[2] = {s.x + g_GameState.FieldScrollX, s.y};
        const f32 target = static_cast<f32>(AngleToPlayer(p, 0));
        TurnTowardAngle(&s.heading, target, 0.03f);
        TurnTowardAngle(&s.angle, target, 0.08f);
        Down(0.1f, 0.5f);
    } else if (age == 100) {
        s.heading = s.angle;
    } else {
        Up(0.2f, 6.0f);
    }
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 500;
}

bool ShellStep::Kind310() {
    if (age < 80) {
        TurnDrawn(age < 40 ? 0.01f : 0.04f);
        Down(0.5f, 0.5f);
    } else {
        Up(0.25f, 7.0f);
        if (age < 150) {
            if (col == 2) {
                TurnDrawn(0.02f);
            } else if (col == 1) {
                TurnDrawn(0.01f);
            }
        }
    }
    Move();
    if (age % 2 == 0 && s.speed > 1.0f) Puff(kEffectSmokeWisp);
    return age <= 500;
}

bool ShellStep::Kind380() {
    Spin();
    Move();
    if (s.x < 100.0f || s.x > 540.0f) s.heading = kPi - s.heading;
    if (age == 100) {
        const i32 n = col == 2 ? 16 : (col == 1 ? 12 : 8);
        const f32 c = col == 2 ? 1.5f : 1.2f;
        const bool even = index_ % 2 == 0;
        for (i32 k = 0; k < n; ++k) {
            const f32 a = Around(k, n);
            f32 v[2] = {40.0f, 0.0f};
            RotateVector2(v, a);
            Bullet(101, s.x + v[0], s.y + v[1], even ? a + c : a - c, 1.5f, DefaultHitShapes[0]);
        }
        Stamped(kSoundBulletBys1, 4);
    }
    return s.y <= 580.0f;
}

bool ShellStep::Kind390() {
    Spin();
    s.x += s.heading;
    s.y += s.speed;
    s.speed += 0.1f;
    if (s.speed > 6.0f) s.speed -= 7.0f;
    return s.y <= 580.0f;
}

bool ShellStep::Kind391And392() {
    if (age < 50) {
        Down(0.25f, 3.0f);
        s.heading += s.kind == 391 ? -0.03f : 0.03f;
        s.angle = s.heading;
    } else {
        Up(0.1f, 6.0f);
    }
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind393() {
    if (age >= 20 && age % 20 == 0) {
        const i32 q = age / 20;
        const f32 turn = 0.1f * static_cast<f32>(q);
        s.heading += q % 2 == 0 ? turn : -turn;
        s.angle = s.heading;
    }
    Up(0.075f, 6.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind401() {
    if (s.speed > 0.0f && s.speed < 5.0f) DriftTowardPlayer();
    Up(0.1f, 8.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return !(age > 500 || s.y > 540.0f);
}

bool ShellStep::Kind402() {
    Move();
    if (age > 50) Down(0.1f, 0.0f);
    Trail(kEffectBulletTrail, 3);
    if (s.speed <= 0.0f) {
        Puff(kEffectLargeExplosion);
        PlaySoundEffect(kSoundSenGeTaihou01);
        return false;
    }
    return !OutsideMargin();
}

bool ShellStep::Kind403() {
    if (age < 100) Turn(0.01f);
    Up(0.1f, 5.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return age <= 200;
}

bool ShellStep::Kind404() {
    Up(0.1f, 8.0f);
    if (s.speed > 0.0f && s.speed < 4.0f) Turn(0.02f);
    Trail(kEffectBulletTrail, 3);
    Move();
    DebrisEvery(s.speed > 3.0f, 8);
    return !(age > 200 || s.y > 580.0f);
}

bool ShellStep::Kind406() {
    if (age < 100) Turn(0.01f);
    Up(0.1f, 8.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return age <= 200;
}

bool ShellStep::Kind407() {
    Glide(0.2f, 8.0f);
    return !OutsideMargin();
}

bool ShellStep::Kind408() {
    Curve(200, 0.00015f, 1.0f, 0.1f, 5.0f);
    return age <= 500;
}

bool ShellStep::Kind409() {
    Curve(200, 0.00015f, -1.0f, 0.1f, 5.0f);
    return age <= 500;
}

bool ShellStep::Kind410() {
    if (s.age < 1000) {
        Up(0.1f, 8.0f);
        if (s.speed > 2.0f) s.age = 1000;
        s.x += s.heading;
    } else {
        if (s.speed > 0.0f && s.speed < 4.0f) DriftTowardPlayer();
        Up(0.1f, 6.0f);
    }
    s.y += s.speed;
    Trail(kEffectSmokeWisp, 2);
    return s.y <= 540.0f;
}

bool ShellStep::Kind411() {
    if (age < 40) {
        TurnDrawn(0.05f);
        Up(0.075f, 5.0f);
    } else if (age < 100) {
        TurnDrawn(0.01f);
        Up(0.15f, 5.0f);
    }
    Move();
    Trail(kEffectSmokeWisp, 2);
    return !(age > 300 || s.x < 100.0f || s.x > 540.0f);
}

bool ShellStep::Kind480() {
    s.speed += 0.1f;
    Move();
    Trail(kEffectSmokeCloud, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind481() {
    Up(0.1f, 8.0f);
    Move();
    DebrisEvery(true, 6);
    return !(age > 200 || s.x > 740.0f || s.x < -100.0f || s.y > 580.0f);
}

bool ShellStep::Kind482() {
    Glide(0.2f, 6.0f);
    return !(s.y < -300.0f || s.y > 580.0f || s.x < -100.0f || s.x > 740.0f);
}

bool ShellStep::Kind483() {
    Up(0.1f, 8.0f);
    Move();
    DebrisEvery(true, 6);
    const bool low = s.y > 480.0f;
    if (!(age > 200 || s.x > 740.0f || s.x < -100.0f || low)) return true;
    if (low) {
        for (int k = 0; k < 2; ++k) {
            EnemyShell half;
            half.kind = 481;
            half.hp = 30;
            half.speed = 4.0f;
            half.strength = 3;
            half.angle = 0.0f;
            half.age = k == 0 ? 2 : 4;
            half.heading = k == 0 ? 0.0f : kPi;
            half.x = s.x;
            half.y = s.y;
            born.push_back(half);
        }
    }
    return false;
}

bool ShellStep::Kind490And491() {
    if (s.speed < 5.0f) s.heading += s.kind == 490 ? 0.025f : -0.01f;
    s.angle = s.heading;
    Up(0.05f, 6.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !(age > 100 && OutsideMargin());
}

bool ShellStep::Kind501() {
    if (age > 20 && age < 100) Turn(0.015f);
    if (age > 20) Up(0.1f, 4.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 500;
}

bool ShellStep::Kind502And506And507() {
    Up(0.2f, 4.0f);
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind503() {
    if (age < 100) {
        Down(0.1f, 0.5f);
    } else {
        Up(0.25f, 6.0f);
        if (age < 200) Turn(0.04f);
    }
    Move();
    Trail(kEffectSmokeWisp, 3);
    return !OutsideMargin();
}

bool ShellStep::Kind504() {
    Curve(120, 0.000625f, 1.0f, 0.1f, 7.0f);
    return age <= 500;
}

bool ShellStep::Kind505() {
    Curve(120, 0.000625f, -1.0f, 0.1f, 7.0f);
    return age <= 500;
}

bool ShellStep::Kind508() {
    Glide(0.2f, 4.0f);
    return !OutsideMargin();
}

bool ShellStep::Kind510() {
    if (age < 250) {
        Down(0.1f, 0.5f);
    } else {
        Up(0.2f, 5.0f);
    }
    Move();
    if (age % 3 == 0 && s.speed > 1.0f) Puff(kEffectSmokeWisp);
    const HitShape small{0.0f, 0.0f, 5.0f};
    if (age == 250) {
        static const i32 kCount[3] = {12, 18, 24};
        static const f32 kEven[3] = {1.0f, 1.0f, 1.2f};
        static const f32 kOdd[3] = {1.2f, 1.4f, 1.5f};
        const i32 n = kCount[col];
        for (i32 k = 0; k < n; ++k) {
            Bullet(103, s.x, s.y, Around(k, n), k % 2 == 0 ? kEven[col] : kOdd[col], small);
        }
        Stamped(kSoundBulletBys1, 4);
    }
    static const i32 kEvery[3] = {20, 10, 5};
    static const f32 kSpeed[3] = {2.5f, 2.5f, 3.2f};
    static const f32 kTurn[3] = {1.0f / 30.0f, 1.0f / 30.0f, 0.05f};
    if (age < 100 && age % kEvery[col] == 0) {
        const f32 sweep = static_cast<f32>(age) * kTurn[col];
        Bullet(101, s.x, s.y, (s.angle + kPi) - sweep, kSpeed[col], small);
        Bullet(101, s.x, s.y, (s.angle - kPi) + sweep, kSpeed[col], small);
        Stamped(kSoundBulletBys1, 4);
    }
    return !(age > 300 && OutsideMargin());
}

bool ShellStep::Kind514() {
    Curve(120, 0.000625f, 1.0f, 0.075f, 6.0f);
    return age <= 500;
}

bool ShellStep::Kind515() {
    Curve(120, 0.000625f, -1.0f, 0.075f, 6.0f);
    return age <= 500;
}

bool ShellStep::Kind550() {
    Up(0.1f, 7.0f);
    Trail(kEffectBulletTrail, 3);
    Move();
    DebrisEvery(s.speed > 3.0f, 8);
    return !(age > 200 || s.x > 740.0f || s.x < -100.0f || s.y > 580.0f);
}

bool ShellStep::Kind551() {
    s.speed += 0.01f;
    s.x += 1.2f * std::sin(kTwoPi * 0.005f * static_cast<f32>(age % 200));
    s.y += std::sin(s.heading) * s.speed;
    Spin();
    return s.y <= 580.0f;
}

bool ShellStep::Kind552() {
    if (age % 5 == 0) {
        const f32 dx = RandomFloat(-60.0f, 60.0f);
        const f32 dy = RandomFloat(-60.0f, 60.0f);
        const f32 a = RandomFloat(-kPi, kPi);
        const f32 p[2] = {s.x + dx, s.y + dy};
        SpawnEffect(kEffectShellExplosion, p, a, -1);
        PlaySoundEffect(kSoundSenGeTaihou01);
    }
    return age <= 20;
}

bool ShellStep::Kind553() {
    Trail(kEffectBulletTrail, 3);
    if (age < 60) s.x += s.speed;
    f32 v = static_cast<f32>(age) * 0.1f - 6.0f;
    if (v > 8.0f) v = 8.0f;
    s.y += v;
    DebrisEvery(v > 1.0f, 8);
    return !(age > 200 || s.x > 740.0f || s.x < -100.0f || s.y > 580.0f);
}

bool ShellStep::Kind901() {
    if (s.speed > 0.0f && s.speed < 7.0f) TurnDrawn(0.01f);
    Up(0.05f, 8.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    return age <= 500;
}

bool ShellStep::Kind902And905() {
    Down(0.05f, 0.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    if (age > 100) {
        Puff(s.kind == 902 ? kEffectShellExplosion : kEffectLargeExplosion);
        Stamped(kSoundSenGeTaihou01, 8);
        return false;
    }
    return true;
}

bool ShellStep::Kind903And904() {
    if (age == 50) {
        const f32 turn = RandomFloat(0.1f, 0.5f);
        s.heading += s.kind == 903 ? -turn : turn;
        s.angle = s.heading;
    }
    f32 accel = 0.2f;
    if (s.speed > 0.0f) {
        if (col == 0) accel = 0.1f;
        if (col == 1) accel = 0.15f;
    }
    Up(accel, 12.0f);
    Move();
    Trail(kEffectSmokeWisp, 2);
    if (age > 100 && (s.x < 0.0f || s.x > 640.0f || s.y < 0.0f || s.y > 480.0f)) {
        Puff(kEffectShellExplosion);
        const i32 n = col == 0 ? 4 : (col == 1 ? 6 : 8);
        for (i32 k = 0; k < n; ++k) {
            const f32 speed = 1.5f + RandomFloat(0.0f, 1.0f);
            Bullet(103, s.x, s.y, Around(k, n), speed, HitShape{0.0f, 0.0f, 5.0f});
        }
        PlaySoundEffect(kSoundSenGeTaihou01);
        return false;
    }
    return true;
}

bool ShellStep::Kind910() {
    Spin();
    s.x += s.heading;
    s.y += s.speed;
    s.speed += 0.05f;
    return s.y <= 580.0f;
}

bool ShellStep::Kind1200() {
    s.speed -= 0.1f;
    Move();
    Trail(kEffectBulletTrail, 5);
    if (s.speed <= 0.0f) {
        const i32 n = col == 0 ? 6 : (col == 1 ? 8 : 12);
        for (i32 k = 0; k < n; ++k) {
            EnemyShell piece;
            piece.kind = 1201;
            piece.angle = Around(k, n);
            piece.heading = piece.angle;
            piece.speed = 0.0f;
            piece.hp = 50;
            piece.strength = 1;
            piece.age = 0;
            piece.x = s.x;
            piece.y = s.y;
            piece.hitShape = HitShape{12.0f, 10.0f, 0.0f};
            piece.playerHitShape = HitShape{0.0f, 0.0f, 5.0f};
            born.push_back(piece);
        }
        Puff(kEffectSpark);
        PlaySoundEffect(kSoundSenMiMisairu);
        return false;
    }
    return true;
}

bool ShellStep::Kind1201() {
    Up(0.1f, 6.0f);
    Move();
    return !(s.x > 640.0f || s.x < 0.0f || s.y > 480.0f || s.y < 0.0f);
}

// Every shell kind with a step of its own, in ascending order of kind.
struct ShellKindStep {
    i32 kind;
    bool (*step)(ShellStep&);
};

constexpr ShellKindStep kShellKindSteps[] = {
    {101, &CallMember<ShellStep, &ShellStep::Kind101>},
    {102, &CallMember<ShellStep, &ShellStep::Kind102>},
    {103, &CallMember<ShellStep, &ShellStep::Kind103>},
    {104, &CallMember<ShellStep, &ShellStep::Kind104>},
    {105, &CallMember<ShellStep, &ShellStep::Kind105>},
    {106, &CallMember<ShellStep, &ShellStep::Kind106>},
    {110, &CallMember<ShellStep, &ShellStep::Kind110>},
    {201, &CallMember<ShellStep, &ShellStep::Kind201>},
    {202, &CallMember<ShellStep, &ShellStep::Kind202>},
    {203, &CallMember<ShellStep, &ShellStep::Kind203>},
    {204, &CallMember<ShellStep, &ShellStep::Kind204>},
    {205, &CallMember<ShellStep, &ShellStep::Kind205>},
    {210, &CallMember<ShellStep, &ShellStep::Kind210>},
    {301, &CallMember<ShellStep, &ShellStep::Kind301>},
    {302, &CallMember<ShellStep, &ShellStep::Kind302>},
    {310, &CallMember<ShellStep, &ShellStep::Kind310>},
    {380, &CallMember<ShellStep, &ShellStep::Kind380>},
    {390, &CallMember<ShellStep, &ShellStep::Kind390>},
    {391, &CallMember<ShellStep, &ShellStep::Kind391And392>},
    {392, &CallMember<ShellStep, &ShellStep::Kind391And392>},
    {393, &CallMember<ShellStep, &ShellStep::Kind393>},
    {401, &CallMember<ShellStep, &ShellStep::Kind401>},
    {402, &CallMember<ShellStep, &ShellStep::Kind402>},
    {403, &CallMember<ShellStep, &ShellStep::Kind403>},
    {404, &CallMember<ShellStep, &ShellStep::Kind404>},
    {406, &CallMember<ShellStep, &ShellStep::Kind406>},
    {407, &CallMember<ShellStep, &ShellStep::Kind407>},
    {408, &CallMember<ShellStep, &ShellStep::Kind408>},
    {409, &CallMember<ShellStep, &ShellStep::Kind409>},
    {410, &CallMember<ShellStep, &ShellStep::Kind410>},
    {411, &CallMember<ShellStep, &ShellStep::Kind411>},
    {480, &CallMember<ShellStep, &ShellStep::Kind480>},
    {481, &CallMember<ShellStep, &ShellStep::Kind481>},
    {482, &CallMember<ShellStep, &ShellStep::Kind482>},
    {483, &CallMember<ShellStep, &ShellStep::Kind483>},
    {490, &CallMember<ShellStep, &ShellStep::Kind490And491>},
    {491, &CallMember<ShellStep, &ShellStep::Kind490And491>},
    {501, &CallMember<ShellStep, &ShellStep::Kind501>},
    {502, &CallMember<ShellStep, &ShellStep::Kind502And506And507>},
    {503, &CallMember<ShellStep, &ShellStep::Kind503>},
    {504, &CallMember<ShellStep, &ShellStep::Kind504>},
    {505, &CallMember<ShellStep, &ShellStep::Kind505>},
    {506, &CallMember<ShellStep, &ShellStep::Kind502And506And507>},
    {507, &CallMember<ShellStep, &ShellStep::Kind502And506And507>},
    {508, &CallMember<ShellStep, &ShellStep::Kind508>},
    {510, &CallMember<ShellStep, &ShellStep::Kind510>},
    {514, &CallMember<ShellStep, &ShellStep::Kind514>},
    {515, &CallMember<ShellStep, &ShellStep::Kind515>},
    {550, &CallMember<ShellStep, &ShellStep::Kind550>},
    {551, &CallMember<ShellStep, &ShellStep::Kind551>},
    {552, &CallMember<ShellStep, &ShellStep::Kind552>},
    {553, &CallMember<ShellStep, &ShellStep::Kind553>},
    {901, &CallMember<ShellStep, &ShellStep::Kind901>},
    {902, &CallMember<ShellStep, &ShellStep::Kind902And905>},
    {903, &CallMember<ShellStep, &ShellStep::Kind903And904>},
    {904, &CallMember<ShellStep, &ShellStep::Kind903And904>},
    {905, &CallMember<ShellStep, &ShellStep::Kind902And905>},
    {910, &CallMember<ShellStep, &ShellStep::Kind910>},
    {1200, &CallMember<ShellStep, &ShellStep::Kind1200>},
    {1201, &CallMember<ShellStep, &ShellStep::Kind1201>},
};

static_assert(SortedByKind(kShellKindSteps));

// A kind without a step of its own stays as it is and is kept.
bool ShellStep::Run() {
    const ShellKindStep* entry = FindKind(kShellKindSteps, s.kind);
    if (entry == nullptr) return true;
    return entry->step(*this);
}

}  // namespace

bool StepEnemyShell(i32 index) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_EnemyShellList.size()) return false;
    EnemyShell copy = g_EnemyShellList[static_cast<std::size_t>(index)];
    ShellStep step(copy, index);
    const bool keep = step.Run();
    g_EnemyShellList[static_cast<std::size_t>(index)] = copy;
    for (const EnemyShell& shell : step.born) PushEnemyShellShapes(shell);
    return keep;
}
