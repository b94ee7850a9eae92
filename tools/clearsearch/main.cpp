// clearsearch: finds input that carries a run through a stage, using the
// game's determinism. The game runs in this process, headless and without
// drawing, on the sample data set, from an input script that leads through
// the menus into the stage (the prefix). From then on, at every decision frame
// of the play, the process forks once per candidate move; each child plays
// its move and a look-ahead and reports how the run fared; the parent keeps
// the best move and plays on. A child that loses a life fares worst (the
// later, the better); among the others the one that went furthest: the
// timeline's phase changes and frame, in a boss's phase also the state of the
// enemy at the front of the list, then the points and the damage dealt (the
// moves that score: the third stage's route A holds until its barges are shot
// down), and staying in the lower middle of the field. The moves found are
// written as an input script: the prefix and the play, run-length coded,
// which the game program plays the same way.
//
// clearsearch --prefix FILE --out FILE [--stage N [--begin F]] [--enter N] [--until P,F] [--survive N]
//             [--fire hold|alternate] [--step N] [--look N] [--jobs N] [--frames N] [--hash-every N]
//   --stage N  the search begins at the first frame of stage index N (the
//              prefix's words from there on are dropped; without it, at the
//              end of the prefix)
//   --begin F  with --stage: at the stage's frame F instead (the prefix's
//              words for the frames before it are kept, say a climb that
//              chooses a route)
//   --enter N  after a clear, go on through the stage report (Z every 30th
//              frame) and end the script N frames into the next stage, so
//              that the same command with the next stage index extends it;
//              after the last stage, through the ending and the result to
//              N frames of the title
//   --until P,F  the goal is the timeline in phase P at its frame F or later
//              (the search ends there)
//   --survive N  the goal is N frames of the stage's play without the stage
//              ending (lives may be lost; the search ends there)
//   --fire M   hold: Z held every frame (the default; the aircraft flies at
//              half speed); alternate: Z every other frame (the guns keep
//              firing, since a press fires for 30 frames, at full speed)
//   --step N   frames between decisions (default 12)
//   --look N   frames a child plays past its move before it is judged (48)
//   --jobs N   children that play at once (default 18, every move at once)
//   --frames N the most frames of play to search (default 40000)
//   --hash-every N  print the state hash every N frames (as the game
//              program's --hash-every does), to compare a found run with it
// Without --until or --survive the goal is the stage cleared. The search ends
// at its goal, when the play scene ends (the stage cleared or lost) or after
// --frames frames of play; its progress goes to standard error. The script is
// written in every case; the exit status is 0 when the goal was reached, 1
// when not, 2 for a bad command line or prefix. The README's Tools section
// lists the command that finds each of the game's recorded inputs.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "engine/core/application.h"
#include "engine/image/prefetch.h"
#include "game/patterns/stage_registry.h"
#include "game/play/play_overlays.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/report_scene.h"
#include "game/shell/title_scene.h"
#include "game/shell/save_files.h"
#include "platform/audio_output.h"
#include "platform/input.h"
#include "platform/music_player.h"
#include "tools/sampledata/input_script.h"

namespace fs = std::filesystem;

