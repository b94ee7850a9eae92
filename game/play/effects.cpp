#include "game/play/effects.h"

#include <cmath>
#include <cstddef>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/kind_table.h"
#include "game/play/records.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

// Where SpawnEffect puts a kind and what it starts with.
struct EffectDefaults {
    bool known;
    bool front;
    i32 layer;
    f32 scale;
};

EffectDefaults DefaultsOf(i32 kind) {
    if (kind >= kEffectScorePopup) return {true, false, 1, 2.0f};
    switch (kind) {
        case kEffectSmokePuff:
        case kEffectSmokeCloud: return {true, true, -1, 1.0f};
        case kEffectMissileSmoke:
        case kEffectBulletTrail:
        case kEffectSmokeWisp: return {true, true, 0, 1.0f};
        case kEffectSpark:
        case kEffectWreckSpark:
        case kEffectShotHit:
        case kEffectCancelToken: return {true, false, 0, 1.0f};
        case kEffectMissileBlast:
        case kEffectDoubleMissileBlast:
        case kEffectShellExplosion:
        case kEffectFlame:
        case kEffectLargeFlame: return {true, false, 0, 0.5f};
        case kEffectLargeExplosion: return {true, false, 1, 0.5f};
        case kEffectShellSmoke: return {true, false, 0, 0.9f};
        case kEffectTargetWarning: return {true, false, 1, 1.0f};
        default: break;
    }
    if ((kind >= kEffectChainLevelFirst && kind <= kEffectChainLevelLast) ||
        (kind >= kEffectMissionComplete && kind <= kEffectWreckLabel))
        return {true, false, 1, 2.0f};
    return {false, false, 0, 0.0f};
}

// Banner shrink of the kinds spawned at scale 2.0.
void ShrinkToRest(Effect& e) {
    if (e.scale > 1.0f) e.scale -= 0.1f;
}

void PushBlastShot(const Effect& e) {
    PlayerShot shot;
    shot.kind = e.kind == kEffectMissileBlast ? 100 : 101;
    shot.owner = e.extra;
    shot.age = 0;
    shot.damage = e.age % 2 == 0 ? 20 : 0;
    shot.angle = 0.0f;
    shot.consumeOnHit = 0;
    shot.x = e.x;
    shot.y = e.y;
    shot.hitShape = HitShape{0.0f, 0.0f, e.kind == kEffectMissileBlast ? 50.0f : 80.0f};
    g_PlayerShotList.push_back(shot);
}

void PushEnemyBlast(const Effect& e, f32 radius) {
    EnemyBullet bullet;
    bullet.kind = 999;
    bullet.age = 0;
    bullet.x = e.x;
    bullet.y = e.y;
    bullet.hitShape = HitShape{0.0f, 0.0f, radius};
    g_EnemyBulletList.push_back(bullet);
}

// The blasts 20..23; false when the effect is to be removed.
bool StepBlast(Effect& e) {
    if (e.age % 5 == 0) e.param = RandomFloat(-kPi, kPi);
    i32 fullTime = 50;
    if (e.kind == kEffectDoubleMissileBlast || e.kind == kEffectLargeExplosion) fullTime = 120;
    if (e.age >= fullTime) {
        e.scale -= 0.05f;
        return e.scale > 0.0f;
    }
    if (e.scale < 1.0f) {
        e.scale += 0.1f;
    } else if (e.age % 3 == 0) {
        e.scale = RandomFloat(1.0f, e.kind == kEffectMissileBlast ? 1.5f : 1.1f);
    }
    if (e.scale >= 1.0f) {
        if (e.kind == kEffectMissileBlast || e.kind == kEffectDoubleMissileBlast) {
            PushBlastShot(e);
        } else if (e.age % 2 == 0) {
            const i32 last = e.kind == kEffectLargeExplosion ? 100 : 40;
            if (e.age > 10 && e.age < last) PushEnemyBlast(e, e.kind == kEffectLargeExplosion ? 80.0f : 40.0f);
        }
    }
    return true;
}

