// The timeline of stage index 3: its waves and spawn rows, the stage
// generator's positions, the timed waves and their jumps, the mid-boss's
// phases and the roads by story flag, the star field and the view's pan.
#include <tuple>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/enemy_runtime.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage4TimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 3;
        RegisterStageScript(3, RunStage4Script);
        g_GameState.StageBannerTimer = -1;
        g_TalkState.active = 0;
        g_TalkState.eventId = 0;
        StageRandomSeed(&g_StageRandomState, 0);
        StageRandomSeed(&expected_, 0);
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // Runs the script until (and including) the call that sees `last`; the
    // enemies are not stepped, so every spawn stays in the list.
    void RunThrough(i32 last) {
        while (g_GameState.StageScriptFrame <= last) RunStageScript();
    }
    std::vector<const Enemy*> InState(i32 state) const {
        std::vector<const Enemy*> out;
        for (const Enemy& e : g_EnemyList) {
            if (e.state == state) out.push_back(&e);
        }
        return out;
    }
    // A stand-in enemy that keeps the list from being empty.
    void Occupy() { ASSERT_GE(SpawnEnemyStage4(8), 0); }
    // The stage generator's next value below n, as the timeline should draw it.
    i32 R(i32 n) { return static_cast<i32>(StageRandomBelow(&expected_, n)); }
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
    StageRandom expected_;
};

// Frame 1: four scenery craft; with story flag 36 or 60 the fourth is a
// kind 9 at (380, 320), and frame 200 starts talk 511 instead of 510.
TEST_F(Stage4TimelineTest, TheOpeningSceneryAndItsTalkFollowTheEarlierStages) {
    struct Case {
        i32 flag;  // set before the stage, -1 none
        i32 lastKindSprite, talk;
        f32 x, y;
        i32 age;
    };
    const Case cases[] = {{-1, 529, 510, 440, 300, 160}, {36, 507, 511, 380, 320, 20}, {60, 507, 511, 380, 320, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        Restart();
        if (c.flag >= 0) g_GameState.StoryFlags[static_cast<std::size_t>(c.flag)] = 1;
        RunThrough(1);
        ASSERT_EQ(g_EnemyList.size(), 4u);
        const f32 xs[3] = {280, 200, 360};
        const i32 ages[3] = {100, 140, 120};
        const f32 headings[3] = {kHalfPi + 0.1f, kHalfPi + 0.1f, kHalfPi - 0.1f};
        for (std::size_t i = 0; i < 4; ++i) {
            const Enemy& e = g_EnemyList[i];
            EXPECT_EQ(e.state, 535);
            EXPECT_EQ(e.active, 0);
            EXPECT_FLOAT_EQ(e.speed, 0.0f);
            EXPECT_FLOAT_EQ(e.rotation, -kHalfPi);
            EXPECT_FLOAT_EQ(e.scale, 0.8f);
            EXPECT_FLOAT_EQ(e.heading, i < 3 ? headings[i] : kHalfPi - 0.1f);
            EXPECT_EQ(e.age, i < 3 ? ages[i] : c.age);
            if (i < 3) {
                EXPECT_FLOAT_EQ(e.x, xs[i]);
            }
        }
        EXPECT_FLOAT_EQ(g_EnemyList[3].x, c.x);
        EXPECT_FLOAT_EQ(g_EnemyList[3].y, c.y);
        EXPECT_EQ(g_EnemyPartPool[g_EnemyList[3].rootParts[0]].spriteKind, c.lastKindSprite);
        RunThrough(200);
        EXPECT_EQ(g_TalkState.active, 1);
        EXPECT_EQ(g_TalkState.eventId, c.talk);
    }
}

// The drifters of phase 0 take their x from the stage generator in the
// order of their rows; the banner shows at 600.
TEST_F(Stage4TimelineTest, TheOpeningDriftersComeFromTheStageGenerator) {
    Enter(0, 2);
    RunThrough(1199);
    EXPECT_EQ(g_GameState.StageBannerTimer, 0);
    const auto drifters = InState(501);
    ASSERT_EQ(drifters.size(), 7u);  // 600, 675, 750; 825, 900, 975, 1050
    for (std::size_t i = 0; i < 7; ++i) {
        const i32 x = i < 3 ? 180 + R(150) : 460 - R(150);
        EXPECT_FLOAT_EQ(drifters[i]->x, static_cast<f32>(x)) << i;
        EXPECT_FLOAT_EQ(drifters[i]->y, -200.0f);
        EXPECT_FLOAT_EQ(drifters[i]->speed, 0.8f);
    }
    const auto gunners = InState(536);
    ASSERT_EQ(gunners.size(), 2u);
    EXPECT_FLOAT_EQ(gunners[0]->x, 420.0f);  // front-inserted: the later one first
    EXPECT_FLOAT_EQ(gunners[1]->x, 220.0f);
    EXPECT_FLOAT_EQ(gunners[0]->speed, 5.0f);
    EXPECT_FLOAT_EQ(gunners[0]->scale, 0.85f);
    // Kind 6 goes to the front of the list.
    EXPECT_EQ(g_EnemyList[0].state, 536);
    // Not empty at 1201: the phase waits; empty: phase 5.
    RunThrough(1201);
    EXPECT_EQ(g_GameState.StageScriptPhase, 0);
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 5);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
}

