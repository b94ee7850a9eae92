#include "game/play/play_overlays.h"

#include <algorithm>
#include <cmath>

#include "engine/core/angle.h"
#include "engine/core/application.h"
#include "engine/core/radians.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/player.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/play/stage_textures.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"

PauseMenu g_PauseMenu;
ContinuePrompt g_ContinuePrompt;

namespace {

GameState& G() { return g_GameState; }
PlayerState& P() { return g_PlayerState[0]; }
MissionTimerBlock& Mission() { return g_GameState.MissionTimer; }

Rect Box(i32 left, i32 top, i32 right, i32 bottom) { return Rect{left, top, right, bottom}; }
Rect Centred(i32 x, i32 y, i32 halfWidth, i32 halfHeight) {
    return Rect{x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight};
}

void Add(std::vector<OverlayQuad>& quads, OverlayImage image, const Rect& destination, const Rect& source,
         u32 colour = kOverlayWhite) {
    quads.push_back({image, destination, source, colour, false, 0});
}

void AddRotated(std::vector<OverlayQuad>& quads, OverlayImage image, const Rect& destination, const Rect& source,
                i32 angle) {
    quads.push_back({image, destination, source, kOverlayWhite, true, angle});
}

// Decimal digit k (0 = units) of a non-negative number.
i32 Digit(i64 n, i32 k) {
    if (n < 0) n = -n;
    for (i32 i = 0; i < k; ++i) n /= 10;
    return static_cast<i32>(n % 10);
}

// Digits of n; 1 for anything below 10.
i32 DigitCount(i64 n) {
    if (n < 0) n = -n;
    i32 count = 1;
    while (n >= 10) {
        n /= 10;
        ++count;
    }
    return count;
}

// The pulse of the boss and mission labels: 3 pixels over 100 frames.
i32 LabelPulse() {
    return static_cast<i32>(std::sin((G().FrameCounter % 100) * 0.01 * 2.0 * 3.14159265358979323846) * 3.0);
}

// -angle of a dial turned by ratio of a full turn; 0 when there is no whole.
i32 DialAngle(i32 part, i32 whole) {
    if (whole == 0) return 0;
    const f32 ratio = static_cast<f32>(part) / static_cast<f32>(whole);
    return -RadianToAngle(ratio * kTwoPi);
}

Texture* OverlayTexture(OverlayImage image) {
    switch (image) {
        case kOverlayPicture: return g_StageTextures.picture;
        case kOverlayMissile: return g_StageTextures.missile;
        case kOverlayPause: return g_StageTextures.pause;
        case kOverlayStageTitle: return g_StageTextures.stage_title;
    }
    return nullptr;
}

void DrawCollected(void (*collect)(std::vector<OverlayQuad>&)) {
    std::vector<OverlayQuad> quads;
    collect(quads);
    DrawOverlayQuads(quads);
}

bool Pressed(const i32* keys, KeySlot slot) { return keys[slot] == kKeyPressed; }

}  // namespace

void ResetPlayPrompts() {
    g_PauseMenu = PauseMenu{};
    g_ContinuePrompt = ContinuePrompt{};
}

i32 SlideOffset(i32 t) { return t * std::abs(t) / 2; }

// ---- mission timer ----

void SetMissionTimer(i32 frames, i32 bonusPoints) {
    Mission().total = frames;
    Mission().remaining = frames;
    Mission().bonus = bonusPoints;
    Mission().alpha = 0;
    Mission().panelSlide = 0;
}

void FailMission() {
    if (Mission().remaining <= 0) return;
    Mission().remaining = 0;
    const f32 at[2] = {320.0f, 220.0f};
    SpawnEffect(kEffectMissionFailed, at, 0.0f, -1);
    PlaySoundEffect(21);
    LogPrintf("MIS_CLEAR!!\n");
    ClearEnemyBulletsAndShells();
}

void CompleteMission() {
    if (Mission().remaining <= 0) return;
    const f32 at[2] = {320.0f, 220.0f};
    SpawnEffect(kEffectMissionComplete, at, 0.0f, -1);
    ++G().BonusCount;
    PlaySoundEffect(20);
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = GetScoreMultiplier(P().shotLevel);
    AddScore(400 * m + m * n + Mission().bonus);
    Mission().remaining = 0;
}

