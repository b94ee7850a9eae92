// The timeline of stage index 4: the opening's waves, the gate boss, the
// debris road, the approach with its friends and pairs, the route choice,
// the long road, the last waves and the castle's arrival, the background
// sections at seams.
#include <algorithm>
#include <utility>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/enemy_runtime.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/replay.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage5TimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 4;
        RegisterStageScript(4, RunStage5Script);
        RegisterStageScenery(4, &SceneryStage5());  // the scroll the seams follow
        StageRandomSeed(&g_StageRandomState, 0);
        g_GameState.StageBannerTimer = -1;
        g_GameState.BackgroundScrollY = 100;  // no seam
        g_TalkState = TalkState{};
        g_PlayRecord.stageRank = {};
    }
    void TearDown() override {
        g_PlayRecord.stageRank = {};
        g_TalkState = TalkState{};
        EnemyFrameTest::TearDown();
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
    i32 Count(i32 kind, i32 state) const {
        i32 n = 0;
        for (const Enemy& e : g_EnemyList) {
            const bool sameKind = kind < 0 || KindOf(e) == kind;
            n += sameKind && e.state == state ? 1 : 0;
        }
        return n;
    }
    // The enemy kinds by the picture of their first root part.
    static i32 KindOf(const Enemy& e) {
        const i32 sprite = g_EnemyPartPool[e.rootParts[0]].spriteKind;
        switch (sprite) {
            case 402: return 10;
            case 403: return e.spawnId == 411 ? 11 : 12;
            case 405: return 15;
            case 437: return 81;
            case 482: return 9;
            default: return sprite >= 430 && sprite <= 435 ? 80 : -1;
        }
    }
    // A stand-in enemy that keeps the list from being empty.
    void Occupy(u8 active = 1) {
        const i32 e = SpawnEnemyStage5(1);
        ASSERT_GE(e, 0);
        g_EnemyList[static_cast<std::size_t>(e)].active = active;
    }
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
    // Takes every free pool slot but `left`.
    void FillPool(i32 left) {
        while (CountFreePartSlots() > left) ASSERT_GE(SpawnEnemyStage5(1), 0);
    }
};

TEST_F(Stage5TimelineTest, TheOpeningSendsItsShipsAndTalks) {
    RunThrough(1);
    ASSERT_EQ(g_EnemyList.size(), 5u);
    const f32 at[5][2] = {{320, 280}, {240, 250}, {400, 250}, {160, 200}, {480, 200}};
    for (std::size_t i = 0; i < 5; ++i) {
        const Enemy& e = g_EnemyList[i];
        EXPECT_EQ(e.state, 407);
        EXPECT_EQ(e.spawnId, 411);
        EXPECT_EQ(e.active, 0);
        EXPECT_FLOAT_EQ(e.x, at[i][0]);
        EXPECT_FLOAT_EQ(e.y, at[i][1]);
        EXPECT_FLOAT_EQ(e.heading, -kHalfPi);
        EXPECT_FLOAT_EQ(e.rotation, -kHalfPi);
        EXPECT_FLOAT_EQ(e.scale, 0.6f);
        EXPECT_FLOAT_EQ(e.speed, 0.0f);
    }
    RunThrough(100);
    EXPECT_EQ(g_TalkState.eventId, 401);
    // 500..700: the diving ships in turn, with the risers from below.
    RunThrough(800);
    std::vector<f32> divers;
    for (const Enemy& e : g_EnemyList) {
        if (e.state == 408) {
            divers.push_back(e.x);
            EXPECT_FLOAT_EQ(e.rotation, -kHalfPi);
            EXPECT_FLOAT_EQ(e.heading, kHalfPi);
            EXPECT_FLOAT_EQ(e.speed, 7.0f);
        }
    }
    EXPECT_EQ(divers, (std::vector<f32>{160, 400, 240, 480, 320}));
    EXPECT_EQ(Count(12, 403), 16);  // 500, 520, ..., 800: both ends
    EXPECT_EQ(Count(10, 404), 1);   // 800 opens the fighters' window
    for (const Enemy& e : g_EnemyList) {
        if (e.state != 403) continue;
        EXPECT_GE(e.x, 120.0f);
        EXPECT_LT(e.x, 520.0f);
        EXPECT_GE(e.y, 550.0f);
        EXPECT_LT(e.y, 850.0f);
        EXPECT_EQ(e.active, 0);
        EXPECT_FLOAT_EQ(e.scale, 0.6f);
    }
}

