// The timeline of stage index 4 after the castle: phase 14's hand-over to the
// last boss (and its retry when the pool refuses it), phase 30's escort rings
// and singles per difficulty, and the closing once the field is empty.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/enemy_runtime.h"
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

class LastBossTimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 4;
        RegisterStageScript(4, RunStage5Script);
        StageRandomSeed(&g_StageRandomState, 0);
        g_GameState.BackgroundZoom = 2.0f;
        g_MusicState.ready = 1;
        g_TalkState.active = 0;
    }
    void TearDown() override {
        g_MusicState = MusicState{};
        EnemyFrameTest::TearDown();
    }
    void Restart() {
        TearDown();
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // The sunk castle at the front, in 1099 at `age`.
    void SinkingCastle(i32 age) {
        ASSERT_EQ(SpawnEnemyStage5(110), 0);
        g_EnemyList[0].state = 1099;
        g_EnemyList[0].age = age;
    }
    // The last boss at the front in 913 at `age`.
    void Summoning(i32 age) {
        ASSERT_EQ(SpawnEnemyStage5(101), 0);
        g_EnemyList[0].state = 913;
        g_EnemyList[0].age = age;
    }
    // Takes every free pool slot but `keep`.
    static void FillPool(i32 keep) {
        i32 free = 0;
        for (EnemyPart& p : g_EnemyPartPool) free += p.inUse == 0 ? 1 : 0;
        for (EnemyPart& p : g_EnemyPartPool) {
            if (free <= keep) break;
            if (p.inUse == 0) {
                p.inUse = 1;
                --free;
            }
        }
    }
    // The escorts (kind 102 at layer 1) in the list after the boss.
    static std::vector<const Enemy*> Escorts() {
        std::vector<const Enemy*> out;
        for (std::size_t i = 1; i < g_EnemyList.size(); ++i) out.push_back(&g_EnemyList[i]);
        return out;
    }
};

TEST_F(LastBossTimelineTest, Phase14BringsTheLastBossAtTheCastlesAge500WithFlag94) {
    for (const u8 flag : {u8{1}, u8{0}}) {
        SCOPED_TRACE(static_cast<int>(flag));
        Restart();
        g_GameState.StoryFlags[kStoryLastBossEarned] = flag;
        SinkingCastle(499);
        Enter(14, 0);
        RunStageScript();
        EXPECT_EQ(g_EnemyList.size(), 1u);
        g_EnemyList[0].age = 500;
        RunStageScript();
        if (flag == 0) {
            EXPECT_EQ(g_EnemyList.size(), 1u);
            EXPECT_EQ(g_GameState.StageScriptPhase, 14);
            continue;
        }
        ASSERT_EQ(g_EnemyList.size(), 2u);
        const Enemy& boss = g_EnemyList[0];  // kind 101 goes in front
        EXPECT_EQ(boss.state, 900);
        EXPECT_FLOAT_EQ(boss.x, 320.0f);
        EXPECT_FLOAT_EQ(boss.y, 400.0f);
        EXPECT_FLOAT_EQ(boss.speed, 0.5f);
        EXPECT_FLOAT_EQ(boss.heading, -kHalfPi);
        EXPECT_FLOAT_EQ(boss.rotation, -kHalfPi);
        EXPECT_FLOAT_EQ(boss.scale, 0.2f);
        EXPECT_EQ(g_MusicState.requested, 22);
        EXPECT_EQ(g_GameState.StageScriptPhase, 30);
        EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    }
}

// A refused last boss is tried again every frame, though the castle has aged
// past 500 (and even when it has gone); the stage does not close meanwhile.
TEST_F(LastBossTimelineTest, ARefusedLastBossIsTriedAgainNextFrame) {
    g_GameState.StoryFlags[kStoryLastBossEarned] = 1;
    SinkingCastle(500);
    FillPool(10);  // kind 101 takes 11
    Enter(14, 0);
    RunStageScript();
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_GameState.StageScriptPhase, 14);
    g_EnemyList[0].age = 501;
    RunStageScript();
    EXPECT_EQ(g_EnemyList.size(), 1u);
    // The castle sinks away: its parts come free and the boss comes.
    ReleaseEnemyParts(0);
    g_EnemyList.clear();
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 900);
    EXPECT_EQ(g_GameState.StageScriptPhase, 30);
    EXPECT_EQ(TransitionState.running, 0);
}