void UpdateMissionTimer() {
    MissionTimerBlock& t = Mission();
    if (t.remaining > 0) {
        if (t.remaining == 1) FailMission();
        else --t.remaining;
    }
    if (t.remaining != 0 && G().StageScriptPhase != kClosingPhase) {
        t.panelSlide = std::min(t.panelSlide + 5, 240);
    } else if (t.panelSlide > 0) {
        t.panelSlide -= 3;
    }
    if (t.remaining > 0 && t.panelSlide > 200) {
        if (t.alpha < 25) ++t.alpha;
    } else if (t.remaining <= 0) {
        if (t.alpha > 0) --t.alpha;
    }
}

// ---- stage rank ----

i32 GetStageRank() {
    struct RankRow {
        i32 a, b;
        i32 bound[4];  // ranks 5, 4, 3, 2
    };
    static constexpr RankRow kRows[] = {
        {200, 150, {3200, 2700, 2200, 1800}},  // stage 0
        {200, 150, {3300, 2800, 2400, 1900}},  // stage 1
        {200, 150, {2700, 2300, 2000, 1500}},  // stage 2 with story flag 49
        {200, 150, {3100, 2700, 2300, 1900}},  // stage 2 without
        {250, 150, {2900, 2400, 2000, 1500}},  // stage 3
        {350, 250, {4700, 4000, 3000, 2000}},  // stage 4
    };
    const RankRow* row = nullptr;
    switch (G().StageIndex) {
        case 0: row = &kRows[0]; break;
        case 1: row = &kRows[1]; break;
        case 2: row = G().StoryFlags[kStoryThirdStageRouteA] ? &kRows[2] : &kRows[3]; break;
        case 3: row = &kRows[4]; break;
        case 4: row = &kRows[5]; break;
        default: return 1;
    }
    const i64 p = static_cast<i64>(G().RankPoints) - static_cast<i64>(row->a) * G().MissCount -
                  static_cast<i64>(row->b) * G().BossPhaseMissCount;
    i32 rank = 1;
    for (i32 i = 0; i < 4; ++i) {
        if (p > row->bound[i]) {
            rank = 5 - i;
            break;
        }
    }
    if (G().StageIndex == 4) LogPrintf("rankp=%lld:rank=%d\n", static_cast<long long>(p), rank);
    return rank;
}

// ---- pause menu ----

void OpenPauseMenu() {
    g_PauseMenu.PauseActive = 1;
    g_PauseMenu.state = 0;
    g_PauseMenu.cursor = 0;
    g_PauseMenu.slideTimer = 30;
    std::copy(std::begin(P().keys), std::end(P().keys), std::begin(g_PauseMenu.savedKeys));
    PlaySoundEffect(33);
}

void UpdatePauseMenu() {
    u8 bits[2];
    ReadInputBits(0, bits);
    StepPauseMenu(bits);
}

void StepPauseMenu(const u8 bits[2]) {
    PauseMenu& m = g_PauseMenu;
    i32* keys = P().keys;
    UpdateKeyStatesRepeat(bits, keys);
    switch (m.state) {
        case 0:
            if (--m.slideTimer <= 0) m.state = 10;
            break;
        case 10:
            if (Pressed(keys, kKeyZ)) {
                m.state = 90;
                if (m.cursor == 1 || m.cursor == 2) {
                    G().PlayEndKind = m.cursor == 1 ? kPlayEndRetry : kPlayEndQuit;
                    StartTransition(kTransitionClose);
                    G().StageScriptPhase = kClosingPhase;
                }
                PlaySoundEffect(35);
            }
            if (Pressed(keys, kKeyX) || Pressed(keys, kKeyT)) {
                m.state = 90;
                PlaySoundEffect(36);
            }
            if (Pressed(keys, kKeyUp)) {
                m.cursor = m.cursor == 0 ? 2 : m.cursor - 1;
                PlaySoundEffect(34);
            }
            if (Pressed(keys, kKeyDown)) {
                m.cursor = m.cursor >= 2 ? 0 : m.cursor + 1;
                PlaySoundEffect(34);
            }
            break;
        case 90:
            if (--m.slideTimer < -30) {
                m.PauseActive = 0;
                std::copy(std::begin(m.savedKeys), std::end(m.savedKeys), keys);
                keys[kKeyT] = kKeyHeld;
                P().liveKeys[kKeyT] = kKeyHeld;
            }
            break;
        default: break;
    }
}