// x = 120 + R(400), then y = 550 + R(300), from the stage generator.
TEST_F(Stage5TimelineTest, CoordinatesComeFromTheStageGeneratorXFirst) {
    Enter(0, 520);
    StageRandomSeed(&g_StageRandomState, 0);
    const u32 engine = RandomGetState();
    RunStageScript();  // 520: one riser
    ASSERT_EQ(g_EnemyList.size(), 1u);
    StageRandomSeed(&g_StageRandomState, 0);
    const f32 x = static_cast<f32>(120 + static_cast<i32>(StageRandomBelow(&g_StageRandomState, 400)));
    const f32 y = static_cast<f32>(550 + static_cast<i32>(StageRandomBelow(&g_StageRandomState, 300)));
    EXPECT_FLOAT_EQ(g_EnemyList[0].x, x);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, y);
    EXPECT_EQ(RandomGetState(), engine);
    // 50 - R(200) may be negative.
    Restart();
    Enter(0, 2200);
    Occupy();
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 2u);
    EXPECT_LE(g_EnemyList[1].x, 50.0f);
    EXPECT_GT(g_EnemyList[1].x, -150.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].heading, 0.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].rotation, -kHalfPi);
}

TEST_F(Stage5TimelineTest, TheOpeningsWavesByFrame) {
    struct Case {
        i32 from, to;  // frames run (both included)
        i32 kind, state, count;
    };
    const Case cases[] = {
        // clang-format off
        {801, 1400, 10, 404, 30},   // 820 .. 1400 every 20
        {1401, 1500, -1, 430, 1},   // 1500
        {1501, 1600, -1, 430, 1},   // 1600
        {1600, 1699, 10, 404, 5},   // 1600 .. 1680
        {1700, 1800, 10, 404, 7},   // 1700 from both windows
        {1900, 2000, 10, 404, 5},   // 1900 .. 2000 every 25
        {2200, 2399, 11, 432, 4},
        {2400, 2400, 11, 432, 2},   // both sides at 2400
        {2401, 2600, 11, 432, 4},
        {2401, 2600, 12, 403, 10},
        {2700, 2900, 10, 404, 11},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        Restart();
        Enter(0, c.from);
        Occupy();  // no jump
        RunThrough(c.to);
        EXPECT_EQ(Count(c.kind, c.state), c.count);
    }
    // The kind-21 gunships at 1500, 1600 (x 200, 440) and 1900 (320, -50).
    Restart();
    Enter(0, 1400);
    Occupy();
    RunThrough(1900);
    std::vector<std::pair<f32, f32>> at;
    for (const Enemy& e : g_EnemyList) {
        if (e.state != 430) continue;
        at.push_back({e.x, e.y});
        EXPECT_FLOAT_EQ(e.speed, 8.0f);
    }
    std::sort(at.begin(), at.end());
    EXPECT_EQ(at, (std::vector<std::pair<f32, f32>>{{200, -100}, {320, -50}, {440, -100}}));
}

// An empty field between 2001 and 2199 jumps to 2200, whose side wave comes
// in the same call; past 3000 an empty field opens the gate boss's phase.
TEST_F(Stage5TimelineTest, TheOpeningsJumpAndItsEnd) {
    Enter(0, 2100);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 2201);
    EXPECT_EQ(Count(11, 432), 1);
    Restart();
    Enter(0, 2999);
    RunThrough(3000);
    EXPECT_EQ(g_GameState.StageScriptPhase, 0);
    RunStageScript();  // 3001, empty
    EXPECT_EQ(g_GameState.StageScriptPhase, 29);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    Restart();
    Enter(0, 3001);
    Occupy();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 0);
}

