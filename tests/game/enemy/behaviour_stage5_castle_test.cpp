// The castle of stage index 4 (enemy kind 110, spawn id 1001): the windows
// of state 1001 (descent, rise, first ring, second ring, core), their jumps
// and loop, the timeline phases it writes, its bonuses, and its sinking in
// 1099 on both values of story flag 94.
#include <cmath>
#include <initializer_list>
#include <vector>

#include "engine/core/radians.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/part_death.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/replay.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage1_fixture.h"
#include "tests/game/enemy/stage5_fixture.h"

namespace {

using stage1_test::DrawsSince;

class CastleTest : public stage5_test::Stage5Test {
protected:
    void SetUp() override {
        Stage5Test::SetUp();
        g_GameState.Continues = 3;
        g_PlayerState[0].shotLevel = 1;  // m = 1
        g_MusicState.ready = 1;
        g_MusicState.requested = 18;
        ClearSoundEffectStamps();
    }
    void TearDown() override {
        g_MusicState = MusicState{};
        Stage5Test::TearDown();
    }

    // The castle as the timeline brings it: kind 110 at the front, state
    // 1001, (320, -800), speed 1, inactive.
    void SpawnCastle() {
        ASSERT_EQ(SpawnEnemyStage5(110), 0);
        Enemy& e = Castle();
        e.state = 1001;
        e.speed = 1.0f;
        e.x = 320.0f;
        e.y = -800.0f;
        e.active = 0;
    }
    // The castle with its next step seeing `age`, at (x, y).
    void CastleAt(i32 age, f32 x, f32 y) {
        SpawnCastle();
        Castle().age = age;
        Castle().x = x;
        Castle().y = y;
        Castle().active = 1;
    }
    Enemy& Castle() { return g_EnemyList[0]; }
    EnemyPart& Root(i32 r) { return g_EnemyPartPool[Castle().rootParts[r]]; }
    EnemyPart& Child(i32 r, i32 c) { return g_EnemyPartPool[Root(r).children[c]]; }

    void Frame() {
        RearmSoundEffectGates();
        RunEnemies();
        g_GameState.FrameCounter += 1;
    }
    // Frames until the step that sees `age` has run.
    void RunToAge(i32 age) {
        for (i32 guard = 0; guard < 50000 && !g_EnemyList.empty() && Castle().age <= age; ++guard) Frame();
    }
    void Destroy(std::initializer_list<i32> roots) {
        for (const i32 r : roots) Root(r).state = -1;
    }
    static i32 Score() { return g_PlayerState[0].StageScorePoints; }
    static i32 CountEffects(i32 kind) {
        i32 n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind ? 1 : 0;
        return n;
    }
    static void QuietTalk() { g_TalkState.active = 0; }
};

TEST_F(CastleTest, ItComesDownWhileAboveTheFieldAndOpensFireAtAge1500) {
    SpawnCastle();
    Frame();  // age 0: the spawn's speed 1
    EXPECT_FLOAT_EQ(Castle().y, -799.0f);
    Frame();  // age 1: speed 0.75
    EXPECT_FLOAT_EQ(Castle().speed, 0.75f);
    EXPECT_FLOAT_EQ(Castle().y, -798.25f);
    for (i32 r = 1; r <= 8; ++r) {
        for (i32 c = 0; c < 4; ++c) Child(r, c).timer = 77;
    }
    RunToAge(1499);
    EXPECT_FLOAT_EQ(Castle().y, 0.5f);  // the first y at or below 0, then it stays
    EXPECT_FLOAT_EQ(Castle().x, 320.0f);
    EXPECT_EQ(Castle().active, 0);
    g_GameState.BossActiveFlag = 1;
    g_GameState.StageScriptPhase = 10;
    g_GameState.StageScriptFrame = 1234;
    Frame();  // age 1500
    EXPECT_EQ(Castle().active, 1);
    EXPECT_EQ(Castle().age, 5001);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_GameState.StageScriptPhase, 11);
    EXPECT_EQ(g_GameState.StageScriptFrame, 0);
    // The fixed guns start afresh (no part steps run here); the cannons not.
    for (i32 r = 1; r <= 8; ++r) {
        for (i32 c = 0; c < 4; ++c) EXPECT_EQ(Child(r, c).timer, 0) << r << " " << c;
    }
}

