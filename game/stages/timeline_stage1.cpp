// The timeline of stage index 0: one case per phase, its rules in order; at
// the end, the stage's scenery (what it loads, the picture under its field).
//
// Phases: 0 opening, 1 first mid-boss, 2 second wave, 3 bonus wave, 5 short
// road to the boss (the boss comes damaged), 6 second mid-boss, 8 long road,
// 10 boss, 34 closing.
#include <algorithm>

#include "engine/core/radians.h"
#include "game/enemy/enemy_behaviour.h"
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

constexpr i32 kBossSpawnId = 150;
constexpr i32 kBossMusic = 12;
constexpr i32 kSeam = 480;

i32 Spawn(const SpawnOrder& order) { return SpawnAndPlace(SpawnEnemyStage1, order); }

SpawnOrder Order(i32 kind, i32 state, f32 speed, SpawnCoord x, SpawnCoord y) {
    SpawnOrder o;
    o.kind = kind;
    o.state = state;
    o.speed = speed;
    o.x = x;
    o.y = y;
    return o;
}

// Kind 1 from the left (101, x 200) on the even periods, from the right
// (102, x 440) on the odd ones.
void SpawnWave1(bool even, f32 speed) {
    Spawn(even ? Order(1, 101, speed, 200.0f, -50.0f) : Order(1, 102, speed, 440.0f, -50.0f));
}

// Kind 61 diving in at a random x.
void SpawnDiver(f32 speed, f32 lo, f32 hi) { Spawn(Order(61, 104, speed, RandomRange(lo, hi), -10.0f)); }

// Four escorts of `kind` at y -30, x 150, 200, 490, 440 with ages 0, 50, 0, 50.
void SpawnEscorts(i32 kind, i32 state, i32 layer, bool inactive) {
    static constexpr f32 kX[4] = {150.0f, 200.0f, 490.0f, 440.0f};
    static constexpr i32 kAge[4] = {0, 50, 0, 50};
    for (int i = 0; i < 4; ++i) {
        SpawnOrder o = Order(kind, state, 4.0f, kX[i], -30.0f);
        o.age = kAge[i];
        if (layer != 0) o.layer = layer;
        if (inactive) o.active = 0;
        Spawn(o);
    }
}

// The boss (kind 102, put at the front) entering inactive at (320, -300). A
// phase cannot go on without it: a refused spawn holds the frame (-1).
i32 SpawnBossOrHold(i32 state) {
    SpawnOrder o = Order(102, state, 0.0f, 320.0f, -300.0f);
    o.active = 0;
    return SpawnOrHold(SpawnEnemyStage1, o);
}