TEST_F(Stage5TimelineTest, TheGateBossComesAtFrame10AndItsPhaseEndsOnAnEmptyField) {
    Enter(29, 1);
    RunThrough(10);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    const Enemy& gate = g_EnemyList[0];
    EXPECT_EQ(gate.spawnId, 490);
    EXPECT_EQ(gate.state, 410);
    EXPECT_EQ(gate.active, 0);
    EXPECT_FLOAT_EQ(gate.x, 320.0f);
    EXPECT_FLOAT_EQ(gate.y, -200.0f);
    EXPECT_FLOAT_EQ(gate.speed, 2.0f);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    RunThrough(500);
    EXPECT_EQ(g_GameState.StageScriptPhase, 29);
    g_EnemyList.clear();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 1);
    EXPECT_EQ(g_GameState.BackgroundSection, 1);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
}

TEST_F(Stage5TimelineTest, AGateBossThePoolCannotHoldIsRetriedEveryFrame) {
    Enter(29, 9);
    FillPool(10);
    const std::size_t size = g_EnemyList.size();
    RunStageScript();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 10);  // held
    EXPECT_EQ(g_EnemyList.size(), size);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
    ReleaseEnemyParts(static_cast<i32>(size) - 1);
    g_EnemyList.pop_back();
    RunStageScript();
    EXPECT_EQ(g_EnemyList.back().spawnId, 490);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_GameState.StageScriptFrame, 11);
    // The phase goes on: a full field keeps it.
    RunThrough(200);
    EXPECT_EQ(g_GameState.StageScriptPhase, 29);
}

// Debris every 10 frames: speed, x, then y drawn; the road ends at section 2.
TEST_F(Stage5TimelineTest, TheDebrisRoadDropsWreckageUntilSectionTwo) {
    Enter(1, 9);
    RandomSeed(31);
    RunStageScript();  // 9: nothing
    EXPECT_TRUE(g_EnemyList.empty());
    RunStageScript();  // 10
    ASSERT_EQ(g_EnemyList.size(), 1u);
    RandomSeed(31);
    const f32 speed = 4.0f + RandomFloat(-2.0f, 1.0f);
    const f32 x = RandomFloat(0.0f, 640.0f);
    const f32 y = -200.0f + RandomFloat(-50.0f, 50.0f);
    const Enemy& d = g_EnemyList[0];
    EXPECT_EQ(d.state, 495);
    EXPECT_FLOAT_EQ(d.speed, speed);
    EXPECT_FLOAT_EQ(d.x, x);
    EXPECT_FLOAT_EQ(d.y, y);
    EXPECT_FLOAT_EQ(d.heading, kHalfPi);
    g_GameState.BackgroundSection = 1;
    RunThrough(400);
    EXPECT_EQ(g_GameState.StageScriptPhase, 1);  // never ends in sections 0 and 1
    EXPECT_EQ(g_EnemyList.size(), 40u);
    g_GameState.BackgroundSection = 2;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 2);
}