// Phase 5: the runs from both edges, the carrier, the mission and its jump.
TEST_F(Stage4TimelineTest, TheFirstTimedWave) {
    Enter(5, 1);
    RunThrough(600);
    EXPECT_EQ(g_GameState.MissionTimer.total, 1100);  // started at 100
    EXPECT_EQ(g_GameState.MissionTimer.bonus, 3000);
    const auto left = InState(520);
    const auto right = InState(521);
    ASSERT_EQ(left.size(), 6u);
    ASSERT_EQ(right.size(), 5u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(left[i]->x, -40.0f * static_cast<f32>(i + 1));
        EXPECT_FLOAT_EQ(left[i]->y, 100.0f);
        EXPECT_FLOAT_EQ(left[i]->speed, 7.0f);
        EXPECT_FLOAT_EQ(left[i]->heading, -0.4f);
        EXPECT_FLOAT_EQ(left[i]->rotation, -0.4f);
    }
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(right[i]->x, 680.0f + 40.0f * static_cast<f32>(i));
        EXPECT_FLOAT_EQ(right[i]->heading, -(kPi - 0.4f));
    }
    const auto carriers = InState(530);
    ASSERT_EQ(carriers.size(), 1u);
    EXPECT_FLOAT_EQ(carriers[0]->x, 420.0f);
    EXPECT_FLOAT_EQ(carriers[0]->y, -250.0f);
    EXPECT_FLOAT_EQ(carriers[0]->scale, 0.5f);
    EXPECT_EQ(carriers[0]->active, 0);
    EXPECT_EQ(carriers[0]->spawnId, 507);
}

TEST_F(Stage4TimelineTest, TimedWavesCompleteWhenClearedInsideTheirWindow) {
    struct Case {
        i32 phase, frame;
        bool empty;
        i32 frameAfter, phaseAfter;
        bool completes;
    };
    const Case cases[] = {
        {5, 400, true, 401, 5, false},      {5, 401, true, 2001, 5, true},    {5, 1999, true, 2001, 5, true},
        {5, 1500, false, 1501, 5, false},   {5, 2000, true, 2001, 5, false},  {5, 2001, true, 1, 31, false},
        {21, 2700, true, 2701, 21, false},  {21, 2701, true, 4001, 21, true}, {21, 4001, true, 1, 32, false},
        {21, 3000, false, 3001, 21, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " at " << c.frame << (c.empty ? " empty" : ""));
        Restart();
        SetMissionTimer(1000, 1000);
        if (!c.empty) Occupy();
        Enter(c.phase, c.frame);
        g_GameState.BossActiveFlag = 0;
        const i32 bonus = g_GameState.BonusCount;
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptFrame, c.frameAfter);
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phaseAfter);
        EXPECT_EQ(g_GameState.BonusCount, bonus + (c.completes ? 1 : 0));
        if (c.phaseAfter != c.phase) {
            EXPECT_EQ(g_GameState.BossActiveFlag, 1);
        }
    }
}

