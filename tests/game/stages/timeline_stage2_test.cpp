// The timeline of stage index 1: its waves and their positions from the
// stage generator, the jumps and missions, the roads by story flags 5, 7 and
// 25, the convoy and the background sections.
#include <vector>

#include "engine/core/radians.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage2TimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 1;
        RegisterStageScript(1, RunStage2Script);
        StageRandomSeed(&g_StageRandomState, 300);
        g_GameState.StageBannerTimer = -1;
        g_GameState.BackgroundScrollY = 1;  // off the seam
    }
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // Calls the script until the frame passes `last` (the enemies are not
    // stepped, so every spawn stays in the list).
    void RunThrough(i32 last) {
        while (g_GameState.StageScriptFrame <= last) RunStageScript();
    }
    // The (frame, kind, state) of every spawn while the script runs through `last`.
    struct Spawned {
        i32 frame, kind, state;
        f32 x, y;
        bool operator==(const Spawned&) const = default;
    };
    std::vector<Spawned> SpawnsThrough(i32 last) {
        std::vector<Spawned> out;
        while (g_GameState.StageScriptFrame <= last) {
            const i32 frame = g_GameState.StageScriptFrame;
            const std::size_t before = g_EnemyList.size();
            RunStageScript();
            for (std::size_t i = before; i < g_EnemyList.size(); ++i) {
                const Enemy& e = g_EnemyList[i];
                out.push_back({frame, KindOf(e), e.state, e.x, e.y});
            }
        }
        return out;
    }
    // The kind of a spawned enemy, by its first root part's picture.
    static i32 KindOf(const Enemy& e) { return g_EnemyPartPool[e.rootParts[0]].spriteKind; }
    i32 CountState(i32 state) const {
        i32 n = 0;
        for (const Enemy& e : g_EnemyList) n += e.state == state ? 1 : 0;
        return n;
    }
    // A stand-in enemy that keeps the list from being empty.
    void Occupy() { ASSERT_GE(SpawnEnemyStage2(8), 0); }
    // No talk runs, so the next event starts whatever its priority.
    void QuietTalk() { g_TalkState.active = 0; }
};

TEST_F(Stage2TimelineTest, OpeningSideEntriesAndTheBanner) {
    RunThrough(899);
    EXPECT_EQ(g_GameState.StageBannerTimer, 0);
    EXPECT_EQ(CountState(201), 5);  // 150 .. 350
    EXPECT_EQ(CountState(202), 7);  // 550 .. 850
    for (const Enemy& e : g_EnemyList) {
        EXPECT_FLOAT_EQ(e.x, e.state == 201 ? -5.0f : 690.0f);
        EXPECT_FLOAT_EQ(e.y, 300.0f);
        EXPECT_FLOAT_EQ(e.speed, 3.0f);
        EXPECT_FLOAT_EQ(e.heading, -kHalfPi);
        EXPECT_FLOAT_EQ(e.rotation, -kHalfPi);
    }
}

// Positions marked S draw from the stage generator, seeded 300 at the load,
// x before y, one draw per spawn; the game generator is untouched.
TEST_F(Stage2TimelineTest, GunshipPositionsComeFromTheStageGenerator) {
    StageRandom copy = g_StageRandomState;
    const u32 game = RandomGetState();
    Enter(0, 1000);
    std::vector<f32> want;
    for (i32 f = 1000; f <= 1399; f += 50) {
        const i32 r = static_cast<i32>(StageRandomBelow(&copy, 180));
        want.push_back(static_cast<f32>(f < 1200 ? 500 - r : 140 + r));
    }
    std::vector<f32> xs;
    for (const Spawned& s : SpawnsThrough(1399)) {
        EXPECT_EQ(s.state, 210);
        EXPECT_FLOAT_EQ(s.y, -10.0f);
        xs.push_back(s.x);
    }
    EXPECT_EQ(xs, want);
    EXPECT_EQ(RandomGetState(), game);
    // Convoy rows and fixed rows draw nothing.
    const StageRandom before = g_StageRandomState;
    Enter(8, 100);
    RunThrough(199);
    EXPECT_EQ(g_StageRandomState.index, before.index);
    EXPECT_EQ(g_StageRandomState.spare, before.spare);
}

