#pragma once
// The whole game run in this process through ApplicationMain, headless, on
// the sample data in a program folder of its own (with a progress file that
// unlocks every stage), driven by scripted input words through the real
// menus. Every scene frame is observed: a row of the state per frame, and
// the back buffer of the frames asked for.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/core/types.h"

namespace runner_test {

// What a frame left behind (after the scene's routine ran).
struct FrameRow {
    i64 frame = 0;         // counted from 1, as --frames and --screenshot-at count
    i32 sceneBefore = -1;  // the scene whose routine ran
    i32 sceneAfter = -1;
    i32 stageIndex = 0;
    i32 gameMode = 0;
    i32 startKind = 0;
    i32 difficulty = 0;
    i32 phase = 0;         // StageScriptPhase
    i32 frameCounter = 0;  // the play frame counter
    i32 scrollY = 0;       // BackgroundScrollY
    i32 section = 0;       // BackgroundSection
    u8 pauseActive = 0;
    u8 continuePrompt = 0;
    u8 talkActive = 0;
    i32 talkEvent = 0, talkLine = 0, talkFrame = 0;
    i32 lives = 0;
    i32 score = 0;        // RunScore
    i32 stagePoints = 0;  // StageScorePoints
    i32 pointsShown = 0;  // stagePointsShown
    f32 x = 0, y = 0;
    i32 blinkTimer = 0;
    i32 missileStock = 0;
    i32 shots = 0, missiles = 0, enemies = 0, effects = 0, bullets = 0, coins = 0;
    i32 titleState = -1;
    u64 stateHash = 0;  // ComputeStateHash, as --hash-every prints it

    friend bool operator==(const FrameRow&, const FrameRow&) = default;
};

struct FrameShot {
    std::vector<std::uint8_t> pixels;
    std::int32_t pitch = 0;
    std::uint32_t width = 0, height = 0;
    int format = 0;
};

// Called after every scene frame, with the frame's row; may change the game
// state (a test injecting an enemy).
using FrameHook = void (*)(const FrameRow& row);

struct RunResult {
    int exitCode = -1;
    std::vector<FrameRow> rows;
    std::map<i64, FrameShot> shots;
    std::filesystem::path folder;
};

struct RunSpec {
    std::vector<u16> input;  // one word per frame
    i64 frameLimit = 1000;
    std::vector<i64> shotFrames;  // back buffers kept after these frames
    bool unlockAll = true;        // progress file with every stage cleared
    u8 showTalk = 1;
    FrameHook hook = nullptr;
    bool noDraw = false;                // --no-draw: nothing is drawn (no pictures to keep)
    bool watchReportAndEnding = false;  // rows (and the hook) for the stage report, ending and result too
    std::string recordFile;             // --record: the run record written here (an absolute path)
    std::string playFile;               // --play: this replay played back instead of the logo
};

RunResult RunGame(const RunSpec& spec);

// Cuts the second stage's road short (from a frame hook): empties the field
// and puts the timeline at the boss's entry.
void CutSecondStageToTheBoss();

// The whole-game run's input (tests/game/program/whole_game_input.txt) as
// words, one per frame; a test failure (and no words) when it cannot be read.
std::vector<u16> WholeGameInput();

// Writes input words to a file as --input reads them.
void WriteInputFile(const std::filesystem::path& path, const std::vector<u16>& words);

// A script builder: words at given frames (1-based, as the runner counts).
struct Script {
    std::vector<u16> words;
    explicit Script(std::size_t frames) : words(frames, 0) {}
    // `word` on frame `frame` only.
    Script& Tap(i64 frame, u16 word);
    // `word` or-ed into every frame of [from, to].
    Script& Hold(i64 from, i64 to, u16 word);
};

// The first row at or after `from` that matches.
template <typename Pred>
const FrameRow* FindRow(const std::vector<FrameRow>& rows, Pred pred, i64 from = 0) {
    for (const FrameRow& r : rows)
        if (r.frame >= from && pred(r)) return &r;
    return nullptr;
}

// The row of `frame` (a test failure when the run has none).
const FrameRow& RowAt(const RunResult& r, i64 frame);

// The kept picture of `frame` against the golden value `name` in the play
// tests' golden folder.
::testing::AssertionResult ShotMatches(const RunResult& r, i64 frame, const std::string& name);

}  // namespace runner_test
