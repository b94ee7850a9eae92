#pragma once
// The play state is defined in the shell, whose scenes (title, stage report,
// result, ending) read and write it too.
#include "game/shell/play_state.h"
