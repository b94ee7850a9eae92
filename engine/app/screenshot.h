#pragma once
// --screenshot-at N[,N...] --screenshot-dir DIR: the back buffer is saved as
// DIR/frame-NNNNNN.png once frame N (counted from 1) has been presented.
// --picture-hash-every N prints a hash of it instead.
#include <string>

#include "engine/core/types.h"

// The file a screenshot of frame `frame` goes to.
std::string ScreenshotPath(const std::string& folder, i64 frame);

// Saves the back buffer when `framesRun` is one of the frames asked for
// (each at most once per run). False when a save was due and failed (with a
// message on standard error).
bool SaveScreenshotAfterFrame(i64 framesRun);

// --picture-hash-every N: prints "picture <n> <hash>" (the back buffer's
// pixel hash, 16 hex digits) once frame n, a multiple of N that was drawn
// (see --draw-frames), has been presented.
void PrintPictureHashAfterFrame(i64 framesRun);

// Whether a screenshot of this run could not be saved (the run then ends
// with a failing exit status).
bool ScreenshotFailed();

// Forgets which frames were saved, and any failure (a new run).
void ResetScreenshots();
