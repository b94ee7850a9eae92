// The timeline of stage index 2: the route switch, the waves and missions of
// both routes, the mid-boss phases, the bosses' arrival and the background
// sections.
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using stage1_test::DrawsSince;

class Stage3TimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 2;
        RegisterStageScript(2, RunStage3Script);
        g_GameState.StageBannerTimer = -1;
        StageRandomSeed(&g_StageRandomState, 0);
        g_PlayerState[0].x = 320.0f;
        g_PlayerState[0].y = 400.0f;
        g_GameState.BackgroundScrollY = 1;  // off the seams unless a test says so
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // Runs the script until (and including) the call that sees `last`; the
    // enemies are not stepped, so every spawn stays in the list.
    void RunThrough(i32 last) {
        const i32 phase = g_GameState.StageScriptPhase;
        while (g_GameState.StageScriptFrame <= last && g_GameState.StageScriptPhase == phase) RunStageScript();
    }
    i32 Count(i32 kind, i32 state) const {
        i32 n = 0;
        for (const Enemy& e : g_EnemyList) n += (e.state == state && (kind == 0 || KindOf(e) == kind)) ? 1 : 0;
        return n;
    }
    // The kind of a spawned enemy by the sprite kind of its first root part.
    static i32 KindOf(const Enemy& e) {
        const i32 sprite = g_EnemyPartPool[e.rootParts[0]].spriteKind;
        switch (sprite) {
            case 321: return 1;
            case 327: return 2;
            case 335: return 3;
            case 397:
            case 398:
            case 399: return 5;
            case 338: return 8;
            default: return -sprite;
        }
    }
    // An enemy in `state` that keeps the list from being empty.
    i32 Occupy(i32 state = 325) {
        const i32 e = SpawnEnemyStage3(1);
        g_EnemyList[static_cast<std::size_t>(e)].state = state;
        return e;
    }
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
};

TEST_F(Stage3TimelineTest, TheJetComesAtFrame50AndThePlayerCanSwitchRoutesAt150) {
    struct Case {
        i32 phase;
        f32 x, y;
        i32 phaseAfter, jetState;
    };
    const Case cases[] = {
        {15, 420.0f, 400.0f, 15, 380},  // x must exceed 420
        {15, 421.0f, 400.0f, 16, 381},
        {16, 320.0f, 200.0f, 16, 381},  // y must be below 200
        {16, 320.0f, 199.0f, 15, 380},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " with the player at " << c.x << ", " << c.y);
        Restart();
        Enter(c.phase, 1);
        RunThrough(149);
        ASSERT_EQ(g_EnemyList.size(), 1u);
        const Enemy& jet = g_EnemyList[0];
        EXPECT_FLOAT_EQ(jet.x, 380.0f);
        EXPECT_FLOAT_EQ(jet.y, -50.0f);
        EXPECT_FLOAT_EQ(jet.heading, -kHalfPi);
        EXPECT_FLOAT_EQ(jet.speed, 8.0f);
        g_PlayerState[0].x = c.x;
        g_PlayerState[0].y = c.y;
        RunStageScript();  // frame 150
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phaseAfter);
        EXPECT_EQ(g_GameState.StageScriptFrame, 151);  // the switch keeps the frame
        EXPECT_EQ(g_EnemyList[0].state, c.jetState);
        EXPECT_EQ(g_TalkState.eventId, 302);
    }
    // A switch with no enemy left changes the route alone.
    Restart();
    Enter(15, 150);
    g_PlayerState[0].x = 500.0f;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 16);
    EXPECT_TRUE(g_EnemyList.empty());
}

TEST_F(Stage3TimelineTest, TheBannerAndTheOpeningFightersOfEachRoute) {
    // Route A: from the left on multiples of 80, from the right on the other
    // multiples of 40, at y 100 + R(150) of the stage generator.
    Enter(15, 399);
    const u32 engine = RandomGetState();
    RunThrough(900);
    EXPECT_EQ(g_GameState.StageBannerTimer, 0);
    EXPECT_EQ(DrawsSince(engine), 0);    // no draw of the engine generator
    ASSERT_EQ(g_EnemyList.size(), 11u);  // ten fighters and the wing craft
    i32 left = 0;
    for (const Enemy& e : g_EnemyList) {
        if (KindOf(e) != 1) continue;
        EXPECT_EQ(e.state, 327);
        EXPECT_GE(e.y, 100.0f);
        EXPECT_LT(e.y, 250.0f);
        if (e.x < 0.0f) {
            ++left;
            EXPECT_FLOAT_EQ(e.heading, 0.0f);
        } else {
            EXPECT_FLOAT_EQ(e.x, 650.0f);
            EXPECT_FLOAT_EQ(e.heading, -kPi);
        }
    }
    EXPECT_EQ(left, 5);
    // The wing craft at 700: large and unarmed.
    const Enemy& wing = g_EnemyList[5];
    EXPECT_EQ(wing.state, 340);
    EXPECT_FLOAT_EQ(wing.scale, 1.5f);
    EXPECT_EQ(wing.active, 0);
    EXPECT_FLOAT_EQ(wing.x, 320.0f);

    // Route B: kind 1 in 325 every 40 frames at x 170 + R(300).
    Restart();
    Enter(16, 499);
    RunThrough(900);
    EXPECT_EQ(Count(1, 325), 10);
    for (const Enemy& e : g_EnemyList) {
        EXPECT_GE(e.x, 170.0f);
        EXPECT_LT(e.x, 470.0f);
        EXPECT_FLOAT_EQ(e.y, -50.0f);
    }
}