// Phase 21's frame-10 row spawns its run and jumps to 2100, whose row then
// spawns in the same call: two kind-2 runs stacked at (-40, 100).
TEST_F(Stage4TimelineTest, TheSecondTimedWaveJumpsFromFrame10To2100) {
    Enter(21, 10);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 2101);
    const auto runs = InState(520);
    ASSERT_EQ(runs.size(), 2u);
    for (const Enemy* e : runs) {
        EXPECT_FLOAT_EQ(e->x, -40.0f);
        EXPECT_FLOAT_EQ(e->y, 100.0f);
        EXPECT_EQ(g_EnemyPartPool[e->rootParts[0]].action, 510);  // kind 2
    }
    ASSERT_EQ(InState(536).size(), 1u);
    EXPECT_FLOAT_EQ(InState(536)[0]->x, 180.0f);
    RunThrough(2700);
    EXPECT_EQ(InState(520).size(), 7u);  // 2100 twice, 2200 .. 2600
    EXPECT_EQ(InState(521).size(), 5u);
    EXPECT_EQ(g_GameState.MissionTimer.total, 1300);
    EXPECT_EQ(g_GameState.MissionTimer.bonus, 3000);
    const auto carriers = InState(530);
    ASSERT_EQ(carriers.size(), 2u);
    EXPECT_FLOAT_EQ(carriers[1]->x, 220.0f);  // front-inserted: the later one first
    EXPECT_FLOAT_EQ(carriers[0]->x, 420.0f);
    EXPECT_FLOAT_EQ(carriers[0]->y, -300.0f);
}

// The road after the second wave: phase 7 (the boss's preview) with story
// flag 70, else the mid-boss's second fight.
TEST_F(Stage4TimelineTest, TheRoadsAfterTheSecondWave) {
    for (const bool flag70 : {false, true}) {
        SCOPED_TRACE(flag70);
        Restart();
        g_GameState.StoryFlags[kStoryFourthBossPreviewRoad] = flag70 ? 1 : 0;
        Enter(21, 4001);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, flag70 ? 7 : 32);
        EXPECT_EQ(g_GameState.BossActiveFlag, flag70 ? 0 : 1);
    }
    // The road after phase 4: risers (6) on flag 70 or 71, else the third fight.
    for (const i32 flag : {-1, 70, 71}) {
        SCOPED_TRACE(flag);
        Restart();
        if (flag >= 0) g_GameState.StoryFlags[static_cast<std::size_t>(flag)] = 1;
        Enter(4, 1501);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, flag >= 0 ? 6 : 33);
        EXPECT_EQ(g_GameState.BossActiveFlag, flag >= 0 ? 0 : 1);
    }
}

