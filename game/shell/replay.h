#pragma once
// The record of the current run and the replay files that keep it.
//
// A run is recorded stage by stage: the seed drawn at the stage start, a few
// player counters taken then, and the 16-bit input word of every play frame.
// A replay file holds, least significant byte first:
//   1. a 716-byte header (ReplayHeader, version 7091),
//   2. the input streams of the 20 stage slots in order, no separators,
//   3. a Shift-JIS text summary with CRLF lines that no reader reads.
// Files are "replay/vosket000.rpl" .. "replay/vosket998.rpl" under the program
// folder; "demo.rpl" beside the program is the title's demonstration.
//
// The game state that a save reads and a playback sets (difficulty, start
// kind, story flags, score, stage index, game mode) belongs to the play scene;
// it comes in as ReplayRunInfo and goes out as ReplayPlaybackStart.
#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/types.h"
#include "game/shell/file_access.h"
#include "game/shell/name_characters.h"
#include "game/shell/stage_list.h"

constexpr int kStageSlots = 20;
constexpr int kPlayableStages = kStageCount;  // the stages of the list (stage_list.h)
static_assert(kPlayableStages <= kStageSlots, "a replay holds 20 stages at most");
constexpr int kStoryFlagCount = 100;
constexpr i32 kReplayVersion = 7091;
constexpr std::size_t kReplayHeaderSize = 716;
constexpr i32 kReplayNumberCount = 999;  // numbers 0..998
constexpr std::size_t kReplayListLimit = 100;
constexpr i32 kDifficultyCount = 3;
constexpr u32 kMaxStageRank = 5;
constexpr i32 kDemoStageIndex = 1;
constexpr i32 kGameModeNormal = 0;
constexpr i32 kGameModeReplay = 10;
constexpr i32 kGameModeDemo = 20;

// The ranges of the values a run's record can hold, as the game makes them;
// a replay holding anything else was not written by the game and is refused.
constexpr u32 kMaxRecordedLives = 10;      // the player's most lives
constexpr u32 kMaxRecordedExtends = 1000;  // far more extra lives than a run can earn
// Coins toward the next extra life: below the next threshold, 500 x (extends + 2).
constexpr u32 kMaxRecordedExtendPoints = 500 * (kMaxRecordedExtends + 2);
constexpr u32 kMaxStageSeed = 10000;  // the seed a stage start draws
// The most a stage can score (the score display holds seven digits; this
// leaves ample room) and a run of every stage.
constexpr u32 kMaxStageScore = 99999999;
constexpr u32 kMaxRunScore = kPlayableStages * kMaxStageScore;

inline constexpr char kReplayFolder[] = "replay";
inline constexpr char kDemoReplayFile[] = "demo.rpl";

using StoryFlagArray = std::array<u8, kStoryFlagCount>;
template <typename T>
using StageArray = std::array<T, kStageSlots>;

// The one record of the current run (20 slots, indexed by stage index).
struct PlayRecord {
    StageArray<u8> played{};       // 1 when the slot was started in this run
    StageArray<u32> seed{};        // seed drawn at the stage start (0..10000)
    StageArray<u32> stageScore{};  // 1000 x lives + stage points, set at the stage end
    StageArray<u32> stageRank{};   // 1..5, set at the stage end
    StageArray<u32> livesAtStart{};
    StageArray<u32> extendsAtStart{};       // extra lives earned from coins
    StageArray<u32> extendPointsAtStart{};  // coins toward the next extra life
    StageArray<std::vector<u16>> input;     // one InputBits word per play frame
};

extern PlayRecord g_PlayRecord;

// A new run (the record's half of ResetPlayerState(0)): every field but
// stageRank cleared, every stream emptied and its storage released.
void ResetPlayRecord(PlayRecord& record);
// The title and the play scene's retry clear the ranks themselves.
void ClearStageRanks(PlayRecord& record);
// Normal play at a stage start: played 1, stageScore 0, the three counters
// taken, the stream emptied, the seed stored. Slots outside 0..19 are ignored.
void RecordStageStart(PlayRecord& record, i32 stage, u32 seed, u32 lives, u32 extendCount, u32 extendPoints);
// Appends one frame's input word to the stage's stream.
void AppendInputWord(PlayRecord& record, i32 stage, u16 word);
// The recorded word of `frame` in the stage's stream; a frame beyond the
// stream (or a bad stage or frame) reads as no input.
u16 PlayRecordInputWord(const PlayRecord& record, i32 stage, i64 frame);
// ResultScore: the sum of the stage scores of stages 0..4.
u32 ComputeResultScore(const PlayRecord& record);

// The 716-byte file header, field for field.
struct ReplayHeader {
    i32 version = kReplayVersion;           // 0x000
    StoredName name{};                      // 0x004: indexes into NameCharacterTable
    i32 StartKind = 0;                      // 0x018
    i32 Difficulty = 0;                     // 0x01C: 0..2
    u32 score = 0;                          // 0x020: ResultScore
    StageArray<u8> played{};                // 0x024
    StageArray<u32> inputCount{};           // 0x038
    StageArray<u32> stageScore{};           // 0x088
    StageArray<u32> stageRank{};            // 0x0D8
    StageArray<u32> livesAtStart{};         // 0x128
    StageArray<u32> extendsAtStart{};       // 0x178
    StageArray<u32> extendPointsAtStart{};  // 0x1C8
    StageArray<u32> seed{};                 // 0x218
    StoryFlagArray storyFlags{};            // 0x268
};