TEST_F(Stage3TimelineTest, RouteStartsEndWhenTheFieldIsClear) {
    // Route A waits for a clear of 341 to jump to 1500, then leaves for 17
    // on an empty field, setting story flag 49.
    Enter(15, 901);
    Occupy(341);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 1501);
    g_EnemyList.clear();
    RunStageScript();  // frame 1501, empty
    EXPECT_EQ(g_GameState.StageScriptPhase, 17);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageRouteA], 1);
    // A wing craft still flying holds the jump.
    Restart();
    Enter(15, 901);
    Occupy(340);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 902);
    // Route B leaves for 18 after frame 1000.
    Restart();
    Enter(16, 1000);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 16);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 18);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageRouteA], 0);
}

TEST_F(Stage3TimelineTest, Phase17MissionsAndTheGunshipInPlaceOfTheSecond) {
    Enter(17, 99);
    RunThrough(200);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 500);
    EXPECT_EQ(g_TalkState.eventId, 301);
    ASSERT_EQ(g_EnemyList.size(), 2u);
    EXPECT_FLOAT_EQ(g_EnemyList[0].x, 220.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].x, 420.0f);
    EXPECT_EQ(g_EnemyList[1].state, 313);
    // Both barges sinking as wrecks: the mission completes, the frame jumps.
    for (Enemy& e : g_EnemyList) e.state = 312;
    g_TalkState.active = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    EXPECT_EQ(g_GameState.BonusCount, 1);
    EXPECT_EQ(g_GameState.StageScriptFrame, 1001);
    EXPECT_EQ(g_TalkState.eventId, 320);

    // After the second wing pair: with story flag 6 the gunship phase 32,
    // otherwise the second mission at 6100 at once.
    for (const bool flag6 : {true, false}) {
        SCOPED_TRACE(flag6);
        Restart();
        g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = flag6 ? 1 : 0;
        Enter(17, 5401);
        Occupy(341);
        RunStageScript();
        if (flag6) {
            EXPECT_EQ(g_GameState.StageScriptPhase, 32);
            EXPECT_EQ(g_GameState.StageScriptFrame, 1);
        } else {
            EXPECT_EQ(g_GameState.StageScriptFrame, 6101);
            EXPECT_EQ(Count(0, 313), 1);
            EXPECT_EQ(g_GameState.MissionTimer.remaining, 500);
        }
    }
    // Past 6000 the flag no longer matters: the mission comes at 6100.
    Restart();
    g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = 1;
    Enter(17, 6000);
    Occupy(341);
    RunThrough(6100);
    EXPECT_EQ(g_GameState.StageScriptPhase, 17);
    EXPECT_EQ(Count(0, 313), 1);
}

TEST_F(Stage3TimelineTest, EmptyFieldsJumpToTheNextWaveAndItsSpawnRunsAtOnce) {
    struct Case {
        i32 phase, frame, frameAfter;
        i32 kind, state;  // spawned by the landing frame's row
    };
    const Case cases[] = {
        {17, 1701, 2001, 23, 311},  // 2000: the barge from below
        {17, 2101, 5001, 1, 325},   // 5000: the first fighter
        {18, 2501, 4001, 32, 301},  // 4000: the fortress (no flag 6)
        {28, 500, 1001, 0, 0},      // 1000 via section 33: the mission
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.phase << " at " << c.frame);
        Restart();
        Enter(c.phase, c.frame);
        if (c.phase == 28) g_GameState.BackgroundSection = 33;
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptFrame, c.frameAfter);
        if (c.kind != 0) {
            ASSERT_EQ(g_EnemyList.size(), 1u);
            EXPECT_EQ(g_EnemyList[0].state, c.state);
        }
    }
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 600);
}