namespace {

struct Settings {
    std::string prefix;
    std::string out;
    i32 step = 12;
    i32 look = 48;
    i64 frames = 40000;
    i32 hashEvery = 0;
    i32 untilPhase = -1;
    i32 untilFrame = 0;
    i32 stage = -1;  // --stage N: the search begins at this stage's frame `begin`
    i32 begin = 1;
    i32 enter = 0;               // --enter N: after a clear, the report and N frames of the next stage
    i64 survive = 0;             // --survive N: the goal is N frames of play
    bool fireAlternate = false;  // --fire alternate
    i32 jobs = 18;               // --jobs N: children playing at once (18: every move at once)
};

Settings g_settings;
std::vector<u16> g_words;  // the input so far: the prefix, then the moves found
std::size_t g_prefixLength = 0;
std::string g_folder;
SceneFrameFn g_playFrame = nullptr;
SceneFrameFn g_reportFrame = nullptr;
SceneFrameFn g_titleFrame = nullptr;
i32 g_stage = -1;        // the stage being searched (set at its first play frame)
bool g_cleared = false;  // the stage was cleared
bool g_reached = false;  // the search's goal was reached
i32 g_phaseChanges = 0;  // timeline phase changes since the stage began (in a child, up to its judging)
i32 g_lastPhase = -1;
std::size_t g_playEnd = 0;  // input position where the stage's play ended
std::size_t g_entered = 0;  // input position of the next stage's first frame (0: not yet)

// A child's state: the move it plays, from where, and how it is judged.
struct Child {
    bool active = false;
    int fd = -1;
    std::size_t start = 0;  // input position of the decision
    std::size_t end = 0;    // input position where it is judged
    i32 missCount = 0;
    i32 lives = 0;
};
Child g_child;

// The moves: each of the nine stick positions with the gun held, and the
// same with a missile launched at the start of the move.
std::vector<u16> Moves() {
    const u16 sticks[9] = {0,
                           kInputUp,
                           kInputDown,
                           kInputLeft,
                           kInputRight,
                           static_cast<u16>(kInputUp | kInputLeft),
                           static_cast<u16>(kInputUp | kInputRight),
                           static_cast<u16>(kInputDown | kInputLeft),
                           static_cast<u16>(kInputDown | kInputRight)};
    std::vector<u16> moves;
    for (const u16 s : sticks) moves.push_back(static_cast<u16>(s | kInputZ));
    for (const u16 s : sticks) moves.push_back(static_cast<u16>(s | kInputZ | kInputX));
    return moves;
}

// The input words of a move played from `start` for `length` frames (a
// missile key only in its first frame, so that it is a press; with --fire
// alternate, Z on the even input positions only).
void PlaceMove(std::vector<u16>& words, std::size_t start, std::size_t length, u16 move) {
    if (words.size() < start + length) words.resize(start + length, 0);
    for (std::size_t i = 0; i < length; ++i) {
        u16 w = move;
        if (i > 0) w = static_cast<u16>(w & ~kInputX);
        if (g_settings.fireAlternate && (start + i) % 2 != 0) w = static_cast<u16>(w & ~kInputZ);
        words[start + i] = w;
    }
}

// Restarts the scripted input on `words`, already advanced to `position`.
void ResumeInput(const std::vector<u16>& words, std::size_t position) {
    platform::SetScriptedInput(words);
    for (std::size_t i = 0; i < position; ++i) platform::ScriptedInput();
}

// The total damage the enemies on the field have taken.
i64 DamageOnField() {
    i64 damage = 0;
    for (const Enemy& e : g_EnemyList) {
        if (e.active == 0) continue;
        for (const i32 slot : e.rootParts) {
            if (slot < 0 || slot >= kEnemyPartPoolSize) break;
            const EnemyPart& p = g_EnemyPartPool[slot];
            damage += p.maxHp - std::max(p.hp, 0);
            for (const i32 child : p.children) {
                if (child < 0 || child >= kEnemyPartPoolSize) break;
                damage += g_EnemyPartPool[child].maxHp - std::max(g_EnemyPartPool[child].hp, 0);
            }
        }
    }
    return damage;
}

// How well a child's run went: far below zero when the player was hit, by
// how long it lasted; otherwise the timeline's progress (its phase changes,
// which count forward whatever the phases' numbers, and its frame; in the
// boss's phase also the state of the boss at the front of the list), the
// points and the damage dealt, and staying in the lower middle of the field.
double Judge(bool ended, bool hit, std::size_t position) {
    if (hit) return -1e12 + static_cast<double>(position);
    if (ended) return 1e12;
    const GameState& g = g_GameState;
    const PlayerState& p = g_PlayerState[0];
    double score = 1e6 * static_cast<double>(g_phaseChanges + (g.StageScriptPhase == 10 ? 100 : 0));
    score += 20.0 * static_cast<double>(g.StageScriptFrame);
    if (g.StageScriptPhase == 10 && !g_EnemyList.empty()) score += 1e4 * static_cast<double>(g_EnemyList[0].state);
    score += static_cast<double>(p.StageScorePoints);
    score += 0.2 * static_cast<double>(DamageOnField());
    score -= 0.02 * std::abs(p.x - 320.0f) + 0.5 * std::abs(p.y - 380.0f);
    return score;
}

// In a child: ends it with its verdict once its move and look-ahead are
// played, or as soon as the player is hit or the stage ends.
void JudgeChild() {
    const std::size_t position = platform::ScriptedInputPosition();
    const bool ended = CurrentScene != kScenePlay || g_GameState.StageIndex != g_stage;
    const bool hit = !ended && (g_GameState.MissCount != g_child.missCount || g_PlayerState[0].lives < g_child.lives ||
                                g_ContinuePrompt.ContinuePromptActive != 0);
    if (!ended && !hit && position < g_child.end) return;
    const double verdict = Judge(ended, hit, position);
    if (write(g_child.fd, &verdict, sizeof verdict) != static_cast<ssize_t>(sizeof verdict)) _exit(1);
    _exit(0);
}

// In the parent at a decision frame: every move tried in a child, the best
// one kept and played from here.
void Decide() {
    const std::size_t position = platform::ScriptedInputPosition();
    const std::vector<u16> moves = Moves();
    std::vector<double> verdicts(moves.size(), -1e18);
    // --jobs children at a time: each batch is forked, then its verdicts read.
    const std::size_t jobs = static_cast<std::size_t>(g_settings.jobs);
    for (std::size_t first = 0; first < moves.size(); first += jobs) {
        const std::size_t last = std::min(moves.size(), first + jobs);
        std::vector<pid_t> pids(moves.size(), -1);
        std::vector<int> fds(moves.size(), -1);
        for (std::size_t m = first; m < last; ++m) {
            int pipeFds[2];
            if (pipe(pipeFds) != 0) continue;
            std::fflush(nullptr);
            const pid_t pid = fork();
            if (pid == 0) {
                close(pipeFds[0]);
                // clang-format off
                g_child = Child{true, pipeFds[1], position,
                                position + static_cast<std::size_t>(g_settings.step + g_settings.look),
                                g_GameState.MissCount, g_PlayerState[0].lives};
                // clang-format on
                std::vector<u16> words = g_words;
                PlaceMove(words, position, static_cast<std::size_t>(g_settings.step + g_settings.look), moves[m]);
                ResumeInput(words, position);
                return;  // the child plays on from here
            }
            close(pipeFds[1]);
            pids[m] = pid;
            fds[m] = pipeFds[0];
        }
        for (std::size_t m = first; m < last; ++m) {
            if (pids[m] < 0) continue;
            double verdict = -1e18;
            if (read(fds[m], &verdict, sizeof verdict) == static_cast<ssize_t>(sizeof verdict)) verdicts[m] = verdict;
            close(fds[m]);
            waitpid(pids[m], nullptr, 0);
        }
    }
    const std::size_t best =
        static_cast<std::size_t>(std::max_element(verdicts.begin(), verdicts.end()) - verdicts.begin());
    PlaceMove(g_words, position, static_cast<std::size_t>(g_settings.step), moves[best]);
    ResumeInput(g_words, position);
    if (verdicts[best] < -1e11) {
        std::fprintf(stderr, "frame %zu: every move is hit; kept the one that lasted longest\n", position);
    }
}

void PlayFrameObserved() {
    g_playFrame();
    if (g_stage >= 0 && g_GameState.StageIndex == g_stage && g_GameState.StageScriptPhase != g_lastPhase) {
        if (g_lastPhase >= 0) ++g_phaseChanges;
        g_lastPhase = g_GameState.StageScriptPhase;
    }
    if (g_child.active) {
        JudgeChild();
        return;
    }
    if (g_settings.hashEvery > 0 &&
        platform::ScriptedInputPosition() % static_cast<std::size_t>(g_settings.hashEvery) == 0) {
        std::fprintf(stderr, "frame %zu %016llx\n", platform::ScriptedInputPosition(),
                     static_cast<unsigned long long>(ComputeStateHash()));
    }
    if (CurrentScene != kScenePlay) return;  // the stage ended: the main loop goes on to the report
    const std::size_t position = platform::ScriptedInputPosition();
    if (g_playEnd > 0) {
        // Past the report: the next stage has begun; its first frames get no keys.
        if (g_GameState.StageIndex != g_stage && g_entered == 0) {
            g_entered = position - 1;
            g_words.resize(g_entered);
            g_words.resize(g_entered + static_cast<std::size_t>(g_settings.enter), 0);
            ApplicationExit();
        }
        return;
    }
    if (g_settings.stage >= 0 && g_stage < 0 && g_GameState.StageIndex == g_settings.stage &&
        g_GameState.FrameCounter == g_settings.begin) {
        // The stage's frame `begin`: the prefix's words from here on are dropped.
        g_prefixLength = position - 1;
        g_words.resize(position);
        ResumeInput(g_words, position);
    }
    if (position < g_prefixLength || g_PauseMenu.PauseActive) return;
    if (g_settings.stage >= 0 && g_GameState.StageIndex != g_settings.stage) return;
    if (g_stage < 0) {
        g_stage = g_GameState.StageIndex;
        g_lastPhase = g_GameState.StageScriptPhase;
    }
    const std::size_t played = position - g_prefixLength;
    const bool there =
        g_GameState.StageScriptPhase == g_settings.untilPhase && g_GameState.StageScriptFrame >= g_settings.untilFrame;
    const bool survived = g_settings.survive > 0 && played >= static_cast<std::size_t>(g_settings.survive);
    if (played >= static_cast<std::size_t>(g_settings.frames) || there || survived) {
        g_reached = there || survived;
        ApplicationExit();
        return;
    }
    if (played % static_cast<std::size_t>(g_settings.step) != 0) return;
    if (played % 600 == 0) {
        std::fprintf(stderr, "frame %zu: phase %d at %d, lives %d, hits %d, points %d, lead state %d\n", position,
                     g_GameState.StageScriptPhase, g_GameState.StageScriptFrame, g_PlayerState[0].lives,
                     g_GameState.MissCount, g_PlayerState[0].StageScorePoints,
                     g_EnemyList.empty() ? -1 : g_EnemyList[0].state);
    }
    Decide();
}

// The first frame after the play: a child is judged, the search stops.
void ReportFrameObserved() {
    if (g_child.active) {
        JudgeChild();
        return;
    }
    if (g_stage < 0 || g_playEnd > 0) {  // the report of a stage of the prefix, or the one being left
        g_reportFrame();
        return;
    }
    const std::size_t position = platform::ScriptedInputPosition();
    g_cleared = g_GameState.PlayEndKind == kPlayEndStageOver && g_PlayerState[0].lives > 0;
    g_reached = g_cleared && g_settings.untilPhase < 0 && g_settings.survive == 0;
    std::fprintf(stderr, "frame %zu: the play scene ended (%s); phase %d, hits %d\n", position,
                 g_cleared ? "cleared" : "not cleared", g_GameState.StageScriptPhase, g_GameState.MissCount);
    // The play is the words up to the last play frame; the look-ahead's rest goes.
    g_playEnd = position - 1;
    g_words.resize(g_playEnd);
    if (!g_cleared || g_settings.enter <= 0) {
        ApplicationExit();
        return;
    }
    // The report takes a press once it has opened: Z every 30th frame until
    // the next stage begins (after the last stage: through the ending and the
    // result, its name entries and its replay save, to the title).
    for (i32 i = 0; i < 6000; ++i) g_words.push_back(i % 30 == 29 ? kInputZ : 0);
    ResumeInput(g_words, position);
    g_reportFrame();
}

// After the last stage's report, the ending and the result: the title's
// first frame ends the script (with --enter frames of the title).
void TitleFrameObserved() {
    g_titleFrame();
    if (g_playEnd == 0 || g_entered > 0) return;
    g_entered = platform::ScriptedInputPosition() - 1;
    g_words.resize(g_entered);
    g_words.resize(g_entered + static_cast<std::size_t>(g_settings.enter), 0);
    ApplicationExit();
}

// A program folder of the search's own: the sample archives and a progress
// file that opens every stage of the stage select.
void SearchSetup() {
    std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", g_folder.c_str());
    ResetCurrentDirectory();
    fs::create_directory("system");
    g_ConfigData = DefaultConfigData();
    g_ConfigData.fullScreen = 0;
    g_ConfigData.showBootDialog = 0;
    SaveConfig();
    g_SystemData = DefaultSystemData();
    for (auto& row : g_SystemData.StageProgress) {
        for (u8& s : row) s = 1;
    }
    SaveSystemData();
    GameSetup();
}

// Words run-length coded as script lines.
void WriteSteps(std::ostream& out, const std::vector<u16>& words, std::size_t from, std::size_t to) {
    static const char* const kNames[] = {"Up", "Down", "Left", "Right", "Z", "X", "V", "C", "A", "S", "T"};
    std::size_t i = from;
    while (i < to) {
        std::size_t j = i;
        while (j < to && words[j] == words[i]) ++j;
        std::string keys;
        for (int b = 0; b < 11; ++b) {
            if ((words[i] >> b) & 1u) keys += (keys.empty() ? "" : "+") + std::string(kNames[b]);
        }
        out << (j - i) << ' ' << (keys.empty() ? "-" : keys) << '\n';
        i = j;
    }
}

// The prefix script's lines for its first `count` words: its own lines (and
// comments) while whole steps fit (a repeat block is one step), the step that
// is cut written out run-length coded, and the words after the prefix's end
// (the frames without input before the stage began) run-length coded too.
void WritePrefixHead(std::ostream& out, const std::string& text, std::size_t count) {
    std::istringstream in(text);
    std::string line;
    std::string block;  // an open repeat block's lines
    int depth = 0;
    std::size_t taken = 0;
    while (taken < count && std::getline(in, line)) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string first;
        fields >> first;
        if (first.empty() && depth == 0) {
            out << line << '\n';
            continue;
        }
        block += line + '\n';
        if (first == "repeat") ++depth;
        if (first == "end") --depth;
        if (depth > 0) continue;
        std::vector<u16> words;
        std::string error;
        ParseInputScript(block, words, error);
        if (taken + words.size() <= count) {
            out << block;
        } else {
            WriteSteps(out, words, 0, count - taken);
        }
        taken += std::min(words.size(), count - taken);
        block.clear();
    }
    if (taken < count) WriteSteps(out, g_words, taken, count);
}