// The moving flames 101 and 103; false when the effect is to be removed.
bool StepFlame(Effect& e, f32 speed, f32 fade, i32 lastAge, f32 radius) {
    e.x += speed * std::cos(e.param);
    e.y += speed * std::sin(e.param);
    e.alpha -= fade;
    e.scale += 0.02f;
    if (e.alpha <= 0.0f) return false;
    if (e.age % 2 == 0 && e.age < lastAge) PushEnemyBlast(e, (e.scale + 1.0f) * radius);
    return true;
}

// One update of an effect of age 0 or more; false when it is to be removed.
bool StepEffect(Effect& e) {
    // clang-format off
    switch (e.kind) {
    case kEffectSmokePuff:
    case kEffectSmokeCloud:
        e.alpha -= 0.03f;
        e.scale += 0.05f;
        return e.alpha > 0.0f;
    case kEffectSpark:
        e.alpha -= 0.035f;
        e.scale += 0.02f;
        return e.alpha > 0.0f;
    case kEffectMissileSmoke:
        e.alpha -= 0.05f;
        e.scale += 0.05f;
        return e.alpha > 0.0f;
    case kEffectBulletTrail:
        e.scale += 0.03f;
        return e.age <= 38;
    case kEffectSmokeWisp:
        e.alpha -= 0.075f;
        e.scale += 0.075f;
        return e.alpha > 0.0f;
    case kEffectWreckSpark:
        e.x += 3.0f * std::cos(e.param);
        e.y += 3.0f * std::sin(e.param);
        e.alpha -= 0.02f;
        e.scale += 0.015f;
        return e.alpha > 0.0f;
    case kEffectShotHit:
        return e.age < 5;
    case kEffectMissileBlast:
    case kEffectDoubleMissileBlast:
    case kEffectLargeExplosion:
    case kEffectShellExplosion:
        return StepBlast(e);
    case kEffectCancelToken:
        e.scale -= 0.025f;
        e.y -= 2.0f - static_cast<f32>(e.age) * 0.125f;
        return e.scale > 0.0f;
    case kEffectChainLevelFirst:
    case kEffectChainLevelFirst + 1:
    case kEffectChainLevelFirst + 2:
    case kEffectChainLevelFirst + 3:
    case kEffectChainLevelFirst + 4:
    case kEffectChainLevelFirst + 5:
    case kEffectChainLevelLast:
        ShrinkToRest(e);
        return e.age != 70;
    case kEffectMissionComplete:
    case kEffectPhaseBonus:
    case kEffectDefeatBonus:
    case kEffectMissionFailed:
        ShrinkToRest(e);
        return e.age <= 120;
    case kEffectExtraLife:
        ShrinkToRest(e);
        return e.age != 124;
    case kEffectWreckLabel:
        ShrinkToRest(e);
        return e.age <= 70;
    case kEffectTargetWarning:
        e.x = g_PlayerState[0].x;
        e.y = g_PlayerState[0].y;
        if (e.age < 50 && e.age % 8 == 0) PlaySoundEffect(kSoundPi);
        return e.age != 70;
    case kEffectFlame:
        return StepFlame(e, 5.0f, 0.025f, 30, 10.0f);
    case kEffectShellSmoke:
        e.alpha -= 0.03f;
        e.scale -= 0.015f;
        return e.alpha > 0.0f;
    case kEffectLargeFlame:
        return StepFlame(e, 7.0f, 0.02f, 50, 15.0f);
    default:
        return true;
    }
    // clang-format on
}

i32 Trunc(f32 v) { return static_cast<i32>(v); }
i32 TruncD(f80 v) { return static_cast<i32>(v); }

PlayQuad Quad(PlaySheet sheet, i32 cx, i32 cy, i32 w, i32 h, const Rect& source) {
    PlayQuad q;
    q.sheet = sheet;
    q.destination = MakeRect(cx - w, cy - h, cx + w, cy + h);
    q.source = source;
    return q;
}

PlayQuad Rotated(PlaySheet sheet, i32 cx, i32 cy, i32 w, i32 h, const Rect& source, f32 radians) {
    PlayQuad q = Quad(sheet, cx, cy, w, h, source);
    q.rotated = true;
    q.angle = RadianToAngle(radians);
    return q;
}

u32 Grey(i32 v) {
    const u32 g = static_cast<u32>(v) & 0xFFu;
    return 0xFF000000u | (g << 16) | (g << 8) | g;
}

