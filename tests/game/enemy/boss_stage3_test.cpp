// The two bosses of stage index 2, driven by destroying their parts in order:
// the long craft's sets, breaks, bonuses and talk to either end (391, 392),
// and the fortress's sets, its shedding, the refilled root slot, the
// background sections and its three ends (1305, 1306, 1307).
#include <initializer_list>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/target_markers.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage3_fixture.h"

namespace {

using stage3_test::Stage3Test;

class Stage3BossTest : public Stage3Test {
protected:
    void SetUp() override {
        Stage3Test::SetUp();
        g_PlayerState[0].shotLevel = 1;  // m = 1
        g_PlayerState[0].lives = 3;      // L = 3
    }
    // The boss as the timeline starts it, at the front of the list.
    i32 SpawnCraft() {
        const i32 e = Spawn(39, 390, 320, -100, 0);
        At(e).active = 0;
        g_GameState.BossActiveFlag = 1;
        return e;
    }
    i32 SpawnFortress() {
        const i32 e = Spawn(40, 1300, 320, -300, 5);
        At(e).active = 0;
        return e;
    }
    // Runs the boss until its step has seen `age`.
    void RunToAge(i32 age) {
        while (At(0).age <= age) Frame();
    }
    void Destroy(std::initializer_list<i32> roots) {
        for (const i32 r : roots) Root(0, r).state = -1;
    }
    EnemyPart& Child(i32 root, i32 c) { return g_EnemyPartPool[Root(0, root).children[c]]; }
    i32 Score() const { return g_PlayerState[0].StageScorePoints; }
    i32 Effects(i32 kind) const {
        i32 n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind ? 1 : 0;
        return n;
    }
    static bool Targeted(const EnemyPart& p) { return p.hitShape.halfWidth > 0 || p.hitShape.radius > 0; }
};

// ---- The long craft ----

TEST_F(Stage3BossTest, TheLongCraftRidesTheScrollAndOpensItsFirstSetAt500) {
    SpawnCraft();
    g_GameState.BackgroundScrollX = 600;
    Frame();
    EXPECT_FLOAT_EQ(At(0).x, 360.0f);  // 960 - 600
    RunToAge(499);
    EXPECT_EQ(At(0).active, 0);
    const std::size_t markers = g_TargetMarkerList.size();
    Frame();  // age 500
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
    EXPECT_EQ(Root(0, 14).action, 1330);
    EXPECT_EQ(g_TargetMarkerList.size(), markers + 6);
    for (i32 c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(Child(14, c).hitShape.halfHeight, 40.0f) << c;
    EXPECT_FLOAT_EQ(Root(0, 12).hitShape.halfWidth, 40.0f);
    EXPECT_FLOAT_EQ(Root(0, 13).hitShape.halfHeight, 15.0f);
    // Everything else cleared: the towers and the hatches cannot be hit.
    for (const i32 r : {0, 2, 5, 8, 11, 14}) EXPECT_FALSE(Targeted(Root(0, r))) << r;
    for (i32 c = 0; c < 4; ++c) EXPECT_FALSE(Targeted(Child(2, c))) << c;
}

TEST_F(Stage3BossTest, TheLongCraftFallsWhenEveryMainTargetIsDown) {
    SpawnCraft();
    RunToAge(500);
    // Set 0 down: set 1 with its talk and the bonus 10 (40 + 30 x 13) = 4300.
    const i32 before = Score();
    Destroy({14});
    QuietTalk();
    Frame();
    EXPECT_EQ(At(0).counter, 1);
    EXPECT_EQ(At(0).age, 1);
    EXPECT_EQ(Score() - before, 4300);
    EXPECT_EQ(g_TalkState.eventId, 308);
    EXPECT_EQ(Effects(63), 1);
    EXPECT_EQ(Root(0, 11).action, 1320);
    EXPECT_FLOAT_EQ(Root(0, 11).hitShape.halfHeight, 50.0f);
    EXPECT_TRUE(Targeted(Root(0, 9)));
    EXPECT_FALSE(Targeted(Root(0, 12)));
    // Middle sets 1, 2 and 3, each broken in time: bonus 10 (200 + 30 x 4).
    struct Set {
        i32 main, next;
    };
    for (const Set& s : {Set{11, 5}, Set{5, 8}, Set{8, 2}}) {
        SCOPED_TRACE(s.main);
        Frames(20);
        const i32 score = Score();
        Destroy({s.main});
        QuietTalk();
        Frame();
        EXPECT_EQ(Score() - score, 2000 + 1200);
        EXPECT_TRUE(Targeted(Root(0, s.next)));
        EXPECT_EQ(Root(0, s.next).action, s.next == 2 ? 1331 : 1320);
    }
    EXPECT_EQ(At(0).counter, 99);
    // Talk 315 came with the first middle break (no hit taken); the last
    // set's 316 (all three down) has no dialogue and starts nothing.
    EXPECT_EQ(g_TalkState.eventId, 315);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageBossUntouchedTalk], 1);
    for (i32 c = 0; c < 4; ++c) EXPECT_TRUE(Targeted(Child(2, c))) << c;
    // The hull down: 391, talk 330, effect 64 and 10 (500 + 30 (3 + 2)).
    Frames(20);
    const i32 score = Score();
    Destroy({2});
    QuietTalk();
    Frame();
    EXPECT_EQ(At(0).state, 391);
    EXPECT_EQ(At(0).active, 0);
    EXPECT_EQ(Score() - score, 6500);
    EXPECT_EQ(Effects(64), 1);
    // It blows apart: three blasts, then the closing fade with talk 307.
    g_EffectList.clear();
    Frames(300);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    EXPECT_EQ(Effects(10), 30);
    QuietTalk();
    EXPECT_EQ(FramesUntilEmpty(400), 301);
    EXPECT_TRUE(TransitionState.running);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(g_TalkState.eventId, 307);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 20);
}