TEST_F(Stage3TimelineTest, Phase18FortressesAndTheGunshipOnTheSecondRoute) {
    Enter(18, 1);
    RunThrough(200);
    EXPECT_EQ(Count(0, 301), 1);  // kind 31 at (320, -100), put at the front
    EXPECT_EQ(g_EnemyList[0].spawnId, 311);
    EXPECT_EQ(g_TalkState.eventId, 303);
    // A fortress sinking as a wreck (305) with nothing else about: on to 2000.
    g_EnemyList.erase(g_EnemyList.begin() + 1, g_EnemyList.end());
    g_EnemyList[0].state = 305;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 2001);
    ASSERT_EQ(g_EnemyList.size(), 2u);
    EXPECT_FLOAT_EQ(g_EnemyList[1].y, -8.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[1].scale, 1.5f);
    // Flag 6 sends the field to the gunship phase 31, which ends in 20.
    Restart();
    g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = 1;
    Enter(18, 2501);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 31);
    RunThrough(10);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 281);
    EXPECT_FLOAT_EQ(g_EnemyList[0].speed, 9.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, -200.0f);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_TalkState.eventId, 310);
    RunThrough(100);
    EXPECT_EQ(g_GameState.StageScriptPhase, 31);
    g_EnemyList.clear();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 20);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
    // The timed wave: the fortress and four sweeps from the sides.
    Restart();
    Enter(18, 3999);
    RunThrough(5300);
    EXPECT_EQ(Count(0, 301), 1);
    EXPECT_EQ(Count(1, 327), 20);  // 5 + 5 + 5 + 5; 5100 sends one of each
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 1600);
}

TEST_F(Stage3TimelineTest, PausesAndGunshipPhasesLeadToTheFirstBoss) {
    struct Case {
        i32 phase, next;
    };
    for (const Case& c : {Case{19, 21}, Case{20, 22}, Case{32, 19}}) {
        SCOPED_TRACE(c.phase);
        Restart();
        Enter(c.phase, 100);
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phase);
        if (c.phase == 32) g_EnemyList.clear();
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, c.next);
    }
}

TEST_F(Stage3TimelineTest, TheJetPhaseSkipsAFrameOnItsJumpAndChoosesItsTalk) {
    Enter(21, 401);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 1001);
    EXPECT_TRUE(g_EnemyList.empty());
    RunThrough(1050);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 382);
    EXPECT_FLOAT_EQ(g_EnemyList[0].x, 480.0f);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    // The talk at 1150 by story flag 6 and the misses.
    struct Case {
        u8 flag6;
        i32 misses, talk;
    };
    for (const Case& c : {Case{0, 1, 304}, Case{0, 2, 307}}) {
        SCOPED_TRACE(c.talk);
        Restart();
        g_GameState.MissCount = c.misses;
        g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = c.flag6;
        Enter(22, 1150);
        RunStageScript();
        EXPECT_EQ(g_TalkState.eventId, c.talk);
    }
    // The crate comes whenever the scroll stands at 120 within 1120-1239.
    Restart();
    Enter(22, 1119);
    g_GameState.BackgroundScrollY = 120;
    RunStageScript();
    EXPECT_TRUE(g_EnemyList.empty());
    RunStageScript();
    RunStageScript();
    EXPECT_EQ(Count(8, 333), 2);
    EXPECT_EQ(g_EnemyList[0].spawnId, 0);
    // After 1400 on an empty field: 24, the boss flag down.
    Restart();
    Enter(22, 1401);
    g_GameState.BossActiveFlag = 1;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 24);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
}

TEST_F(Stage3TimelineTest, Phase23CratesInThreeLanesAndTheBargeMission) {
    Enter(23, 599);
    RunThrough(650);
    // 600: lane 520 + R(60); 615: 290 + R(60); 630: 120 - R(60); 650. The
    // crates go to the front: the latest first.
    std::vector<f32> xs;
    for (const Enemy& e : g_EnemyList)
        if (KindOf(e) == 8) xs.push_back(e.x);
    ASSERT_EQ(xs.size(), 4u);
    EXPECT_GE(xs[3], 520.0f);
    EXPECT_LT(xs[3], 580.0f);
    EXPECT_GE(xs[2], 290.0f);
    EXPECT_LT(xs[2], 350.0f);
    EXPECT_LE(xs[1], 120.0f);
    EXPECT_GT(xs[1], 60.0f);
    // The mission at 1000 (its talk only without flag 6); completed while it
    // runs and every enemy is a wreck or a crate.
    Restart();
    Enter(23, 1000);
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 500);
    EXPECT_EQ(g_TalkState.eventId, 324);
    Restart();
    g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = 1;
    Enter(23, 1000);
    RunStageScript();
    EXPECT_EQ(g_TalkState.active, 0);
    Enter(23, 1201);
    for (Enemy& e : g_EnemyList)
        if (e.state == 313) e.state = 312;  // the barge sinking; a crate at 1000 besides
    Occupy(333);
    RunStageScript();
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    EXPECT_EQ(g_GameState.BonusCount, 1);
    EXPECT_EQ(g_TalkState.eventId, 322);
}