// Half sizes of the banners 61, 63, 64, 65 (and of 62, 66 by their own rule).
void BannerSize(i32 a, f32 s, i32* w, i32* h) {
    if (a < 100) {
        *w = Trunc(180.0f * s);
        *h = Trunc(25.0f * s);
    } else {
        *w = 2 * a - 20;
        *h = 125 - a;
    }
}

void CollectScorePopup(const Effect& e, PlayQuadList& quads) {
    const i32 points = e.kind - kEffectScorePopup;
    const i32 n = CountDigits(points);
    const i32 a = e.age;
    const i32 t = a - 100;
    const i32 x = Trunc(e.x);
    const i32 y = Trunc(e.y);
    const f32 s = e.scale;
    const Rect leftCap = MakeRect(250, 475, 309, 509);
    const Rect rightCap = MakeRect(310, 475, 369, 509);
    i32 capW, capH, capOffset, digitW, digitH, digitStep;
    if (a < 100) {
        capW = Trunc(36.0f * s);
        capH = Trunc(21.0f * s);
        capOffset = Trunc(12.0f * s) * (n + 3);
        digitW = Trunc(15.0f * s);
        digitH = capH;
        digitStep = Trunc(12.0f * s);
    } else {
        const f80 half = static_cast<f80>(0.5f);
        capW = 36 - TruncD(-half * t);
        capH = 121 - a;
        capOffset = TruncD((half * t + 15) * static_cast<f80>(0.8f)) * (n + 3);
        digitW = 15 - TruncD(-half * t);
        digitH = capH;
        digitStep = 15 - TruncD(half * static_cast<f80>(-0.8f) * t);
    }
    quads.push_back(Quad(kSheetPicture, x - capOffset, y, capW, capH, leftCap));
    quads.push_back(Quad(kSheetPicture, x + capOffset, y, capW, capH, rightCap));
    for (i32 k = 1; k <= n; ++k) {
        const i32 d = GetDigit(points, static_cast<u32>(k));
        quads.push_back(Quad(kSheetPicture, x + digitStep * (n + 1 - 2 * k), y, digitW, digitH,
                             MakeRect(25 * d, 475, 25 * d + 24, 509)));
    }
}

// The quads of one effect of age 0 or more: what every kind starts from,
// and one routine per kind (kinds drawn alike share one).
class EffectQuads {
public:
    EffectQuads(const Effect& effect, PlayQuadList& out)
        : e(effect),
          quads(out),
          s(effect.scale),
          a(effect.age),
          cx(Trunc(effect.x + g_GameState.FieldScrollX)),
          cy(Trunc(effect.y)),
          sx(Trunc(effect.x)) {}

    void Kind9And12();
    void Kind10();
    void Kind11And14();
    void Kind13();
    void Kind16();
    void Kind19();
    void Kind20();
    void Kind21To23();
    void Kind31();
    void Kind41To47();
    void Kind61And63To65();
    void Kind62();
    void Kind66();
    void Kind90();
    void Kind101And103();
    void Kind102();

private:
    const Effect& e;
    PlayQuadList& quads;
    const f32 s;
    const i32 a;
    const i32 cx;
    const i32 cy;
    const i32 sx;  // screen-space kinds
};

void EffectQuads::Kind9And12() {
    const i32 c = a / 5;
    const i32 half = e.kind == kEffectSmokePuff ? Trunc(20.0f * s) : Trunc(30.0f * s);
    quads.push_back(Rotated(kSheetEffect, cx, cy, half, half, MakeRect(64 * c, 64, 64 * c + 63, 127), e.param));
}

void EffectQuads::Kind10() {
    const i32 c = a / 4;
    const i32 half = Trunc(40.0f * s);
    quads.push_back(Rotated(kSheetEffect, cx, cy, half, half, MakeRect(64 * c, 0, 64 * c + 63, 63), e.param));
}

void EffectQuads::Kind11And14() {
    const i32 c = a / 3;
    const i32 half = e.kind == kEffectMissileSmoke ? Trunc(20.0f * s) : Trunc(15.0f * s);
    quads.push_back(Rotated(kSheetEffect, cx, cy, half, half, MakeRect(64 * c, 128, 64 * c + 63, 191), e.param));
}

