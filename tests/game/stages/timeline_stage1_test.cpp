// The timeline of stage index 0: its waves, jumps, missions, the two roads to
// the boss, the boss phase and the closing.
#include <vector>

#include "engine/core/radians.h"
#include "game/play/talk.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage1TimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 0;
        RegisterStageScript(0, RunStage1Script);
        g_GameState.StageBannerTimer = -1;
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
    i32 CountState(i32 state) const {
        i32 n = 0;
        for (const Enemy& e : g_EnemyList) n += e.state == state ? 1 : 0;
        return n;
    }
    // A stand-in enemy that keeps the list from being empty.
    void Occupy() { ASSERT_GE(SpawnEnemyStage1(11), 0); }
    // A fresh state inside one test (for tables of cases).
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
};

TEST_F(Stage1TimelineTest, OpeningRisersComeEvery10FramesAndTheBannerAt300) {
    RunThrough(399);
    EXPECT_EQ(CountState(105), 29);  // 110, 120, ..., 390
    EXPECT_EQ(g_EnemyList.size(), 29u);
    for (const Enemy& e : g_EnemyList) {
        EXPECT_FLOAT_EQ(e.y, 520.0f);
        EXPECT_GE(e.x, 150.0f);
        EXPECT_LE(e.x, 400.0f);
        EXPECT_FLOAT_EQ(e.heading, -kHalfPi);
        EXPECT_FLOAT_EQ(e.rotation, -kHalfPi);
        EXPECT_FLOAT_EQ(e.speed, 2.0f);
    }
    EXPECT_EQ(g_GameState.StageBannerTimer, 0);
}

TEST_F(Stage1TimelineTest, TheFirstWaveAlternatesSidesEvery400Frames) {
    Enter(0, 500);
    RunThrough(1299);
    EXPECT_EQ(CountState(101), 5);  // 560 .. 840
    EXPECT_EQ(CountState(102), 6);  // 910 .. 1260
    ASSERT_EQ(g_EnemyList.size(), 11u);
    EXPECT_FLOAT_EQ(g_EnemyList[0].x, 200.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[10].x, 440.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[10].y, -50.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[10].speed, 5.0f);
}

TEST_F(Stage1TimelineTest, EmptyListJumpsAndTheFirstMission) {
    struct Case {
        i32 frame;
        bool empty;
        i32 frameAfter;  // StageScriptFrame after the call
    };
    const Case cases[] = {
        {1600, true, 1601}, {1601, true, 2001}, {1999, true, 2001}, {1700, false, 1701}, {2800, true, 2801},
        {2801, true, 3001}, {3400, true, 3401}, {3401, true, 3801}, {3799, true, 3801},  {3500, false, 3501},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        ResetPlayLists();
        g_GameState.MissionTimer = {};
        if (!c.empty) Occupy();
        Enter(0, c.frame);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptFrame, c.frameAfter);
    }
    // Landing on 3000 starts the mission in the same call.
    ResetPlayLists();
    Enter(0, 2900);
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 600);
    EXPECT_EQ(g_GameState.MissionTimer.bonus, 2000);
    // Clearing the wave early completes it and jumps to 3800; the mid-boss
    // then comes at 4000.
    Enter(0, 3500);
    const i32 bonus = g_GameState.BonusCount;
    RunStageScript();
    EXPECT_EQ(g_GameState.BonusCount, bonus + 1);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    RunThrough(3999);
    EXPECT_TRUE(g_EnemyList.empty());
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 110);
    EXPECT_EQ(g_EnemyList[0].spawnId, 110);
    EXPECT_FLOAT_EQ(g_EnemyList[0].x, 20.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[0].heading, -kHalfPi);
    EXPECT_EQ(g_TalkState.eventId, 101);
    EXPECT_EQ(g_GameState.StageScriptPhase, 1);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
}

TEST_F(Stage1TimelineTest, TheTimedWaveSpawnsItsDiversAndGunboats) {
    Occupy();
    Enter(0, 3000);
    RunThrough(3399);
    EXPECT_EQ(CountState(104), 5);  // 3040, 3120, 3200, 3280, 3360
    EXPECT_EQ(CountState(103), 2);  // 3010 and 3110
}

