#pragma once
// Whether the screen transition is running. The stage scripts wait on it in
// their closing phase before they end the stage.

// True while a started screen transition has not finished.
bool IsTransitionRunning();
