#pragma once
// The player's aircraft: its reset, its per-frame step (input, counters,
// movement, guns, missiles), its collision with coins, enemy bullets and enemy
// shells, and its drawing. The record is g_PlayerState[0] (game/shell/play_state.h).
#include "engine/core/types.h"

// Where a stage puts the aircraft (screen pixels).
constexpr f32 kPlayerStartX = 240.0f;
constexpr f32 kPlayerStartY = 420.0f;
// The play field the aircraft is held in (screen pixels).
constexpr f32 kPlayerFieldLeft = 120.0f;
constexpr f32 kPlayerFieldRight = 520.0f;
constexpr f32 kPlayerFieldTop = 0.0f;
constexpr f32 kPlayerFieldBottom = 470.0f;
constexpr i32 kPlayerMaxLives = 10;
constexpr i32 kPlayerMaxMissiles = 5;
// Blink timers of a hit and of the last life's loss.
constexpr i32 kPlayerHitBlink = 200;
constexpr i32 kPlayerDeathBlink = 400;
// While blinkTimer is above this the aircraft drifts down out of control.
constexpr i32 kPlayerNoControlBlink = 134;
// missileChargeUp of a double missile.
constexpr i32 kMissileChargeUpFull = 30;

// Mode 0: a new run (also a retry and a continue): the run's replay record,
// lives, extra-life counters and run score are reset too. Mode 1: a stage
// start, which also puts the aircraft at (240, 420).
void ResetPlayerState(i32 mode);

// The reset the title and the other scenes call (ResetPlayerStateHook):
// ResetPlayerState(mode), after StartPlayRun for mode 0, which the shell
// uses only where a run starts.
void ResetPlayerFromShell(i32 mode);
// Points the shell's reach into the player at this layer: the reset the
// title and the other scenes call (ResetPlayerFromShell) and the position
// AngleToPlayer aims at. The program calls it once before the game starts.
void InstallPlayerHooks();

void UpdatePlayer();
void CollidePlayer();
void DrawPlayer();
