#include <gtest/gtest.h>

#include "engine/core/random.h"
#include "game/play/effects.h"
#include "tests/game/play/enemyrt_fixture.h"

namespace {

using enemyrt_test::PlayFixture;

class EffectsTest : public PlayFixture {
protected:
    static const Effect* Find(i32 kind) {
        for (const Effect& e : g_EffectList)
            if (e.kind == kind) return &e;
        return nullptr;
    }
    // Updates until the only effect is gone; the number of the update that
    // removed it.
    static int Lifetime(i32 kind) {
        const f32 pos[2] = {300, 200};
        g_EffectList.clear();
        SpawnEffect(kind, pos, 0.5f, -1);
        g_EffectList[0].age = 0;  // kind 31 starts at a random age
        for (int n = 1; n <= 1000; ++n) {
            UpdateEffects();
            if (g_EffectList.empty()) return n;
        }
        return -1;
    }
};

TEST_F(EffectsTest, SpawnPlacesKindsAtTheFrontOrBackAndAnswersTheLastIndex) {
    const f32 pos[2] = {10, 20};
    EXPECT_EQ(SpawnEffect(10, pos, 0, -1), 0);
    EXPECT_EQ(SpawnEffect(10, pos, 0, -1), 1);
    EXPECT_EQ(SpawnEffect(9, pos, 0.25f, 4), 2);  // the last index, not the new effect's
    EXPECT_EQ(g_EffectList[0].kind, 9);
    EXPECT_EQ(g_EffectList[0].layer, -1);
    EXPECT_EQ(g_EffectList[0].param, 0.25f);
    EXPECT_EQ(g_EffectList[0].extra, 4);
    EXPECT_EQ(g_EffectList[0].alpha, 1.0f);
    EXPECT_EQ(SpawnEffect(500, pos, 0, -1), 2);  // unknown kinds are not stored
    EXPECT_EQ(SpawnEffect(999, pos, 0, -1), 2);
    g_EffectList.clear();
    EXPECT_EQ(SpawnEffect(7, pos, 0, -1), -1);

    struct Case {
        i32 kind;
        i32 layer;
        f32 scale;
        f32 y;
    };
    const Case cases[] = {{20, 0, 0.5f, 10},   {21, 0, 0.5f, -10}, {22, 1, 0.5f, 20}, {23, 0, 0.5f, 20},
                          {44, 1, 2.0f, 20},   {66, 1, 2.0f, 20},  {90, 1, 1.0f, 20}, {102, 0, 0.9f, 20},
                          {1005, 1, 2.0f, 20}, {16, 0, 1.0f, 20}};
    for (const Case& c : cases) {
        g_EffectList.clear();
        SpawnEffect(c.kind, pos, 0, -1);
        ASSERT_EQ(g_EffectList.size(), 1u) << c.kind;
        EXPECT_EQ(g_EffectList[0].layer, c.layer) << c.kind;
        EXPECT_EQ(g_EffectList[0].scale, c.scale) << c.kind;
        EXPECT_EQ(g_EffectList[0].y, c.y) << c.kind;
    }
}

TEST_F(EffectsTest, LifetimesPerKindInSinglePrecision) {
    const std::pair<i32, int> cases[] = {
        {9, 34},  {12, 34},  {10, 29},  {11, 20},  {13, 40}, {14, 14}, {16, 51},  {19, 6},   {31, 41},  {41, 71},
        {47, 71}, {61, 122}, {62, 125}, {65, 122}, {66, 72}, {90, 71}, {101, 41}, {102, 34}, {103, 51}, {1005, 122},
    };
    for (const auto& [kind, updates] : cases) EXPECT_EQ(Lifetime(kind), updates) << "kind " << kind;
}

TEST_F(EffectsTest, ATokenStartsAtARandomAgeButLivesFortyOneUpdates) {
    const f32 pos[2] = {0, 0};
    RandomSeed(99);
    const i32 expected = RandomInt(0, 7);
    RandomSeed(99);
    SpawnEffect(31, pos, 0, -1);
    EXPECT_EQ(g_EffectList[0].age, expected);
    int n = 0;
    while (!g_EffectList.empty() && n < 100) {
        UpdateEffects();
        ++n;
    }
    EXPECT_EQ(n, 41);
}

TEST_F(EffectsTest, BannersRestJustBelowScaleOne) {
    const f32 pos[2] = {0, 0};
    SpawnEffect(1005, pos, 0, -1);
    for (int i = 0; i < 10; ++i) UpdateEffects();
    EXPECT_EQ(g_EffectList[0].scale, 0.99999976f);
    UpdateEffects();
    EXPECT_EQ(g_EffectList[0].scale, 0.99999976f);
}

TEST_F(EffectsTest, ADelayedEffectOnlyCountsUpAndIsNotDrawn) {
    const f32 pos[2] = {300, 200};
    const i32 i = SpawnEffect(10, pos, 0, -1);
    g_EffectList[static_cast<std::size_t>(i)].age = -2;
    PlayQuadList quads;
    CollectEffectQuads(0, quads);
    EXPECT_TRUE(quads.empty());
    UpdateEffects();
    UpdateEffects();
    EXPECT_EQ(g_EffectList[0].age, 0);
    EXPECT_EQ(g_EffectList[0].alpha, 1.0f);
    CollectEffectQuads(0, quads);
    EXPECT_EQ(quads.size(), 1u);
    UpdateEffects();
    EXPECT_EQ(g_EffectList[0].alpha, 1.0f - 0.035f);
}

TEST_F(EffectsTest, AMissileBlastPutsOneFrameShotsOfAlternatingDamage) {
    const f32 pos[2] = {300, 210};
    SpawnEffect(20, pos, 0, 0);
    std::vector<i32> damages;
    for (int frame = 0; frame < 60; ++frame) {
        g_PlayerShotList.clear();
        UpdateEffects();
        for (const PlayerShot& s : g_PlayerShotList) {
            EXPECT_EQ(s.kind, 100);
            EXPECT_EQ(s.hitShape.radius, 50.0f);
            EXPECT_EQ(s.x, 300.0f);
            EXPECT_EQ(s.y, 200.0f);
            EXPECT_EQ(s.consumeOnHit, 0);
            damages.push_back(s.damage);
        }
        EXPECT_LE(g_PlayerShotList.size(), 1u);
    }
    ASSERT_GT(damages.size(), 10u);
    for (std::size_t k = 1; k < damages.size(); ++k) EXPECT_NE(damages[k], damages[k - 1]);
}

TEST_F(EffectsTest, AnEnemyExplosionHurtsFromAgeTwelveToNinetyEight) {
    const f32 pos[2] = {300, 200};
    SpawnEffect(22, pos, 0, -1);
    std::vector<i32> ages;
    for (int frame = 0; frame < 130; ++frame) {
        const i32 age = g_EffectList[0].age;
        g_EnemyBulletList.clear();
        UpdateEffects();
        if (!g_EnemyBulletList.empty()) {
            EXPECT_EQ(g_EnemyBulletList[0].kind, 999);
            EXPECT_EQ(g_EnemyBulletList[0].hitShape.radius, 80.0f);
            ages.push_back(age);
        }
    }
    ASSERT_FALSE(ages.empty());
    EXPECT_EQ(ages.front(), 12);
    EXPECT_EQ(ages.back(), 98);
    EXPECT_EQ(ages.size(), 44u);
}

TEST_F(EffectsTest, ScorePopupGeometry) {
    const f32 pos[2] = {305, 260};
    SpawnEffect(1005, pos, 0, -1);
    PlayQuadList q;
    CollectEffectQuads(1, q);
    ASSERT_EQ(q.size(), 3u);  // two caps and one digit
    EXPECT_EQ(q[0].destination.left, 305 - 4 * 24 - 72);
    EXPECT_EQ(q[1].destination.left, 305 + 4 * 24 - 72);
    EXPECT_EQ(q[2].destination.left, 305 - 30);
    EXPECT_EQ(q[2].source.left, 125);
    // At rest: caps 35 x 20 offset 11 per step, digits 14 x 20 spaced 11.
    g_EffectList.clear();
    SpawnEffect(1000 + 42, pos, 0, -1);
    for (int i = 0; i < 50; ++i) UpdateEffects();
    q.clear();
    CollectEffectQuads(1, q);
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(q[0].destination.left, 305 - 11 * 5 - 35);
    EXPECT_EQ(q[0].destination.top, 260 - 20);
    EXPECT_EQ(q[2].source.left, 50);  // the units digit 2 first, on the right
    EXPECT_EQ(q[2].destination.left, 305 + 11 - 14);
    EXPECT_EQ(q[3].source.left, 100);
    EXPECT_EQ(q[3].destination.left, 305 - 11 - 14);
    // At age 100: caps 36 x 21 offset 12, digits 15 x 21 spaced 15.
    g_EffectList[0].age = 100;
    q.clear();
    CollectEffectQuads(1, q);
    EXPECT_EQ(q[0].destination.left, 305 - 12 * 5 - 36);
    EXPECT_EQ(q[0].destination.bottom, 260 + 21);
    EXPECT_EQ(q[2].destination.left, 305 + 15 - 15);
}

TEST_F(EffectsTest, ChainLevelEightSwapsItsCellByTheStageFrame) {
    const f32 pos[2] = {300, 200};
    SpawnEffect(47, pos, 0, -1);
    PlayQuadList q;
    g_GameState.FrameCounter = 4;
    CollectEffectQuads(1, q);
    g_GameState.FrameCounter = 5;
    CollectEffectQuads(1, q);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].source.left, 440);
    EXPECT_EQ(q[1].source.left, 260 + 60 * 2);
    EXPECT_EQ(q[1].source.top, 290);
}

TEST_F(EffectsTest, FieldKindsFollowTheScrollAndBannersDoNot) {
    const f32 pos[2] = {300, 200};
    g_GameState.FieldScrollX = 15;
    SpawnEffect(10, pos, 0, -1);
    SpawnEffect(61, pos, 0, -1);
    PlayQuadList q0, q1;
    CollectEffectQuads(0, q0);
    CollectEffectQuads(1, q1);
    ASSERT_EQ(q0.size(), 1u);
    ASSERT_EQ(q1.size(), 1u);
    EXPECT_EQ(q0[0].destination.left, 315 - 40);
    EXPECT_TRUE(q0[0].rotated);
    EXPECT_EQ(q1[0].destination.left, 300 - 360);
    EXPECT_EQ(q1[0].sheet, kSheetPicture);
}

}  // namespace