void Phase0() {
    if (EveryInWindow(101, 399, 10)) {
        SpawnOrder o = Order(11, 105, 2.0f, RandomRange(150.0f, 400.0f), 520.0f);
        o.heading = kUp;
        Spawn(o);
    }
    if (AtFrame(300)) {
        g_GameState.StageBannerTimer = 0;
        return;
    }
    if (EveryInWindow(500, 1299, 70)) SpawnWave1(EvenPeriod(500, 400), 5.0f);
    if (EveryInWindow(1400, 1599, 50)) SpawnDiver(4.5f, 160.0f, 480.0f);
    if (AtFrame(1450)) Spawn(Order(51, 103, 1.0f, 320.0f, -150.0f));
    JumpWhenListEmpty(1601, 1999, 2000);
    if (EveryInWindow(2000, 2799, 70)) SpawnWave1(EvenPeriod(2000, 200), 5.0f);
    JumpWhenListEmpty(2801, 2999, 3000);
    if (AtFrame(3000)) SetMissionTimer(600, 2000);
    if (EveryInWindow(3000, 3399, 80)) SpawnDiver(4.5f, 160.0f, 480.0f);
    if (AtFrame(3010)) Spawn(Order(51, 103, 1.2f, 420.0f, -100.0f));
    if (AtFrame(3110)) Spawn(Order(51, 103, 1.2f, 220.0f, -100.0f));
    if (ScriptFrame() >= 3401 && ScriptFrame() <= 3799 && g_EnemyList.empty()) {
        CompleteMission();
        g_GameState.StageScriptFrame = 3800;
    }
    if (AtFrame(4000)) {
        SpawnOrder o = Order(2, 110, 2.0f, 20.0f, 300.0f);
        o.heading = kUp;
        Spawn(o);
        StartTalkEvent(101);
        ChangePhase(1);
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
}

void Phase1() {
    if (AtFrame(300)) g_GameState.BossActiveFlag = 0;
    if (g_EnemyList.empty()) {
        ChangePhase(2);
        g_GameState.BossSequenceFlag = 0;
        g_GameState.BossActiveFlag = 0;
    }
}

// The road to the boss once the waves are over: 5 when story flag 6 is set.
void ChooseRoad() { ChangePhase(g_GameState.StoryFlags[kStoryFirstMidBossGotAway] == 1 ? 5 : 8); }

void Phase2() {
    if (EveryInWindow(100, 299, 50)) {
        if (ScriptFrame() % 100 == 0) {
            SpawnDiver(4.5f, 140.0f, 320.0f);
        } else {
            SpawnDiver(4.5f, 320.0f, 500.0f);
        }
    }
    if (AtFrame(150)) Spawn(Order(51, 103, 1.1f, 320.0f, -100.0f));
    if (EveryInWindow(400, 499, 25)) SpawnDiver(4.5f, 360.0f, 500.0f);
    if (EveryInWindow(600, 699, 25)) SpawnDiver(4.5f, 140.0f, 280.0f);
    JumpWhenListEmpty(701, 999, 1000);
    if (AtFrame(1000)) Spawn(Order(71, 106, 5.0f, 320.0f, -100.0f));
    if (EveryInWindow(1200, 1299, 40)) SpawnDiver(4.0f, 360.0f, 500.0f);
    if (EveryInWindow(1400, 1499, 40)) SpawnDiver(4.0f, 140.0f, 280.0f);
    if (ScriptFrame() > 1500 && g_EnemyList.empty()) {
        if (g_GameState.KillCountA > 5) {
            ChangePhase(3);
        } else {
            g_GameState.StoryFlags[kStoryBonusWaveMissed] = 1;
            ChooseRoad();
        }
    }
}

void Phase3() {
    if (EveryInWindow(100, 399, 10)) {
        SpawnOrder o = Order(12, 107, 2.0f, RandomRange(240.0f, 480.0f), -40.0f);
        o.heading = kDown;
        Spawn(o);
    }
    if (EveryInWindow(500, 799, 10)) {
        SpawnOrder o = Order(12, 108, 2.0f, RandomRange(120.0f, 400.0f), -40.0f);
        o.heading = kDown;
        Spawn(o);
    }
    if (g_GameState.StoryFlags[kStoryBonusWaveThirtyKills] == 0 && g_GameState.KillCountA >= 30 && !IsTalkRunning()) {
        StartTalkEvent(105);
    }
    if (ScriptFrame() > 800 && g_EnemyList.empty()) ChooseRoad();
}

void Phase5() {
    if (EveryInWindow(0, 699, 70)) SpawnWave1((ScriptFrame() / 70) % 2 == 0, 5.0f);
    if (EveryInWindow(400, 799, 60)) SpawnDiver(4.5f, 140.0f, 500.0f);
    if (AtFrame(450)) Spawn(Order(51, 103, 1.1f, 320.0f, -100.0f));
    if (ScriptFrame() > 800 && g_EnemyList.empty()) {
        const i32 boss = SpawnBossOrHold(181);
        if (boss < 0) return;
        // The short road brings the boss with its four outer parts gone.
        for (i32 r = 1; r <= 4; ++r) {
            EnemyPart& part = RootPart(boss, r);
            part.state = -1;
            part.action = 13;
        }
        StartTalkEvent(111);
        RequestMusic(kBossMusic);
        ChangePhase(10);
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
}

void Phase6() {
    if (AtFrame(10)) {
        SpawnOrder o = Order(52, 112, 1.0f, 320.0f, -150.0f);
        o.active = 0;
        Spawn(o);
        StartTalkEvent(106);
        g_GameState.StoryFlags[kStorySecondMidBossCame] = 1;
        g_GameState.BossSequenceFlag = 1;
    }
    if (AtFrame(300)) {
        g_GameState.BossActiveFlag = 0;
        if (g_EnemyList.size() == 1) SpawnEscorts(62, 120, 0, true);
    }
    if (ScriptFrame() > 300 && g_EnemyList.empty()) {
        if (SpawnBossOrHold(180) < 0) return;
        StartTalkEvent(112);
        RequestMusic(kBossMusic);
        ChangePhase(10);
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
}

void Phase8() {
    if (EveryInWindow(0, 599, 50)) SpawnWave1((ScriptFrame() / 50) % 2 == 0, 2.0f);
    if (EveryInWindow(400, 599, 50)) SpawnDiver(4.0f, 160.0f, 480.0f);
    if (AtFrame(550)) Spawn(Order(71, 106, 6.0f, 320.0f, -250.0f));
    if (AtFrame(700)) {
        Spawn(Order(51, 103, 1.0f, 200.0f, -150.0f));
        Spawn(Order(51, 103, 1.0f, 440.0f, -150.0f));
    }
    JumpWhenListEmpty(701, 1499, 1500);
    if (AtFrame(1500)) {
        SetMissionTimer(500, 2500);
        Spawn(Order(71, 106, 6.0f, 220.0f, -250.0f));
        Spawn(Order(71, 106, 6.0f, 420.0f, -250.0f));
    }
    if (EveryInWindow(1600, 1799, 50)) SpawnDiver(4.0f, 160.0f, 480.0f);
    if (ScriptFrame() >= 1801 && ScriptFrame() <= 1999 && g_EnemyList.empty()) {
        CompleteMission();
        g_GameState.StageScriptFrame = 2000;
    }
    if (AtFrame(2000)) Spawn(Order(51, 103, 1.1f, 450.0f, -100.0f));
    if (AtFrame(2100)) Spawn(Order(51, 103, 1.1f, 320.0f, -100.0f));
    if (AtFrame(2200)) Spawn(Order(51, 103, 1.1f, 190.0f, -100.0f));
    if (ScriptFrame() > 2100 && g_EnemyList.empty()) {
        const auto& flags = g_GameState.StoryFlags;
        if ((g_GameState.BonusCount > 1 && flags[kStoryFirstMidBossDownedInItsTalk] != 0) ||
            flags[kStoryBonusWaveThirtyKills] != 0) {
            ChangePhase(6);
            g_GameState.BossSequenceFlag = 1;
            g_GameState.BossActiveFlag = 1;
        } else {
            if (SpawnBossOrHold(180) < 0) return;
            SpawnEscorts(62, 120, 0, true);
            ChangePhase(10);
            StartTalkEvent(110);
            RequestMusic(kBossMusic);
            g_GameState.BossSequenceFlag = 1;
        }
    }
}

void Phase10() {
    if (LeadEnemyIs(182, 299)) {
        SpawnEscorts(63, 120, 1, false);
        StartTalkEvent(124);
    }
    if (LeadEnemyIs(191, 100) && g_GameState.StoryFlags[kStoryBossDownedFleeing] == 0 &&
        g_GameState.StoryFlags[kStoryBossEscortsSentAway] != 0) {
        SpawnEscorts(64, 122, 1, true);
        StartTalkEvent(124);
    }
    if (!IsTalkRunning() && IsBossGone(kBossSpawnId)) CloseStage();
}

// Sections: 0 leaves at once while the phase is 0 to 3; 1 to 2 at any seam;
// 2 to 3 at a seam only in phases 1 to 3; 3 to 4 at any seam.
void StepBackgroundSections() {
    const i32 phase = g_GameState.StageScriptPhase;
    i32& section = g_GameState.BackgroundSection;
    switch (section) {
        case 0:
            if (phase >= 0 && phase <= 3) section = 1;
            break;
        case 1:
            if (AtSeam(kSeam)) section = 2;
            break;
        case 2:
            if (phase >= 1 && phase <= 3 && AtSeam(kSeam)) section = 3;
            break;
        case 3:
            if (AtSeam(kSeam)) section = 4;
            break;
        default: break;
    }
}

// Every (kind, state) the phases spawn.
constexpr TimelineSpawn kSpawns[] = {
    {1, 101},  {1, 102},  {2, 110},  {11, 105}, {12, 107}, {12, 108},  {51, 103},  {52, 112},
    {61, 104}, {62, 120}, {63, 120}, {64, 122}, {71, 106}, {102, 180}, {102, 181},
};
// The short road's boss comes with its outer parts wrecked.
constexpr i32 kWrittenActions[] = {13};

constexpr TimelineNumbers kNumbers{.spawns = kSpawns, .writesActions = kWrittenActions};

// ---- The scenery: what the stage loads and the picture under its field ----

void PlanClouds(BackgroundPlan& plan) {
    const i32 section = g_GameState.BackgroundSection;
    const i32 scroll = g_GameState.BackgroundScrollY;
    if (section == 3) {
        AddCloud(plan, 0, 3840, 0.0f, static_cast<f32>(-(scroll / 2)));
    } else if (section != 4) {
        AddCloud(plan, 0, 3840, CloudV(480), 0.0f);
    }
    if (section == 1) {
        // Plane B keeps its V offset and takes only the player's term of u.
        CloudDraw b;
        b.plane = 1;
        b.y = -0.5f * static_cast<f32>(g_GameState.FrameCounter);
        b.u = CloudU(0);
        b.setV = false;
        plan.clouds.push_back(b);
    }
}

void PlanBackground(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake();
    const i32 y = g_GameState.BackgroundScrollY;
    switch (g_GameState.BackgroundSection) {
        case 0: AddFieldPair(plan, 0, 0, y, o); break;
        case 1: AddFieldPair(plan, 0, 1, y, o); break;
        case 2: AddFieldPair(plan, 1, 1, y, o); break;
        case 3: AddFieldPair(plan, 1, 2, y, o); break;
        default:
            // Negative sections do not occur; they show the first image.
            if (g_GameState.BackgroundSection < 0) AddFieldPair(plan, 0, 0, y, o);
            else AddFieldPair(plan, 2, 2, y, o);
            break;
    }
    PlanClouds(plan);
    if (g_GameState.FrameCounter < 500) {
        const i32 alpha = std::max(0, 255 - 10 * (g_GameState.FrameCounter / 5));
        SetBackgroundOverlay(plan, kBlackOverlaySource, static_cast<u32>(alpha), 0xFFFFFF);
    }
}

void ScrollBackground() { ScrollBackgroundBy(1, 480); }

constexpr StageScenery kScenery{
    .load = {.zoom = 4.0f,
             .music = 11,
             .randomSeed = 0,
             .enemy = {"enemy01", "enemy01b"},
             .boss = {"boss01", "boss01_2"},
             .background = {"bgp01-1", "bgp01-2", "bgp01-3"},
             .cloud = {"cloud01", "cloud05"},
             .face = {"face01", "face01_2"},
             .speech = {"speech01a", "speech01b", "speech01c", "speech01d", "speech01e", "speech01f", "speech01g"},
             .storyFirst = 0,
             .storyLast = 22,
             .firstPhase = 0},
    .planBackground = PlanBackground,
    .scrollBackground = ScrollBackground,
};

}  // namespace

const TimelineNumbers& TimelineNumbersStage1() { return kNumbers; }

const StageScenery& SceneryStage1() { return kScenery; }

void RunStage1Script() {
    switch (g_GameState.StageScriptPhase) {
        case 0: Phase0(); break;
        case 1: Phase1(); break;
        case 2: Phase2(); break;
        case 3: Phase3(); break;
        case 5: Phase5(); break;
        case 6: Phase6(); break;
        case 8: Phase8(); break;
        case 10: Phase10(); break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
    StepBackgroundSections();
}
