#pragma once
// The application frame: program life, window procedure, message pump and
// frame pacing, manager start and stop.
#include "engine/core/types.h"
#include "platform/window.h"

using GameSetupFn = void (*)();
using GameMainFn = i32 (*)(int argc, char** argv);

// The game's two entry points, registered before ApplicationMain runs.
void SetGameCallbacks(GameSetupFn setup, GameMainFn main);

// The whole life of the program; returns the exit code (1 when it could not
// start: another copy runs in its folder, or the window or the engine could
// not be made).
i32 ApplicationMain(int argc, char** argv);

i32 InitializeApplication();
void FinalizeApplication();
i32 ApplicationPump();
void FrameSync();
void WindowProc(const platform::Msg& msg);
void ToggleWindowMode();
void ApplyWindowStyle();

// Milliseconds FrameSync sleeps for `elapsed` ms of work at `frameRate`
// frames per second (0 when it should not sleep).
i64 PacingSleepMs(u32 elapsed, i32 frameRate);