// A seam is a frame whose scroll update wrapped past 960, found by the step
// of the section the scroll moved in (section 1 steps 5, so from a scroll
// that is not a multiple of 5 it never lands on 0).
TEST_F(Stage5TimelineTest, SectionsChangeOnTheFramesTheScrollWraps) {
    struct Case {
        i32 phase, section, scroll;
        i32 section2;
        i32 talk;
    };
    const Case cases[] = {
        // clang-format off
        {1, 0, 2, 1, 0},     // step 3: wrapped
        {1, 0, 3, 0, 0},     // not wrapped
        {2, 0, 0, 0, 0},     // 0 to 1 only in phase 1
        {2, 1, 4, 2, 0},     // step 5: 957 + 5 - 960 = 2 is a seam too
        {2, 1, 5, 1, 0},
        {4, 2, 3, 3, 420},   // step 4
        {4, 2, 0, 3, 420},
        {4, 3, 0, 3, 0},     // 3 on only in phase 30
        {30, 3, 0, 4, 0},
        {30, 8, 7, 9, 0},    // step 8
        {30, 9, 0, 9, 0},    // the last
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " section " << c.section << " scroll " << c.scroll);
        Restart();
        Enter(c.phase, 5000);
        Occupy();
        g_GameState.BackgroundSection = c.section;
        g_GameState.BackgroundScrollY = c.scroll;
        RunStageScript();
        EXPECT_EQ(g_GameState.BackgroundSection, c.section2);
        EXPECT_EQ(g_TalkState.eventId, c.talk);
    }
    // Over the frames: from a scroll of 3 in section 1 the seam still comes,
    // 192 frames later.
    Restart();
    Enter(2, 5000);
    Occupy();
    g_GameState.BackgroundSection = 1;
    g_GameState.BackgroundScrollY = 3;
    i32 frames = 0;
    while (g_GameState.BackgroundSection == 1 && frames < 1000) {
        UpdateBackgroundScroll();
        RunStageScript();
        ++frames;
    }
    EXPECT_EQ(frames, 192);
}

TEST_F(Stage5TimelineTest, TheApproachsFirstRowsByFrame) {
    struct Case {
        i32 from, to, kind, state, count;
        bool flag9;
    };
    const Case cases[] = {
        // clang-format off
        {1, 195, 9, 405, 19, true},   // every 5: even F / 5 (10, 20, ..., 190) from the left
        {1, 195, 9, 406, 20, true},   // odd F / 5 (5, 15, ..., 195) from the right
        {1, 195, 9, 405, 0, false},
        {0, 195, 81, 495, 14, false}, // every 15 from 0 (15 .. 195)
        {600, 1400, 10, 431, 13, false},  // 600, 650, 800 .. 1050, 1200 .. 1400
        {1401, 2000, 10, 431, 9, false},  // 1600 .. 2000
        {2200, 2400, 10, 431, 5, false},
        {1400, 1600, 15, 460, 11, false},
        {2000, 2200, 15, 461, 11, false},
        {2600, 2800, 15, 460, 11, false}, // every 20 from the left
        {2600, 2800, 15, 461, 10, false}, // the odd tens from the right
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.state << " in " << c.from << ".." << c.to);
        Restart();
        g_GameState.StoryFlags[9] = c.flag9 ? 1 : 0;
        g_GameState.BackgroundSection = 1;  // no pairs
        Enter(2, c.from);
        Occupy();
        RunThrough(c.to);
        EXPECT_EQ(Count(c.kind, c.state), c.count);
    }
}

// Every kind-15 craft of the approach fires the aimed burst (436).
TEST_F(Stage5TimelineTest, TheApproachsCraftFireTheAimedBurst) {
    g_GameState.BackgroundSection = 1;
    Enter(2, 1400);
    Occupy();
    RunThrough(2800);
    i32 craft = 0;
    for (const Enemy& e : g_EnemyList) {
        if (KindOf(e) != 15) continue;
        ++craft;
        EXPECT_EQ(g_EnemyPartPool[e.rootParts[0]].action, 436);
        EXPECT_FLOAT_EQ(e.heading, -kHalfPi);
        EXPECT_FLOAT_EQ(e.speed, 10.0f);
    }
    EXPECT_EQ(craft, 11 + 11 + 21);
}

// Frame 450 shows the banner; the pair of that frame comes before it.
TEST_F(Stage5TimelineTest, TheApproachShowsTheBannerAt450) {
    g_GameState.BackgroundSection = 3;
    Enter(2, 449);
    Occupy();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageBannerTimer, -1);
    RunStageScript();  // 450
    EXPECT_EQ(g_GameState.StageBannerTimer, 0);
    EXPECT_EQ(g_EnemyList.size(), 3u);
}

