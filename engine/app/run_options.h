#pragma once
// Command-line options of the game program. Tests and CI use them to run the
// game without a display, with scripted input, and to record, play back, hash
// and photograph runs.
#include <string>
#include <utility>
#include <vector>

#include "engine/core/types.h"

struct RunOptions {
    bool help = false;              // --help: print the options and start nothing
    bool headless = false;          // SDL's dummy drivers, virtual clock, no window shown
    i64 frameLimit = -1;            // --frames N: end the run after N frames
    std::string inputFile;          // --input FILE: one 16-bit input word per frame
    std::string recordFile;         // --record FILE
    std::string playFile;           // --play FILE
    i32 hashEvery = 0;              // --hash-every N
    i32 hashPartsEvery = 0;         // --hash-parts N
    i32 statusEvery = 0;            // --status-every N
    std::vector<i64> screenshotAt;  // --screenshot-at N[,N...]
    std::string screenshotDir;      // --screenshot-dir DIR
    bool noDraw = false;            // --no-draw: the game runs, nothing is drawn or shown
    // --draw-frames A-B[,A-B...]: only frames A to B (counted from 1) are
    // drawn; the others run as with --no-draw. Empty: every frame.
    std::vector<std::pair<i64, i64>> drawFrames;
    i32 pictureHashEvery = 0;    // --picture-hash-every N
    i32 drawThreads = 0;         // --draw-threads N; 0: DefaultDrawThreads
    std::string frameTimesFile;  // --frame-times FILE: each frame's time, written at the end
};

RunOptions& Options();

// The largest frame number or count the options take (about a year of frames
// at 60 a second).
constexpr i64 kMaxRunFrames = 0x7FFFFFFF;

// Parses argv into `out`. Returns false with a message for an unknown option or
// a bad value (a number that is not a plain decimal or is out of range).
// Chooses headless mode when no display is available.
bool ParseRunOptions(int argc, char** argv, RunOptions& out, std::string& error);

// The options, one line each, for --help and for a refused command line.
const char* RunOptionsUsage();

// True when neither an X11 nor a Wayland display is named in the environment.
bool NoDisplayAvailable();

// The drawing threads of a run that does not name them: one when no window is
// shown (tests and replay checks draw as one thread); with a window half the
// processors the program may use, up to four, so a heavy frame's drawing is
// shared while the sound, the music decoder and the display keep processors
// of their own. Every count draws the same pixels.
i32 DefaultDrawThreads(bool headless, int processors);

// Whether frame n (counted from 1) is drawn: not with --no-draw, and within
// one of the --draw-frames ranges when there are any.
bool FrameDrawn(const RunOptions& options, i64 n);