TEST_F(Stage3TimelineTest, Phase24TheLongCraftPassesAndSection30EndsTheWait) {
    Enter(24, 1000);
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 2u);  // a fighter, and the long craft put at the front
    EXPECT_EQ(g_EnemyList[0].spawnId, 301);
    EXPECT_EQ(g_EnemyList[0].state, 303);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, 1080.0f);
    EXPECT_EQ(g_EnemyList[0].active, 0);
    // 1501-1999: section 30 jumps to 2000 and nothing else runs that frame.
    Enter(24, 1601);
    g_GameState.BackgroundSection = 30;
    const std::size_t before = g_EnemyList.size();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 2001);
    EXPECT_EQ(g_EnemyList.size(), before);
    EXPECT_EQ(g_GameState.BackgroundSection, 30);  // off the seam: no chain step
    // The swervers of 2150-2350 from both sides.
    Restart();
    Enter(24, 2149);
    RunThrough(2350);
    EXPECT_EQ(Count(3, 330), 10);  // 2160 .. 2340
    EXPECT_EQ(Count(3, 331), 11);  // 2150 .. 2350
    for (const Enemy& e : g_EnemyList) {
        if (e.state == 330) {
            EXPECT_GE(e.x, -50.0f);
            EXPECT_LT(e.x, 50.0f);
        } else {
            EXPECT_GE(e.x, 590.0f);
        }
        EXPECT_LT(e.y, 50.0f);
    }
}

TEST_F(Stage3TimelineTest, Phase25RepeatsItsBargeWindowsUntilTheFieldIsEmpty) {
    Enter(25, 999);
    Occupy(315);
    RunStageScript();  // 999: back to 600
    EXPECT_EQ(g_GameState.StageScriptFrame, 601);
    RunThrough(998);
    EXPECT_EQ(g_GameState.StageScriptFrame, 999);
    EXPECT_EQ(g_EnemyList.size(), 1u);  // nothing spawned again on the way
    g_EnemyList.clear();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 1001);
    // The second window repeats from 1100, then 2000.
    Enter(25, 1999);
    Occupy(315);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 1101);
    g_EnemyList.clear();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptFrame, 2001);
    // After 2100 on an empty field: the boss phase, BossActiveFlag up.
    Enter(25, 2101);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 29);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    // The fortress passes as scenery from below at frame 10.
    Restart();
    Enter(25, 10);
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 359);
    EXPECT_EQ(g_EnemyList[0].spawnId, 303);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, 780.0f);
    EXPECT_EQ(g_EnemyList[0].active, 0);
}

TEST_F(Stage3TimelineTest, Phase26BringsTheMidBossOnFourBuoysShotDown) {
    Enter(26, 499);
    RunThrough(750);
    const f32 xs[6] = {150, 490, 250, 390, 200, 440};
    i32 n = 0;
    for (const Enemy& e : g_EnemyList) {
        if (e.state != 328) continue;
        EXPECT_FLOAT_EQ(e.x, xs[n]);
        EXPECT_FLOAT_EQ(e.y, 550.0f);
        EXPECT_FLOAT_EQ(e.heading, -kHalfPi);
        ++n;
    }
    EXPECT_EQ(n, 6);
    // After 2400: more than 3 kills of the buoys bring phase 33.
    for (const i32 kills : {3, 4}) {
        SCOPED_TRACE(kills);
        Restart();
        g_GameState.KillCountA = kills;
        Enter(26, 2401);
        Occupy();
        RearmSoundEffectGates();
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, kills > 3 ? 33 : 26);
        if (kills > 3) {
            EXPECT_EQ(g_TalkState.eventId, 395);
        }
    }
    // Otherwise from 2601 on an empty field: 28.
    Restart();
    Enter(26, 2600);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 26);
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 28);
}

