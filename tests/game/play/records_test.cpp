#include <gtest/gtest.h>

#include "game/play/stage_textures.h"
#include "game/shell/play_state.h"
#include "game/play/records.h"

namespace {

TEST(PlayRecordsTest, EmptyRecordsHaveNoPartLinks) {
    const Enemy enemy{};
    EXPECT_EQ(enemy.corePart, kNoPart);
    EXPECT_EQ(enemy.scale, 1.0f);
    for (i32 link : enemy.rootParts) EXPECT_EQ(link, kNoPart);
    const EnemyPart part{};
    for (i32 link : part.children) EXPECT_EQ(link, kNoPart);
    // An empty talk line is a closing line: nothing shown on either side.
    const TalkLine line{};
    for (int side : {kTalkLeft, kTalkRight}) {
        EXPECT_EQ(line.bright[side], 0);
        EXPECT_EQ(line.speechCell[side], -1);
        EXPECT_EQ(line.face[side], -1);
        EXPECT_EQ(line.balloon[side], -1);
    }
}

TEST(PlayRecordsTest, ResetPlayListsEmptiesEverythingAndReleasesStorage) {
    for (int i = 0; i < 50; ++i) {
        g_EnemyList.push_back(Enemy{});
        g_PlayerShotList.push_back(PlayerShot{});
        g_EnemyBulletList.push_back(EnemyBullet{});
        g_EnemyShellList.push_back(EnemyShell{});
        g_PlayerMissileList.push_back(PlayerMissile{});
        g_EffectList.push_back(Effect{});
        g_CoinList.push_back(Coin{});
        g_TargetMarkerList.push_back(TargetMarker{&g_EnemyPartPool[i], 5, 100});
        g_TalkState.lines.push_back(TalkLine{});
    }
    g_TalkState.active = 1;
    g_TalkState.eventId = 101;
    g_EnemyPartPool[0].inUse = 1;
    g_EnemyPartPool[0].hp = 77;
    g_EnemyPartPool[kEnemyPartPoolSize - 1].inUse = 1;

    ResetPlayLists();

    EXPECT_EQ(g_EnemyList.capacity(), 0u);
    EXPECT_EQ(g_PlayerShotList.capacity(), 0u);
    EXPECT_EQ(g_EnemyBulletList.capacity(), 0u);
    EXPECT_EQ(g_EnemyShellList.capacity(), 0u);
    EXPECT_EQ(g_PlayerMissileList.capacity(), 0u);
    EXPECT_EQ(g_EffectList.capacity(), 0u);
    EXPECT_EQ(g_CoinList.capacity(), 0u);
    EXPECT_EQ(g_TargetMarkerList.capacity(), 0u);
    EXPECT_EQ(g_TalkState.lines.capacity(), 0u);
    EXPECT_EQ(g_TalkState.active, 0);
    EXPECT_EQ(g_TalkState.eventId, 101);  // the last event stays readable
    for (const EnemyPart& part : g_EnemyPartPool) EXPECT_EQ(part.inUse, 0);
    EXPECT_EQ(g_EnemyPartPool[0].hp, 77);  // a freed slot keeps what its last user left
    g_EnemyPartPool[0] = EnemyPart{};
    g_TalkState = TalkState{};
}

TEST(PlayStateTest, ResetGameStateClearsTheBlockButNotTheImages) {
    g_GameState.StageScriptPhase = kClosingPhase;
    g_GameState.StoryFlags[99] = 1;
    g_GameState.StarField[199].y = 3.0f;
    g_GameState.MissionTimer.remaining = 5;
    g_PlayerState[0].keys[kKeyT] = kKeyPressed;
    Texture* const marker = reinterpret_cast<Texture*>(&g_GameState);  // never dereferenced
    g_StageTextures.E9 = marker;

    ResetGameState();

    EXPECT_EQ(g_GameState.StageScriptPhase, 0);
    EXPECT_EQ(g_GameState.StoryFlags[99], 0);
    EXPECT_EQ(g_GameState.StarField[199].y, 0.0f);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    EXPECT_EQ(g_PlayerState[0].keys[kKeyT], kKeyUpState);
    EXPECT_EQ(g_StageTextures.E9, marker);
    g_StageTextures = StageTextures{};
}

}  // namespace
