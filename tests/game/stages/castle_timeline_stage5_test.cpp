// The timeline of stage index 4 while the castle fights (phases 10 to 14):
// the zoom step, the castle's craft, the waves its early and late hubs bring,
// and the closing once the field is empty and quiet.
#include <vector>

#include "engine/core/radians.h"
#include "game/play/enemy_runtime.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

std::vector<SpawnOrder>* g_spawns = nullptr;

class CastleTimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 4;
        RegisterStageScript(4, RunStage5Script);
        StageRandomSeed(&g_StageRandomState, 0);
        g_GameState.BackgroundZoom = 2.0f;
        g_spawns = &spawns_;
        SetSpawnObserver([](const SpawnOrder& o) { g_spawns->push_back(o); });
    }
    void TearDown() override {
        SetSpawnObserver(nullptr);
        g_spawns = nullptr;
        EnemyFrameTest::TearDown();
    }
    void Restart() {
        TearDown();
        spawns_.clear();
        SetUp();
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // Runs the script until (and including) the call that sees `last`; the
    // enemies are not stepped.
    void RunThrough(i32 last) {
        while (g_GameState.StageScriptFrame <= last) RunStageScript();
    }
    // The castle at the front of the list.
    void BringCastle() { ASSERT_EQ(SpawnEnemyStage5(110), 0); }
    EnemyPart& CastleRoot(i32 r) { return g_EnemyPartPool[g_EnemyList[0].rootParts[r]]; }
    // The frames (script frames of the call) of the spawns seen, by the
    // frame each list entry was made in.
    std::vector<i32> SpawnFrames(i32 first, i32 last) {
        std::vector<i32> frames;
        for (i32 f = first; f <= last; ++f) {
            const std::size_t before = spawns_.size();
            g_GameState.StageScriptFrame = f;
            RunStageScript();
            if (spawns_.size() != before) frames.push_back(f);
        }
        return frames;
    }

    std::vector<SpawnOrder> spawns_;
};

TEST_F(CastleTimelineTest, TheZoomShrinksEvery10FramesDownTo2) {
    struct Case {
        i32 phase;
        i32 frame;
        f32 zoom;
        f32 after;
    };
    const Case cases[] = {
        // clang-format off
        {10, 10, 3.0f, 3.0f * 0.98f}, {10, 11, 3.0f, 3.0f}, {10, 20, 2.0f, 2.0f},  {10, 30, 2.01f, 2.0f},
        {11, 600, 2.5f, 2.5f * 0.98f}, {12, 10010, 2.5f, 2.5f * 0.98f}, {13, 40, 2.5f, 2.5f * 0.98f},
        {14, 50, 2.5f, 2.5f * 0.98f},  {14, 55, 2.5f, 2.5f}, {13, 40, 1.5f, 1.5f},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " " << c.frame << " " << c.zoom);
        Restart();
        BringCastle();  // phase 14 closes nothing while the castle stands
        Enter(c.phase, c.frame);
        g_GameState.BackgroundZoom = c.zoom;
        RunStageScript();
        EXPECT_EQ(g_GameState.BackgroundZoom, c.after);
    }
    // From 3.0 it takes 21 steps to reach 2.0.
    Restart();
    BringCastle();
    Enter(13, 0);
    g_GameState.BackgroundZoom = 3.0f;
    RunThrough(199);
    EXPECT_GT(g_GameState.BackgroundZoom, 2.0f);
    RunThrough(209);
    EXPECT_EQ(g_GameState.BackgroundZoom, 2.0f);
}

TEST_F(CastleTimelineTest, Phase10BringsTheTalkAndCraftInTwoThirdsOfEach300Frames) {
    BringCastle();
    Enter(10, 0);
    g_TalkState.active = 0;
    RunThrough(399);
    EXPECT_TRUE(spawns_.empty());
    EXPECT_NE(g_TalkState.eventId, 490);
    const std::vector<i32> frames = SpawnFrames(400, 1600);
    EXPECT_EQ(frames,
              (std::vector<i32>{400, 450, 600, 650, 700, 750, 900, 950, 1000, 1050, 1200, 1250, 1300, 1350, 1500}));
    EXPECT_EQ(g_TalkState.eventId, 490);
    ASSERT_EQ(g_EnemyList.size(), 16u);
    for (std::size_t i = 1; i < g_EnemyList.size(); ++i) {
        const Enemy& e = g_EnemyList[i];  // appended behind the castle
        EXPECT_EQ(e.state, 404);
        EXPECT_EQ(e.layer, 1);
        EXPECT_GE(e.x, 120.0f);
        EXPECT_LT(e.x, 520.0f);
        EXPECT_FLOAT_EQ(e.y, -50.0f);
        EXPECT_FLOAT_EQ(e.speed, 7.0f);
        EXPECT_FLOAT_EQ(e.heading, kHalfPi);
        EXPECT_FLOAT_EQ(e.rotation, kHalfPi);
        EXPECT_EQ(g_EnemyPartPool[e.rootParts[0]].action, 435);  // its own pattern
    }
    // x = 120 + R(400) of the stage generator, one draw a spawn.
    StageRandom check;
    StageRandomSeed(&check, 0);
    EXPECT_FLOAT_EQ(g_EnemyList[1].x, static_cast<f32>(120 + static_cast<i32>(StageRandomBelow(&check, 400))));
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);  // no exit of its own
}

