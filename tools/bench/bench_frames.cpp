// bench_frames: the game's frames, stage by stage. The game program records
// the whole-game run's replay from its input script, plays it back once
// without drawing to learn each frame's scene and stage (--status-every 1),
// then plays it back headless several times drawing and several times with
// --no-draw, with --frame-times. Each frame's update-and-draw time is the
// least of its repetitions (the machine's other work only ever adds to a
// frame). The run is cut into stages: a stage's part runs from its first
// frame to the frame before the next stage's first frame, so it holds the
// stage's report too; what follows the last stage (the ending, the result, the
// title) is a part of its own. Each part's line gives its first frame (the
// stage start, which loads the stage's pictures) and the report's first
// frame, the median, the 99th percentile and the worst frame that starts no
// scene ("in play"), and the part's speed against real time (its frames at
// 60 a second over the sum of their times). The whole run adds its wall time.
// The state hashes of every frame must be the same with and without drawing.
//
//   bench_frames [--repeat N] [--frames N] [--program PATH] [--no-draw-runs N]
//                [--folder DIR] [-- PROGRAM OPTIONS...]
//
// --frames cuts the run's script to its first N frames; options after "--"
// go to every playback (say --draw-threads N). The work folder is
// bench-frames/ in the build folder, or DIR (emptied first), so that two
// benchmarks can run at once.
// Children inherit the benchmark's processor affinity: run it under
// `taskset -c N` to measure one core.
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/sampledata/input_script.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kScript = "tests/game/program/whole_game_input.txt";
constexpr double kFramesPerSecond = 60.0;
constexpr int kScenePlay = 2;
constexpr int kSceneStageReport = 6;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Frame {
    long long nanoseconds = 0;
    bool sceneStart = false;
};

std::vector<Frame> ReadFrameTimes(const fs::path& p) {
    std::vector<Frame> frames;
    std::istringstream in(ReadText(p));
    long long number = 0, ns = 0;
    int start = 0;
    while (in >> number >> ns >> start) frames.push_back(Frame{ns, start != 0});
    return frames;
}

// The scene and stage after each frame, from "status <n> scene <s> stage <i> ..." lines.
struct Status {
    int scene = -1;
    int stage = -1;
};

std::vector<Status> ReadStatus(const fs::path& p) {
    std::vector<Status> out;
    std::istringstream in(ReadText(p));
    std::string line;
    while (std::getline(in, line)) {
        long long n = 0;
        Status s;
        if (std::sscanf(line.c_str(), "status %lld scene %d stage %d", &n, &s.scene, &s.stage) == 3) out.push_back(s);
    }
    return out;
}

// A folder the program runs in: links to it and to the archives (the game
// reads its data and writes its files beside itself).
class RunFolder {
public:
    RunFolder(const fs::path& dir, const fs::path& program) : dir_(dir) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        Link(program, dir_ / "tolvarin");
        for (const auto& entry : fs::directory_iterator(program.parent_path())) {
            const std::string file = entry.path().filename().string();
            if (file.rfind("vsk", 0) == 0 && entry.path().extension() == ".dat") Link(entry.path(), dir_ / file);
        }
    }
    const fs::path& dir() const { return dir_; }

    // Runs the program headless with `args`; its output goes to `out`.
    // Returns the exit code (-1 when it did not exit) and the wall time.
    int Run(const std::string& args, const std::string& out, double& seconds) const {
        const std::string d = dir_.string();
        const std::string command = "cd '" + d +
                                    "' && env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR='" + d +
                                    "' ./tolvarin --headless " + args + " > " + out + " 2> errors.txt";
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Errors() const { return ReadText(dir_ / "errors.txt"); }

private:
    static void Link(const fs::path& from, const fs::path& to) {
        std::error_code ec;
        fs::create_hard_link(from, to, ec);
        if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
    fs::path dir_;
};

// One part of the run: frames [first, last) counted from 0.
struct Part {
    std::string name;
    std::size_t first = 0, last = 0;
    std::size_t reportStart = 0;  // 0: none
};

std::vector<Part> CutIntoStages(const std::vector<Status>& status, std::size_t frames) {
    // Frame n runs in the scene that frame n - 1 left (a playback starts in the play scene).
    auto sceneOf = [&](std::size_t n) {
        return n == 0 ? Status{kScenePlay, status.empty() ? 0 : status[0].stage} : status[n - 1];
    };
    std::vector<Part> parts;
    int stage = -1;
    for (std::size_t n = 0; n < frames && n <= status.size(); ++n) {
        const Status s = sceneOf(n);
        if (s.scene == kScenePlay && s.stage != stage && s.stage >= 0) {
            if (!parts.empty()) parts.back().last = n;
            stage = s.stage;
            parts.push_back(Part{"stage " + std::to_string(stage), n, frames, 0});
        } else if (s.scene != kScenePlay && s.scene != kSceneStageReport && stage >= 0 && parts.back().last == frames &&
                   parts.back().name.rfind("stage", 0) == 0) {
            parts.back().last = n;
            parts.push_back(Part{"after", n, frames, 0});
        }
        if (!parts.empty() && s.scene == kSceneStageReport && parts.back().reportStart == 0 &&
            parts.back().name.rfind("stage", 0) == 0) {
            parts.back().reportStart = n;
        }
    }
    return parts;
}

struct Figures {
    std::size_t frames = 0;
    double median = 0, p99 = 0, worstInPlay = 0;  // milliseconds
    std::size_t worstInPlayFrame = 0;             // counted from 1
    double frameSum = 0;                          // seconds
};

Figures Summarise(const std::vector<Frame>& all, std::size_t first, std::size_t last) {
    Figures f;
    f.frames = last - first;
    if (f.frames == 0) return f;
    std::vector<long long> sorted;
    for (std::size_t i = first; i < last; ++i) {
        const double ms = static_cast<double>(all[i].nanoseconds) / 1e6;
        sorted.push_back(all[i].nanoseconds);
        f.frameSum += ms / 1e3;
        if (!all[i].sceneStart && ms > f.worstInPlay) {
            f.worstInPlay = ms;
            f.worstInPlayFrame = i + 1;
        }
    }
    std::sort(sorted.begin(), sorted.end());
    f.median = static_cast<double>(sorted[sorted.size() / 2]) / 1e6;
    const std::size_t p99 = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(sorted.size()))) - 1;
    f.p99 = static_cast<double>(sorted[p99]) / 1e6;
    return f;
}

