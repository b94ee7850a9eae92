#pragma once
// The runner's replay options (--record FILE, --play FILE) as the game main
// loop uses them.
//
// --record FILE: when the run ends, the run record (g_PlayRecord) is written
// to FILE as a replay file, the same bytes a save from the result scene
// writes. A run in which no stage was started, or whose input stopped being
// recorded because a continue was used, writes nothing and fails.
//
// --play FILE: the file is read before the game starts (a missing, short or
// corrupt file is refused with a message), then the game starts straight in
// the play scene as the replay browser starts a playback: game mode 10, the
// replay's difficulty, start kind, story flags and record, from the first
// stage the replay played. The playback ends when the last recorded stage's
// input has been played, or when the game leaves the playback's scenes (play
// and stage report) for any other scene.
#include <string>

#include "engine/core/types.h"
#include "game/shell/file_access.h"
#include "game/shell/replay.h"

// Reads `path` for a later StartRunnerPlayback. On failure nothing is kept.
FileStatus PrepareRunnerPlayback(const std::string& path);
// Whether a playback was prepared and has not been started yet.
bool RunnerPlaybackPending();
// Sets up the game state, the player and the run record for the prepared
// playback and switches to the play scene. Does nothing without one.
void StartRunnerPlayback();
// True once a started playback is over (checked after every frame).
bool RunnerPlaybackEnded();
// Forgets any prepared or running playback (tests).
void ResetRunnerPlayback();
// Forgets the run record kept for --record, a runner failure and a playback
// that is not waiting to start (one an earlier start left running), and
// leaves a prepared playback alone: GameMain's start (see ResetProgramState).
void ResetRunRecord();

// The stage a playback of `header` starts at: the first of stage indexes
// 0..4 it played, or -1 when it played none.
i32 FirstPlayedStage(const ReplayHeader& header);
// The last of stage indexes 0..4 it played, or -1.
i32 LastPlayedStage(const ReplayHeader& header);

// The run's own facts for a save: difficulty, start kind, result score,
// story flags (the name stays blank).
ReplayRunInfo CurrentRunInfo();
// Keeps a copy of the run record while the game is in normal play (called
// after every frame of a run with --record).
void TrackRunRecord();
// Writes the record kept by TrackRunRecord to `path` (through a temporary
// file); fails when no stage was played in normal play or a continue was used.
FileStatus WriteRunRecord(const std::string& path);

// A runner failure that must end the program with a non-zero exit code
// (a record that could not be written): the message goes to standard error.
// Cleared by ResetRunnerPlayback and ResetRunRecord.
void SetRunnerFailure(const std::string& message);
bool RunnerFailed();