TEST_F(CastleTimelineTest, Phase11JumpsTo500AtOnce) {
    BringCastle();
    Enter(11, 0);
    g_GameState.BackgroundZoom = 2.5f;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 501);
    EXPECT_EQ(g_GameState.BackgroundZoom, 2.5f * 0.98f);  // frame 500 takes a zoom step
    RunThrough(5000);
    EXPECT_TRUE(spawns_.empty());
    EXPECT_EQ(g_GameState.StageScriptPhase, 11);
}

// Phase 12's waves: hub 3 down by frame 11000, or hub 8 down in frames
// 14000-15000, sets its flag, and the flag brings craft on the upper layer.
TEST_F(CastleTimelineTest, Phase12WavesFollowTheHubsThatFell) {
    const std::vector<i32> early = {10200, 10250, 10300, 10350, 10500, 10550, 10600, 10650,
                                    10800, 10850, 10900, 10950, 11100, 11150, 11200};
    const std::vector<i32> late = {14100, 14150, 14200, 14250, 14400, 14450, 14500,
                                   14550, 14700, 14750, 14800, 14850, 15000};
    struct Case {
        const char* name;
        i32 hub;
        i32 downAt;  // the script frame from which the hub is destroyed (0: before the phase)
        u8 flag85, flag88;
        std::vector<i32> frames;
    };
    const Case cases[] = {
        {"hub 3 down before the phase", 3, 0, 1, 0, early},
        {"hub 3 down at 11000", 3, 11000, 1, 0, {11100, 11150, 11200}},
        {"hub 3 down after 11000", 3, 11001, 0, 0, {}},
        {"hub 8 down at 14500", 8, 14500, 0, 1, {14500, 14550, 14700, 14750, 14800, 14850, 15000}},
        {"hub 8 down before 14000", 8, 0, 0, 1, late},
        {"hub 8 down after 15000", 8, 15001, 0, 0, {}},
        {"nothing down", 1, 99999, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        BringCastle();
        Enter(12, 10000);
        std::vector<i32> frames;
        for (i32 f = 10000; f <= 15100; ++f) {
            if (f == c.downAt || (c.downAt == 0 && f == 10000)) CastleRoot(c.hub).state = -1;
            const std::size_t before = spawns_.size();
            RunStageScript();
            if (spawns_.size() != before) frames.push_back(f);
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(g_GameState.StoryFlags[kStoryCastleHubThreeFellEarly], c.flag85);
        EXPECT_EQ(g_GameState.StoryFlags[kStoryCastleHubEightFell], c.flag88);
        for (const SpawnOrder& o : spawns_) {
            EXPECT_EQ(o.kind, 15);
            EXPECT_EQ(o.state, 404);
            ASSERT_TRUE(o.layer.has_value());
            EXPECT_EQ(*o.layer, 1);
        }
    }
    // Once set, a flag keeps its wave coming whatever happens to the hub.
    Restart();
    BringCastle();
    g_GameState.StoryFlags[kStoryCastleHubEightFell] = 1;
    Enter(12, 14000);
    EXPECT_EQ(SpawnFrames(14000, 15000), late);
}

TEST_F(CastleTimelineTest, Phase12WithoutTheCastleReadsItsHubsAsDestroyed) {
    Enter(12, 10000);
    RunThrough(10200);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryCastleHubThreeFellEarly], 1);
    EXPECT_EQ(spawns_.size(), 1u);
}

TEST_F(CastleTimelineTest, Phase14ClosesOnceTheFieldIsEmptyAndQuiet) {
    BringCastle();
    Enter(14, 0);
    RunThrough(100);
    EXPECT_EQ(g_GameState.StageScriptPhase, 14);
    EXPECT_EQ(TransitionState.running, 0);
    // The castle is gone but a talk runs: the closing waits for its end.
    ReleaseEnemyParts(0);
    g_EnemyList.clear();
    g_TalkState.active = 1;
    RunThrough(200);
    EXPECT_EQ(g_GameState.StageScriptPhase, 14);
    g_TalkState.active = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(TransitionState.running, 1);
    // The closing phase finishes the stage once the transition has run.
    RunStageScript();
    EXPECT_EQ(g_GameState.StageFinished, 0);
    TransitionState.running = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

}  // namespace
