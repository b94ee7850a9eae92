// The per-kind steps of the enemy shells.
#include <cmath>
#include <cstddef>
#include <vector>

#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_shells.h"
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
    ShellStep(EnemyShell& shell, i32 index) : s(shell), index_(index) {}

    bool Run();
    std::vector<EnemyShell> born;

private:
    EnemyShell& s;
    i32 index_;

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
        if (s.angle > kGamePi) s.angle -= kGameTwoPi;
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
        SpawnEffect(kind, p, RandomFloat(-kGamePi, kGamePi), -1);
    }
    void Trail(i32 kind, i32 every) {
        if (s.age % every == 0) Puff(kind);
    }
    void Debris() {
        const f32 dx = RandomFloat(-20.0f, 20.0f);
        const f32 dy = RandomFloat(-20.0f, 20.0f);
        const f32 a = RandomFloat(-kGamePi, kGamePi);
        const f32 p[2] = {s.x + dx, s.y + dy};
        SpawnEffect(23, p, a, -1);
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
        Trail(14, 3);
    }
    // Kinds 408, 409, 504, 505, 514, 515: a curve that straightens out.
    void Curve(i32 until, f32 rate, f32 sign, f32 accel, f32 top) {
        if (s.age < until) s.heading += sign * static_cast<f32>(until - s.age) * rate;
        s.angle = s.heading;
        Up(accel, top);
        Move();
        Trail(14, 2);
    }
    static f32 Around(i32 k, i32 n) {
        return static_cast<f32>(static_cast<f64>(kGameTwoPi) * static_cast<f64>(k) / static_cast<f64>(n));
    }
};