void EffectQuads::Kind13() {
    const i32 c = a / 5;
    const i32 half = Trunc(20.0f * s);
    quads.push_back(Rotated(kSheetEffect, cx, cy, half, half, MakeRect(64 * c, 128, 64 * c + 63, 191), e.param));
}

void EffectQuads::Kind16() {
    const i32 c = a / 7;
    const i32 half = Trunc(40.0f * s);
    PlayQuad q = Quad(kSheetEffect, cx, cy, half, half, MakeRect(64 * c, 0, 64 * c + 63, 63));
    q.rotated = true;
    q.angle = DegreeToAngle((75 * a) % 360);
    quads.push_back(q);
}

void EffectQuads::Kind19() {
    const bool odd = a % 2 != 0;
    const i32 half = odd ? Trunc(40.0f * s) : Trunc(25.0f * s);
    PlayQuad q = Rotated(kSheetPicture, cx, cy, half, half, MakeRect(360, 370, 439, 449), e.param);
    const u32 alpha = static_cast<u32>(Trunc(e.alpha * 255.0f)) & 0xFFu;
    q.colour = (alpha << 24) | (odd ? 0xFF9600u : 0xFFFFFFu);
    quads.push_back(q);
}

void EffectQuads::Kind20() {
    const i32 p = (a / 4) % 2;
    const i32 half = Trunc(50.0f * s);
    quads.push_back(Rotated(kSheetEffect, cx, cy, half, half, MakeRect(100 * p, 192, 100 * p + 99, 291), e.param));
}

void EffectQuads::Kind21To23() {
    const i32 p = (a / 4) % 2;
    const i32 half = e.kind == kEffectShellExplosion ? Trunc(50.0f * s) : Trunc(100.0f * s);
    const i32 top = e.kind == kEffectDoubleMissileBlast ? 192 : 342;
    quads.push_back(
        Rotated(kSheetEffect, cx, cy, half, half, MakeRect(200 + 150 * p, top, 349 + 150 * p, top + 149), e.param));
}

void EffectQuads::Kind31() {
    const i32 m = (a / 2) % 7;
    const i32 w = 8 - Trunc(-4.0f * s);
    const f32 x = e.x + g_GameState.FieldScrollX;
    PlayQuad q;
    q.sheet = kSheetStageTitle;
    q.destination = MakeRect(Trunc(x - static_cast<f32>(w)), Trunc(e.y - 12.0f), Trunc(x + static_cast<f32>(w)),
                             Trunc(e.y + 12.0f));
    q.source = MakeRect(40 * m, 470, 40 * m + 39, 509);
    quads.push_back(q);
}

void EffectQuads::Kind41To47() {
    const i32 n = e.kind - kEffectChainLevelFirst;
    i32 w, h;
    if (a < 40) {
        w = Trunc(36.0f * s);
        h = Trunc(30.0f * s);
    } else {
        w = a - 4;
        h = 70 - a;
    }
    Rect source = MakeRect(260 + 60 * (n % 4), 240 + 50 * (n / 4), 320 + 60 * (n % 4), 289 + 50 * (n / 4));
    if (e.kind == kEffectChainLevelLast && (g_GameState.FrameCounter / 5) % 2 == 0) {
        source = MakeRect(440, 290, 500, 339);
    }
    quads.push_back(Quad(kSheetMissile, cx, cy, w, h, source));
}

void EffectQuads::Kind61And63To65() {
    i32 w, h;
    BannerSize(a, s, &w, &h);
    PlaySheet sheet = kSheetPicture;
    Rect source = MakeRect(0, 425, 359, 474);
    if (e.kind == kEffectPhaseBonus) source = MakeRect(0, 375, 359, 424);
    if (e.kind == kEffectDefeatBonus) source = MakeRect(0, 325, 359, 374);
    if (e.kind == kEffectMissionFailed) {
        sheet = kSheetStageTitle;
        source = MakeRect(0, 260, 359, 309);
    }
    quads.push_back(Quad(sheet, sx, cy, w, h, source));
}

