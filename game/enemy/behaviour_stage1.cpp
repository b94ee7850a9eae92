// The behaviour of the enemies of stage index 0: one case per state id,
// each calling the small function of its state.
#include "game/enemy/enemy_behaviour.h"

// A state this stage does not list keeps the enemy where it is.
bool StepEnemyStage1(i32 enemy, i32 state) {
    switch (state) {
        default: return StepUnlistedStateStage1(enemy);
    }
}