TEST_F(Stage3BossTest, AMiddleSetTimedOutPaysNothingAndTheCraftSinksAway) {
    SpawnCraft();
    RunToAge(500);
    Destroy({14});
    Frame();
    // Set 1 left standing for 1500 frames: set 2 opens without a bonus and
    // the main target turns to plain wobbling.
    RunToAge(1500);
    const i32 score = Score();
    const std::size_t effects = g_EffectList.size();
    Frame();  // age 1501
    EXPECT_EQ(At(0).counter, 2);
    EXPECT_EQ(Score(), score);
    EXPECT_EQ(g_EffectList.size(), effects);
    EXPECT_EQ(Root(0, 11).action, 338);
    EXPECT_EQ(Root(0, 5).action, 1320);
    // The rest broken in time; the last set's talk is 318 with 11 standing.
    Destroy({5});
    Frame();
    Destroy({8});
    QuietTalk();
    Frame();
    EXPECT_EQ(At(0).counter, 99);
    EXPECT_EQ(g_TalkState.eventId, 318);
    Destroy({2});
    QuietTalk();
    Frame();
    EXPECT_EQ(At(0).state, 392);
    EXPECT_EQ(g_TalkState.eventId, 331);
    // It bobs for 300 frames, then sinks ever faster out below y 1500.
    const i32 frames = FramesUntilEmpty(2000);
    EXPECT_GT(frames, 300);
    EXPECT_FALSE(TransitionState.running);
}

TEST_F(Stage3BossTest, ATimedOutSetChainsWhenTheNextMainTargetIsAlreadyDown) {
    SpawnCraft();
    RunToAge(500);
    Destroy({14, 5});  // set 2's main target already down when set 1 opens
    Frame();
    EXPECT_EQ(At(0).counter, 1);
    Destroy({11});
    Frame();
    // Set 1 breaks, and set 2's test sees sub-phase 2 at age 0 with its main
    // target down: set 3 opens in the same step.
    EXPECT_EQ(At(0).counter, 3);
    EXPECT_EQ(Root(0, 8).action, 1320);
}

