#pragma once
// The title's demonstration, "demo.rpl": a run of stage index 1 recorded by
// the game itself (the program run with --input and --record, see
// record_demo.cmake), checked here and written beside the program.
#include <string>
#include <vector>

#include "engine/core/types.h"

// The demonstration closes after this many frames of stage play, so the
// recording holds more.
constexpr u32 kDemoMinimumFrames = 4000;

// Whether `bytes` is a replay the title can demonstrate: a whole header of the
// current version, stage index 1 played with at least one life at its start,
// more than kDemoMinimumFrames input words for it, and every stream the
// header counts present in the file. The reason goes to `error`.
bool CheckDemoReplay(const std::vector<u8>& bytes, std::string& error);
// Reads `recorded`, checks it and writes it as "demo.rpl" in `dir` (never over
// a "demo.rpl" the generator did not write).
bool InstallDemoReplay(const std::string& dir, const std::string& recorded);