// The mid-boss's entries: the pass and the first fight in phase 31, the
// second and third in 32 and 33, each with its spawn id and the boss flags.
TEST_F(Stage4TimelineTest, TheMidBossEntersEachFightWithItsSpawnId) {
    Enter(31, 1);
    RunThrough(10);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    const Enemy& pass = g_EnemyList[0];
    EXPECT_EQ(pass.state, 540);
    EXPECT_EQ(pass.spawnId, 580);
    EXPECT_EQ(pass.active, 0);
    EXPECT_FLOAT_EQ(pass.x, 0.0f);
    EXPECT_FLOAT_EQ(pass.y, 200.0f);
    EXPECT_FLOAT_EQ(pass.speed, 3.0f);
    EXPECT_FLOAT_EQ(pass.heading, kPi / 3.0f);
    EXPECT_FLOAT_EQ(pass.rotation, kPi / 3.0f);
    EXPECT_FLOAT_EQ(pass.scale, 0.5f);
    RunThrough(100);
    EXPECT_EQ(g_TalkState.eventId, 530);
    RunThrough(300);
    ASSERT_EQ(g_EnemyList.size(), 2u);
    const Enemy& fight = g_EnemyList[1];
    EXPECT_EQ(fight.state, 541);
    EXPECT_EQ(fight.spawnId, 580);
    EXPECT_EQ(fight.active, 1);
    EXPECT_FLOAT_EQ(fight.y, -200.0f);
    EXPECT_FLOAT_EQ(fight.heading, kHalfPi);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    // Gone after 500: phase 3, both flags down.
    RunThrough(500);
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 3);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);

    for (const auto& [phase, state, spawnId] : {std::tuple{32, 544, 581}, std::tuple{33, 545, 582}}) {
        SCOPED_TRACE(phase);
        Restart();
        Enter(phase, 10);
        RunStageScript();
        ASSERT_EQ(g_EnemyList.size(), 1u);
        EXPECT_EQ(g_EnemyList[0].state, state);
        EXPECT_EQ(g_EnemyList[0].spawnId, spawnId);
        EXPECT_FLOAT_EQ(g_EnemyList[0].x, 0.0f);
        EXPECT_FLOAT_EQ(g_EnemyList[0].scale, 1.0f);
        EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    }
}

// A mid-boss that does not fit into the pool is tried again next frame.
TEST_F(Stage4TimelineTest, ARefusedMidBossHoldsTheFrame) {
    while (CountFreePartSlots() >= 5) ASSERT_GE(SpawnEnemyStage4(8), 0);
    const std::size_t size = g_EnemyList.size();
    Enter(32, 10);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 10);
    EXPECT_EQ(g_EnemyList.size(), size);
    ReleaseEnemyParts(0);
    g_EnemyList.erase(g_EnemyList.begin());
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 11);
    EXPECT_EQ(g_EnemyList.back().state, 544);
}

// Phase 33 ends when the mid-boss is gone and no talk runs, or after 1500
// frames with it still there (story flag 73).
TEST_F(Stage4TimelineTest, TheThirdFightsPhaseEnds) {
    struct Case {
        i32 frame;
        bool empty, talking;
        i32 phaseAfter;
        bool flag73;
    };
    const Case cases[] = {
        {200, true, false, 33, false},   {201, true, false, 10, false},  {201, true, true, 33, false},
        {1500, false, false, 33, false}, {1501, false, false, 10, true}, {1501, false, true, 33, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frame << (c.empty ? " empty" : "") << (c.talking ? " talking" : ""));
        Restart();
        if (!c.empty) Occupy();
        g_TalkState.active = c.talking ? 1 : 0;
        g_GameState.BossSequenceFlag = 1;
        Enter(33, c.frame);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phaseAfter);
        EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthMidBossOutlasted], c.flag73 ? 1 : 0);
        if (c.phaseAfter == 10) {
            EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
        }
    }
}