TEST_F(Stage3BossTest, ThreeHitsInTheBossPhasesBringTalk317Once) {
    SpawnCraft();
    RunToAge(500);
    Destroy({14});
    Frame();
    g_GameState.BossPhaseMissCount = 3;
    QuietTalk();
    Frame();
    EXPECT_EQ(g_TalkState.eventId, 317);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageBossMissesTalk], 1);
    // With flag 66 set it does not come again.
    QuietTalk();
    g_TalkState.eventId = 0;
    Frame();
    EXPECT_EQ(g_TalkState.eventId, 0);
}

TEST_F(Stage3BossTest, TheLongCraftKeepsThePlayerAtADistance) {
    SpawnCraft();
    RunToAge(500);
    Destroy({14});
    Frame();
    Frames(100);                  // the descent of set 1 done
    g_PlayerState[0].y = 100.0f;  // high: the craft is pulled down by min(1, 1.5)
    f32 y = At(0).y;
    g_GameState.FrameCounter = 0;  // the bob: sin(0)
    Frame();
    EXPECT_FLOAT_EQ(At(0).y, y + 1.0f);
    g_PlayerState[0].y = 480.0f;  // low: pushed up by (480 - 380) 0.01
    At(0).y = 360.0f;
    g_GameState.FrameCounter = 0;
    Frame();
    EXPECT_FLOAT_EQ(At(0).y, 359.0f);
}

// ---- The fortress ----