TEST_F(Stage2TimelineTest, AnEmptyListJumpsToTheSecondHalfOfTheOpening) {
    Enter(0, 1401);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 3001);
    // Occupied, the frames up to 3100 pass without spawns.
    Restart();
    Occupy();
    Enter(0, 1401);
    RunThrough(3100);
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_GameState.StageScriptPhase, 0);
}

TEST_F(Stage2TimelineTest, SwayersEveryTenFramesThenTheFirstMidBossWave) {
    Enter(0, 4100);
    const std::vector<Spawned> s = SpawnsThrough(4499);
    ASSERT_EQ(s.size(), 40u);
    for (const Spawned& x : s) {
        EXPECT_EQ(x.state, x.frame % 20 == 0 ? 241 : 240) << x.frame;
        EXPECT_GE(x.x, 200.0f);
        EXPECT_LT(x.x, 440.0f);
    }
    ResetPlayLists();
    QuietTalk();
    RunStageScript();  // 4500, list empty
    EXPECT_EQ(g_GameState.StageScriptPhase, 1);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    EXPECT_EQ(g_TalkState.eventId, 202);
}

TEST_F(Stage2TimelineTest, TheMidBossCarrierComesAtFrame900OfTheCarrierWave) {
    Enter(1, 1);  // a new phase first sees frame 1
    const std::vector<Spawned> s = SpawnsThrough(1500);
    ASSERT_EQ(s.size(), 9u);  // 150 .. 1350
    for (const Spawned& x : s) {
        EXPECT_EQ(x.state, 221);
        EXPECT_FLOAT_EQ(x.x, 640.0f);
        if (x.frame == 900) {
            EXPECT_FLOAT_EQ(x.y, 100.0f);
        } else {
            EXPECT_GE(x.y, 120.0f);
            EXPECT_LT(x.y, 320.0f);
        }
    }
    EXPECT_EQ(g_EnemyList[5].spawnId, 201);
    EXPECT_FLOAT_EQ(g_EnemyList[5].speed, 1.5f);
    EXPECT_FLOAT_EQ(g_EnemyList[4].speed, 1.0f);
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 2);
}

TEST_F(Stage2TimelineTest, TheTimedWaveCompletesItsMissionWhenCleared) {
    Enter(2, 601);
    RunStageScript();  // empty: frame 1000, the mission starts in the same call
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 1200);
    Enter(2, 1001);
    RunThrough(1499);
    EXPECT_EQ(CountState(201), 9);   // 1050 .. 1450
    EXPECT_EQ(CountState(202), 10);  // 1025 .. 1475
    ResetPlayLists();
    Enter(2, 1600);
    RunThrough(1700);
    EXPECT_EQ(CountState(215), 2);
    ResetPlayLists();
    RunStageScript();  // 1701, empty
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    EXPECT_EQ(g_GameState.StageScriptFrame, 3001);
}

// After the timed wave: the second mid-boss when the first stage's circling
// mid-boss was shot down (flag 5 or 7), else straight to phase 5.
TEST_F(Stage2TimelineTest, TheSecondMidBossRoadTakesFlagFiveOrSeven) {
    struct Case {
        i32 flag;
        i32 phase;
    };
    const Case cases[] = {{-1, 5}, {kStoryFirstMidBossDownedInItsTalk, 4}, {kStoryFirstMidBossDowned, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        Restart();
        QuietTalk();
        if (c.flag >= 0) g_GameState.StoryFlags[c.flag] = 1;
        Enter(2, 3001);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phase);
        EXPECT_EQ(g_GameState.StageScriptFrame, 1);
        if (c.phase == 4) {
            ASSERT_EQ(g_EnemyList.size(), 1u);
            const Enemy& boss = g_EnemyList[0];
            EXPECT_EQ(boss.state, 281);
            EXPECT_EQ(boss.spawnId, 202);
            EXPECT_FLOAT_EQ(boss.speed, 9.0f);
            EXPECT_FLOAT_EQ(boss.y, -200.0f);
            EXPECT_FLOAT_EQ(boss.rotation, kHalfPi);
            EXPECT_EQ(g_TalkState.eventId, 210);
            EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
            // Phase 4 waits past frame 100 for the list to empty.
            ResetPlayLists();
            RunThrough(100);
            EXPECT_EQ(g_GameState.StageScriptPhase, 4);
            RunStageScript();
            EXPECT_EQ(g_GameState.StageScriptPhase, 5);
            EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
        } else {
            EXPECT_TRUE(g_EnemyList.empty());
        }
    }
}

