// The behaviour of the enemies of stage index 3: one case per state id,
// each calling the small function of its state.
#include "game/enemy/enemy_behaviour.h"

// A state this stage does not list moves the enemy straight on.
bool StepEnemyStage4(i32 enemy, i32 state) {
    switch (state) {
        default: return StepUnlistedState(enemy);
    }
}