// The rings at 2100 (state 993) and 2300 (994): n escorts at rest on a
// circle of 400 around (320, 240), a quarter turn off their angle.
TEST_F(LastBossTimelineTest, Phase30RingsByDifficulty) {
    const i32 count[4] = {8, 10, 12, 8};  // EASY, NORMAL, HARD, any other value
    for (i32 d = 0; d < 4; ++d) {
        SCOPED_TRACE(d);
        for (const i32 age : {2100, 2300}) {
            Restart();
            g_GameState.Difficulty = d == 3 ? 7 : d;
            Summoning(age);
            Enter(30, 0);
            RunStageScript();
            const auto escorts = Escorts();
            ASSERT_EQ(escorts.size(), static_cast<std::size_t>(count[d]));
            for (std::size_t i = 0; i < escorts.size(); ++i) {
                const Enemy& e = *escorts[i];
                const f32 a = static_cast<f32>(i) / static_cast<f32>(count[d]) * 6.2831855f;
                EXPECT_EQ(e.state, age == 2100 ? 993 : 994);
                EXPECT_EQ(e.layer, 1);
                EXPECT_FLOAT_EQ(e.speed, 0.0f);
                EXPECT_NEAR(e.x, 320.0f + 400.0f * std::cos(a), 1e-3);
                EXPECT_NEAR(e.y, 240.0f + 400.0f * std::sin(a), 1e-3);
                EXPECT_FLOAT_EQ(e.heading, age == 2100 ? a - kHalfPi : a + kHalfPi);
                EXPECT_FLOAT_EQ(e.rotation, e.heading);
            }
        }
    }
    // NORMAL: the first at (720, 240) heading up, the next 36 degrees on.
    Restart();
    g_GameState.Difficulty = 1;
    Summoning(2100);
    Enter(30, 0);
    RunStageScript();
    EXPECT_FLOAT_EQ(g_EnemyList[1].x, 720.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].y, 240.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].heading, -kHalfPi);
    EXPECT_NEAR(g_EnemyList[2].x, 320.0f + 400.0f * std::cos(0.62831855f), 1e-3);
}

// The singles: every p frames (990) and p/2 later (991) from 1100 to 1500,
// every q frames from 1600 to 2000; at speed 10, radius 400..500.
TEST_F(LastBossTimelineTest, Phase30SinglesByDifficulty) {
    struct Case {
        i32 difficulty;
        i32 p, q;
    };
    for (const Case c : {Case{0, 120, 80}, Case{1, 100, 60}, Case{2, 80, 40}}) {
        SCOPED_TRACE(c.difficulty);
        Restart();
        g_GameState.Difficulty = c.difficulty;
        Summoning(1000);
        Enter(30, 0);
        std::vector<std::pair<i32, i32>> seen;  // (age, state)
        std::vector<std::pair<i32, i32>> want;
        for (i32 age = 1000; age <= 2000; ++age) {
            if (age >= 1100 && age <= 1500 && age % c.p == 0) want.push_back({age, 990});
            if (age >= 1100 && age <= 1500 && age % c.p == c.p / 2) want.push_back({age, 991});
            if (age >= 1600 && age % c.q == 0) want.push_back({age, 990});
            if (age >= 1600 && age % c.q == c.q / 2) want.push_back({age, 991});
            g_EnemyList[0].age = age;
            const std::size_t before = g_EnemyList.size();
            RunStageScript();
            for (std::size_t i = before; i < g_EnemyList.size(); ++i) seen.push_back({age, g_EnemyList[i].state});
        }
        EXPECT_EQ(seen, want);
        for (std::size_t i = 1; i < g_EnemyList.size(); ++i) {
            const Enemy& e = g_EnemyList[i];
            EXPECT_FLOAT_EQ(e.speed, 10.0f);
            const f32 r = std::hypot(e.x - 320.0f, e.y - 240.0f);
            EXPECT_GE(r, 399.9f);
            EXPECT_LE(r, 500.1f);
        }
    }
    // HARD's second window: one every 20 frames, 990 at multiples of 40.
    // Each single draws its angle (two) and radius (one) after its spawn.
    Restart();
    g_GameState.Difficulty = 2;
    Summoning(1640);
    Enter(30, 0);
    RandomSeed(9);
    RunStageScript();
    EXPECT_EQ(enemy_test::DrawsSince(9), 3);
    EXPECT_EQ(g_EnemyList.back().state, 990);
}

TEST_F(LastBossTimelineTest, Phase30ClosesOnlyOnceTheFieldIsEmptyAndQuiet) {
    Summoning(3000);
    Enter(30, 0);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 30);
    ReleaseEnemyParts(0);
    g_EnemyList.clear();
    g_TalkState.active = 1;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 30);
    g_TalkState.active = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(TransitionState.running, 1);
}

}  // namespace