TEST_F(Stage2TimelineTest, PhaseFiveTalkWaitsForNoOtherTalk) {
    struct Case {
        bool talking;
        i32 missCount;
        i32 flag;
        i32 talk;  // -1: none started
    };
    const Case cases[] = {
        {true, 0, kStorySecondStageMidBossDowned, -1},
        {false, 0, kStorySecondStageMidBossDowned, 214},
        {false, 0, kStorySecondStageMidBossDownedInItsTalk, 214},
        {false, 1, kStorySecondStageMidBossDowned, 215},
        {false, 0, -1, 215},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.talking << " " << c.missCount << " " << c.flag);
        Restart();
        QuietTalk();
        g_TalkState.eventId = -1;
        if (c.talking) {
            g_TalkState.active = 1;
            g_TalkState.eventId = 999;
        }
        g_GameState.MissCount = c.missCount;
        if (c.flag >= 0) g_GameState.StoryFlags[c.flag] = 1;
        Enter(5, 300);
        RunStageScript();
        // Talk 214 has no lines in the game's table: asked for, it starts nothing.
        const i32 started = g_TalkState.active != 0 && g_TalkState.eventId != 999 ? g_TalkState.eventId : -1;
        EXPECT_EQ(started, c.talk == 214 ? -1 : c.talk);
        EXPECT_EQ(g_GameState.StageScriptFrame, 301);
    }
}

TEST_F(Stage2TimelineTest, ClimbersFromTheBottomAlternateByFrame) {
    Enter(5, 1000);
    const std::vector<Spawned> s = SpawnsThrough(1199);
    ASSERT_EQ(s.size(), 40u);
    for (const Spawned& x : s) {
        const bool even = x.frame % 10 == 0;
        EXPECT_EQ(x.state, even ? 242 : 243);
        EXPECT_FLOAT_EQ(x.y, 520.0f);
        EXPECT_GT(x.x, even ? 100.0f : 239.0f);
        EXPECT_LE(x.x, even ? 400.0f : 539.0f);
    }
    EXPECT_FLOAT_EQ(g_EnemyList[0].heading, -2.0943952f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].heading, -1.0471976f);
}

// Phase 6 is skipped once the carrier mid-boss crossed (flag 25); otherwise
// six carriers of spawn id 203 cross, 2500 .. 3000.
TEST_F(Stage2TimelineTest, TheCrossingWaveTakesFlag25) {
    Enter(6, 1);
    g_GameState.StoryFlags[kStoryCarrierMidBossCrossed] = 1;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 7);
    EXPECT_TRUE(g_EnemyList.empty());

    Restart();
    QuietTalk();
    Enter(6, 1);
    RunStageScript();  // frame 1: 2500, talk 206 and the first carrier
    EXPECT_EQ(g_TalkState.eventId, 206);
    RunThrough(3000);
    ASSERT_EQ(g_EnemyList.size(), 6u);
    for (const Enemy& e : g_EnemyList) {
        EXPECT_EQ(e.spawnId, 203);
        EXPECT_EQ(e.state, 221);
        EXPECT_FLOAT_EQ(e.speed, 1.5f);
    }
    // Cleared: talk 208 unless all six were shot (207, no lines), then phase 7.
    for (const i32 kills : {6, 5}) {
        ResetPlayLists();
        QuietTalk();
        g_TalkState.eventId = -1;
        g_GameState.KillCountB = kills;
        Enter(6, 3001);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, 7);
        EXPECT_EQ(g_TalkState.active != 0 ? g_TalkState.eventId : -1, kills == 6 ? -1 : 208);
    }
}