double Ms(const std::vector<Frame>& frames, std::size_t i) { return static_cast<double>(frames[i].nanoseconds) / 1e6; }

// Plays the replay `repeat` times; each frame's least time goes to `best`,
// the least wall time to `wall` and the state hashes to `hashes`.
bool Playbacks(const RunFolder& folder, const std::string& args, int mode, int repeat, std::vector<Frame>& best,
               double& wall, std::string& hashes) {
    for (int r = 0; r < repeat; ++r) {
        const std::string times = "times-" + std::to_string(mode) + "-" + std::to_string(r) + ".txt";
        const std::string out = "hashes-" + std::to_string(mode) + ".txt";
        double seconds = 0;
        const int code = folder.Run(args + " --play run.rpl --hash-every 1 --frame-times " + times, out, seconds);
        if (code != 0) {
            std::fprintf(stderr, "bench_frames: playing the run back failed (%d): %s\n", code, folder.Errors().c_str());
            return false;
        }
        const std::vector<Frame> frames = ReadFrameTimes(folder.dir() / times);
        if (r == 0) {
            best = frames;
            wall = seconds;
            hashes = ReadText(folder.dir() / out);
            continue;
        }
        if (frames.size() != best.size() || ReadText(folder.dir() / out) != hashes) {
            std::fprintf(stderr, "bench_frames: the playbacks of one run differ\n");
            return false;
        }
        for (std::size_t i = 0; i < best.size(); ++i)
            best[i].nanoseconds = std::min(best[i].nanoseconds, frames[i].nanoseconds);
        wall = std::min(wall, seconds);
    }
    return true;
}

struct Options {
    int repeat = 3;
    int noDrawRepeat = 3;
    std::size_t frames = 0;
    fs::path program = TOLVARIN_PROGRAM;
    fs::path folder = fs::path(TOLVARIN_BUILD_DIR) / "bench-frames";
    std::string programArgs;
};