TEST_F(CastleTest, ItRisesToMinus300ThenTurnsToItsCircleAndPhase12) {
    CastleAt(5001, 320.0f, 0.5f);
    Frame();
    EXPECT_FLOAT_EQ(Castle().heading, -kHalfPi);
    EXPECT_FLOAT_EQ(Castle().speed, 0.5f);
    EXPECT_NEAR(Castle().y, 0.0f, 1e-6);
    RunToAge(5499);
    for (i32 r = 1; r <= 8; ++r) Child(r, 4).timer = 9;
    Frame();  // 5500: the cannons of hubs 2 and 3
    for (i32 r = 1; r <= 8; ++r) {
        const bool open = r == 2 || r == 3;
        EXPECT_EQ(Child(r, 4).action, open ? 1001 : 0) << r;
        EXPECT_EQ(Child(r, 4).timer, open ? 0 : 9) << r;
    }
    RunToAge(5999);
    EXPECT_FLOAT_EQ(Castle().y, -300.0f);  // stopped at the first y at or above -300
    g_GameState.BossActiveFlag = 1;
    Frame();  // 6000
    EXPECT_EQ(Castle().age, 10001);
    EXPECT_EQ(Castle().heading, 0.0f);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_GameState.StageScriptPhase, 12);
    EXPECT_EQ(g_GameState.StageScriptFrame, 10000);
}

// The first ring hands out its cannons and gates at their ages; without
// eight hubs down it ends at 16200 with talk 492.
TEST_F(CastleTest, TheFirstRingOpensItsPartsOnScheduleAndEndsAt16200) {
    CastleAt(10001, 320.0f, -300.0f);
    struct Opened {
        i32 age, root, child, action;
        bool operator==(const Opened&) const = default;
    };
    std::vector<Opened> opened;
    std::vector<std::pair<i32, i32>> watched;  // (root, child)
    for (i32 r = 1; r <= 8; ++r) watched.push_back({r, 4});
    for (i32 c = 0; c < 12; ++c) watched.push_back({0, c});
    QuietTalk();
    while (Castle().age <= 16200) {
        const i32 age = Castle().age;
        std::vector<i32> before;
        for (const auto& [r, c] : watched) before.push_back(Child(r, c).action);
        Frame();
        for (std::size_t i = 0; i < watched.size(); ++i) {
            const EnemyPart& p = Child(watched[i].first, watched[i].second);
            if (p.action != before[i]) {
                opened.push_back({age, watched[i].first, watched[i].second, p.action});
                EXPECT_EQ(p.timer, 0);
            }
        }
    }
    const std::vector<Opened> want = {
        {11000, 4, 4, 1001}, {11000, 0, 4, 1010},  {11300, 0, 5, 1010}, {11600, 5, 4, 1001},  {11600, 0, 3, 1010},
        {12300, 6, 4, 1001}, {12500, 0, 10, 1010}, {12800, 7, 4, 1001}, {12800, 0, 11, 1010}, {13100, 0, 9, 1010},
        {13800, 8, 4, 1001}, {14000, 0, 1, 1010},  {14300, 1, 4, 1001}, {14300, 0, 2, 1010},  {14600, 0, 0, 1010},
    };
    EXPECT_EQ(opened.size(), want.size());
    for (std::size_t i = 0; i < std::min(opened.size(), want.size()); ++i) {
        EXPECT_TRUE(opened[i] == want[i])
            << i << ": age " << opened[i].age << " root " << opened[i].root << " child " << opened[i].child;
    }
    EXPECT_EQ(Castle().age, 30001);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(g_TalkState.eventId, 492);
    // Gates 6, 7 and 8 wait for the core.
    for (const i32 c : {6, 7, 8}) EXPECT_EQ(Child(0, c).action, 0);
}