void EffectQuads::Kind62() {
    i32 w, h;
    if (a < 100) {
        w = Trunc(60.0f * s);
        h = Trunc(12.0f * s);
    } else {
        w = a - 40;
        h = 12 - (a - 100) / 2;
    }
    quads.push_back(Quad(kSheetPicture, sx, cy, w, h, MakeRect(200, 240, 319, 264)));
}

void EffectQuads::Kind66() {
    i32 w, h;
    if (a < 50) {
        w = Trunc(90.0f * s);
        h = Trunc(20.0f * s);
    } else {
        w = 90 - TruncD(static_cast<f80>(-1.5) * (a - 50));
        h = 20 - (a - 50) / 2;
    }
    quads.push_back(Quad(kSheetStageTitle, cx, cy, w, h, MakeRect(0, 310, 179, 349)));
}

void EffectQuads::Kind90() {
    const i32 t = 70 - a;
    const Rect source = MakeRect(390, 150, 479, 239);
    PlayQuad q;
    q.sheet = kSheetMissile;
    q.source = source;
    if (t >= 20) {
        if ((t / 5) % 2 != 0) return;
        q.destination = MakeRect(Trunc(e.x - 60.0f), Trunc(e.y - 60.0f), Trunc(e.x + 60.0f), Trunc(e.y + 60.0f));
    } else {
        const f32 wx = static_cast<f32>(3 * (40 - t));
        const f32 hy = static_cast<f32>(3 * t);
        q.destination = MakeRect(Trunc(e.x - wx), Trunc(e.y - hy), Trunc(e.x + wx), Trunc(e.y + hy));
    }
    quads.push_back(q);
}

void EffectQuads::Kind101And103() {
    const i32 g = (a / 3) % 2;
    i32 w, h;
    if (e.kind == kEffectFlame) {
        w = Trunc(30.0f * s);
        h = Trunc(static_cast<f32>(10 * (3 + (a / 5) % 2)) * s);
    } else {
        w = Trunc(40.0f * s);
        h = Trunc(static_cast<f32>(40 + 15 * ((a / 5) % 2)) * s);
    }
    PlayQuad q = Quad(kSheetMissile, cx, cy, w, h, MakeRect(60 * g, 100, 60 * g + 59, 159));
    q.colour = Grey(e.kind == kEffectFlame && a > 30 ? 255 - 40 * (a / 8) : 255);
    quads.push_back(q);
}

void EffectQuads::Kind102() {
    const i32 g = (a / 3) % 2;
    const i32 half = g == 0 ? Trunc(40.0f * s) : Trunc(30.0f * s);
    const Rect source = g == 0 ? MakeRect(0, 160, 59, 219) : MakeRect(60, 160, 119, 219);
    PlayQuad q = Rotated(kSheetMissile, cx, cy, half, half, source, e.param);
    q.colour = Grey(Trunc(e.alpha * 255.0f));
    quads.push_back(q);
}

struct EffectKindQuads {
    i32 kind;
    void (*collect)(EffectQuads&);
};

