#include <cmath>
#include <limits>
#include <cstring>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/enemy_runtime.h"
#include "game/shell/sound_effects.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

struct Visit {
    i32 spriteKind;
    i32 timer;
    i32 hitTimer;
    f32 x;
    f32 y;
    f32 angle;
    i32 difficulty;
};
std::vector<Visit> g_visits;

// Notes every part the frame hands to the actions; action 50 turns its part.
void RecordActions(PartFrame& f) {
    g_visits.push_back(
        {f.part->spriteKind, f.part->timer, f.part->hitTimer, f.pos[0], f.pos[1], f.angle, f.difficulty});
    if (f.part->action == 50) f.part->angle += 1.0f;
}

class PartStepTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_visits.clear();
    }
    // Steps every root part of the enemy with the recorder.
    void Step(i32 enemy, i32 difficulty = 0) {
        for (const i32 root : g_EnemyList[static_cast<std::size_t>(enemy)].rootParts) {
            if (root == kNoPart) break;
            const f32 pos[2] = {g_EnemyList[static_cast<std::size_t>(enemy)].x,
                                g_EnemyList[static_cast<std::size_t>(enemy)].y};
            const f32 angle = g_EnemyList[static_cast<std::size_t>(enemy)].rotation;
            StepPartFrame(RecordActions, difficulty, enemy, &g_EnemyPartPool[root], pos, &angle);
        }
    }
};

TEST_F(PartStepTest, ChildrenAreSteppedBeforeTheirParentDepthFirstInListOrder) {
    // Root 10 has children 11 (with child 12) and 13; root 20 comes second.
    Build(TableKind({TablePart(12, 0, 0), TablePart(11, 0, 0, {0}), TablePart(13, 0, 0), TablePart(10, 0, 0, {1, 2}),
                     TablePart(20, 0, 0)},
                    {3, 4}),
          200, 100);
    Step(0, 7);
    std::vector<i32> order;
    for (const Visit& v : g_visits) {
        order.push_back(v.spriteKind);
        EXPECT_EQ(v.difficulty, 2);  // any value but 0 and 1 is HARD
    }
    EXPECT_EQ(order, (std::vector<i32>{12, 11, 13, 10, 20}));
}

TEST_F(PartStepTest, TimerGrowsBeforeTheActionAndTheHitTimerRunsDownToZero) {
    Build(TableKind({TablePart(10, 0, 0)}, {0}), 200, 100);
    Part(0).hitTimer = 2;
    Part(0).state = -1;  // destroyed parts are stepped all the same
    for (int i = 0; i < 4; ++i) Step(0);
    ASSERT_EQ(g_visits.size(), 4u);
    const i32 timers[] = {1, 2, 3, 4};
    const i32 hitTimers[] = {1, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(g_visits[static_cast<std::size_t>(i)].timer, timers[i]);
        EXPECT_EQ(g_visits[static_cast<std::size_t>(i)].hitTimer, hitTimers[i]);
    }
}

TEST_F(PartStepTest, WorldFrameIsScaledTurnedAndFixedBeforeTheAction) {
    // Scale 0.5: offset (40, 0) under the enemy's pi/2 sits 20 below it. The
    // parent turns itself (action 50); its child follows from the next frame.
    PartSpec parent = TablePart(10, 40, 0, {0});
    parent.action = 50;
    Build(TableKind({TablePart(11, 20, 0), parent}, {1}), 200, 100, kPi / 2, 0.5f);
    Step(0);
    ASSERT_EQ(g_visits.size(), 2u);
    const Visit child = g_visits[0];
    const Visit root = g_visits[1];
    EXPECT_NEAR(root.x, 200.0f, 1e-4f);
    EXPECT_NEAR(root.y, 120.0f, 1e-4f);
    EXPECT_EQ(root.angle, kPi / 2);
    EXPECT_NEAR(child.x, 200.0f, 1e-4f);
    EXPECT_NEAR(child.y, 130.0f, 1e-4f);
    g_visits.clear();
    Step(0);
    EXPECT_EQ(g_visits[1].angle, 1.0f + kPi / 2);  // the turn shows now
    EXPECT_NEAR(g_visits[0].x, 200.0f + 10.0f * std::cos(1.0f + kPi / 2), 1e-3f);
    EXPECT_NEAR(g_visits[0].y, 120.0f + 10.0f * std::sin(1.0f + kPi / 2), 1e-3f);
}