TEST_F(CastleTest, TheFirstRingCirclesFlattenedInY) {
    CastleAt(10001, 320.0f, -300.0f);
    Castle().heading = 0.0f;  // as the rise leaves it
    Frame();
    EXPECT_FLOAT_EQ(Castle().heading, 0.001f);
    EXPECT_FLOAT_EQ(Castle().speed, 0.5f);
    EXPECT_NEAR(Castle().x, 320.0 + 0.5 * std::cos(0.001), 1e-4);
    EXPECT_NEAR(Castle().y, -300.0 + 0.9 * 0.5 * std::sin(0.001), 1e-5);
    // A quarter turn later it has come right and down.
    RunToAge(11571);
    EXPECT_NEAR(Castle().heading, kHalfPi, 2e-3);
    EXPECT_NEAR(Castle().x, 320.0 + 500.0, 2.0);
    EXPECT_NEAR(Castle().y, -300.0 + 450.0, 2.0);
}

// Eight hubs down end the first ring at once with bonus D: on entry, or on
// the frame the count reaches eight.
TEST_F(CastleTest, EightHubsDownEndTheFirstRingWithBonusD) {
    for (const i32 at : {10001, 12345}) {
        SCOPED_TRACE(at);
        Restart();
        CastleAt(10001, 320.0f, -300.0f);
        g_GameState.KillCountA = 7;
        RunToAge(at - 1);
        g_GameState.KillCountA = 8;
        QuietTalk();
        g_GameState.BossActiveFlag = 0;
        const i32 score = Score();
        Frame();
        EXPECT_EQ(Castle().age, 30001);
        EXPECT_EQ(g_GameState.BossActiveFlag, 1);
        EXPECT_EQ(g_TalkState.eventId, 491);
        EXPECT_EQ(CountEffects(63), 1);
        // 10 ((m / 4 + 1) n + 40 m + 30 lives + 700) with nothing cleared.
        EXPECT_EQ(Score() - score, 10 * (40 + 90 + 700));
    }
}