// Every effect kind that is drawn, in ascending order of kind.
constexpr EffectKindQuads kEffectKindQuads[] = {
    {kEffectSmokePuff, &CallMemberVoid<EffectQuads, &EffectQuads::Kind9And12>},
    {kEffectSpark, &CallMemberVoid<EffectQuads, &EffectQuads::Kind10>},
    {kEffectMissileSmoke, &CallMemberVoid<EffectQuads, &EffectQuads::Kind11And14>},
    {kEffectSmokeCloud, &CallMemberVoid<EffectQuads, &EffectQuads::Kind9And12>},
    {kEffectBulletTrail, &CallMemberVoid<EffectQuads, &EffectQuads::Kind13>},
    {kEffectSmokeWisp, &CallMemberVoid<EffectQuads, &EffectQuads::Kind11And14>},
    {kEffectWreckSpark, &CallMemberVoid<EffectQuads, &EffectQuads::Kind16>},
    {kEffectShotHit, &CallMemberVoid<EffectQuads, &EffectQuads::Kind19>},
    {kEffectMissileBlast, &CallMemberVoid<EffectQuads, &EffectQuads::Kind20>},
    {kEffectDoubleMissileBlast, &CallMemberVoid<EffectQuads, &EffectQuads::Kind21To23>},
    {kEffectLargeExplosion, &CallMemberVoid<EffectQuads, &EffectQuads::Kind21To23>},
    {kEffectShellExplosion, &CallMemberVoid<EffectQuads, &EffectQuads::Kind21To23>},
    {kEffectCancelToken, &CallMemberVoid<EffectQuads, &EffectQuads::Kind31>},
    {kEffectChainLevelFirst, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectChainLevelFirst + 1, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectChainLevelFirst + 2, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectChainLevelFirst + 3, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectChainLevelFirst + 4, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectChainLevelFirst + 5, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectChainLevelLast, &CallMemberVoid<EffectQuads, &EffectQuads::Kind41To47>},
    {kEffectMissionComplete, &CallMemberVoid<EffectQuads, &EffectQuads::Kind61And63To65>},
    {kEffectExtraLife, &CallMemberVoid<EffectQuads, &EffectQuads::Kind62>},
    {kEffectPhaseBonus, &CallMemberVoid<EffectQuads, &EffectQuads::Kind61And63To65>},
    {kEffectDefeatBonus, &CallMemberVoid<EffectQuads, &EffectQuads::Kind61And63To65>},
    {kEffectMissionFailed, &CallMemberVoid<EffectQuads, &EffectQuads::Kind61And63To65>},
    {kEffectWreckLabel, &CallMemberVoid<EffectQuads, &EffectQuads::Kind66>},
    {kEffectTargetWarning, &CallMemberVoid<EffectQuads, &EffectQuads::Kind90>},
    {kEffectFlame, &CallMemberVoid<EffectQuads, &EffectQuads::Kind101And103>},
    {kEffectShellSmoke, &CallMemberVoid<EffectQuads, &EffectQuads::Kind102>},
    {kEffectLargeFlame, &CallMemberVoid<EffectQuads, &EffectQuads::Kind101And103>},
};

static_assert(SortedByKind(kEffectKindQuads));

void CollectEffect(const Effect& e, PlayQuadList& quads) {
    if (e.kind >= kEffectScorePopup) {
        CollectScorePopup(e, quads);
        return;
    }
    const EffectKindQuads* entry = FindKind(kEffectKindQuads, e.kind);
    if (entry == nullptr) return;
    EffectQuads draw(e, quads);
    entry->collect(draw);
}

}  // namespace

i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra) {
    const EffectDefaults d = DefaultsOf(kind);
    if (d.known && pos != nullptr) {
        Effect e;
        e.age = 0;
        e.kind = kind;
        e.extra = extra;
        e.layer = d.layer;
        e.x = pos[0];
        e.y = pos[1];
        e.param = param;
        e.alpha = 1.0f;
        e.scale = d.scale;
        if (kind == kEffectMissileBlast) e.y -= 10.0f;
        if (kind == kEffectDoubleMissileBlast) e.y -= 30.0f;
        if (kind == kEffectCancelToken) e.age = RandomInt(0, 7);
        if (d.front) {
            g_EffectList.insert(g_EffectList.begin(), e);
        } else {
            g_EffectList.push_back(e);
        }
    }
    return static_cast<i32>(g_EffectList.size()) - 1;
}

void UpdateEffects() {
    for (std::size_t i = 0; i < g_EffectList.size();) {
        Effect& e = g_EffectList[i];
        if (e.age < 0) {
            e.age += 1;
            ++i;
            continue;
        }
        bool keep = StepEffect(g_EffectList[i]);
        Effect& after = g_EffectList[i];
        if (keep && after.kind >= kEffectScorePopup) {
            ShrinkToRest(after);
            keep = after.age <= 120;
        }
        if (!keep) {
            g_EffectList.erase(g_EffectList.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        after.age += 1;
        ++i;
    }
}

void CollectEffectQuads(i32 layer, PlayQuadList& quads) {
    for (const Effect& e : g_EffectList) {
        if (e.layer != layer || e.age < 0) continue;
        CollectEffect(e, quads);
    }
}

void DrawEffects(i32 layer) {
    PlayQuadList quads;
    CollectEffectQuads(layer, quads);
    DrawPlayQuads(quads);
}