TEST_F(PartStepTest, AFullChildListIsSteppedToItsEnd) {
    std::vector<PartSpec> parts;
    std::vector<i32> children;
    for (i32 i = 0; i < 20; ++i) {
        parts.push_back(TablePart(100 + i, 0, 0));
        children.push_back(i);
    }
    parts.push_back(TablePart(1, 0, 0, children));
    Build(TableKind(parts, {20}), 200, 100);
    Step(0);
    EXPECT_EQ(g_visits.size(), 21u);
    EXPECT_EQ(g_visits[19].spriteKind, 119);
}

struct WreckCase {
    i32 stage;
    i32 action;
    i32 timer;  // the timer the action sees
    f32 scale;
    i32 effects;  // effects spawned
    i32 kind;     // their kind
    i32 draws;    // generator draws
};

TEST_F(PartStepTest, WreckActionsOfEveryStage) {
    const f32 nan = std::numeric_limits<f32>::quiet_NaN();
    const WreckCase cases[] = {
        {0, 11, 15, 1.0f, 1, 12, 3}, {1, 12, 30, 1.0f, 1, 12, 3}, {2, 13, 45, 1.0f, 1, 9, 3},
        {0, 13, 16, 1.0f, 0, 0, 0},  {0, 14, 15, 1.0f, 0, 0, 0},  {2, 15, 15, 1.0f, 0, 0, 0},
        {3, 11, 15, 1.0f, 1, 12, 3}, {3, 14, 15, 1.0f, 2, 9, 6},  {3, 14, 10, 1.0f, 0, 0, 0},
        {3, 15, 15, 1.0f, 0, 0, 0},  {4, 14, 10, 0.9f, 1, 9, 3},  {4, 14, 10, 0.89f, 0, 0, 0},
        {4, 14, 10, nan, 0, 0, 0},   {4, 14, 15, 1.0f, 0, 0, 0},  {4, 15, 30, 1.0f, 1, 9, 3},
    };
    for (const WreckCase& c : cases) {
        ResetPlayLists();
        g_EffectList.clear();
        PartSpec wreck = TablePart(10, 0, 0);
        wreck.action = c.action;
        wreck.timer = c.timer - 1;
        Build(TableKind({wreck}, {0}), 200, 100, 0.0f, c.scale);
        Part(0).state = -1;
        RandomSeed(9);
        PartFrame f;
        f.enemy = 0;
        f.part = &Part(0);
        f.pos[0] = 200;
        f.pos[1] = 100;
        f.part->timer += 1;
        RunActionByTable(*StageContents()[static_cast<std::size_t>(c.stage)].actions, f);
        const u32 after = RandomGetState();
        RandomSeed(9);
        for (i32 i = 0; i < c.draws; ++i) RandomNext();
        EXPECT_EQ(RandomGetState(), after) << "stage " << c.stage << " action " << c.action;
        ASSERT_EQ(static_cast<i32>(g_EffectList.size()), c.effects) << "stage " << c.stage << " action " << c.action;
        for (const Effect& e : g_EffectList) EXPECT_EQ(e.kind, c.kind);
    }
}

TEST_F(PartStepTest, WreckPointsAndJitter) {
    // Stage index 3's action 14 at world angle 0: (0, +-50), jitter +-15 in
    // the order x, y, then the angle; stage index 4's 60 pixels ahead.
    PartSpec wreck = TablePart(10, 0, 0);
    wreck.action = 14;
    wreck.timer = 14;
    Build(TableKind({wreck}, {0}), 200, 100, 0.0f);
    RandomSeed(3);
    const f32 pos[2] = {200, 100};
    const f32 angle = 0.0f;
    StepPartFrame(RunPartActionStage4, 0, 0, &Part(0), pos, &angle);
    RandomSeed(3);
    ASSERT_EQ(g_EffectList.size(), 2u);
    // Kind 9 goes to the front of the list: the second effect is first.
    const f32 x1 = RandomFloat(-15, 15);
    const f32 y1 = RandomFloat(-15, 15);
    const f32 a1 = RandomFloat(-kPi, kPi);
    const f32 x2 = RandomFloat(-15, 15);
    const f32 y2 = RandomFloat(-15, 15);
    EXPECT_EQ(g_EffectList[1].x, 200.0f + x1);
    EXPECT_EQ(g_EffectList[1].y, 150.0f + y1);
    EXPECT_EQ(g_EffectList[1].param, a1);
    EXPECT_EQ(g_EffectList[1].extra, -1);
    EXPECT_EQ(g_EffectList[0].x, 200.0f + x2);
    EXPECT_EQ(g_EffectList[0].y, 50.0f + y2);

    g_EffectList.clear();
    Part(0).timer = 9;
    const f32 down = kPi / 2;
    StepPartFrame(RunPartActionStage5, 0, 0, &Part(0), pos, &down);
    ASSERT_EQ(g_EffectList.size(), 1u);
    EXPECT_NEAR(g_EffectList[0].x, 200.0f, 15.01f);
    EXPECT_NEAR(g_EffectList[0].y, 160.0f, 15.01f);
}