TEST_F(Stage1TimelineTest, TheMidBossPhaseEndsWhenTheListEmpties) {
    Enter(1, 299);
    Occupy();
    g_GameState.BossActiveFlag = 1;
    g_GameState.BossSequenceFlag = 1;
    RunStageScript();
    RunStageScript();  // frame 300
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_GameState.StageScriptPhase, 1);
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 2);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
}

TEST_F(Stage1TimelineTest, SecondWaveBranchesByKillsAndStoryFlags) {
    struct Case {
        i32 kills;
        u8 flag6;
        i32 phase;
        u8 flag9;
    };
    const Case cases[] = {{6, 0, 3, 0}, {30, 1, 3, 0}, {5, 1, 5, 1}, {5, 0, 8, 1}, {0, 0, 8, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kills);
        ResetGameState();
        ResetPlayLists();
        g_GameState.KillCountA = c.kills;
        g_GameState.StoryFlags[6] = c.flag6;
        Enter(2, 1500);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, 2);  // only after frame 1500
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phase);
        EXPECT_EQ(g_GameState.StageScriptFrame, 1);
        EXPECT_EQ(g_GameState.StoryFlags[9], c.flag9);
    }
}

TEST_F(Stage1TimelineTest, SecondWaveDiversComeFromBothHalves) {
    Occupy();
    Enter(2, 100);
    RunThrough(299);
    ASSERT_EQ(CountState(104), 4);        // 100, 150, 200, 250
    EXPECT_LE(g_EnemyList[1].x, 320.0f);  // frame 100: left half
    EXPECT_GE(g_EnemyList[2].x, 320.0f);  // frame 150: right half
    EXPECT_EQ(CountState(103), 1);
}

TEST_F(Stage1TimelineTest, BonusWaveStartsItsTalkOnceThirtyAreDown) {
    Occupy();
    Enter(3, 99);
    RunThrough(799);
    EXPECT_EQ(CountState(107), 30);
    EXPECT_EQ(CountState(108), 30);
    EXPECT_EQ(g_TalkState.active, 0);
    g_GameState.KillCountA = 30;
    RunStageScript();
    EXPECT_EQ(g_TalkState.eventId, 105);
    EXPECT_EQ(g_GameState.StoryFlags[10], 1);
    ResetPlayLists();
    g_GameState.StoryFlags[6] = 1;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 5);
}

TEST_F(Stage1TimelineTest, TheShortRoadBringsTheBossDamaged) {
    Occupy();
    Enter(5, 0);
    RunThrough(800);
    EXPECT_EQ(CountState(101) + CountState(102), 10);  // 0, 70, ..., 630
    EXPECT_EQ(CountState(104), 7);                     // 420 .. 780
    EXPECT_EQ(CountState(103), 1);
    ResetPlayLists();
    RunStageScript();  // frame 801, empty
    ASSERT_EQ(g_EnemyList.size(), 1u);
    const Enemy& boss = g_EnemyList[0];
    EXPECT_EQ(boss.spawnId, 150);
    EXPECT_EQ(boss.state, 181);
    EXPECT_EQ(boss.active, 0);
    EXPECT_FLOAT_EQ(boss.y, -300.0f);
    for (i32 r = 1; r <= 4; ++r) {
        EXPECT_EQ(g_EnemyPartPool[boss.rootParts[r]].state, -1);
        EXPECT_EQ(g_EnemyPartPool[boss.rootParts[r]].action, 13);
    }
    EXPECT_EQ(g_EnemyPartPool[boss.rootParts[5]].state, 1);
    EXPECT_EQ(g_TalkState.eventId, 111);
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
}