// Phases 3 and 4: the crossers from frame 300 (the frame-0 row never runs
// after a phase change), kind 6 and 17 drifters.
TEST_F(Stage4TimelineTest, CrossingPhasesMirrorEachOther) {
    struct Case {
        i32 phase, crosserSprite;
        f32 heading;
        std::vector<f32> crosserX;
        std::vector<f32> gunnerX;
    };
    const Case cases[] = {
        {3, 518, 0.8f * kPi, {400, 500, 600, 300, 700, 400}, {450, 240}},
        {4, 516, 0.2f * kPi, {240, 140, 40, 340, -60, 240}, {210, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        Restart();
        Occupy();
        Enter(c.phase, 1);
        RunThrough(1500);
        const auto crossers = InState(515);
        ASSERT_EQ(crossers.size(), c.crosserX.size());
        // Front-inserted: the latest first.
        for (std::size_t i = 0; i < crossers.size(); ++i) {
            const Enemy* e = crossers[crossers.size() - 1 - i];
            EXPECT_FLOAT_EQ(e->x, c.crosserX[i]) << i;
            EXPECT_FLOAT_EQ(e->y, -80.0f);
            EXPECT_FLOAT_EQ(e->speed, 0.75f);
            EXPECT_FLOAT_EQ(e->heading, c.heading);
            EXPECT_FLOAT_EQ(e->rotation, c.heading);
            EXPECT_EQ(g_EnemyPartPool[e->rootParts[1]].spriteKind, c.crosserSprite);
        }
        const auto gunners = InState(536);
        ASSERT_EQ(gunners.size(), 2u);
        EXPECT_FLOAT_EQ(gunners[1]->x, c.gunnerX[0]);
        EXPECT_FLOAT_EQ(gunners[0]->x, c.gunnerX[1]);
        const auto drifters = InState(502);
        ASSERT_EQ(drifters.size(), 17u);  // 160, 240, ..., 1440
        for (const Enemy* d : drifters) EXPECT_FLOAT_EQ(d->x, static_cast<f32>(180 + R(280)));
    }
    // Entered at frame 0 (as at a stage load), the frame-0 row runs.
    Restart();
    Enter(3, 0);
    RunStageScript();
    ASSERT_EQ(InState(515).size(), 1u);
    EXPECT_FLOAT_EQ(InState(515)[0]->x, 300.0f);
}

// Phase 7: the boss's preview from below and the drifters; at 800 both
// rows spawn, the left one first.
TEST_F(Stage4TimelineTest, ThePreviewPhase) {
    Enter(7, 1);
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    const Enemy& boss = g_EnemyList[0];
    EXPECT_EQ(boss.state, 589);
    EXPECT_EQ(boss.active, 0);
    EXPECT_FLOAT_EQ(boss.x, 320.0f);
    EXPECT_FLOAT_EQ(boss.y, 680.0f);
    EXPECT_FLOAT_EQ(boss.speed, 0.0f);
    EXPECT_FLOAT_EQ(boss.heading, kHalfPi + 0.1f);
    EXPECT_FLOAT_EQ(boss.rotation, kHalfPi);
    EXPECT_FLOAT_EQ(boss.scale, 0.1f);
    RunThrough(200);
    EXPECT_EQ(g_TalkState.eventId, 540);
    RunThrough(1100);
    const auto drifters = InState(501);
    ASSERT_EQ(drifters.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        const i32 x = i < 5 ? 180 + R(150) : 460 - R(150);
        EXPECT_FLOAT_EQ(drifters[i]->x, static_cast<f32>(x)) << i;
    }
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
}

// Phase 6: risers from below (the frame-0 one never comes), kind 6, drifters,
// the empty-list jump to 4000 and the boss phase.
TEST_F(Stage4TimelineTest, TheRisersPhase) {
    Enter(6, 1);
    RunThrough(1560);
    const auto risers = InState(512);
    ASSERT_EQ(risers.size(), 3u);
    const f32 xs[3] = {470, 170, 470};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(risers[i]->x, xs[i]);
        EXPECT_FLOAT_EQ(risers[i]->y, 580.0f);
        EXPECT_FLOAT_EQ(risers[i]->speed, 2.0f);
        EXPECT_FLOAT_EQ(risers[i]->heading, -kHalfPi);
        EXPECT_FLOAT_EQ(risers[i]->rotation, 0.0f);
        EXPECT_EQ(risers[i]->spawnId, 511);
    }
    EXPECT_EQ(InState(536).size(), 5u);
    EXPECT_EQ(InState(502).size(), 13u);  // 120, 240, ..., 1560
    struct Case {
        i32 frame;
        bool empty;
        i32 frameAfter, phaseAfter;
    };
    const Case cases[] = {{1600, true, 1601, 6}, {1601, true, 4001, 6}, {3999, false, 4000, 6},
                          {4000, true, 4001, 6}, {4001, true, 1, 10},   {4001, false, 4002, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        Restart();
        if (!c.empty) Occupy();
        Enter(6, c.frame);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptFrame, c.frameAfter);
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phaseAfter);
    }
}