std::vector<u8> EncodeReplayHeader(const ReplayHeader& header);
// Decodes a header; fails (naming `fileName`) when fewer than 716 bytes are
// given, the version is not 7091, or a value lies outside what the game makes
// (the message names the field). Values that index tables are taken as
// stored: see ClampReplayHeader.
FileStatus DecodeReplayHeader(const u8* bytes, std::size_t size, const std::string& fileName, ReplayHeader& header);
// Values from a file that index tables are brought into range: Difficulty and
// StartKind 0..2, stage ranks 0..5, name characters into the table (others
// become the blank).
void ClampReplayHeader(ReplayHeader& header);

// "replay/vosket007.rpl" for 7: three digits with leading zeros.
std::string ReplayFileName(i32 number);
// The lowest number 0..998 whose file does not exist under `baseDir`, with its
// path (baseDir joined with ReplayFileName) in `path`; 999 and an empty path
// when every number is taken.
i32 FindFreeReplayNumber(std::string* path, const std::string& baseDir = "");

// What the play and result scenes supply for a save.
struct ReplayRunInfo {
    i32 Difficulty = 0;
    i32 StartKind = 0;
    u32 score = 0;                  // ResultScore
    StoredName name = BlankName();  // from the replay name entry
    StoryFlagArray storyFlags{};    // StoryFlags at the save
};

ReplayHeader MakeReplayHeader(const PlayRecord& record, const ReplayRunInfo& run);

// The C library's asctime form: "Wed Jan  2 03:04:05 2008\n".
std::string FormatAscTime(const std::tm& time);
// The text summary in file form: Shift-JIS with CRLF line ends. The
// application name is given in Shift-JIS (the window title's bytes).
std::string BuildReplaySummary(const ReplayHeader& header, std::string_view applicationName, const std::tm& localTime);
// The whole file: header, streams, summary.
std::vector<u8> EncodeReplayFile(const ReplayHeader& header, const PlayRecord& record, std::string_view applicationName,
                                 const std::tm& localTime);

// The local time written into a summary. Tests install their own source; an
// empty function restores the system's local time.
using LocalTimeSource = std::function<std::tm()>;
void SetReplayTimeSource(LocalTimeSource source);
std::tm ReplayLocalTime();

struct SaveReplayResult {
    FileStatus status;
    i32 number = -1;   // the number taken, -1 when nothing was saved
    std::string path;  // the file written
};
// Writes the run as the first free replay number (through a temporary file).
// Refuses, writing nothing, when all 999 numbers are taken or the file
// cannot be written.
SaveReplayResult SaveReplay(const PlayRecord& record, const ReplayRunInfo& run, std::string_view applicationName,
                            const std::string& baseDir = "");

// The replay browser's list: accepted headers and their paths, in parallel.
extern std::vector<ReplayHeader> g_ReplayList;
extern std::vector<std::string> g_ReplayPathList;

struct ReplayScan {
    std::vector<ReplayHeader> headers;  // clamped
    std::vector<std::string> paths;
    std::vector<std::string> rejected;  // one message per file that was not listed
};
// Reads the headers of "replay/*.rpl" in name order, at most 100 accepted.
ReplayScan ScanReplayFolder(const std::string& baseDir = "");
// Rebuilds g_ReplayList and g_ReplayPathList; returns the rejection messages.
std::vector<std::string> ScanReplayFiles(const std::string& baseDir = "");

// Reads a replay file into `header` (clamped) and `record` (its seven arrays
// and streams; input counts bounded by what the file holds). On failure both
// stay as they were. Success may carry a note, such as streams that end early.
FileStatus ReadReplayFile(const std::string& path, ReplayHeader& header, PlayRecord& record);
// The same from an open file (read from its start), named `path` in messages.
FileStatus ReadReplayStream(std::FILE* file, const std::string& path, ReplayHeader& header, PlayRecord& record);
// Loads entry `index` of g_ReplayPathList. The caller refuses the playback on
// failure.
FileStatus LoadReplay(i32 index, PlayRecord& record, ReplayHeader& header);

// What a playback hands to the play scene besides the record.
struct ReplayPlaybackStart {
    i32 Difficulty = 0;
    i32 StartKind = 0;
    i32 StageIndex = 0;
    i32 GameMode = kGameModeReplay;
    u32 RunScore = 0;  // the stage scores of the stages before StageIndex
    StoryFlagArray StoryFlags{};
};
// The browser's playback from stage `stageIndex` (clamped to 0..4).
ReplayPlaybackStart PrepareReplayPlayback(const ReplayHeader& header, i32 stageIndex);

// Reads "demo.rpl" under `baseDir` for the title's demonstration: game mode
// 20, stage index 1. Refuses a file in which stage index 1 was not played.
// On failure `record` and `start` stay as they were.
FileStatus LoadDemoReplay(PlayRecord& record, ReplayPlaybackStart& start, const std::string& baseDir = "");
