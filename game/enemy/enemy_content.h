#pragma once
// The enemy content of every stage: looks and behaviours, handed to the play
// scene's dispatch tables.
#include <span>

#include "game/enemy/enemy_draw.h"

// The look tables of stage indexes 0..4 (the digit counts stages from 1).
std::span<const EnemyLook> EnemyLooksStage1();
std::span<const EnemyLook> EnemyLooksStage2();
std::span<const EnemyLook> EnemyLooksStage3();
std::span<const EnemyLook> EnemyLooksStage4();
std::span<const EnemyLook> EnemyLooksStage5();

// Registers every stage's looks, DrawEnemyLayer and the five behaviour step
// functions. Called once at program start (the static library would drop
// objects that only register themselves).
void RegisterEnemyContent();