TEST_F(Stage3TimelineTest, Phase33ShakesAndBreaksInWithTheMidBoss) {
    Enter(33, 1);
    RunThrough(99);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 49);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    const u32 seed = RandomGetState();
    RunStageScript();  // 100
    ASSERT_EQ(g_EnemyList.size(), 1u);
    const Enemy& boss = g_EnemyList[0];
    EXPECT_EQ(boss.spawnId, 390);
    EXPECT_EQ(boss.state, 101);
    EXPECT_FLOAT_EQ(boss.speed, 12.0f);
    EXPECT_FLOAT_EQ(boss.y, -20.0f);
    EXPECT_EQ(boss.active, 0);
    EXPECT_EQ(DrawsSince(seed), 60);
    ASSERT_EQ(g_EffectList.size(), 20u);
    for (std::size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(g_EffectList[k].age, -2 * static_cast<i32>(k));
        EXPECT_GE(g_EffectList[k].x, 140.0f);
        EXPECT_LE(g_EffectList[k].x, 500.0f);
    }
    g_EnemyList.clear();
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 28);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
}

TEST_F(Stage3TimelineTest, TheBossesArriveAndAFullPoolHoldsTheirFrame) {
    // Route B: the long craft at 2000 of phase 28.
    Enter(28, 1999);
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 301);
    EXPECT_EQ(g_EnemyList[0].state, 390);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, -100.0f);
    EXPECT_EQ(g_EnemyList[0].active, 0);
    EXPECT_EQ(g_EnemyList[0].counter, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    // Route A: the fortress at 10 of phase 29.
    Restart();
    Enter(29, 9);
    RunStageScript();
    RunStageScript();
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 303);
    EXPECT_EQ(g_EnemyList[0].state, 1300);
    EXPECT_FLOAT_EQ(g_EnemyList[0].y, -300.0f);
    EXPECT_FLOAT_EQ(g_EnemyList[0].speed, 5.0f);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(g_TalkState.eventId, 384);
    // A pool too full for the boss holds the frame until it fits.
    for (const i32 phase : {28, 29}) {
        SCOPED_TRACE(phase);
        Restart();
        while (CountFreePartSlots() >= 23) ASSERT_GE(SpawnEnemyStage3(2), 0);
        while (CountFreePartSlots() > 5) ASSERT_GE(SpawnEnemyStage3(1), 0);
        const std::size_t size = g_EnemyList.size();
        Enter(phase, phase == 28 ? 2000 : 10);
        RunStageScript();
        RunStageScript();
        EXPECT_EQ(g_EnemyList.size(), size);
        EXPECT_EQ(g_GameState.StageScriptFrame, phase == 28 ? 2000 : 10);
        ResetPlayLists();  // room again: the held frame spawns it
        RunStageScript();
        ASSERT_EQ(g_EnemyList.size(), 1u);
        EXPECT_EQ(g_EnemyList[0].state, phase == 28 ? 390 : 1300);
        EXPECT_EQ(g_GameState.StageScriptFrame, phase == 28 ? 2001 : 11);
    }
}

TEST_F(Stage3TimelineTest, BackgroundSectionsChangeAtSeams) {
    struct Case {
        i32 phase, frame, section, scrollY, scrollX, after;
    };
    const Case cases[] = {
        // clang-format off
        {24, 1501, 0, 960, 640, 30},   // at a seam with the field scrolled over
        {24, 1501, 0, 960, 639, 0},
        {24, 1500, 0, 960, 640, 0},    // frame must exceed 1500
        {24, 1600, 30, 960, 640, 31},  // the chain
        {28, 1, 32, 480, 640, 33},
        {28, 1, 32, 480, 600, 32},     // the phase-28 row skips the chain
        {20, 1, 32, 480, 600, 32},     // no chain step from 32
        {23, 501, 0, 480, 0, 50},
        {23, 500, 0, 480, 0, 0},
        {25, 501, 51, 480, 0, 40},
        {25, 500, 51, 480, 0, 51},     // no chain step from 51
        {25, 10, 40, 480, 0, 41},
        {30, 10, 33, 480, 0, 34},
        {30, 10, 34, 481, 0, 34},      // off the seam
        {17, 10, 50, 0, 0, 51},
        {17, 10, 35, 480, 0, 35},      // 35 ends its chain
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "phase " << c.phase << " frame " << c.frame << " section " << c.section);
        Restart();
        Enter(c.phase, c.frame);
        Occupy();
        g_GameState.BackgroundSection = c.section;
        g_GameState.BackgroundScrollY = c.scrollY;
        g_GameState.BackgroundScrollX = c.scrollX;
        RunStageScript();
        EXPECT_EQ(g_GameState.BackgroundSection, c.after);
    }
}

}  // namespace
