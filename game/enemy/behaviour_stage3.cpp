// The behaviour of the enemies of stage index 2: one case per state id,
// each calling the small function of its state.
#include "game/enemy/enemy_behaviour.h"

// State 0 stays put; any other state this stage does not list moves straight on.
bool StepEnemyStage3(i32 enemy, i32 state) {
    switch (state) {
        case 0: return true;  // between the spawn and the timeline's first write: stays put
        default: return StepUnlistedState(enemy);
    }
}
