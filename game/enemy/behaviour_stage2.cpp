// The behaviour of the enemies of stage index 1: one row per state id in
// the table, each calling the small function of its state (enemy_behaviour.h
// shows the form; behaviour_stage1.cpp is the worked example).
#include "game/enemy/enemy_behaviour.h"

namespace {

// A state this stage does not list moves the enemy straight on.
constexpr BehaviourTable kTable{.unlisted = MoveStraightOn};

}  // namespace

const BehaviourTable& BehaviourStage2() { return kTable; }

bool StepEnemyStage2(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