TEST_F(Stage3BossTest, TheFortressFirstSetOpensAt300AndBreaksWithABonus) {
    SpawnFortress();
    Frame();
    Frame();  // age 1: speed 1
    EXPECT_FLOAT_EQ(At(0).speed, 1.0f);
    RunToAge(299);
    const std::size_t markers = g_TargetMarkerList.size();
    Frame();  // age 300: the opening
    EXPECT_EQ(At(0).age, 1001);
    EXPECT_FLOAT_EQ(At(0).speed, 0.0f);
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(g_TargetMarkerList.size(), markers + 4);
    EXPECT_EQ(Root(0, 10).action, 1301);
    const i32 timers[4] = {0, 30, 10, 20};
    const i32 roots[4] = {8, 9, 11, 12};
    for (i32 i = 0; i < 4; ++i) {
        EXPECT_EQ(Root(0, roots[i]).action, 1302);
        EXPECT_EQ(Root(0, roots[i]).timer, timers[i]) << roots[i];
    }
    for (const i32 r : {0, 4, 6, 10}) EXPECT_FALSE(Targeted(Root(0, r))) << r;
    // Three of four down: nothing; the fourth: 1301, bonus 4300.
    Destroy({8, 9, 11});
    Frame();
    EXPECT_EQ(At(0).state, 1300);
    const i32 score = Score();
    Destroy({12});
    Frame();
    EXPECT_EQ(At(0).state, 1301);
    EXPECT_EQ(At(0).active, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(Root(0, 10).action, 370);
    EXPECT_EQ(Score() - score, 4300);
}

TEST_F(Stage3BossTest, TheFortressSecondAndThirdSetsTalkByTheMisses) {
    for (const i32 misses : {0, 1}) {
        SCOPED_TRACE(misses);
        Restart();
        SpawnFortress();
        At(0).state = 1301;
        g_GameState.BossPhaseMissCount = misses;
        RunToAge(200);
        EXPECT_EQ(Root(0, 4).action, 1303);
        EXPECT_EQ(Root(0, 5).action, 1304);
        EXPECT_EQ(Root(0, 13).action, 1310);
        EXPECT_FLOAT_EQ(Root(0, 4).hitShape.radius, 50.0f);
        EXPECT_TRUE(Targeted(Root(0, 0)));
        Destroy({4, 5, 13});
        QuietTalk();
        g_TalkState.eventId = 0;
        Frame();
        EXPECT_EQ(At(0).state, 1302);
        EXPECT_EQ(g_TalkState.eventId, misses == 0 ? 385 : 0);
    }
    // The third set backs up by 0.5 a frame until it opens at 200.
    const f32 y = At(0).y;
    Frames(2);
    EXPECT_FLOAT_EQ(At(0).speed, -0.5f);
    RunToAge(200);
    EXPECT_EQ(Root(0, 10).action, 1306);
    EXPECT_EQ(Root(0, 6).action, 1307);
    EXPECT_LT(At(0).y, y);
    Destroy({6, 7});
    QuietTalk();
    Frame();
    EXPECT_EQ(At(0).state, 1303);
    EXPECT_EQ(g_TalkState.eventId, 381);
}

TEST_F(Stage3BossTest, TheFortressShedsItsPartsAndRefillsItsLastRootSlot) {
    SpawnFortress();
    At(0).state = 1303;
    At(0).y = 160.0f;
    RunToAge(299);
    EXPECT_FLOAT_EQ(At(0).y, 150.0f);  // down to 150 by 1 a frame, then held
    g_EffectList.clear();
    Frame();  // age 300
    EXPECT_FLOAT_EQ(At(0).y, 100.0f);
    EXPECT_EQ(Effects(10), 40);
    for (i32 r = 0; r <= 3; ++r) {
        EXPECT_EQ(Root(0, r).state, 2);
        EXPECT_EQ(Root(0, r).hp, 1);
        EXPECT_EQ(Root(0, r).coinValue, 0);
    }
    for (i32 r = 4; r <= 7; ++r) {
        EXPECT_EQ(Root(0, r).state, 2);
        EXPECT_EQ(Root(0, r).action, 1309);
        EXPECT_EQ(Root(0, r).timer, 20 * (r - 4));
        EXPECT_EQ(Root(0, r).coinValue, 4);
    }
    RunToAge(499);
    Frame();  // age 500: the domes back at half strength, the centre armed
    EXPECT_EQ(At(0).state, 1304);
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(g_GameState.BackgroundSection, 43);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    for (i32 r = 4; r <= 7; ++r) {
        EXPECT_EQ(Root(0, r).state, 1);
        EXPECT_EQ(Root(0, r).maxHp, 1500);
        EXPECT_EQ(Root(0, r).hp, 1500);
    }
    EXPECT_EQ(Root(0, 10).action, 1306);
    EXPECT_FLOAT_EQ(Root(0, 10).hitShape.radius, 50.0f);
    // Age 200 of 1304: the old part of slot 13 goes back to the pool and a
    // new one (kind 355) takes the slot.
    const i32 old = At(0).rootParts[13];
    RunToAge(199);
    const i32 free = CountFreePartSlots();
    Frame();
    const i32 slot = At(0).rootParts[13];
    EXPECT_EQ(slot, old);  // the released slot is the first free one
    EXPECT_EQ(CountFreePartSlots(), free);
    const EnemyPart& p = g_EnemyPartPool[slot];
    EXPECT_EQ(p.spriteKind, 355);
    EXPECT_EQ(p.hp, 2400);
    EXPECT_EQ(p.action, 374);
    EXPECT_EQ(p.scoreValue, 500);
    EXPECT_FLOAT_EQ(p.hitShape.halfWidth, 70.0f);
    EXPECT_FLOAT_EQ(p.gaugeOffsetY, -30.0f);
    EXPECT_EQ(p.children[0], kNoPart);
    EXPECT_EQ(Root(0, 10).action, 375);
    // Age 501 jumps to 1000; the sections then go 44 and 45 and stay.
    RunToAge(500);
    Frame();
    EXPECT_EQ(At(0).age, 1001);
    EXPECT_EQ(g_GameState.BackgroundSection, 43);
    Frame();
    EXPECT_EQ(g_GameState.BackgroundSection, 44);
    Frames(3);
    EXPECT_EQ(g_GameState.BackgroundSection, 45);
}

TEST_F(Stage3BossTest, AFullPoolLeavesTheRefilledSlotEmpty) {
    // Slot 13 already empty and no free slot in the pool: nothing is written
    // through the refused allocation.
    SpawnFortress();
    At(0).state = 1304;
    At(0).age = 200;
    At(0).rootParts[13] = kNoPart;
    for (EnemyPart& part : g_EnemyPartPool) part.inUse = 1;
    Frame();
    EXPECT_EQ(At(0).rootParts[13], kNoPart);
    EXPECT_EQ(Root(0, 10).action, 375);
    Frames(5);
    EXPECT_EQ(g_EnemyList.size(), 1u);
}

TEST_F(Stage3BossTest, TheFortressEndsByItsCentreItsDomesOrBeingPushedOff) {
    struct Case {
        const char* what;
        i32 end;
        i32 bonus;
        i32 talk;
    };
    for (const Case& c : {Case{"centre", 1305, 6500, 388}, Case{"domes", 1306, 6500, 386}}) {
        SCOPED_TRACE(c.what);
        Restart();
        SpawnFortress();
        At(0).state = 1304;
        At(0).age = 1100;
        At(0).y = 200.0f;
        At(0).active = 1;
        const i32 score = Score();
        if (c.end == 1305) {
            Destroy({10});
        } else {
            Destroy({4, 5, 6, 7});
        }
        Frame();
        EXPECT_EQ(At(0).state, c.end);
        EXPECT_EQ(At(0).active, 0);
        EXPECT_EQ(Score() - score, c.bonus);
        EXPECT_EQ(Root(0, 13).action, 0);
        if (c.end == 1305) {
            for (i32 r = 0; r <= 13; ++r) EXPECT_EQ(Root(0, r).state, -1) << r;
        }
        RunToAge(49);
        QuietTalk();
        Frame();
        EXPECT_EQ(g_TalkState.eventId, c.talk);
        const i32 frames = FramesUntilEmpty(1000);
        EXPECT_EQ(frames, c.end == 1305 ? 550 : 650);
        EXPECT_EQ(TransitionState.running != 0, c.end == 1305);
    }
    // Pushed above y 50: talk 387 and unarmed; above y -200 after age 1000:
    // 1307, no bonus; it falls back and blows up at y 700.
    Restart();
    SpawnFortress();
    At(0).state = 1304;
    At(0).age = 1100;
    At(0).y = 45.0f;
    At(0).active = 1;
    Root(0, 4).action = 1309;
    QuietTalk();
    Frame();
    EXPECT_EQ(At(0).active, 0);
    EXPECT_EQ(Root(0, 4).action, 0);
    EXPECT_EQ(g_TalkState.eventId, 387);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageFortressPushedOff], 1);
    At(0).y = -210.0f;
    const i32 score = Score();
    Frame();
    EXPECT_EQ(At(0).state, 1307);
    EXPECT_EQ(Score(), score);
    for (i32 r = 0; r <= 13; ++r) EXPECT_EQ(Root(0, r).state, -1) << r;
    EXPECT_EQ(Root(0, 5).action, 11);
    ASSERT_GT(FramesUntilEmpty(3000), 0);
    EXPECT_TRUE(TransitionState.running);
}

TEST_F(Stage3BossTest, TheFortressPushedOffIsNotAlsoTakenForDestroyed) {
    // Exit 1 wrecks every root part; exit 3 (centre destroyed, with a bonus)
    // must not follow it in the same step.
    SpawnFortress();
    At(0).state = 1304;
    At(0).age = 1100;
    At(0).y = -250.0f;
    g_GameState.StoryFlags[kStoryThirdStageFortressPushedOff] = 1;
    const i32 score = Score();
    Frame();
    EXPECT_EQ(At(0).state, 1307);
    EXPECT_EQ(Score(), score);
    EXPECT_EQ(Effects(64), 0);
}

}  // namespace
