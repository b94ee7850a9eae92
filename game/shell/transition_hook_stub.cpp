// Stand-in until the screen transitions exist: no transition ever runs, so a
// closing stage ends in the frame its script reaches the closing phase.
// Replaced by the transitions' own definition.
#include "game/shell/transition_hook.h"

bool IsTransitionRunning() { return false; }