bool ShellStep::Run() {
    const i32 age = s.age;
    const int col = DifficultyColumn();
    switch (s.kind) {
    case 101:
        if (s.speed > 0.0f && s.speed < 7.5f) Turn(0.03f);
        Up(0.1f, 8.0f);
        Move();
        Trail(14, 2);
        return age <= 500;
    case 102:
        if (age < 200) Turn(0.015f);
        Up(0.1f, 3.0f);
        Move();
        Trail(14, 2);
        return age <= 500;
    case 103:
        Spin();
        Move();
        return !(s.y < -100.0f || s.y > 580.0f);
    case 104:
        Move();
        Trail(13, 5);
        return !OutsideMargin();
    case 105:
        s.speed += 0.2f;
        Move();
        Trail(12, 3);
        return !OutsideMargin();
    case 106:
        s.speed += 0.1f;
        Trail(14, 2);
        Move();
        return !OutsideMargin();
    case 110:
        if (age > 20 && age < 100) Turn(0.03f);
        Up(0.1f, 4.0f);
        Move();
        Trail(14, 2);
        return age <= 500;
    case 201:
        Down(0.2f, 3.0f);
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 202:
        Up(0.1f, 5.0f);
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 203:
        if (age < 50) {
            Turn(0.01f);
        } else if (age < 100) {
            Turn(0.02f);
        }
        Up(0.1f, 4.0f);
        Move();
        Trail(14, 2);
        return age <= 300;
    case 204:
        if (age < 60) {
            TurnDrawn(0.04f);
            Up(0.075f, 6.0f);
        } else if (age < 100) {
            TurnDrawn(0.02f);
            Up(0.15f, 6.0f);
        }
        Move();
        Trail(14, 2);
        return age <= 300;
    case 205:
        Up(0.1f, 8.0f);
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 210:
        if (age % 7 == 0) {
            f32 p[2];
            Pos(p);
            SpawnEffect(102, p, s.heading, -1);
        }
        Move();
        return !OutsideMargin();
    case 301:
        Up(0.2f, 4.0f);
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 302:
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
        Trail(14, 2);
        return age <= 500;
    case 310:
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
        if (age % 2 == 0 && s.speed > 1.0f) Puff(14);
        return age <= 500;
    case 380: {
        Spin();
        Move();
        if (s.x < 100.0f || s.x > 540.0f) s.heading = kGamePi - s.heading;
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
    case 390:
        Spin();
        s.x += s.heading;
        s.y += s.speed;
        s.speed += 0.1f;
        if (s.speed > 6.0f) s.speed -= 7.0f;
        return s.y <= 580.0f;
    case 391:
    case 392:
        if (age < 50) {
            Down(0.25f, 3.0f);
            s.heading += s.kind == 391 ? -0.03f : 0.03f;
            s.angle = s.heading;
        } else {
            Up(0.1f, 6.0f);
        }
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 393:
        if (age >= 20 && age % 20 == 0) {
            const i32 q = age / 20;
            const f32 turn = 0.1f * static_cast<f32>(q);
            s.heading += q % 2 == 0 ? turn : -turn;
            s.angle = s.heading;
        }
        Up(0.075f, 6.0f);
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 401:
        if (s.speed > 0.0f && s.speed < 5.0f) DriftTowardPlayer();
        Up(0.1f, 8.0f);
        Move();
        Trail(14, 2);
        return !(age > 500 || s.y > 540.0f);
    case 402:
        Move();
        if (age > 50) Down(0.1f, 0.0f);
        Trail(13, 3);
        if (s.speed <= 0.0f) {
            Puff(22);
            PlaySoundEffect(kSoundSenGeTaihou01);
            return false;
        }
        return !OutsideMargin();
    case 403:
        if (age < 100) Turn(0.01f);
        Up(0.1f, 5.0f);
        Move();
        Trail(14, 3);
        return age <= 200;
    case 404:
        Up(0.1f, 8.0f);
        if (s.speed > 0.0f && s.speed < 4.0f) Turn(0.02f);
        Trail(13, 3);
        Move();
        DebrisEvery(s.speed > 3.0f, 8);
        return !(age > 200 || s.y > 580.0f);
    case 406:
        if (age < 100) Turn(0.01f);
        Up(0.1f, 8.0f);
        Move();
        Trail(14, 3);
        return age <= 200;
    case 407:
        Glide(0.2f, 8.0f);
        return !OutsideMargin();
    case 408:
        Curve(200, 0.00015f, 1.0f, 0.1f, 5.0f);
        return age <= 500;
    case 409:
        Curve(200, 0.00015f, -1.0f, 0.1f, 5.0f);
        return age <= 500;
    case 410:
        if (s.age < 1000) {
            Up(0.1f, 8.0f);
            if (s.speed > 2.0f) s.age = 1000;
            s.x += s.heading;
        } else {
            if (s.speed > 0.0f && s.speed < 4.0f) DriftTowardPlayer();
            Up(0.1f, 6.0f);
        }
        s.y += s.speed;
        Trail(14, 2);
        return s.y <= 540.0f;
    case 411:
        if (age < 40) {
            TurnDrawn(0.05f);
            Up(0.075f, 5.0f);
        } else if (age < 100) {
            TurnDrawn(0.01f);
            Up(0.15f, 5.0f);
        }
        Move();
        Trail(14, 2);
        return !(age > 300 || s.x < 100.0f || s.x > 540.0f);
    case 480:
        s.speed += 0.1f;
        Move();
        Trail(12, 3);
        return !OutsideMargin();
    case 481:
        Up(0.1f, 8.0f);
        Move();
        DebrisEvery(true, 6);
        return !(age > 200 || s.x > 740.0f || s.x < -100.0f || s.y > 580.0f);
    case 482:
        Glide(0.2f, 6.0f);
        return !(s.y < -300.0f || s.y > 580.0f || s.x < -100.0f || s.x > 740.0f);
    case 483: {
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
                half.heading = k == 0 ? 0.0f : kGamePi;
                half.x = s.x;
                half.y = s.y;
                born.push_back(half);
            }
        }
        return false;
    }
    case 490:
    case 491:
        if (s.speed < 5.0f) s.heading += s.kind == 490 ? 0.025f : -0.01f;
        s.angle = s.heading;
        Up(0.05f, 6.0f);
        Move();
        Trail(14, 3);
        return !(age > 100 && OutsideMargin());
    case 501:
        if (age > 20 && age < 100) Turn(0.015f);
        if (age > 20) Up(0.1f, 4.0f);
        Move();
        Trail(14, 2);
        return age <= 500;
    case 502:
    case 506:
    case 507:
        Up(0.2f, 4.0f);
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 503:
        if (age < 100) {
            Down(0.1f, 0.5f);
        } else {
            Up(0.25f, 6.0f);
            if (age < 200) Turn(0.04f);
        }
        Move();
        Trail(14, 3);
        return !OutsideMargin();
    case 504:
        Curve(120, 0.000625f, 1.0f, 0.1f, 7.0f);
        return age <= 500;
    case 505:
        Curve(120, 0.000625f, -1.0f, 0.1f, 7.0f);
        return age <= 500;
    case 508:
        Glide(0.2f, 4.0f);
        return !OutsideMargin();
    case 510: {
        if (age < 250) {
            Down(0.1f, 0.5f);
        } else {
            Up(0.2f, 5.0f);
        }
        Move();
        if (age % 3 == 0 && s.speed > 1.0f) Puff(14);
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
            Bullet(101, s.x, s.y, (s.angle + kGamePi) - sweep, kSpeed[col], small);
            Bullet(101, s.x, s.y, (s.angle - kGamePi) + sweep, kSpeed[col], small);
            Stamped(kSoundBulletBys1, 4);
        }
        return !(age > 300 && OutsideMargin());
    }
    case 514:
        Curve(120, 0.000625f, 1.0f, 0.075f, 6.0f);
        return age <= 500;
    case 515:
        Curve(120, 0.000625f, -1.0f, 0.075f, 6.0f);
        return age <= 500;
    case 550:
        Up(0.1f, 7.0f);
        Trail(13, 3);
        Move();
        DebrisEvery(s.speed > 3.0f, 8);
        return !(age > 200 || s.x > 740.0f || s.x < -100.0f || s.y > 580.0f);
    case 551:
        s.speed += 0.01f;
        s.x += 1.2f * std::sin(kGameTwoPi * 0.005f * static_cast<f32>(age % 200));
        s.y += std::sin(s.heading) * s.speed;
        Spin();
        return s.y <= 580.0f;
    case 552:
        if (age % 5 == 0) {
            const f32 dx = RandomFloat(-60.0f, 60.0f);
            const f32 dy = RandomFloat(-60.0f, 60.0f);
            const f32 a = RandomFloat(-kGamePi, kGamePi);
            const f32 p[2] = {s.x + dx, s.y + dy};
            SpawnEffect(23, p, a, -1);
            PlaySoundEffect(kSoundSenGeTaihou01);
        }
        return age <= 20;
    case 553: {
        Trail(13, 3);
        if (age < 60) s.x += s.speed;
        f32 v = static_cast<f32>(age) * 0.1f - 6.0f;
        if (v > 8.0f) v = 8.0f;
        s.y += v;
        DebrisEvery(v > 1.0f, 8);
        return !(age > 200 || s.x > 740.0f || s.x < -100.0f || s.y > 580.0f);
    }
    case 901:
        if (s.speed > 0.0f && s.speed < 7.0f) TurnDrawn(0.01f);
        Up(0.05f, 8.0f);
        Move();
        Trail(14, 2);
        return age <= 500;
    case 902:
    case 905:
        Down(0.05f, 0.0f);
        Move();
        Trail(14, 2);
        if (age > 100) {
            Puff(s.kind == 902 ? 23 : 22);
            Stamped(kSoundSenGeTaihou01, 8);
            return false;
        }
        return true;
    case 903:
    case 904: {
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
        Trail(14, 2);
        if (age > 100 && (s.x < 0.0f || s.x > 640.0f || s.y < 0.0f || s.y > 480.0f)) {
            Puff(23);
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
    case 910:
        Spin();
        s.x += s.heading;
        s.y += s.speed;
        s.speed += 0.05f;
        return s.y <= 580.0f;
    case 1200:
        s.speed -= 0.1f;
        Move();
        Trail(13, 5);
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
            Puff(10);
            PlaySoundEffect(kSoundSenMiMisairu);
            return false;
        }
        return true;
    case 1201:
        Up(0.1f, 6.0f);
        Move();
        return !(s.x > 640.0f || s.x < 0.0f || s.y > 480.0f || s.y < 0.0f);
    default:
        return true;
    }
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