// The script: the prefix (up to the stage's start with --stage), the play
// run-length coded, and after a clear with --enter the report and the next
// stage's first frames.
void WriteScript(const std::string& prefixText) {
    std::ofstream out(g_settings.out);
    if (g_settings.stage >= 0) {
        WritePrefixHead(out, prefixText, g_prefixLength);
    } else {
        out << prefixText;
        if (!prefixText.empty() && prefixText.back() != '\n') out << '\n';
    }
    const std::size_t playEnd = g_playEnd > 0 ? g_playEnd : g_words.size();
    out << "# Stage index " << g_stage << ", found by tools/clearsearch (--step " << g_settings.step << " --look "
        << g_settings.look << (g_settings.fireAlternate ? " --fire alternate" : "")
        << "): " << (playEnd - g_prefixLength) << " frames, " << g_GameState.MissCount << " lives lost.\n";
    WriteSteps(out, g_words, g_prefixLength, playEnd);
    if (g_entered > 0 && g_stage == kPlayableStages - 1) {
        out << "# The stage report, the ending, the result (its name entries and the replay save),\n"
               "# all left with Z.\n";
        WriteSteps(out, g_words, playEnd, g_entered);
        out << "# The title.\n";
        WriteSteps(out, g_words, g_entered, g_words.size());
    } else if (g_entered > 0) {
        out << "# The stage report, left with Z.\n";
        WriteSteps(out, g_words, playEnd, g_entered);
        out << "# The first frames of stage index " << g_stage + 1 << ".\n";
        WriteSteps(out, g_words, g_entered, g_words.size());
    }
}