void CollectPauseMenuQuads(std::vector<OverlayQuad>& quads) {
    if (!g_PauseMenu.PauseActive) return;
    const i32 cx = 300 + SlideOffset(g_PauseMenu.slideTimer);
    for (i32 i = 0; i < 3; ++i) {
        Add(quads, kOverlayPause, Box(cx - 180, 80 + 45 * i, cx + 180, 120 + 45 * i), Box(0, 40 * i, 359, 40 * i + 39),
            i == g_PauseMenu.cursor ? kOverlayWhite : kOverlayDim);
    }
}

void DrawPauseMenu() { DrawCollected(CollectPauseMenuQuads); }

// ---- continue prompt ----

void OpenContinuePrompt() {
    g_ContinuePrompt.ContinuePromptActive = 1;
    g_ContinuePrompt.state = 0;
    g_ContinuePrompt.cursor = 0;
    g_ContinuePrompt.slideTimer = 30;
    PlaySoundEffect(33);
}

void UpdateContinuePrompt() {
    u8 bits[2];
    ReadInputBits(0, bits);
    StepContinuePrompt(bits);
}

void StepContinuePrompt(const u8 bits[2]) {
    ContinuePrompt& c = g_ContinuePrompt;
    i32* keys = P().keys;
    UpdateKeyStates(bits, keys);
    switch (c.state) {
        case 0:
            if (--c.slideTimer <= 0) c.state = 10;
            break;
        case 10:
            if (Pressed(keys, kKeyZ)) {
                if (c.cursor == 0) {
                    --G().Continues;
                    ResetPlayerState(0);
                    P().blinkTimer = 100;
                    PlaySoundEffect(35);
                } else {
                    StartTransition(kTransitionClose);
                    G().PlayEndKind = kPlayEndStageOver;
                    G().StageScriptPhase = kClosingPhase;
                    PlaySoundEffect(36);
                }
                c.state = 90;
            }
            if (Pressed(keys, kKeyLeft)) {
                c.cursor = 0;
                PlaySoundEffect(32);
            }
            if (Pressed(keys, kKeyRight)) {
                c.cursor = 1;
                PlaySoundEffect(32);
            }
            break;
        case 90:
            if (--c.slideTimer < -30) c.ContinuePromptActive = 0;
            break;
        default: break;
    }
}

void CollectContinuePromptQuads(std::vector<OverlayQuad>& quads) {
    if (!g_ContinuePrompt.ContinuePromptActive) return;
    const i32 cx = 320 + SlideOffset(g_ContinuePrompt.slideTimer);
    const i32 c = std::clamp(G().Continues, 0, 9);
    const bool yes = g_ContinuePrompt.cursor == 0;
    Add(quads, kOverlayPause, Box(cx - 200, 150, cx + 200, 330), Box(0, 270, 399, 449));
    Add(quads, kOverlayPause, Box(cx - 125, 180, cx + 125, 240), Box(0, 210, 249, 269));
    Add(quads, kOverlayPicture, Box(cx + 65, 186, cx + 85, 210), Box(20 * c, 300, 20 * c + 19, 324));
    Add(quads, kOverlayPause, Box(cx - 70, 255, cx - 10, 305), Box(250, 210, 309, 259),
        yes ? kOverlayWhite : kOverlayDim);
    Add(quads, kOverlayPause, Box(cx + 10, 255, cx + 70, 305), Box(310, 210, 369, 259),
        yes ? kOverlayDim : kOverlayWhite);
}

void DrawContinuePrompt() { DrawCollected(CollectContinuePromptQuads); }

// ---- stage banner ----

