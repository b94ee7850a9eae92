#pragma once
// Input scripts in text form, turned into the program's --input format: one
// little-endian 16-bit input word per frame.
//
// One step a line: a frame count and the keys held for those frames, joined
// by '+' ("-" or nothing for no keys):
//     150 -           (150 frames without input)
//     1 Z             (Z for one frame: a press)
//     60 Z+Left       (Z and Left held for 60 frames)
// "repeat N" ... "end" repeats the lines between N times (blocks nest);
// '#' starts a comment. Keys: Up Down Left Right Z X V C A S T.
#include <string>
#include <vector>

#include "engine/core/types.h"

// Parses `text`; false with a message naming the line when a line is not
// understood, a block is left open or closed twice, or the script would be
// longer than `maxFrames`.
bool ParseInputScript(const std::string& text, std::vector<u16>& words, std::string& error,
                      std::size_t maxFrames = 10'000'000);
// The words as the program reads them (two bytes each, low byte first).
std::vector<u8> InputScriptBytes(const std::vector<u16>& words);
