#pragma once
// The player's reset as the shell's scenes reach it: ResetPlayerState belongs
// to the play layer, which installs it here when it starts.
#include "engine/core/types.h"

using ResetPlayerStateFn = void (*)(i32 mode);
extern ResetPlayerStateFn ResetPlayerStateHook;

// ResetPlayerState(mode) through the hook; without the play layer, mode 0
// still resets what the shell owns of a new run: the run record (PlayRecord)
// and the player's run score.
void ResetPlayer(i32 mode);