void CollectStageBannerQuads(std::vector<OverlayQuad>& quads) {
    const i32 t = G().StageBannerTimer;
    if (t < 0) return;
    i32 x = 320;
    if (t < 50) x = 320 + (t - 50) * (t - 50) / 4;
    else if (t > 400) x = 320 + (t - 400) * (t - 400) / 4;
    const i32 s = G().StageIndex;
    Add(quads, kOverlayStageTitle, Box(x - 200, 130, x + 200, 170), Box(0, 40 * s, 399, 40 * s + 39));
}

void AdvanceStageBanner() {
    i32& t = G().StageBannerTimer;
    if (t < 0) return;
    if (!g_PauseMenu.PauseActive) ++t;
    if (t > 450) t = -1;
}

void DrawStageBanner() {
    DrawCollected(CollectStageBannerQuads);
    AdvanceStageBanner();
}

// ---- player gauges and mission-timer panel ----

void CollectPlayerGaugeQuads(std::vector<OverlayQuad>& quads) {
    const i32 cx = G().GaugePanelSlide - 125;
    const i32 cy = 45 - G().TopPanelShift;
    Add(quads, kOverlayMissile, Centred(cx, cy, 104, 104), Box(0, 240, 259, 499));
    AddRotated(quads, kOverlayPicture, Centred(cx, cy, 40, 40), Box(400, 80, 499, 179),
               DialAngle(P().levelTimer, P().levelTimerMax));
    const i32 level = P().shotLevel;
    if (level > 1) {
        const i32 c = (level - 2) % 4;
        const i32 r = (level - 2) / 4;
        const i32 h = G().LevelDigitHeight;
        Add(quads, kOverlayMissile, Box(cx + 15 - 24, cy + 20 - h, cx + 15 + 24, cy + 20 + h),
            Box(260 + 48 * c, 340 + 40 * r, 308 + 48 * c, 379 + 40 * r));
    }
    const i32 f = G().StageClearFade;
    if (f > 0) {
        const i32 w = LabelPulse();
        Add(quads, kOverlayMissile, Centred(cx, 25 - G().TopPanelShift, 65 + w, f + w), Box(260, 420, 389, 469));
    }
}

void CollectMissionTimerQuads(std::vector<OverlayQuad>& quads) {
    const MissionTimerBlock& t = Mission();
    const i32 cx = 765 - t.panelSlide;
    const i32 cy = 45 - G().TopPanelShift;
    // Drawn mirrored: left and right edges swapped.
    Add(quads, kOverlayMissile, Box(cx + 104, cy - 104, cx - 104, cy + 104), Box(0, 240, 259, 499));
    AddRotated(quads, kOverlayPicture, Box(cx + 40, cy - 40, cx - 40, cy + 40), Box(400, 80, 499, 179),
               DialAngle(t.remaining, t.total));
    if (t.alpha > 0) {
        const i32 w = LabelPulse();
        Add(quads, kOverlayMissile, Centred(cx, 65 - G().TopPanelShift, 65 + w, t.alpha + w), Box(260, 190, 389, 239));
    }
}

void DrawPlayerGauges() { DrawCollected(CollectPlayerGaugeQuads); }
void DrawMissionTimer() { DrawCollected(CollectMissionTimerQuads); }

// ---- HUD ----