TEST_F(PartStepTest, RegisteredStepsServeEveryStageAndDifficultyWithTheirOwnWrecks) {
    RegisterStages();
    // Action 15 smokes in stage index 4 only.
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        for (i32 difficulty : {0, 1, 2, 5}) {
            ResetPlayLists();
            PartSpec wreck = TablePart(10, 0, 0);
            wreck.action = 15;
            wreck.timer = 14;
            Build(TableKind({wreck}, {0}), 200, 100);
            g_GameState.StageIndex = stage;
            g_GameState.Difficulty = difficulty;
            const f32 pos[2] = {200, 100};
            const f32 angle = 0.0f;
            DispatchStepPart(0, &Part(0), pos, &angle);
            EXPECT_EQ(Part(0).timer, 15);
            EXPECT_EQ(g_EffectList.size(), stage == 4 ? 1u : 0u) << stage << " " << difficulty;
        }
    }
}

TEST_F(PartStepTest, BulletsShellsAndTheFireSound) {
    const f32 p[2] = {10, 20};
    FireBullet(3, 4.5f, 2, 1.0f, p);
    FireBullet(4, 2.0f, 0, 1.0f, p, 0.5f, 7);
    ASSERT_EQ(g_EnemyBulletList.size(), 2u);
    EXPECT_EQ(g_EnemyBulletList[0].kind, 3);
    EXPECT_EQ(g_EnemyBulletList[0].rotation, 1.0f);
    EXPECT_EQ(g_EnemyBulletList[0].hitShape.radius, DefaultHitShapes[2].radius);
    EXPECT_EQ(g_EnemyBulletList[1].rotation, 0.5f);
    EXPECT_EQ(g_EnemyBulletList[1].age, 7);
    EXPECT_EQ(g_EnemyBulletList[1].hitShape.halfWidth, DefaultHitShapes[0].halfWidth);
    FireShell({.kind = 20, .hp = 30, .speed = -1.0f, .strength = 2, .shape = {4, 8, 0}, .angle = 0.3f, .heading = 0.3f},
              p);
    ASSERT_EQ(g_EnemyShellList.size(), 1u);
    EXPECT_EQ(g_EnemyShellList[0].hp, 30);
    EXPECT_EQ(g_EnemyShellList[0].speed, -1.0f);
    EXPECT_EQ(g_EnemyShellList[0].hitShape.halfHeight, 8.0f);
    // A shell made by ShellOf flies the way it faces.
    const ShellShot made = ShellOf(20, 30, -1.0f, 2, {4, 8, 0}, 0.3f);
    EXPECT_EQ(made.heading, 0.3f);
    EXPECT_EQ(made.angle, 0.3f);
    EXPECT_EQ(made.age, 0);
    FireShell(made, p);
    EXPECT_EQ(std::memcmp(&g_EnemyShellList[0], &g_EnemyShellList[1], sizeof(EnemyShell)), 0);
    RearmSoundEffectGates();
    PlayShellSound();
    EXPECT_EQ(SoundEffectGates[1], 0) << "the shell sound played and closed its gate";

    ClearSoundEffectStamps();
    std::vector<i32> played;
    for (i32 frame = 1; frame <= 12; ++frame) {
        RearmSoundEffectGates();
        g_GameState.FrameCounter = frame;
        PlayFireSound();
        if (GetSoundEffectStamp(15) == frame) played.push_back(frame);
    }
    EXPECT_EQ(played, (std::vector<i32>{4, 8, 12}));
    const i32 table[3] = {10, 20, 30};
    PartFrame f;
    f.difficulty = 2;
    EXPECT_EQ(ByDifficulty(f, table), 30);
}

TEST_F(PartStepTest, ASoundGateTestsOneEffectsStampAndStampsTheEffectItPlays) {
    struct Case {
        i32 tested, gap, played;
        i32 stamp15, stamp16;  // stamps before the call, at frame 100
        bool plays;
    };
    const Case cases[] = {
        {15, 4, 15, 96, 0, true},  {15, 4, 15, 97, 0, false},  {15, 2, 16, 98, 0, true},
        {15, 2, 16, 99, 0, false}, {15, 2, 16, 99, 10, false}, {16, 5, 16, 0, 95, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tested << ", " << c.gap << ", " << c.played << " at " << c.stamp15);
        ClearSoundEffectStamps();
        RearmSoundEffectGates();
        SoundEffectStamps[15] = c.stamp15;
        SoundEffectStamps[16] = c.stamp16;
        g_GameState.FrameCounter = 100;
        SpacedSound(c.tested, c.gap, c.played);
        EXPECT_EQ(GetSoundEffectStamp(c.played), c.plays ? 100 : (c.played == 15 ? c.stamp15 : c.stamp16));
        if (c.played != c.tested) {
            EXPECT_EQ(GetSoundEffectStamp(c.tested), c.stamp15) << "the tested stamp is kept";
        }
    }
}