// Every option takes one value.
bool ParseArgs(int argc, char** argv) {
    if (argc % 2 == 0) return false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const char* value = argv[i + 1];
        if (a == "--prefix") g_settings.prefix = value;
        else if (a == "--out") g_settings.out = value;
        else if (a == "--step") g_settings.step = std::atoi(value);
        else if (a == "--look") g_settings.look = std::atoi(value);
        else if (a == "--frames") g_settings.frames = std::atoll(value);
        else if (a == "--hash-every") g_settings.hashEvery = std::atoi(value);
        else if (a == "--stage") g_settings.stage = std::atoi(value);
        else if (a == "--enter") g_settings.enter = std::atoi(value);
        else if (a == "--begin") g_settings.begin = std::atoi(value);
        else if (a == "--jobs") g_settings.jobs = std::atoi(value);
        else if (a == "--survive") g_settings.survive = std::atoll(value);
        else if (a == "--fire") {
            if (std::strcmp(value, "hold") != 0 && std::strcmp(value, "alternate") != 0) return false;
            g_settings.fireAlternate = std::strcmp(value, "alternate") == 0;
        } else if (a == "--until") {
            if (std::sscanf(value, "%d,%d", &g_settings.untilPhase, &g_settings.untilFrame) != 2) return false;
        } else {
            return false;
        }
    }
    if (g_settings.survive > 0) g_settings.frames = g_settings.survive;
    return !g_settings.prefix.empty() && !g_settings.out.empty() && g_settings.step > 0 && g_settings.look >= 0 &&
           g_settings.stage >= -1 && g_settings.stage < kPlayableStages && g_settings.enter >= 0 &&
           g_settings.begin >= 1 && (g_settings.begin == 1 || g_settings.stage >= 0) && g_settings.survive >= 0 &&
           g_settings.frames > 0 && g_settings.jobs >= 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!ParseArgs(argc, argv)) {
        std::fprintf(stderr,
                     "usage: clearsearch --prefix FILE --out FILE [--stage N [--begin F]] [--enter N] [--until P,F]\n"
                     "                   [--survive N] [--fire hold|alternate] [--step N] [--look N] [--jobs N]\n"
                     "                   [--frames N] [--hash-every N]\n");
        return 2;
    }
    std::ifstream in(g_settings.prefix);
    if (!in) {
        std::fprintf(stderr, "clearsearch: cannot read %s\n", g_settings.prefix.c_str());
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!ParseInputScript(text.str(), g_words, error)) {
        std::fprintf(stderr, "clearsearch: %s: %s\n", g_settings.prefix.c_str(), error.c_str());
        return 2;
    }
    g_prefixLength = g_words.size();
    g_settings.out = fs::absolute(g_settings.out).string();

    // The program folder: links to the archives beside the game program.
    const fs::path folder = fs::temp_directory_path() / ("clearsearch-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* name : {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk5.dat", "vsk6.dat", "vsk7.dat"}) {
        fs::create_symlink(fs::path(TOLVARIN_BUILD_DIR) / name, folder / name);
    }
    g_folder = folder.string();

    // A mixer without a sound device: no audio thread, so a fork copies the
    // one thread that runs the game.
    platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
    // No pictures decoded ahead either: a child forked while the decoding
    // thread worked on an entry would wait for it for ever (the thread is not
    // in the child), and without drawing nothing is gained.
    ImageUsePrefetch(false);
    // Nor music: each track is decoded on a thread of its own, and a child
    // forked while one decodes would wait for it for ever when it changes the
    // music. The music is not part of the game's state.
    platform::SetMusicDecoding(false);
    Options().headless = true;
    Options().noDraw = true;
    RegisterPlayScene();
    RegisterStages();
    g_playFrame = SceneFrame(kScenePlay);
    g_reportFrame = ReportFrame;
    g_titleFrame = TitleFrame;
    RegisterSceneFrame(kScenePlay, PlayFrameObserved);
    RegisterSceneFrame(kSceneStageReport, ReportFrameObserved);
    RegisterSceneFrame(kSceneTitle, TitleFrameObserved);
    platform::SetScriptedInput(g_words);
    SetGameCallbacks(SearchSetup, GameMain);
    const i32 code = ApplicationMain(0, nullptr);
    WriteScript(text.str());
    fs::remove_all(folder);
    std::fprintf(stderr, "clearsearch: %zu frames of play written to %s; the goal was %s\n",
                 (g_playEnd > 0 ? g_playEnd : g_words.size()) - g_prefixLength, g_settings.out.c_str(),
                 g_reached ? "reached" : "not reached");
    if (code != 0) return code;
    return g_reached ? 0 : 1;
}