// The second ring: the castle heads for (320, 50), hands the timeline phase
// 14 at 30500 and arms its gatehouses; the walls at 31200.
TEST_F(CastleTest, TheSecondRingArmsItsGatehousesThenItsWalls) {
    CastleAt(30001, 320.0f, -300.0f);
    Frame();
    EXPECT_FLOAT_EQ(Castle().heading, kHalfPi);
    EXPECT_NEAR(Castle().speed, 0.7f, 1e-6);
    RunToAge(30499);
    g_GameState.BossActiveFlag = 1;
    Frame();  // 30500
    EXPECT_EQ(Castle().age, 31001);
    EXPECT_EQ(g_GameState.StageScriptPhase, 14);
    EXPECT_EQ(g_GameState.StageScriptFrame, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    for (const i32 r : {13, 14, 15}) EXPECT_EQ(Root(r).action, 1021) << r;
    EXPECT_EQ(Root(16).action, 0);
    RunToAge(31199);
    Frame();  // 31200
    for (const i32 r : {9, 10, 11}) EXPECT_EQ(Root(r).action, 1020) << r;
    EXPECT_EQ(Root(12).action, 1022);
}

TEST_F(CastleTest, StoryFlag94IsSetAt30500ForAFullRunWithEveryHubDown) {
    struct Case {
        i32 killsA, startKind, continues, gameMode;
        u8 flag;
    };
    const Case cases[] = {
        {8, kStartFullRun, 3, kGameModeNormal, 1},     {7, kStartFullRun, 3, kGameModeNormal, 0},
        {8, kStartStageSelect, 3, kGameModeNormal, 0}, {8, kStartFullRun, 2, kGameModeNormal, 0},
        {8, kStartFullRun, 2, kGameModeReplay, 1},     {9, kStartFullRun, 3, kGameModeDemo, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.killsA << " " << c.startKind << " " << c.continues << " " << c.gameMode);
        Restart();
        CastleAt(30500, 320.0f, 50.0f);
        g_GameState.KillCountA = c.killsA;
        g_GameState.StartKind = c.startKind;
        g_GameState.Continues = c.continues;
        g_GameState.GameMode = c.gameMode;
        Frame();
        EXPECT_EQ(g_GameState.StoryFlags[kStoryLastBossEarned], c.flag);
    }
}

TEST_F(CastleTest, TheSecondRingLoopsFrom38200BackTo34600) {
    CastleAt(38199, 320.0f, 50.0f);
    Frame();
    EXPECT_EQ(Castle().age, 38200);
    Frame();
    EXPECT_EQ(Castle().age, 34601);
    // The sway: x by 0.2 cos(2 pi (age - 31000) / 450), y by 0.2 sin(.../ 600).
    const f32 x = Castle().x;
    const f32 y = Castle().y;
    Frame();  // 34601
    EXPECT_NEAR(Castle().x - x, 0.2 * std::cos(2.0 * M_PI * 3601.0 / 450.0), 5e-5);
    EXPECT_NEAR(Castle().y - y, 0.2 * std::sin(2.0 * M_PI * 3601.0 / 600.0), 5e-5);
}

TEST_F(CastleTest, SixTurretsDownWithSixHubsWholeBringTheCoreWithBonusE) {
    CastleAt(35000, 320.0f, 50.0f);
    g_GameState.KillCountB = 6;
    Destroy({9, 10, 11, 13, 14});
    Frame();
    EXPECT_EQ(Castle().age, 35001);  // one still stands
    Destroy({15});
    const i32 score = Score();
    Frame();
    EXPECT_EQ(Castle().state, 1001);
    EXPECT_EQ(Castle().age, 40001);
    EXPECT_EQ(CountEffects(63), 1);
    // 10 ((m / 4 + 1) n + 45 (m + 20) + 40 lives).
    EXPECT_EQ(Score() - score, 10 * (45 * 21 + 120));
}

// Too few hubs down whole: the castle falls at once (DestroyEnemy), its 40000
// window and the core's action never come. Its root parts die alone; what
// they carry fights on.
TEST_F(CastleTest, SixTurretsDownWithoutSixHubsWholeEndTheCastleAtOnce) {
    CastleAt(35000, 320.0f, 50.0f);
    g_GameState.KillCountB = 5;
    Child(2, 0).action = 1004;
    Destroy({9, 10, 11, 13, 14, 15});
    g_GameState.StageScriptPhase = 12;
    Frame();
    EXPECT_EQ(Castle().state, 1099);
    EXPECT_EQ(Castle().age, 1);
    EXPECT_EQ(Castle().corePart, -1);
    EXPECT_EQ(g_GameState.StageScriptPhase, 14);
    EXPECT_EQ(Root(0).action, 11);
    EXPECT_EQ(Root(17).action, 0);
    EXPECT_EQ(Root(17).state, -1);
    for (i32 r = 1; r <= 8; ++r) EXPECT_EQ(Root(r).state, -1) << r;
    EXPECT_EQ(Child(2, 0).state, 1);
    EXPECT_EQ(Child(2, 0).action, 1004);
    EXPECT_EQ(Child(0, 5).state, 1);  // a gate of the keep
    EXPECT_EQ(g_MusicState.requested, 0);
    EXPECT_EQ(SoundEffectGates[kSoundSenGeBom05], 0);
}

TEST_F(CastleTest, TheCoreOpensAt40300AndTheCastleSways) {
    CastleAt(40001, 320.0f, 50.0f);
    g_GameState.BossActiveFlag = 0;
    Frame();
    EXPECT_FLOAT_EQ(Castle().heading, -kHalfPi);
    EXPECT_NEAR(Castle().speed, 130.0f / 300.0f, 1e-6);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    RunToAge(40299);
    Root(17).timer = 5;
    Frame();  // 40300
    EXPECT_EQ(Castle().age, 41001);
    EXPECT_EQ(Root(17).action, 1100);
    EXPECT_EQ(Root(17).timer, 0);
    for (const i32 c : {6, 7, 8}) EXPECT_EQ(Child(0, c).action, 1010) << c;
    for (const i32 c : {0, 1, 2, 3, 4, 5, 9, 10, 11}) EXPECT_EQ(Child(0, c).action, 0) << c;
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_NEAR(Castle().y, -80.0f, 1e-3);  // 300 moves, 40001..40300: there
    const f32 x = Castle().x;
    const f32 y = Castle().y;
    Frame();  // 41001
    EXPECT_NEAR(Castle().x - x, 0.2 * std::sin(2.0 * M_PI / 450.0), 5e-5);
    EXPECT_NEAR(Castle().y - y, 0.2 * std::sin(2.0 * M_PI / 600.0), 5e-5);
    // It stays in 1001 whatever its age.
    RunToAge(60000);
    EXPECT_EQ(Castle().state, 1001);
}

// The core's fall: the collision pass calls DestroyEnemy, which sends the
// castle to 1099.
TEST_F(CastleTest, TheCoresFallSendsTheCastleTo1099) {
    CastleAt(42000, 320.0f, -80.0f);
    Root(17).state = -1;
    DestroyEnemy(0);
    EXPECT_EQ(Castle().state, 1099);
    EXPECT_EQ(Castle().age, 0);
    EXPECT_EQ(Castle().corePart, -1);
}

// 1099 on both values of story flag 94.
TEST_F(CastleTest, ItSinksAndLeavesWithAFlash) {
    struct Case {
        bool earned;
        i32 talk;
        u8 flag;
        u8 bossActive;
        i32 music;
        i32 firstSink;  // the first age whose step moves it down
    };
    const Case cases[] = {
        {true, 493, 1, 1, 18, 201},
        {false, 496, 0, 0, 0, 701},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.earned);
        Restart();
        CastleAt(1, 320.0f, 100.0f);
        Castle().state = 1099;
        Castle().corePart = -1;
        g_GameState.KillCountA = c.earned ? 8 : 3;
        g_GameState.StoryFlags[kStoryLastBossEarned] = c.earned ? 0 : 1;  // 1099 decides it afresh
        g_GameState.BossActiveFlag = 0;
        QuietTalk();
        const i32 score = Score();
        Frame();  // age 1
        EXPECT_EQ(CountEffects(64), 1);
        // 15 ((m / 4 + 1) n + 20 (lives + 2 m + 30)).
        EXPECT_EQ(Score() - score, 15 * 20 * (3 + 2 + 30));
        EXPECT_EQ(g_TalkState.eventId, c.talk);
        EXPECT_EQ(g_GameState.StoryFlags[kStoryLastBossEarned], c.flag);
        EXPECT_EQ(g_GameState.BossActiveFlag, c.bossActive);
        EXPECT_EQ(g_MusicState.requested, c.music);
        EXPECT_FLOAT_EQ(Castle().speed, 0.25f);
        RunToAge(c.firstSink - 1);
        EXPECT_FLOAT_EQ(Castle().y, 100.0f);
        Frame();
        EXPECT_FLOAT_EQ(Castle().y, 100.25f);
        EXPECT_FLOAT_EQ(Castle().speed, 0.255f);
        i32 frames = 0;
        while (!g_EnemyList.empty() && frames < 2000) {
            Frame();
            ++frames;
        }
        ASSERT_TRUE(g_EnemyList.empty());
        EXPECT_EQ(TransitionState.running, 1);
        EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
        EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
        EXPECT_EQ(SoundEffectGates[kSoundSenGeBom05], 0);
    }
}

TEST_F(CastleTest, ItsSinkingBurstsEvery25FramesAndShakesEvery50) {
    CastleAt(1, 320.0f, 100.0f);
    Castle().state = 1099;
    Castle().corePart = -1;
    RunToAge(99);
    g_EffectList.clear();
    std::vector<std::pair<i32, i32>> bursts;  // (age, explosions)
    for (i32 age = 100; age <= 520; ++age) {
        const std::size_t before = g_EffectList.size();
        g_GameState.ScreenShakeTimer = 0;
        const u32 seed = RandomGetState();
        Frame();
        const i32 n = static_cast<i32>(g_EffectList.size() - before);
        if (n != 0) {
            bursts.push_back({age, n});
            // Each burst: its centre's two draws and three per explosion.
            EXPECT_EQ(DrawsSince(seed), n / 10 * 32) << age;
            EXPECT_EQ(g_GameState.ScreenShakeTimer, age % 50 == 0 ? 50 : 0) << age;
        }
    }
    std::vector<std::pair<i32, i32>> want;
    for (i32 age = 100; age <= 500; age += 25) want.push_back({age, age % 50 == 0 ? 20 : 10});
    EXPECT_EQ(bursts, want);
}

}  // namespace
