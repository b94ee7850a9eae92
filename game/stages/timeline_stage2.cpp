// The timeline of stage index 1: one case per phase, its rules in order; at
// the end, the stage's scenery (what it loads, the picture under its field).
// Spawn positions marked S come from the stage's own generator (StagePlus,
// StageMinus), never from the game's.
//
// Phases: 0 opening, 1 first mid-boss wave, 2 timed wave, 4 second mid-boss
// (when the first stage's circling mid-boss was shot down), 5 middle, 6
// crossing wave (skipped when the carrier mid-boss crossed the field), 7
// second timed wave, 8 convoy, 9 boss entry, 10 boss, 34 closing.
#include <algorithm>

#include "engine/core/radians.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/stage_dispatch.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"

namespace {

constexpr f32 kQuarterPi = 0.7853982f;
constexpr f32 kThreeQuarterPi = 2.3561945f;
constexpr f32 kThirdPi = 1.0471976f;
constexpr f32 kTwoThirdsPi = 2.0943952f;
constexpr i32 kSeam = 960;
constexpr i32 kBossMusic = 14;

i32 Spawn(const SpawnOrder& order) { return SpawnAndPlace(SpawnEnemyStage2, order); }

// Kind 5 from the left (201) or the right (202) edge at y 300, climbing.
void SpawnSideEntry(i32 state) {
    Spawn({.kind = 5, .state = state, .speed = 3.0f, .x = state == 201 ? -5.0f : 690.0f, .y = 300.0f, .heading = kUp});
}

// Kinds 11 and 12 diving in at x = 140 + S(180) (left) or 500 - S(180)
// (right) and the like.
void SpawnGunship(i32 kind, i32 state, SpawnCoord x) {
    Spawn({.kind = kind, .state = state, .speed = 4.0f, .x = x, .y = -10.0f});
}

// Kind 15 at x, y -150.
void SpawnTriHull(f32 x) { Spawn({.kind = 15, .state = 215, .speed = 6.0f, .x = x, .y = -150.0f}); }

// A carrier (kind 21) from the right at y = 120 + S(200).
SpawnOrder Carrier(f32 speed) {
    return {.kind = 21, .state = 221, .speed = speed, .x = 640.0f, .y = StagePlus(120, 200)};
}

void Phase0() {
    if (AtFrame(100)) {
        g_GameState.StageBannerTimer = 0;
        return;
    }
    if (EveryInWindow(101, 399, 50)) SpawnSideEntry(201);
    if (EveryInWindow(501, 899, 50)) SpawnSideEntry(202);
    if (EveryInWindow(1000, 1199, 50)) SpawnGunship(11, 210, StageMinus(500, 180));
    if (EveryInWindow(1200, 1399, 50)) SpawnGunship(11, 210, StagePlus(140, 180));
    if (JumpWhenListEmpty(1401, 1799, 3000)) return;
    if (EveryInWindow(3101, 3399, 50)) {
        Spawn({.kind = 5, .state = 201, .speed = 3.0f, .x = 620.0f, .y = 150.0f, .heading = kThreeQuarterPi});
    }
    if (EveryInWindow(3400, 3599, 50)) SpawnGunship(11, 210, StageMinus(530, 220));
    if (EveryInWindow(3601, 3899, 50)) {
        Spawn({.kind = 5, .state = 202, .speed = 3.0f, .x = 20.0f, .y = 150.0f, .heading = kQuarterPi});
    }
    if (EveryInWindow(3900, 4099, 50)) SpawnGunship(11, 210, StagePlus(110, 220));
    if (EveryInWindow(4100, 4499, 10)) {
        const i32 state = ScriptFrame() % 20 == 0 ? 241 : 240;
        Spawn({.kind = 8, .state = state, .speed = 1.0f, .x = StagePlus(200, 240), .y = -40.0f, .heading = kDown});
    }
    if (ScriptFrame() > 4400 && g_EnemyList.empty()) {
        ChangePhase(1);
        StartTalkEvent(202);
    }
}

void Phase1() {
    if (EveryInWindow(0, 1499, 150)) {
        if (AtFrame(900)) {
            Spawn({.kind = 22, .state = 221, .speed = 1.5f, .x = 640.0f, .y = 100.0f});
        } else {
            Spawn(Carrier(1.0f));
        }
    }
    if (ScriptFrame() > 1500 && g_EnemyList.empty()) ChangePhase(2);
}

void Phase2() {
    if (EveryInWindow(0, 199, 50)) SpawnGunship(12, 210, StageMinus(500, 180));
    if (EveryInWindow(200, 399, 50)) SpawnGunship(12, 210, StagePlus(140, 180));
    if (EveryInWindow(400, 599, 50)) SpawnGunship(11, 210, StagePlus(230, 180));
    JumpWhenListEmpty(601, 999, 1000);
    if (AtFrame(1000)) SetMissionTimer(1200, 2000);
    const i32 frame = ScriptFrame();
    if (EveryInWindow(1001, 1499, 50)) SpawnSideEntry(201);
    if (frame >= 1001 && frame <= 1499 && frame % 50 == 25) SpawnSideEntry(202);
    if (AtFrame(1600)) SpawnTriHull(430.0f);
    if (AtFrame(1700)) SpawnTriHull(210.0f);
    if (ScriptFrame() >= 1701 && ScriptFrame() <= 2999 && g_EnemyList.empty()) {
        CompleteMission();
        g_GameState.StageScriptFrame = 3000;
    }
    if (ScriptFrame() > 3000 && g_EnemyList.empty()) {
        const auto& flags = g_GameState.StoryFlags;
        if (flags[kStoryFirstMidBossDownedInItsTalk] != 0 || flags[kStoryFirstMidBossDowned] != 0) {
            ChangePhase(4);
            Spawn({.kind = 6, .state = 281, .speed = 9.0f, .x = 320.0f, .y = -200.0f, .heading = kDown});
            StartTalkEvent(210);
            g_GameState.BossSequenceFlag = 1;
        } else {
            ChangePhase(5);
        }
    }
}

void Phase4() {
    if (ScriptFrame() > 100 && g_EnemyList.empty()) {
        g_GameState.BossSequenceFlag = 0;
        ChangePhase(5);
    }
}

void Phase5() {
    if (EveryInWindow(100, 299, 50)) SpawnGunship(11, 213, StageMinus(550, 180));
    if (EveryInWindow(400, 599, 50)) SpawnGunship(12, 212, StagePlus(90, 180));
    if (AtFrame(300)) {
        if (IsTalkRunning()) return;
        const auto& flags = g_GameState.StoryFlags;
        const bool midBossDowned =
            flags[kStorySecondStageMidBossDownedInItsTalk] != 0 || flags[kStorySecondStageMidBossDowned] != 0;
        StartTalkEvent(g_GameState.MissCount == 0 && midBossDowned ? 214 : 215);
    }
    JumpWhenListEmpty(601, 999, 1000);
    if (EveryInWindow(1000, 1199, 5)) {
        if (ScriptFrame() % 10 == 0) {
            // clang-format off
            Spawn({.kind = 9, .state = 242, .speed = 12.0f, .x = StageMinus(400, 300), .y = 520.0f,
                   .heading = -kTwoThirdsPi});
        } else {
            Spawn({.kind = 9, .state = 243, .speed = 12.0f, .x = StagePlus(240, 300), .y = 520.0f,
                   .heading = -kThirdPi});
            // clang-format on
        }
    }
    if (AtFrame(1400)) SpawnTriHull(430.0f);
    if (EveryInWindow(1500, 1699, 50)) SpawnGunship(12, 212, StagePlus(90, 180));
    if (AtFrame(1800)) SpawnTriHull(210.0f);
    if (EveryInWindow(1900, 2099, 50)) SpawnGunship(11, 213, StageMinus(550, 180));
    if (ScriptFrame() > 2100 && g_EnemyList.empty()) ChangePhase(6);
}

void Phase6() {
    if (AtFrame(1)) {
        if (g_GameState.StoryFlags[kStoryCarrierMidBossCrossed] != 0) {
            ChangePhase(7);
            return;
        }
        g_GameState.StageScriptFrame = 2500;
        StartTalkEvent(206);
    }
    if (EveryInWindow(2500, 3000, 100)) {
        SpawnOrder o = Carrier(1.5f);
        o.spawnId = 203;
        Spawn(o);
    }
    if (ScriptFrame() > 3000 && g_EnemyList.empty()) {
        if (g_GameState.KillCountB == 6) {
            StartTalkEvent(207);
        } else if (g_GameState.StoryFlags[kStoryCarrierMidBossCrossed] == 0) {
            StartTalkEvent(208);
        }
        ChangePhase(7);
    }
}

void Phase7() {
    if (AtFrame(100)) SetMissionTimer(2100, 3000);
    if (EveryInWindow(101, 299, 40)) SpawnSideEntry(201);
    if (EveryInWindow(301, 499, 40)) SpawnSideEntry(202);
    if (EveryInWindow(501, 699, 40)) SpawnSideEntry(201);
    if (EveryInWindow(701, 899, 40)) SpawnSideEntry(202);
    const i32 frame = ScriptFrame();
    if (frame >= 1000 && frame <= 1399) {
        const bool evenHundred = (frame / 100) % 2 == 0;
        if ((frame - 1000) % 120 == 0) SpawnGunship(evenHundred ? 12 : 11, 212, StagePlus(90, 180));
        if ((frame - 1000) % 120 == 60) SpawnGunship(evenHundred ? 11 : 12, 213, StageMinus(550, 180));
    }
    if (AtFrame(1600)) {
        SpawnTriHull(210.0f);
        SpawnTriHull(430.0f);
    }
    if (ScriptFrame() >= 1601 && ScriptFrame() <= 2999 && g_EnemyList.empty()) {
        CompleteMission();
        g_GameState.StageScriptFrame = 3000;
    }
    if (ScriptFrame() > 3000 && g_EnemyList.empty()) ChangePhase(8);
}

// The convoy (kind 2, put at the front, harmless and half-sized) passing
// from one side.
void SpawnConvoy(i32 state, f32 x, f32 heading) {
    // clang-format off
    Spawn({.kind = 2, .state = state, .speed = 3.0f, .x = x, .y = 200.0f, .heading = heading, .active = 0,
           .scale = 0.5f});
    // clang-format on
}

void Phase8() {
    if (AtFrame(10)) {
        g_GameState.BossActiveFlag = 1;
        PlaySoundEffect(kSoundWind4);
    }
    if (EveryInWindow(100, 199, 10)) SpawnConvoy(233, 550.0f, -2.3415928f);
    if (EveryInWindow(400, 499, 10)) SpawnConvoy(234, 90.0f, -0.8f);
    if (AtFrame(300)) g_GameState.BossActiveFlag = 0;
    if (EveryInWindow(300, 799, 50)) {
        Spawn({.kind = 1, .state = 231, .speed = 10.0f, .x = 520.0f, .y = 520.0f, .heading = kUp});
    }
    if (AtFrame(400)) StartTalkEvent(221);
    if (EveryInWindow(500, 1099, 50)) {
        Spawn({.kind = 1, .state = 232, .speed = 10.0f, .x = 120.0f, .y = 520.0f, .heading = kUp});
    }
    if (ScriptFrame() > 1200 && g_EnemyList.empty()) ChangePhase(9);
}

// The boss rises from below the field at half size; the phase cannot go on
// without it, so a refused spawn holds the frame and is tried again.
void Phase9() {
    if (ScriptFrame() <= 50 || !g_EnemyList.empty()) return;
    const SpawnOrder boss{
        .kind = 102, .state = 290, .speed = 0.0f, .x = 320.0f, .y = 630.0f, .heading = kUp, .active = 0, .scale = 0.5f};
    if (SpawnOrHold(SpawnEnemyStage2, boss) < 0) return;
    ChangePhase(10);
    StartTalkEvent(220);
    RequestMusic(kBossMusic);
    g_GameState.BossActiveFlag = 1;
    g_GameState.BossSequenceFlag = 1;
    PlaySoundEffect(kSoundAniGeToriWing02);
}

// Raiders from both sides while the boss hovers (state 296, ages 1100 to
// 1600); the stage closes once the list is empty and no talk runs.
void Phase10() {
    if (const Enemy* boss = LeadEnemyInState(296); boss != nullptr && boss->age >= 1100 && boss->age <= 1600) {
        if (ScriptFrame() % 80 == 0) {
            // clang-format off
            Spawn({.kind = 1, .state = 205, .speed = 7.5f, .x = StageMinus(0, 100), .y = StagePlus(200, 150),
                   .heading = 0.0f, .rotation = kDown});
        } else if (ScriptFrame() % 80 == 40) {
            Spawn({.kind = 1, .state = 205, .speed = 7.5f, .x = StagePlus(640, 100), .y = StagePlus(200, 150),
                   .heading = -kPi, .rotation = kDown});
            // clang-format on
        }
    }
    if (g_EnemyList.empty() && !IsTalkRunning()) CloseStage();
}

// Sections: 0 to 1 at a seam in phases 4 to 6; 3 to 4 at a seam in phases 7
// to 9 (section 3 holds there); otherwise 1 to 2 (with the wind), 2 to 3 and
// 4 to 5 at a seam, and from section 4 on talk 201 once.
void StepBackgroundSections() {
    const i32 phase = g_GameState.StageScriptPhase;
    i32& section = g_GameState.BackgroundSection;
    if (phase >= 4 && phase <= 6 && section == 0 && AtSeam(kSeam)) {
        section = 1;
        return;
    }
    if (phase >= 7 && phase <= 9 && section == 3) {
        if (AtSeam(kSeam)) section = 4;
        return;
    }
    if (section > 3 && g_TalkState.active != 1 && g_GameState.StoryFlags[kStoryLateSectionTalkShown] == 0) {
        StartTalkEvent(201);
    }
    if (!AtSeam(kSeam)) return;
    switch (section) {
        case 1:
            section = 2;
            PlaySoundEffect(kSoundWind4);
            break;
        case 2: section = 3; break;
        case 4: section = 5; break;
        default: break;
    }
}

// Every (kind, state) the phases spawn.
constexpr TimelineSpawn kSpawns[] = {
    {1, 231},  {1, 232},  {2, 233},  {2, 234},  {5, 201},  {5, 202},   {6, 281},  {8, 240},
    {8, 241},  {9, 242},  {9, 243},  {11, 210}, {11, 212}, {11, 213},  {12, 210}, {12, 212},
    {12, 213}, {15, 215}, {21, 221}, {22, 221}, {1, 205},  {102, 290},
};

constexpr TimelineNumbers kNumbers{.spawns = kSpawns};

// ---- The scenery: what the stage loads and the picture under its field ----

constexpr Rect kOverlaySource{128, 128, 150, 150};

void PlanClouds(BackgroundPlan& plan) {
    const i32 scroll = g_GameState.BackgroundScrollY;
    if (g_GameState.BackgroundSection == 4) {
        AddCloud(plan, 0, 3840, 0.0f, 240.0f - 0.25f * static_cast<f32>(scroll));
    } else if (g_GameState.BackgroundSection == 5) {
        AddCloud(plan, 0, 3840, CloudV(960), 0.0f);
    }
}

void PlanBackground(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake();
    const i32 y = g_GameState.BackgroundScrollY / 2;
    const i32 section = g_GameState.BackgroundSection;
    switch (section) {
        case 1: AddFieldPair(plan, 0, 1, y, o); break;
        case 2: AddFieldPair(plan, 1, 2, y, o); break;
        case 3: AddFieldPair(plan, 2, 2, y, o); break;
        case 4: AddFieldPair(plan, 2, 3, y, o); break;
        case 5: AddFieldPair(plan, 3, 3, y, o); break;
        default: AddFieldPair(plan, 0, 0, y, o); break;
    }
    if (section == 4 || section == 5) {
        PlanClouds(plan);
        u32 alpha = 160;
        if (section == 4) alpha = y < 120 ? 40 : y < 240 ? 80 : y < 360 ? 120 : 160;
        SetBackgroundOverlay(plan, kOverlaySource, alpha, 0xFFFFFF);
    }
}

// Twice as fast in the first three sections; the scroll wraps at 960.
void ScrollBackground() {
    const i32 section = g_GameState.BackgroundSection;
    ScrollBackgroundBy(section >= 0 && section <= 2 ? 2 : 1, 960);
}

constexpr StageScenery kScenery{
    .load = {.zoom = 5.0f,
             .music = 13,
             .randomSeed = 300,
             .enemy = {"enemy02", "enemy02_2", "boss02_3"},
             .boss = {"boss02", "boss02_2"},
             .background = {"bgp02", "bgp02_2", "bgp02_3", "bgp02_4"},
             .cloud = {"cloud02"},
             .face = {"face02", "face02_2"},
             .speech = {"speech02a", "speech02b", "speech02c", "speech02d", "speech02e", "speech02f", "speech02g",
                        "speech02h", "speech02i"},
             .storyFirst = 25,
             .storyLast = 42,
             .firstPhase = 0},
    .planBackground = PlanBackground,
    .scrollBackground = ScrollBackground,
};

}  // namespace

const TimelineNumbers& TimelineNumbersStage2() { return kNumbers; }

const StageScenery& SceneryStage2() { return kScenery; }

void RunStage2Script() {
    switch (g_GameState.StageScriptPhase) {
        case 0: Phase0(); break;
        case 1: Phase1(); break;
        case 2: Phase2(); break;
        case 4: Phase4(); break;
        case 5: Phase5(); break;
        case 6: Phase6(); break;
        case 7: Phase7(); break;
        case 8: Phase8(); break;
        case 9: Phase9(); break;
        case 10: Phase10(); break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
    StepBackgroundSections();
}