// The friend of frame 700: the first whose flags are all set.
TEST_F(Stage5TimelineTest, AFriendComesAt700ByTheStoryFlags) {
    struct Case {
        std::vector<i32> flags;
        i32 spawnKindSprite;  // the friend's picture, 0 none
        i32 state;
        f32 x, speed;
    };
    const Case cases[] = {
        // clang-format off
        {{73, 53, 18, 11}, 460, 481, 50, 5},
        {{73, 18, 11}, 463, 482, 620, -4.5f},
        {{7, 37, 27}, 464, 483, 50, 5},
        {{27}, 467, 482, 620, -4.5f},
        {{73, 7, 11}, 0, 0, 0, 0},
        {{}, 0, 0, 0, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spawnKindSprite);
        Restart();
        for (const i32 f : c.flags) g_GameState.StoryFlags[static_cast<std::size_t>(f)] = 1;
        g_GameState.BackgroundSection = 1;
        Enter(2, 699);
        Occupy();
        RunThrough(700);
        if (c.spawnKindSprite == 0) {
            EXPECT_EQ(g_EnemyList.size(), 1u);
            continue;
        }
        ASSERT_EQ(g_EnemyList.size(), 2u);
        const Enemy& f = g_EnemyList[1];
        EXPECT_EQ(g_EnemyPartPool[f.rootParts[0]].spriteKind, c.spawnKindSprite);
        EXPECT_EQ(f.state, c.state);
        EXPECT_FLOAT_EQ(f.x, c.x);
        EXPECT_FLOAT_EQ(f.speed, c.speed);
        EXPECT_FLOAT_EQ(f.heading, -kHalfPi);
    }
}

// One pair ship drawn whole, in the order the pair writes it.
struct ExpectedShip {
    i32 sprite, state, age;
    f32 speed, scale, x, y;
};
ExpectedShip DrawShip(f32 rate, bool drawX, f32 fixed, i32 threshold, i32 turnState) {
    ExpectedShip s{};
    s.sprite = 430 + RandomInt(0, 59) / 10;
    s.speed = 1.5f + RandomFloat(0.0f, 1.0f);
    s.scale = RandomFloat(-100.0f, 100.0f) * rate;
    if (drawX) {
        s.x = RandomFloat(150.0f, 490.0f);
        s.y = fixed;
    } else {
        s.x = fixed;
        s.y = RandomFloat(0.0f, 480.0f);
    }
    s.state = 490;
    if (threshold >= 0) {
        const i32 roll = RandomInt(0, 100);
        if (roll > threshold) {
            s.state = turnState;
            s.age = RandomInt(0, 200);
        }
    }
    return s;
}

void ExpectShip(const Enemy& e, const ExpectedShip& s, f32 rotation) {
    EXPECT_EQ(g_EnemyPartPool[e.rootParts[0]].spriteKind, s.sprite);
    EXPECT_EQ(e.state, s.state);
    EXPECT_EQ(e.age, s.age);
    EXPECT_FLOAT_EQ(e.speed, s.speed);
    EXPECT_FLOAT_EQ(e.scale, s.scale);
    EXPECT_FLOAT_EQ(e.rotation, rotation);
    EXPECT_FLOAT_EQ(e.heading, kHalfPi);
    EXPECT_FLOAT_EQ(e.x, s.x);
    EXPECT_FLOAT_EQ(e.y, s.y);
    EXPECT_EQ(e.active, 0);
}

