#pragma once
// Recorded runs of the built program, checked two ways: against the outcome
// kept in their expected file (the state hash at checkpoints, with its named
// parts), and against their own playback frame by frame. Where a frame does
// not match, the messages name it and the parts of the state that differ
// there (player, enemies, shots, effects, generators, script: see
// game/play/state_hash.h).
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/program.h"

namespace testing_support {

// The program's options that print the state hash and its parts every frame.
inline const std::vector<std::string> kHashEveryFrame = {"--hash-every", "1", "--hash-parts", "1"};

// The names of the parts whose hashes differ between two parts texts
// ("player <hash> enemies <hash> ..."), joined by ", "; "no part" when they
// agree; a note when either text is empty (the run printed no parts).
std::string DifferingParts(const std::string& a, const std::string& b);

// The outcome's checkpoint lines: "frame <n> <hash>" for every frame that is
// a multiple of `every` and for the last, each followed by its "parts <n>
// ..." line when the run printed the parts.
std::string CheckpointLines(const std::vector<FrameHash>& hashes, long long every);

// A playback frame that is not the recording's next state: both frames, their
// hashes and the parts that differ.
std::string FrameMismatch(const FrameHash& played, const FrameHash& recorded);

// How a playback follows its recording: every playback frame is a state of
// the recording at or after the one the frame before it matched (states the
// playback leaves out, such as the title and a pause, are skipped). With
// `holds`, a frame may also repeat the state matched last (a stage report that
// the playback stays on longer than the recording did).
struct PlaybackMatch {
    std::string failure;               // empty when every frame matched
    std::vector<std::size_t> matched;  // the recording's index matched by each playback frame, as far as they match
    std::size_t holds = 0;             // frames that repeated the state matched before them

    bool ok() const { return failure.empty(); }
    ::testing::AssertionResult Result() const;
};
PlaybackMatch FollowRecording(const std::vector<FrameHash>& recorded, const std::vector<FrameHash>& played, bool holds);

}  // namespace testing_support