TEST_F(Stage2TimelineTest, TheSecondTimedWave) {
    Enter(7, 100);
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 2100);
    RunThrough(899);
    EXPECT_EQ(CountState(201), 10);  // 120 .. 280, 520 .. 680
    EXPECT_EQ(CountState(202), 10);
    ResetPlayLists();
    Enter(7, 1000);
    const std::vector<Spawned> s = SpawnsThrough(1399);
    // 1000 (12), 1060 (11: 213), 1120 (11), 1180 (12: 213), 1240 (12), 1300 (12: 213), 1360 (11)
    const i32 kinds[] = {212, 211, 211, 212, 212, 212, 211};
    const i32 states[] = {212, 213, 212, 213, 212, 213, 212};
    ASSERT_EQ(s.size(), 7u);
    for (std::size_t i = 0; i < s.size(); ++i) {
        SCOPED_TRACE(s[i].frame);
        // Root part 0 of kinds 11 and 12 is the gun: 211 and 213.
        EXPECT_EQ(s[i].kind, kinds[i] == 212 ? 213 : 211);
        EXPECT_EQ(s[i].state, states[i]);
    }
    ResetPlayLists();
    Enter(7, 1600);
    RunStageScript();
    EXPECT_EQ(CountState(215), 2);
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    RunStageScript();  // 3001
    EXPECT_EQ(g_GameState.StageScriptPhase, 8);
}

TEST_F(Stage2TimelineTest, TheConvoyGoesToTheFrontWhileTheFightersRise) {
    QuietTalk();
    Enter(8, 0);
    RunThrough(10);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    RunThrough(199);
    ASSERT_EQ(g_EnemyList.size(), 10u);
    for (const Enemy& e : g_EnemyList) {
        EXPECT_EQ(e.state, 233);
        EXPECT_EQ(e.active, 0);
        EXPECT_FLOAT_EQ(e.scale, 0.5f);
        EXPECT_FLOAT_EQ(e.heading, -2.3415928f);
    }
    RunThrough(499);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_TalkState.eventId, 221);
    EXPECT_EQ(g_EnemyList[0].state, 234);  // the newest convoy in front
    EXPECT_EQ(CountState(234), 10);
    RunThrough(1200);
    EXPECT_EQ(CountState(231), 10);  // 300 .. 750
    EXPECT_EQ(CountState(232), 12);  // 500 .. 1050
    ResetPlayLists();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 9);
}

// Sections, read after the phase's rules at seams of 960.
TEST_F(Stage2TimelineTest, BackgroundSectionsMoveAtSeamsByPhase) {
    struct Case {
        i32 phase, section, scroll;
        i32 after;
        bool talk201;
    };
    const Case cases[] = {
        {0, 0, 960, 0, false}, {4, 0, 960, 1, false}, {5, 0, 1920, 1, false}, {6, 0, 961, 0, false},
        {5, 1, 960, 2, false}, {6, 2, 960, 3, false}, {7, 3, 960, 4, false},  {9, 3, 961, 3, false},
        {7, 2, 960, 3, false}, {8, 4, 960, 5, true},  {8, 4, 961, 4, true},   {10, 3, 960, 3, false},
        {10, 4, 960, 5, true}, {1, 1, 960, 2, false}, {34, 5, 960, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " section " << c.section << " scroll " << c.scroll);
        Restart();
        QuietTalk();
        g_TalkState.eventId = -1;
        Occupy();
        g_GameState.BackgroundSection = c.section;
        g_GameState.BackgroundScrollY = c.scroll;
        Enter(c.phase, 5);
        RunStageScript();
        EXPECT_EQ(g_GameState.BackgroundSection, c.after);
        EXPECT_EQ(g_TalkState.active != 0 && g_TalkState.eventId == 201, c.talk201);
    }
    // Talk 201 is asked for only while no talk is shown and once per stage.
    Restart();
    QuietTalk();
    g_TalkState.eventId = -1;
    Occupy();
    g_GameState.BackgroundSection = 5;
    g_GameState.StoryFlags[kStoryLateSectionTalkShown] = 1;
    Enter(8, 5);
    RunStageScript();
    EXPECT_NE(g_TalkState.eventId, 201);
}

}  // namespace
