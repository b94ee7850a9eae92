// The behaviour of the enemies of stage index 2: one row per state id in
// the table, each calling the small function of its state (enemy_behaviour.h
// shows the form; behaviour_stage1.cpp is the worked example).
#include "game/enemy/enemy_behaviour.h"

namespace {

// State 0 (between the spawn and the timeline's first write) stays put.
constexpr StateRow kStates[] = {
    {0, StayPut},
};

// A state this stage does not list moves the enemy straight on.
constexpr BehaviourTable kTable{.states = kStates, .unlisted = MoveStraightOn};

}  // namespace

const BehaviourTable& BehaviourStage3() { return kTable; }

bool StepEnemyStage3(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
