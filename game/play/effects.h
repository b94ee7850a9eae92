#pragma once
// Effects: the short-lived sprites of stage play (explosions, sparks, smoke,
// cancelled-bullet tokens, banners, score pop-ups), a few of which also put a
// one-frame hit area into the shot or bullet lists.
#include "engine/core/types.h"
#include "game/play/play_sprites.h"

// Every effect kind, named by what it shows; SpawnEffect stores no other kind.
// Kinds drawn alike share a look and differ in size or lifetime.
constexpr i32 kEffectSmokePuff = 9;            // dark smoke under the upper enemy layer (burning parts)
constexpr i32 kEffectSpark = 10;               // an explosion spark; bursts stagger them by negative ages
constexpr i32 kEffectMissileSmoke = 11;        // the trail of a flying missile
constexpr i32 kEffectSmokeCloud = 12;          // larger dark smoke (a falling aircraft, wrecks)
constexpr i32 kEffectBulletTrail = 13;         // the trail of a kind-40 bullet
constexpr i32 kEffectSmokeWisp = 14;           // small quick smoke (a hit aircraft, shell trails)
constexpr i32 kEffectWreckSpark = 16;          // a spark flying out of a wreck along its parameter
constexpr i32 kEffectShotHit = 19;             // the flash where a gun shot hits a part
constexpr i32 kEffectMissileBlast = 20;        // a single missile's blast (hurts enemies)
constexpr i32 kEffectDoubleMissileBlast = 21;  // a double missile's blast (hurts enemies)
constexpr i32 kEffectLargeExplosion = 22;      // an enemy's large explosion (hurts the player)
constexpr i32 kEffectShellExplosion = 23;      // an enemy shell's explosion (hurts the player)
constexpr i32 kEffectCancelToken = 31;         // the token that rises where a bullet was cancelled
constexpr i32 kEffectChainLevelFirst = 41;     // the chain-level labels 2..8 after a missile hit:
constexpr i32 kEffectChainLevelLast = 47;      //   kinds 41..47, see ChainLevelEffect
constexpr i32 kEffectMissionComplete = 61;     // banner: a mission completed
constexpr i32 kEffectExtraLife = 62;           // banner: an extra aircraft
constexpr i32 kEffectPhaseBonus = 63;          // banner: a boss phase broken for a bonus
constexpr i32 kEffectDefeatBonus = 64;         // banner: a boss or mid-boss brought down for a bonus
constexpr i32 kEffectMissionFailed = 65;       // banner: a mission failed
constexpr i32 kEffectWreckLabel = 66;          // the label over a wreck
constexpr i32 kEffectTargetWarning = 90;       // the mark that follows the player before an aimed strike
constexpr i32 kEffectFlame = 101;              // a moving enemy flame (hurts the player)
constexpr i32 kEffectShellSmoke = 102;         // the grey smoke of a shell
constexpr i32 kEffectLargeFlame = 103;         // a larger moving enemy flame (hurts the player)
constexpr i32 kEffectScorePopup = 1000;        // 1000 + points

// The chain-level label of shot level 2..8.
constexpr i32 ChainLevelEffect(i32 shotLevel) { return kEffectChainLevelFirst - 2 + shotLevel; }

// Makes one effect of the kind at pos (kinds without a row are ignored) and
// returns the index of the last effect of the list (-1 when empty): the new
// effect's index for every kind that is appended.
i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra);
// Steps every effect once.
void UpdateEffects();
// Draws every effect of the layer (-1, 0 or 1) whose age is 0 or more.
void DrawEffects(i32 layer);
// The quads DrawEffects(layer) draws.
void CollectEffectQuads(i32 layer, PlayQuadList& quads);