TEST_F(Stage1TimelineTest, ABossThePoolCannotHoldIsRetriedEveryFrameOnEachRoad) {
    struct Case {
        i32 phase, frame;
        i32 bossState;
        i32 talk;
    };
    const Case cases[] = {{5, 801, 181, 111}, {6, 301, 180, 112}, {8, 2101, 180, 110}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        Restart();
        Enter(c.phase, c.frame);
        // Seventeen free slots: the boss's eighteen parts do not fit.
        for (i32 i = 0; i < kEnemyPartPoolSize - 17; ++i) g_EnemyPartPool[i].inUse = 1;
        for (int k = 0; k < 3; ++k) {
            RunStageScript();
            EXPECT_EQ(g_GameState.StageScriptPhase, c.phase) << "no phase change without the boss";
            EXPECT_EQ(ScriptFrame(), c.frame) << "the frame is held";
            EXPECT_TRUE(g_EnemyList.empty());
            EXPECT_EQ(g_TalkState.active, 0);
        }
        g_EnemyPartPool[0].inUse = 0;
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, 10);
        ASSERT_FALSE(g_EnemyList.empty());
        EXPECT_EQ(g_EnemyList[0].spawnId, 150);
        EXPECT_EQ(g_EnemyList[0].state, c.bossState);
        EXPECT_EQ(g_TalkState.eventId, c.talk);
    }
}

TEST_F(Stage1TimelineTest, TheLongRoadEndsInTheBossWithEscortsOrTheSecondMidBoss) {
    struct Case {
        i32 bonus;
        u8 flag5, flag10;
        i32 phase;
    };
    const Case cases[] = {{2, 1, 0, 6}, {0, 0, 1, 6}, {2, 0, 0, 10}, {1, 1, 0, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bonus << " " << int(c.flag5) << " " << int(c.flag10));
        ResetGameState();
        ResetPlayLists();
        g_TalkState = TalkState{};
        g_GameState.BonusCount = c.bonus;
        g_GameState.StoryFlags[5] = c.flag5;
        g_GameState.StoryFlags[10] = c.flag10;
        Enter(8, 2101);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phase);
        EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
        if (c.phase == 6) {
            EXPECT_TRUE(g_EnemyList.empty());
            EXPECT_EQ(g_GameState.BossActiveFlag, 1);
            continue;
        }
        ASSERT_EQ(g_EnemyList.size(), 5u);
        EXPECT_EQ(g_EnemyList[0].state, 180);
        const f32 xs[4] = {150, 200, 490, 440};
        const i32 ages[4] = {0, 50, 0, 50};
        for (int i = 0; i < 4; ++i) {
            const Enemy& escort = g_EnemyList[static_cast<std::size_t>(i + 1)];
            EXPECT_EQ(escort.state, 120);
            EXPECT_FLOAT_EQ(escort.x, xs[i]);
            EXPECT_FLOAT_EQ(escort.y, -30.0f);
            EXPECT_EQ(escort.age, ages[i]);
            EXPECT_EQ(escort.active, 0);
            EXPECT_FLOAT_EQ(escort.speed, 4.0f);
        }
        EXPECT_EQ(g_TalkState.eventId, 110);
        EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    }
}

TEST_F(Stage1TimelineTest, TheLongRoadRunsItsTimedWave) {
    Occupy();
    Enter(8, 0);
    RunThrough(700);
    EXPECT_EQ(CountState(101), 6);  // 0, 100, ..., 500
    EXPECT_EQ(CountState(102), 6);
    EXPECT_EQ(CountState(106), 1);
    EXPECT_EQ(CountState(103), 2);
    ResetPlayLists();
    RunStageScript();  // 701, empty: jump to 1500 and its spawns
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 500);
    EXPECT_EQ(g_GameState.MissionTimer.bonus, 2500);
    EXPECT_EQ(CountState(106), 2);
    ResetPlayLists();
    Enter(8, 1900);
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    EXPECT_EQ(g_GameState.StageScriptFrame, 2001);
    EXPECT_EQ(CountState(103), 1);  // the gunboat of 2000 came at once
}

TEST_F(Stage1TimelineTest, SecondMidBossThenItsEscortsThenTheBoss) {
    Enter(6, 0);
    RunThrough(10);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 111);
    EXPECT_EQ(g_EnemyList[0].state, 112);
    EXPECT_EQ(g_EnemyList[0].active, 0);
    EXPECT_EQ(g_TalkState.eventId, 106);
    EXPECT_EQ(g_GameState.StoryFlags[11], 1);
    RunThrough(300);
    ASSERT_EQ(g_EnemyList.size(), 5u);
    EXPECT_EQ(CountState(120), 4);
    EXPECT_EQ(g_EnemyList[2].age, 50);
    ResetPlayLists();
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 180);
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    EXPECT_EQ(g_TalkState.eventId, 112);
}