TEST_F(Stage5TimelineTest, KindEightyPairsAreDrawnShipByShip) {
    for (u32 seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        // The top-and-bottom pair at 450 of phase 4 (the front takes each new ship).
        Restart();
        Enter(4, 450);
        RandomSeed(seed);
        RunStageScript();
        ASSERT_EQ(g_EnemyList.size(), 3u);  // with the craft of 450
        RandomSeed(seed);
        const ExpectedShip below = DrawShip(0.00002f, true, 520.0f, 60, 491);
        const ExpectedShip above = DrawShip(0.00002f, true, -50.0f, -1, 0);
        ExpectShip(g_EnemyList[1], below, -kHalfPi);
        ExpectShip(g_EnemyList[0], above, kHalfPi);
        // The side pair at 400.
        Restart();
        g_GameState.BackgroundSection = 2;
        Enter(4, 400);
        RandomSeed(seed);
        RunStageScript();
        ASSERT_EQ(g_EnemyList.size(), 3u);  // with the craft of 400
        RandomSeed(seed);
        const ExpectedShip left = DrawShip(0.00005f, false, -50.0f, 70, 491);
        const ExpectedShip right = DrawShip(0.00005f, false, 690.0f, 60, 492);
        ExpectShip(g_EnemyList[1], left, 0.0f);
        ExpectShip(g_EnemyList[0], right, 3.1415927f);
    }
}

// A threshold roll of exactly 60 keeps state 490 and draws no age.
TEST_F(Stage5TimelineTest, ARollOfSixtyKeepsThePairShipWheelingWithoutAnAgeDraw) {
    // A seed whose first ship rolls exactly 60.
    u32 seed = 0;
    for (u32 s = 1; s < 200000 && seed == 0; ++s) {
        RandomSeed(s);
        RandomInt(0, 59);
        RandomFloat(0.0f, 1.0f);
        RandomFloat(-100.0f, 100.0f);
        RandomFloat(150.0f, 490.0f);
        if (RandomInt(0, 100) == 60) seed = s;
    }
    ASSERT_NE(seed, 0u);
    Enter(4, 50);
    RandomSeed(seed);
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 2u);
    EXPECT_EQ(g_EnemyList[1].state, 490);
    EXPECT_EQ(g_EnemyList[1].age, 0);
    // The first ship: picture (2), speed, turn rate, x, roll (2) and no age;
    // the second: picture (2), speed, turn rate, x.
    EXPECT_EQ(enemy_test::DrawsSince(seed), 7 + 5);
}

TEST_F(Stage5TimelineTest, TheRouteChoice) {
    struct Case {
        bool flag38;
        u32 ranks[4];
        i32 phase;
    };
    const Case cases[] = {
        {true, {4, 4, 4, 4}, 5}, {true, {4, 4, 4, 3}, 4}, {false, {5, 5, 5, 5}, 4},
        {true, {5, 5, 5, 1}, 5}, {true, {0, 0, 0, 0}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        Restart();
        g_GameState.StoryFlags[38] = c.flag38 ? 1 : 0;
        for (int s = 0; s < 4; ++s) g_PlayRecord.stageRank[static_cast<std::size_t>(s)] = c.ranks[s];
        Enter(2, 2801);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phase);
        EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    }
}

// After 2800 only an active enemy in a state other than 441 holds the
// choice back; at 4000 nothing does.
TEST_F(Stage5TimelineTest, OnlyActiveEnemiesHoldTheRouteChoiceBack) {
    Enter(2, 2801);
    Occupy(0);  // inactive
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
    Restart();
    Enter(2, 2900);
    Occupy();
    g_EnemyList[0].state = 441;  // a sinking carrier
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
    Restart();
    Enter(2, 2801);
    Occupy();
    RunThrough(3999);
    EXPECT_EQ(g_GameState.StageScriptPhase, 2);
    RunStageScript();  // 4000
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
}

TEST_F(Stage5TimelineTest, TheLongRoadBringsTheFortressAndGoesOnOnceNothingActiveIsLeft) {
    Enter(5, 9);
    RunStageScript();  // 9: nothing
    EXPECT_TRUE(g_EnemyList.empty());
    RunStageScript();  // 10
    EXPECT_EQ(g_TalkState.eventId, 405);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 430);
    EXPECT_EQ(g_EnemyList[0].state, 281);
    EXPECT_FLOAT_EQ(g_EnemyList[0].speed, 9.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, -200.0f);
    // The fortress enters inactive: from 300 the phase may end at once.
    // The pairs' ships go to the front; they are inactive.
    const auto fortress = [] {
        for (Enemy& e : g_EnemyList) {
            if (e.spawnId == 430) return &e;
        }
        return static_cast<Enemy*>(nullptr);
    };
    fortress()->active = 1;
    g_GameState.BackgroundSection = 2;
    RunThrough(399);
    EXPECT_EQ(g_GameState.StageScriptPhase, 5);
    const std::size_t size = g_EnemyList.size();
    fortress()->active = 0;
    RunStageScript();  // 400: phase 4 with F = 0, whose side pair comes at once
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    EXPECT_EQ(g_EnemyList.size(), size + 2);
}