// Phase 10 before the boss: runs every 30 frames from 30 to 480 from
// alternate sides (x drawn before y; 60 - R(100) may be negative), on draw
// layer 1, and kind 6 at 200 and 400.
TEST_F(Stage4TimelineTest, TheBossPhasesRunsComeFromBothSides) {
    Enter(10, 1);
    RunThrough(480);
    const auto runs = InState(522);
    ASSERT_EQ(runs.size(), 16u);
    bool negative = false;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        const i32 frame = 30 * static_cast<i32>(i + 1);
        const bool left = frame % 60 == 0;
        const i32 x = left ? 60 - R(100) : 570 + R(100);
        const i32 y = 150 + R(150);
        EXPECT_FLOAT_EQ(runs[i]->x, static_cast<f32>(x));
        EXPECT_FLOAT_EQ(runs[i]->y, static_cast<f32>(y));
        EXPECT_FLOAT_EQ(runs[i]->heading, left ? 0.0f : -kPi);
        EXPECT_FLOAT_EQ(runs[i]->rotation, kHalfPi);
        EXPECT_FLOAT_EQ(runs[i]->speed, 7.5f);
        EXPECT_EQ(runs[i]->layer, 1);
        negative = negative || x < 0;
    }
    EXPECT_TRUE(negative) << "some left run starts off the screen's edge";
    const auto gunners = InState(536);
    ASSERT_EQ(gunners.size(), 2u);
    EXPECT_FLOAT_EQ(gunners[1]->x, 420.0f);
    EXPECT_FLOAT_EQ(gunners[0]->x, 220.0f);
}

// In every phase, after the phase's rules: a star every 30 frames up to 200,
// the view one pixel right every 10 frames up to 80.
TEST_F(Stage4TimelineTest, TheStarsAndThePanGrowInEveryPhase) {
    struct Case {
        i32 phase, frame, stars, scroll;
        i32 starsAfter, scrollAfter;
    };
    const Case cases[] = {
        {0, 30, 5, -100, 6, -99}, {0, 10, 5, 0, 5, 1},  {5, 60, 199, 79, 200, 80}, {31, 90, 200, 80, 200, 80},
        {99, 30, 0, 0, 1, 1},     {21, 31, 0, 0, 0, 0}, {33, 20, 3, 3, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " at " << c.frame);
        Restart();
        Occupy();
        g_GameState.StarCount = c.stars;
        g_GameState.BackgroundScrollX = c.scroll;
        Enter(c.phase, c.frame);
        RunStageScript();
        EXPECT_EQ(g_GameState.StarCount, c.starsAfter);
        EXPECT_EQ(g_GameState.BackgroundScrollX, c.scrollAfter);
    }
}

}  // namespace

