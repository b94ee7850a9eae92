// The timeline of stage index 3: one case per phase, its rules in order, then
// the star field and the horizontal background offset that grow in every
// phase; at the end, the stage's scenery (what it loads, the picture under
// its field).
//
// Phases: 0 opening, 5 first timed wave, 31 the mid-boss's pass and first
// fight, 3 crossings, 21 second timed wave, 32 the mid-boss's second fight (or
// 7, the boss's preview), 4 crossings, 33 the mid-boss's third fight (or 6,
// risers from below), 10 boss, 34 closing. Rows at frame 0 of a phase that is
// entered by a phase change never run: the new phase first sees frame 1.
#include <algorithm>

#include "engine/core/radians.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/stage_dispatch.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"

namespace {

constexpr i32 kBossMusic = 20;

// Spawn ids the timeline gives the mid-boss in its three fights.
constexpr i32 kMidBossFirst = 580;
constexpr i32 kMidBossSecond = 581;
constexpr i32 kMidBossThird = 582;

i32 Spawn(const SpawnOrder& order) { return SpawnAndPlace(SpawnEnemyStage4, order); }

// Where a row names no y.
constexpr f32 kAbove = -200.0f;

// A kind 2 or 3 drifter (speed 0.8, from y -200).
// clang-format off
void SpawnDrifter(i32 kind, i32 state, SpawnCoord x) { Spawn({.kind = kind, .state = state, .speed = 0.8f, .x = x, .y = kAbove}); }

// Kind 6, the side-gun craft, diving in from y -200.
void SpawnSideGunner(f32 x) { Spawn({.kind = 6, .state = 536, .speed = 5.0f, .x = x, .y = kAbove}); }

// A scenery craft (kinds 8 and 9) creeping down, inactive, facing up.
void SpawnScenery(i32 kind, f32 x, f32 y, i32 age, f32 heading) {
    Spawn({.kind = kind, .state = 535, .speed = 0.0f, .x = x, .y = y, .heading = heading, .age = age, .active = 0,
           .rotation = kUp, .scale = 0.8f});
}

// The runs of kind 2 or 3 from the left edge (520, at the n-th x of the wave)
// and from the right edge (521).
void SpawnRunFromLeft(i32 kind, i32 n) {
    Spawn({.kind = kind, .state = 520, .speed = 7.0f, .x = -40.0f * static_cast<f32>(n), .y = 100.0f, .heading = -0.4f});
}
// clang-format on
void SpawnRunFromRight(i32 kind, i32 n) {
    Spawn({.kind = kind,
           .state = 521,
           .speed = 7.0f,
           .x = 680.0f + 40.0f * static_cast<f32>(n),
           .y = 100.0f,
           .heading = -(kPi - 0.4f)});
}

// Kind 5, the carrier, inactive at half scale.
void SpawnCarrier(f32 x, f32 y) {
    Spawn({.kind = 5, .state = 530, .speed = 3.0f, .x = x, .y = y, .heading = kDown, .active = 0, .scale = 0.5f});
}

// Kind 12 or 13 crossing at a slant.
void SpawnCrosser(i32 kind, f32 x, f32 heading) {
    Spawn({.kind = kind, .state = 515, .speed = 0.75f, .x = x, .y = -80.0f, .heading = heading});
}

// The mid-boss (kind 1) entering a fight from above with its spawn id. A
// phase cannot go on without it: a refused spawn holds the frame (-1).
i32 SpawnMidBossOrHold(i32 state, i32 spawnId) {
    // clang-format off
    const SpawnOrder o{
        .kind = 1, .state = state, .speed = 3.0f, .x = 0.0f, .y = kAbove, .heading = kDown, .scale = 1.0f, .spawnId = spawnId};
    // clang-format on
    if (SpawnOrHold(SpawnEnemyStage4, o) < 0) return -1;
    g_GameState.BossSequenceFlag = 1;
    g_GameState.BossActiveFlag = 0;
    return 0;
}

// The end of a phase: frame 0, the next phase, both boss flags down.
void ChangePhaseQuiet(i32 phase) {
    ChangePhase(phase);
    g_GameState.BossSequenceFlag = 0;
    g_GameState.BossActiveFlag = 0;
}

bool FlagSet(i32 flag) { return g_GameState.StoryFlags[static_cast<std::size_t>(flag)] != 0; }

bool ListEmptyAfter(i32 frame) { return ScriptFrame() > frame && g_EnemyList.empty(); }

// first, first + every, ... up to last: a window whose frames are not
// multiples of its period.
bool EveryFrom(i32 first, i32 last, i32 every) {
    const i32 f = ScriptFrame();
    return f >= first && f <= last && (f - first) % every == 0;
}

void Phase0() {
    if (AtFrame(1)) {
        SpawnScenery(8, 280.0f, 200.0f, 100, kDown + 0.1f);
        SpawnScenery(8, 200.0f, 280.0f, 140, kDown + 0.1f);
        SpawnScenery(8, 360.0f, 240.0f, 120, kDown - 0.1f);
        if (!FlagSet(kStorySecondStageMidBossGotAway) && !FlagSet(kStoryThirdStageGunshipLeft)) {
            SpawnScenery(8, 440.0f, 300.0f, 160, kDown - 0.1f);
        } else {
            SpawnScenery(9, 380.0f, 320.0f, 20, kDown - 0.1f);
        }
    }
    if (AtFrame(200)) {
        StartTalkEvent500(FlagSet(kStorySecondStageMidBossGotAway) || FlagSet(kStoryThirdStageGunshipLeft) ? 511 : 510);
    }
    if (AtFrame(600)) g_GameState.StageBannerTimer = 0;
    if (EveryInWindow(600, 750, 75)) SpawnDrifter(2, 501, StagePlus(180, 150));
    if (EveryInWindow(825, 1050, 75)) SpawnDrifter(2, 501, StageMinus(460, 150));
    if (AtFrame(900)) SpawnSideGunner(220.0f);
    if (AtFrame(1100)) SpawnSideGunner(420.0f);
    if (ListEmptyAfter(1200)) ChangePhase(5);
}

void Phase5() {
    if (AtFrame(10)) SpawnSideGunner(250.0f);
    if (AtFrame(100)) SetMissionTimer(1100, 3000);
    if (EveryInWindow(100, 600, 100)) SpawnRunFromLeft(3, ScriptFrame() / 100);
    if (EveryFrom(150, 550, 100)) SpawnRunFromRight(3, (ScriptFrame() - 150) / 100);
    if (AtFrame(400)) SpawnCarrier(420.0f, -250.0f);
    if (ScriptFrame() >= 401 && ScriptFrame() <= 1999 && g_EnemyList.empty()) {
        CompleteMission();
        g_GameState.StageScriptFrame = 2000;
    }
    if (ListEmptyAfter(2000)) {
        ChangePhase(31);
        g_GameState.BossActiveFlag = 1;
    }
}

void Phase31() {
    if (AtFrame(10)) {
        Spawn({.kind = 1,
               .state = 540,
               .speed = 3.0f,
               .x = 0.0f,
               .y = 200.0f,
               .heading = kPi / 3.0f,
               .active = 0,
               .scale = 0.5f,
               .spawnId = kMidBossFirst});
    }
    if (AtFrame(100)) StartTalkEvent500(530);
    if (AtFrame(300)) {
        if (SpawnMidBossOrHold(541, kMidBossFirst) < 0) return;
    }
    if (ListEmptyAfter(500)) ChangePhaseQuiet(3);
}

void Phase32() {
    if (AtFrame(10)) {
        if (SpawnMidBossOrHold(544, kMidBossSecond) < 0) return;
    }
    if (ListEmptyAfter(500)) ChangePhaseQuiet(4);
}

void Phase33() {
    if (AtFrame(10)) {
        if (SpawnMidBossOrHold(545, kMidBossThird) < 0) return;
    }
    if (ListEmptyAfter(200) && !IsTalkRunning()) ChangePhaseQuiet(10);
    if (ScriptFrame() > 1500 && !g_EnemyList.empty() && !IsTalkRunning()) {
        ChangePhaseQuiet(10);
        g_GameState.StoryFlags[kStoryFourthMidBossOutlasted] = 1;
    }
}

// Phases 3 and 4: the crossings of kind 13 (phase 3) or 12 (phase 4) from
// their side, kind 6 and the drifters.
struct CrossingPhase {
    i32 crosser;
    f32 firstX;
    f32 heading;
    f32 sideGunnerX[3];  // at 100, 300 (first), 300 (the crosser's x)
    f32 crosserX[5];     // at 600, 900, 1000, 1200, 1300
};
constexpr CrossingPhase kPhase3{13, 300.0f, 0.8f * kPi, {450.0f, 240.0f, 400.0f}, {500, 600, 300, 700, 400}};
constexpr CrossingPhase kPhase4{12, 340.0f, 0.2f * kPi, {210.0f, 400.0f, 240.0f}, {140, 40, 340, -60, 240}};

void Crossings(const CrossingPhase& p) {
    if (AtFrame(0)) SpawnCrosser(p.crosser, p.firstX, p.heading);
    if (AtFrame(100)) SpawnSideGunner(p.sideGunnerX[0]);
    if (AtFrame(300)) {
        SpawnSideGunner(p.sideGunnerX[1]);
        SpawnCrosser(p.crosser, p.sideGunnerX[2], p.heading);
    }
    static constexpr i32 kCrosserFrames[5] = {600, 900, 1000, 1200, 1300};
    for (i32 i = 0; i < 5; ++i) {
        if (AtFrame(kCrosserFrames[i])) SpawnCrosser(p.crosser, p.crosserX[i], p.heading);
    }
    if (EveryInWindow(160, 1440, 80)) SpawnDrifter(3, 502, StagePlus(180, 280));
}

void Phase3() {
    Crossings(kPhase3);
    if (ListEmptyAfter(1500)) ChangePhase(21);
}

void Phase4() {
    Crossings(kPhase4);
    if (ListEmptyAfter(1500)) {
        if (FlagSet(kStoryFourthBossPreviewRoad) || FlagSet(kStoryFourthSecondFightCentreDowned)) {
            ChangePhase(6);
        } else {
            ChangePhase(33);
            g_GameState.BossActiveFlag = 1;
        }
    }
}

void Phase21() {
    if (AtFrame(10)) {
        SpawnSideGunner(180.0f);
        SpawnRunFromLeft(2, 1);
        g_GameState.StageScriptFrame = 2100;
    }
    if (EveryInWindow(2100, 2600, 100)) SpawnRunFromLeft(2, (ScriptFrame() - 2000) / 100);
    if (EveryFrom(2150, 2550, 100)) SpawnRunFromRight(2, (ScriptFrame() - 2150) / 100);
    if (AtFrame(2200)) {
        SetMissionTimer(1300, 3000);
        SpawnSideGunner(460.0f);
    }
    if (AtFrame(2500)) SpawnCarrier(220.0f, -300.0f);
    if (AtFrame(2700)) SpawnCarrier(420.0f, -300.0f);
    if (ScriptFrame() >= 2701 && ScriptFrame() <= 3999 && g_EnemyList.empty()) {
        CompleteMission();
        g_GameState.StageScriptFrame = 4000;
    }
    if (ListEmptyAfter(4000)) {
        if (FlagSet(kStoryFourthBossPreviewRoad)) {
            ChangePhase(7);
        } else {
            ChangePhase(32);
            g_GameState.BossActiveFlag = 1;
        }
    }
}

void Phase7() {
    if (AtFrame(1)) {
        Spawn({.kind = 99,
               .state = 589,
               .speed = 0.0f,
               .x = 320.0f,
               .y = 680.0f,
               .heading = kDown + 0.1f,
               .age = 0,
               .active = 0,
               .rotation = kDown,
               .scale = 0.1f});
    }
    if (AtFrame(200)) StartTalkEvent500(540);
    if (EveryInWindow(600, 800, 50)) SpawnDrifter(2, 501, StagePlus(180, 150));
    if (EveryInWindow(800, 1100, 50)) SpawnDrifter(2, 501, StageMinus(460, 150));
    if (ListEmptyAfter(1100)) ChangePhase(4);
}

// Phase 6: kind 11 rises from below, with kind 6 and the drifters.
void Phase6() {
    static constexpr i32 kRiserFrames[4] = {0, 400, 800, 1200};
    static constexpr f32 kRiserX[4] = {170.0f, 470.0f, 170.0f, 470.0f};
    for (i32 i = 0; i < 4; ++i) {
        if (!AtFrame(kRiserFrames[i])) continue;
        Spawn(
            {.kind = 11, .state = 512, .speed = 2.0f, .x = kRiserX[i], .y = 580.0f, .heading = kUp, .rotation = 0.0f});
    }
    static constexpr i32 kGunnerFrames[5] = {300, 500, 800, 1000, 1200};
    static constexpr f32 kGunnerX[5] = {420.0f, 220.0f, 350.0f, 460.0f, 180.0f};
    for (i32 i = 0; i < 5; ++i) {
        if (AtFrame(kGunnerFrames[i])) SpawnSideGunner(kGunnerX[i]);
    }
    if (EveryInWindow(120, 1560, 120)) SpawnDrifter(3, 502, StagePlus(180, 280));
    JumpWhenListEmpty(1601, 3999, 4000);
    if (ListEmptyAfter(4000)) ChangePhase(10);
}

// The boss (kind 99) entering inactive from above, at the front of the
// list. The phase cannot go on without it: a refused spawn holds the frame.
bool SpawnBossOrHold() {
    const SpawnOrder o{.kind = 99, .state = 590, .speed = 1.0f, .x = 320.0f, .y = -300.0f, .active = 0};
    return SpawnOrHold(SpawnEnemyStage4, o) >= 0;
}

// The boss's opening talk: 501 on the long route, else 550 or 551.
i32 BossTalk() {
    if (FlagSet(kStoryFourthMidBossOutlasted)) return 501;
    return FlagSet(kStoryFourthBossTalk550) ? 550 : 551;
}

// Phase 10: runs from both sides and two side-gun craft, then the boss; its
// extra phase (592) calls escorts every 50 frames of its approach.
void Phase10() {
    if (EveryInWindow(0, 480, 30)) {
        const bool left = ScriptFrame() % 60 == 0;
        Spawn({.kind = 3,
               .state = 522,
               .speed = 7.5f,
               .x = left ? StageMinus(60, 100) : StagePlus(570, 100),
               .y = StagePlus(150, 150),
               .heading = left ? 0.0f : -kPi,
               .layer = 1,
               .rotation = kDown});
    }
    if (AtFrame(200)) SpawnSideGunner(420.0f);
    if (AtFrame(400)) SpawnSideGunner(220.0f);
    if (AtFrame(500)) {
        if (!SpawnBossOrHold()) return;
        RequestMusic(kBossMusic);
        StartTalkEvent500(BossTalk());
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
    if (const Enemy* boss = LeadEnemyInState(592);
        boss && boss->age >= 100 && boss->age < 1000 && boss->age % 50 == 0) {
        Spawn({.kind = 2, .state = 507, .speed = 7.0f, .x = StagePlus(170, 300), .y = -50.0f, .heading = kDown});
    }
    if (ScriptFrame() > 500 && !IsTalkRunning() && g_EnemyList.empty()) CloseStage();
}

// Every (kind, state) the phases spawn.
constexpr TimelineSpawn kSpawns[] = {
    {1, 540}, {1, 541}, {1, 544}, {1, 545}, {2, 501}, {2, 507},  {2, 520},  {2, 521},  {3, 502},  {3, 520},  {3, 521},
    {3, 522}, {5, 530}, {6, 536}, {8, 535}, {9, 535}, {11, 512}, {12, 515}, {13, 515}, {99, 589}, {99, 590},
};

constexpr TimelineNumbers kNumbers{.spawns = kSpawns};

// ---- The scenery: what the stage loads and the picture under its field ----

// The view opens panned 100 pixels left and is held within 120 pixels of the
// middle; the field darkens with the star field's streaks.
void PlanBackground(BackgroundPlan& plan) {
    const i32 o = std::clamp(g_GameState.BackgroundScrollX + BackgroundParallax() + BackgroundShake(), -120, 120);
    AddFieldPair(plan, 0, 0, g_GameState.BackgroundScrollY, o);
    const i32 alpha = static_cast<i32>(g_GameState.StarCount * 0.005 * 150);
    SetBackgroundOverlay(plan, kBlackOverlaySource, static_cast<u32>(std::clamp(alpha, 0, 255)), 0xC8C8C8);
}

void ScrollBackground() { ScrollBackgroundBy(1, 480); }

constexpr StageScenery kScenery{
    .load = {.zoom = 10.0f,
             .music = 19,
             .randomSeed = 0,
             .enemy = {"enemy05", "enemy05_2", "enemy05_3"},
             .boss = {"boss05_1", "boss05_2"},
             .background = {"bgp05"},
             .cloud = {},
             .face = {"face05", "face05_2"},
             .speech = {"speech05a", "speech05b", "speech05c", "speech05d", "speech05e", "speech05f"},
             .storyFirst = 70,
             .storyLast = 75,
             .firstPhase = 0,
             .scrollX = -100},
    .planBackground = PlanBackground,
    .scrollBackground = ScrollBackground,
};

}  // namespace

const TimelineNumbers& TimelineNumbersStage4() { return kNumbers; }

const StageScenery& SceneryStage4() { return kScenery; }

void RunStage4Script() {
    switch (g_GameState.StageScriptPhase) {
        case 0: Phase0(); break;
        case 3: Phase3(); break;
        case 4: Phase4(); break;
        case 5: Phase5(); break;
        case 6: Phase6(); break;
        case 7: Phase7(); break;
        case 10: Phase10(); break;
        case 21: Phase21(); break;
        case 31: Phase31(); break;
        case 32: Phase32(); break;
        case 33: Phase33(); break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
    // The star field fills in and the view pans right as the stage goes on.
    const i32 frame = ScriptFrame();
    if (frame % 30 == 0 && g_GameState.StarCount < 200) g_GameState.StarCount += 1;
    if (frame % 10 == 0 && g_GameState.BackgroundScrollX < 80) g_GameState.BackgroundScrollX += 1;
}