std::vector<i32> g_ran;
void Ran7(PartFrame&) { g_ran.push_back(7); }
void Ran9(PartFrame&) { g_ran.push_back(9); }
constexpr ActionRow kTestActions[] = {{7, Ran7}, {9, Ran9}};
constexpr ActionTable kTestActionTable{.actions = kTestActions};

TEST_F(PartStepTest, AnActionTableRunsTheRowOfThePartsActionAndNothingForOthers) {
    g_ran.clear();
    EnemyPart part;
    PartFrame f;
    f.part = &part;
    for (const i32 action : {9, 0, 8, 7, -1}) {
        part.action = action;
        RunActionByTable(kTestActionTable, f);
    }
    EXPECT_EQ(g_ran, (std::vector<i32>{9, 7}));
    EXPECT_EQ(FindActionRow(kTestActionTable, 8), nullptr);
}

// A broken tree is stepped without a crash: a child index outside the pool
// ends the list as -1 does, and a part that is its own child (or two parts
// that are each other's) is stepped down to the depth limit and no further.
TEST_F(PartStepTest, ABrokenTreeStopsAtABadLinkOrTheDepthLimit) {
    struct Case {
        const char* name;
        i32 label;                // the part whose link is broken
        i32 entry;                // the entry of its child list
        i32 link;                 // the new link; kSelf: the root's own slot
        i32 root, first, second;  // visits of the root (kind 10) and its children (11, 12)
    };
    constexpr i32 kSelf = -100;
    const i32 half = kMaxPartDepth / 2;
    const Case cases[] = {
        {"the pool's size", 2, 1, kEnemyPartPoolSize, 1, 1, 0},
        {"far outside the pool", 2, 0, 5000, 1, 0, 0},
        {"negative but not -1", 2, 1, -7, 1, 1, 0},
        {"the root is its own child", 2, 1, kSelf, kMaxPartDepth, kMaxPartDepth - 1, 0},
        {"the root is its child's child", 0, 0, kSelf, half, half, half},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetPlayLists();
        g_visits.clear();
        Build(TableKind({TablePart(11, 0, 0), TablePart(12, 0, 0), TablePart(10, 0, 0, {0, 1})}, {2}), 200, 100);
        const i32 rootSlot = static_cast<i32>(&Part(2) - g_EnemyPartPool);
        Part(c.label).children[c.entry] = c.link == kSelf ? rootSlot : c.link;
        Step(0);
        i32 visits[3] = {0, 0, 0};
        for (const Visit& v : g_visits) ++visits[v.spriteKind - 10];
        EXPECT_EQ(visits[0], c.root);
        EXPECT_EQ(visits[1], c.first);
        EXPECT_EQ(visits[2], c.second);
    }
}

// A part of an enemy index outside the list is not stepped: its actions read
// the enemy.
TEST_F(PartStepTest, APartOfAnEnemyOutsideTheListIsNotStepped) {
    Build(TableKind({TablePart(10, 0, 0)}, {0}), 200, 100);
    const f32 pos[2] = {200.0f, 100.0f};
    const f32 angle = 0.0f;
    for (const i32 enemy : {-1, 1, 5000}) StepPartFrame(RecordActions, 0, enemy, &Part(0), pos, &angle);
    EXPECT_TRUE(g_visits.empty());
    EXPECT_EQ(Part(0).timer, 0);
}

TEST_F(PartStepTest, AChildThatIsNotThereReadsAsDestroyedAndNotAlive) {
    Build(TableKind({TablePart(11, 0, 0), TablePart(12, 0, 0), TablePart(10, 0, 0, {0, 1})}, {2}), 200, 100);
    Part(1).state = -1;
    Part(2).children[2] = kEnemyPartPoolSize + 5;  // a broken link
    struct Case {
        i32 index;
        bool alive, destroyed;
    };
    const Case cases[] = {{0, true, false}, {1, false, true},  {2, false, true},
                          {3, false, true}, {-1, false, true}, {20, false, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(ChildAlive(Part(2), c.index), c.alive) << c.index;
        EXPECT_EQ(ChildDestroyed(Part(2), c.index), c.destroyed) << c.index;
    }
    EXPECT_EQ(ChildOf(Part(2), 0), &Part(0));
    EXPECT_EQ(ChildOf(Part(2), 2), nullptr);
}

}  // namespace