TEST_F(Stage5TimelineTest, TheLastWavesByFrame) {
    g_GameState.BackgroundSection = 1;  // no side pairs
    Enter(4, 1);
    RunThrough(1600);
    EXPECT_EQ(Count(15, 431), 23);
    EXPECT_EQ(Count(-1, 440), 3);
    EXPECT_EQ(Count(80, 490) + Count(80, 491), 10);  // five pairs
    std::vector<f32> carriers;
    for (const Enemy& e : g_EnemyList) {
        if (e.state != 440) continue;
        carriers.push_back(e.x);
        EXPECT_FLOAT_EQ(e.y, -150.0f);
        EXPECT_FLOAT_EQ(e.scale, 1.2f);
        EXPECT_FLOAT_EQ(e.speed, 0.5f);
    }
    std::sort(carriers.begin(), carriers.end());  // each goes before the first active enemy
    EXPECT_EQ(carriers, (std::vector<f32>{210, 320, 430}));
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 2000);
}

// Frame 100 of the last waves: the side pair (section 2 on), the mission,
// a craft and a carrier; the pair's ships at the front, the carrier before
// the first active enemy.
TEST_F(Stage5TimelineTest, Frame100OfTheLastWaves) {
    g_GameState.BackgroundSection = 2;
    Enter(4, 100);
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 4u);
    EXPECT_EQ(KindOf(g_EnemyList[0]), 80);
    EXPECT_EQ(KindOf(g_EnemyList[1]), 80);
    EXPECT_EQ(g_EnemyList[2].state, 440);
    EXPECT_EQ(g_EnemyList[3].state, 431);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 2000);
    Restart();
    g_GameState.BackgroundSection = 1;
    Enter(4, 100);
    RunStageScript();
    EXPECT_EQ(g_EnemyList.size(), 2u);
}

TEST_F(Stage5TimelineTest, TheCastleComesAtFrame3000OrOnceOnlySinkingCarriersAreLeft) {
    Enter(4, 1700);
    Occupy();
    g_EnemyList[0].state = 441;
    g_GameState.MissionTimer.remaining = 500;
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);  // completed
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    ASSERT_EQ(g_EnemyList.size(), 2u);
    const Enemy& castle = g_EnemyList[0];
    EXPECT_EQ(castle.spawnId, 1001);
    EXPECT_EQ(castle.state, 1001);
    EXPECT_EQ(castle.active, 0);
    EXPECT_FLOAT_EQ(castle.x, 320.0f);
    EXPECT_FLOAT_EQ(castle.y, -800.0f);
    EXPECT_FLOAT_EQ(castle.speed, 1.0f);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    // An active enemy in another state holds the waves to 3000.
    Restart();
    Enter(4, 1700);
    Occupy();
    RunThrough(2999);
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
}

// Short of pool slots for the castle's 71 parts, frame 3000 is held and the
// castle tried again every frame.
TEST_F(Stage5TimelineTest, ACastleThePoolCannotHoldIsRetriedEveryFrame) {
    Enter(4, 2999);
    FillPool(70);
    RunStageScript();
    RunStageScript();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 4);
    EXPECT_EQ(g_GameState.StageScriptFrame, 3000);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
    ReleaseEnemyParts(static_cast<i32>(g_EnemyList.size()) - 1);
    g_EnemyList.pop_back();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    EXPECT_EQ(g_EnemyList[0].spawnId, 1001);
}

}  // namespace