namespace {

// Frame 500 of phase 10: the boss at the front, the boss music, the talk by
// the route (only 551 has dialogue: 501 and 550 start nothing), both boss
// flags up.
TEST_F(Stage4TimelineTest, TheBossComesAt500WithItsMusicAndTalk) {
    struct Case {
        i32 flag;  // set before, -1 none
        i32 talk;  // the event that runs, 0 none
    };
    const Case cases[] = {{-1, 551}, {kStoryFourthBossTalk550, 0}, {kStoryFourthMidBossOutlasted, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        Restart();
        if (c.flag >= 0) g_GameState.StoryFlags[static_cast<std::size_t>(c.flag)] = 1;
        Occupy();
        g_MusicState.ready = 1;  // takes the request without a music device
        g_MusicState.requested = 0;
        Enter(10, 500);
        RunStageScript();
        g_MusicState.ready = 0;
        ASSERT_EQ(g_EnemyList.size(), 2u);
        const Enemy& boss = g_EnemyList[0];
        EXPECT_EQ(boss.state, 590);
        EXPECT_EQ(boss.active, 0);
        EXPECT_FLOAT_EQ(boss.x, 320.0f);
        EXPECT_FLOAT_EQ(boss.y, -300.0f);
        EXPECT_FLOAT_EQ(boss.speed, 1.0f);
        EXPECT_EQ(g_EnemyPartPool[boss.rootParts[6]].spriteKind, 590);
        EXPECT_EQ(g_MusicState.requested, 20);
        EXPECT_EQ(g_TalkState.active, c.talk != 0 ? 1 : 0);
        if (c.talk != 0) {
            EXPECT_EQ(g_TalkState.eventId, c.talk);
        }
        EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
        EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    }
}

// A boss that does not fit into the pool is tried again next frame, and
// nothing of its entry happens before it comes.
TEST_F(Stage4TimelineTest, ARefusedBossHoldsFrame500) {
    while (CountFreePartSlots() >= 19) ASSERT_GE(SpawnEnemyStage4(8), 0);
    Enter(10, 500);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 500);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
    EXPECT_EQ(g_TalkState.active, 0);
    ReleaseEnemyParts(static_cast<i32>(g_EnemyList.size()) - 1);
    g_EnemyList.pop_back();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 501);
    EXPECT_EQ(g_EnemyList[0].state, 590);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
}

// While the boss's extra phase (592) approaches, ages 100 to 999 in steps of
// 50, an escort run dives in; never in another state or age.
TEST_F(Stage4TimelineTest, TheExtraPhaseCallsItsEscorts) {
    struct Case {
        i32 state, age;
        bool escort;
    };
    const Case cases[] = {{592, 100, true},  {592, 150, true},   {592, 950, true},   {592, 99, false},
                          {592, 125, false}, {592, 1000, false}, {592, 1050, false}, {591, 150, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " at " << c.age);
        Restart();
        const i32 boss = SpawnEnemyStage4(99);
        g_EnemyList[static_cast<std::size_t>(boss)].state = c.state;
        g_EnemyList[static_cast<std::size_t>(boss)].age = c.age;
        Enter(10, 700);
        RunStageScript();
        const auto escorts = InState(507);
        ASSERT_EQ(escorts.size(), c.escort ? 1u : 0u);
        if (c.escort) {
            EXPECT_FLOAT_EQ(escorts[0]->x, static_cast<f32>(170 + R(300)));
            EXPECT_FLOAT_EQ(escorts[0]->y, -50.0f);
            EXPECT_FLOAT_EQ(escorts[0]->speed, 7.0f);
            EXPECT_FLOAT_EQ(escorts[0]->heading, kHalfPi);
            EXPECT_FLOAT_EQ(escorts[0]->rotation, kHalfPi);
            EXPECT_EQ(g_EnemyPartPool[escorts[0]->rootParts[0]].action, 510);  // kind 2
        }
    }
}

// The boss's phase closes when the list is empty past 500 and no talk runs.
TEST_F(Stage4TimelineTest, TheBossPhaseClosesOnceTheFieldIsEmptyAndQuiet) {
    struct Case {
        i32 frame;
        bool empty, talking, closes;
    };
    const Case cases[] = {{501, true, false, true}, {501, true, true, false}, {800, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        Restart();
        if (!c.empty) Occupy();
        g_TalkState.active = c.talking ? 1 : 0;
        Enter(10, c.frame);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.closes ? kClosingPhase : 10);
        EXPECT_EQ(TransitionState.running, c.closes ? 1 : 0);
    }
    // Phase 34 finishes the stage once the fade has stopped.
    Restart();
    Enter(kClosingPhase, 5);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

}  // namespace