TEST_F(Stage1TimelineTest, SecondMidBossGetsNoEscortsWhenOthersAreStillAbout) {
    Enter(6, 0);
    RunThrough(10);
    Occupy();
    RunThrough(300);
    EXPECT_EQ(g_EnemyList.size(), 2u);
}

TEST_F(Stage1TimelineTest, BossPhaseEscortWavesComeOnTheExactStateAndAge) {
    ASSERT_EQ(SpawnEnemyStage1(102), 0);
    Enter(10, 0);
    struct Case {
        i32 state, age;
        bool wave;
    };
    const Case cases[] = {{182, 298, false}, {182, 300, false}, {181, 299, false}, {182, 299, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " " << c.age);
        while (g_EnemyList.size() > 1) g_EnemyList.pop_back();
        g_EnemyList[0].state = c.state;
        g_EnemyList[0].age = c.age;
        g_TalkState.active = 1;
        RunStageScript();
        EXPECT_EQ(g_EnemyList.size(), c.wave ? 5u : 1u);
    }
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(i)].layer, 1);
        EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(i)].active, 1);
        EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(i)].state, 120);
    }
}

TEST_F(Stage1TimelineTest, LateEscortsComeOnlyWhenFlag21IsSetAndFlag17Clear) {
    struct Case {
        u8 flag17, flag21;
        bool wave;
    };
    const Case cases[] = {{0, 1, true}, {1, 1, false}, {0, 0, false}};
    for (const Case& c : cases) {
        ResetGameState();
        ResetPlayLists();
        ASSERT_EQ(SpawnEnemyStage1(102), 0);
        g_EnemyList[0].state = 191;
        g_EnemyList[0].age = 100;
        g_GameState.StoryFlags[17] = c.flag17;
        g_GameState.StoryFlags[21] = c.flag21;
        Enter(10, 5);
        RunStageScript();
        ASSERT_EQ(g_EnemyList.size(), c.wave ? 5u : 1u);
        if (c.wave) {
            EXPECT_EQ(g_EnemyList[1].state, 122);
            EXPECT_EQ(g_EnemyList[1].active, 0);
            EXPECT_EQ(g_EnemyList[1].layer, 1);
        }
    }
}

TEST_F(Stage1TimelineTest, TheStageClosesWhenTheBossIsGoneAndNoTalkRuns) {
    Enter(10, 0);
    g_TalkState.active = 1;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);  // a talk runs, even with an empty list
    g_TalkState.active = 0;
    ASSERT_GE(SpawnEnemyStage1(102), 0);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);  // the boss is there
    g_EnemyList[0].spawnId = 0;                   // something else at the front
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(TransitionState.running, 1);
    // Phase 34 waits for the transition.
    RunStageScript();
    EXPECT_EQ(g_GameState.StageFinished, 0);
    TransitionState.running = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

TEST_F(Stage1TimelineTest, BackgroundSectionsChangeAtSeamsByPhase) {
    struct Case {
        i32 phase, section, scrollY, after;
    };
    const Case cases[] = {
        {0, 0, 7, 1},   {3, 0, 7, 1},   {5, 0, 480, 0}, {1, 1, 7, 1},  {8, 1, 960, 2},
        {2, 2, 480, 3}, {8, 2, 480, 2}, {1, 2, 481, 2}, {10, 3, 0, 4}, {10, 4, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " " << c.section << " " << c.scrollY);
        ResetGameState();
        ResetPlayLists();
        Occupy();
        Enter(c.phase, 5000);
        g_GameState.BackgroundSection = c.section;
        g_GameState.BackgroundScrollY = c.scrollY;
        RunStageScript();
        EXPECT_EQ(g_GameState.BackgroundSection, c.after);
    }
}

}  // namespace