bool Bench(const Options& o) {
    std::vector<std::uint16_t> words;
    std::string error;
    if (!ParseInputScript(ReadText(fs::path(TOLVARIN_SOURCE_DIR) / kScript), words, error)) {
        std::fprintf(stderr, "bench_frames: %s: %s\n", kScript, error.c_str());
        return false;
    }
    if (o.frames != 0 && o.frames < words.size()) words.resize(o.frames);
    RunFolder folder(o.folder, o.program);
    {
        const std::vector<u8> bytes = InputScriptBytes(words);
        std::ofstream out(folder.dir() / "script.bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    double seconds = 0;
    int code = folder.Run("--no-draw --frames " + std::to_string(words.size()) + " --input script.bin --record run.rpl",
                          "record.txt", seconds);
    if (code == 0) code = folder.Run("--no-draw --play run.rpl --status-every 1", "status.txt", seconds);
    if (code != 0) {
        std::fprintf(stderr, "bench_frames: recording the run failed (%d): %s\n", code, folder.Errors().c_str());
        return false;
    }
    const std::vector<Status> status = ReadStatus(folder.dir() / "status.txt");
    const std::string extra = o.programArgs.empty() ? "" : o.programArgs + " ";
    std::vector<Frame> drawn, bare;
    double drawnWall = 0, bareWall = 0;
    std::string drawnHashes, bareHashes;
    if (!Playbacks(folder, extra, 0, o.repeat, drawn, drawnWall, drawnHashes) ||
        !Playbacks(folder, extra + "--no-draw", 1, o.noDrawRepeat, bare, bareWall, bareHashes)) {
        return false;
    }
    if (drawnHashes.empty() || drawnHashes != bareHashes || drawn.size() != bare.size()) {
        std::fprintf(stderr, "bench_frames: the state hashes differ with and without drawing\n");
        return false;
    }
    const std::size_t frames = drawn.size();
    std::printf(
        "%s: %zu frames played back (%.1f min of play), least time of %d playbacks per frame drawing, %d "
        "without;\nstate hashes of every frame the same with and without drawing%s%s\n",
        kScript, frames, static_cast<double>(frames) / kFramesPerSecond / 60.0, o.repeat, o.noDrawRepeat,
        o.programArgs.empty() ? "" : "; program options: ", o.programArgs.c_str());
    std::printf("%-8s %7s %13s %13s %7s %7s %17s %8s %8s\n", "ms", "frames", "start (frame)", "report start", "median",
                "p99", "worst in play", "speed", "no-draw");
    for (const Part& p : CutIntoStages(status, frames)) {
        const Figures f = Summarise(drawn, p.first, p.last);
        const Figures b = Summarise(bare, p.first, p.last);
        const double play = static_cast<double>(f.frames) / kFramesPerSecond;
        char start[32], report[32], worst[32];
        std::snprintf(start, sizeof start, "%.2f (%zu)", Ms(drawn, p.first), p.first + 1);
        if (p.reportStart)
            std::snprintf(report, sizeof report, "%.2f (%zu)", Ms(drawn, p.reportStart), p.reportStart + 1);
        else std::snprintf(report, sizeof report, "-");
        std::snprintf(worst, sizeof worst, "%.2f (%zu)", f.worstInPlay, f.worstInPlayFrame);
        std::printf("%-8s %7zu %13s %13s %7.3f %7.3f %17s %7.1fx %7.0fx\n", p.name.c_str(), f.frames, start, report,
                    f.median, f.p99, worst, f.frameSum > 0 ? play / f.frameSum : 0.0,
                    b.frameSum > 0 ? play / b.frameSum : 0.0);
    }
    const Figures all = Summarise(drawn, 0, frames);
    const Figures allBare = Summarise(bare, 0, frames);
    const double play = static_cast<double>(frames) / kFramesPerSecond;
    std::printf(
        "whole run: drawing median %.3f ms, p99 %.3f ms, worst in play %.2f ms (frame %zu); frames %.1f s "
        "(%.1fx), wall %.1f s (%.1fx real time)\n",
        all.median, all.p99, all.worstInPlay, all.worstInPlayFrame, all.frameSum, play / all.frameSum, drawnWall,
        play / drawnWall);
    std::printf(
        "           --no-draw median %.3f ms, p99 %.3f ms; frames %.1f s (%.0fx), wall %.1f s (%.0fx real "
        "time)\n",
        allBare.median, allBare.p99, allBare.frameSum, play / allBare.frameSum, bareWall, play / bareWall);
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc) {
            o.repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--no-draw-runs" && i + 1 < argc) {
            o.noDrawRepeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--frames" && i + 1 < argc) {
            o.frames = static_cast<std::size_t>(std::max(0, std::atoi(argv[++i])));
        } else if (a == "--program" && i + 1 < argc) {
            o.program = fs::absolute(argv[++i]);
        } else if (a == "--folder" && i + 1 < argc) {
            o.folder = fs::absolute(argv[++i]);
        } else if (a == "--") {
            for (++i; i < argc; ++i) o.programArgs += (o.programArgs.empty() ? "" : " ") + std::string(argv[i]);
        } else {
            std::fprintf(
                stderr,
                "usage: bench_frames [--repeat N] [--no-draw-runs N] [--frames N] [--program PATH] [--folder DIR] "
                "[-- PROGRAM OPTIONS...]\n");
            return 2;
        }
    }
    return Bench(o) ? 0 : 1;
}
