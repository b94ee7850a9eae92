#include "game/play/records.h"

EnemyList g_EnemyList;
EnemyPartPool g_EnemyPartPool;
PlayerShotList g_PlayerShotList;
EnemyBulletList g_EnemyBulletList;
EnemyShellList g_EnemyShellList;
PlayerMissileList g_PlayerMissileList;
EffectList g_EffectList;
CoinList g_CoinList;
TargetMarkerList g_TargetMarkerList;
TalkState g_TalkState;

void ResetPlayLists() {
    for (EnemyPart& part : g_EnemyPartPool) part.inUse = 0;
    ReleaseList(g_TargetMarkerList);
    ReleaseList(g_EnemyList);
    ReleaseList(g_EffectList);
    ReleaseList(g_CoinList);
    ReleaseList(g_PlayerMissileList);
    ReleaseList(g_PlayerShotList);
    ReleaseList(g_EnemyShellList);
    ReleaseList(g_EnemyBulletList);
    g_TalkState.active = 0;
    ReleaseList(g_TalkState.lines);
}

void ResetPlayRecords() {
    ResetPlayLists();
    for (EnemyPart& part : g_EnemyPartPool) part = EnemyPart{};
    g_TalkState = TalkState{};
}