void CollectHudQuads(std::vector<OverlayQuad>& quads) {
    const PlayerState& p = P();
    const i32 frame = G().FrameCounter;
    // Missile panel and slots.
    const i32 y0 = 465 + G().BottomPanelShift;
    Add(quads, kOverlayPicture, Box(110, y0 - 20, 246, y0 + 20), Box(300, 180, 469, 219));
    const i32 pulse = 20 - static_cast<i32>(std::sin((frame % 100) * 0.0628319) * -3.0);
    const Rect plainIcon = Box(0, 240, 39, 299);
    const Rect chargedIcon = Box(80, 240, 119, 299);
    const Rect emptyFrame = Box(40, 240, 79, 299);
    for (i32 i = 0; i < 5; ++i) {
        i32 bx = 130 + 25 * i;
        i32 by = 479 + G().BottomPanelShift;
        const i32 k = p.missileCooldown;
        if (k > 0) {
            if (i < 4) bx += 2 * k;
            else by += 3 * k;
        }
        if (i < p.missileStock) {
            if (i == 0 && p.missileChargeUp == 30) {
                Add(quads, kOverlayPicture, Box(bx - 36, by - 70, bx + 36, by),
                    frame % 4 == 0 || frame % 4 == 1 ? chargedIcon : plainIcon);
            } else if (i == 0) {
                const f32 c = static_cast<f32>(p.missileChargeUp) / 30.0f;
                const i32 hw = static_cast<i32>(18.0f * c + static_cast<f32>(pulse));
                const i32 hh = static_cast<i32>(35.0f * c + static_cast<f32>(pulse));
                Add(quads, kOverlayPicture, Centred(bx, by - 18, hw, hh), plainIcon);
            } else {
                Add(quads, kOverlayPicture, Centred(bx, by - 18, pulse, pulse), plainIcon);
            }
        } else {
            Add(quads, kOverlayPicture, Box(bx - 18, by - 34, bx + 18, by), emptyFrame);
            if (i == p.missileStock) {
                const f32 q = static_cast<f32>(p.missileCharge) / static_cast<f32>(5 * p.missileStock + 5);
                Add(quads, kOverlayPicture, Box(bx - 18, by - static_cast<i32>(35.0f * q) + 1, bx + 18, by),
                    Box(80, 300 - static_cast<i32>(60.0f * q), 119, 299));
            }
        }
    }
    // Score.
    const i32 top = 2 - G().TopPanelShift;
    Add(quads, kOverlayPicture, Box(145, top, 225, top + 24), Box(120, 240, 199, 264));
    const i64 shown = static_cast<i64>(p.RunScore) + p.stagePointsShown;
    const i32 scoreDigits = DigitCount(static_cast<i64>(p.RunScore) + p.StageScorePoints);
    for (i32 k = 0; k < 7; ++k) {
        const i32 x = 320 - 16 * k;
        const i32 d = Digit(shown, k);
        Add(quads, kOverlayPicture, Box(x, top, x + 20, top + 25), Box(20 * d, 300, 20 * d + 20, 324),
            k >= scoreDigits ? kOverlayGrey : kOverlayWhite);
    }
    // Cancel count.
    Add(quads, kOverlayPicture, Box(215, top + 22, 275, top + 40), Box(370, 475, 469, 499));
    const i32 cancelDigits = DigitCount(p.cancelShown);
    for (i32 k = 0; k < 5; ++k) {
        const i32 x = 323 - 12 * k;
        const i32 d = Digit(p.cancelShown, k);
        Add(quads, kOverlayStageTitle, Box(x, top + 24, x + 14, top + 40), Box(280 + 20 * d, 470, 300 + 20 * d, 494),
            k >= cancelDigits ? kOverlayGrey : kOverlayWhite);
    }
    // Lives.
    Add(quads, kOverlayPicture, Box(390, top, 470, top + 24), Box(120, 265, 199, 289));
    const i32 lives = std::clamp(p.lives - 1, 0, 9);
    Add(quads, kOverlayPicture, Box(470, top, 490, top + 24), Box(20 * lives, 300, 20 * lives + 20, 324));
    // The demonstration label blinks every 10 frames.
    if (G().GameMode == 20 && (frame / 10) % 2 == 0) {
        Add(quads, kOverlayStageTitle, Box(290, 440, 510, 480), Box(180, 310, 399, 349));
    }
}

void DrawHud() {
    for (i32 e = 0; e < static_cast<i32>(g_EnemyList.size()); ++e) {
        for (i32 r = 0; r < kPartLinks; ++r) {
            const i32 part = g_EnemyList[e].rootParts[r];
            if (part < 0 || part >= kEnemyPartPoolSize) break;
            DrawPartHpGauge(e, &g_EnemyPartPool[part], &g_EnemyList[e].x, &g_EnemyList[e].rotation);
        }
    }
    DrawCollected(CollectHudQuads);
}

void DrawOverlayQuads(const std::vector<OverlayQuad>& quads) {
    for (const OverlayQuad& q : quads) {
        Texture* t = OverlayTexture(q.image);
        if (!t) continue;
        if (q.rotated) t->TextureDrawRotated(q.destination, 0.0f, q.source, q.angle, q.colour, 1);
        else t->TextureDraw(q.destination, 0.0f, q.source, q.colour, 1);
    }
}
