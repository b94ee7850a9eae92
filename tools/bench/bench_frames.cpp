// bench_frames: the game's frames on one core. For each stage's recorded run
// (kRuns), the game program records the run's replay from its input script,
// then plays the replay back headless, drawing and with --no-draw, several
// times, with --frame-times. Each frame's update-and-draw time is the least
// of its repetitions (the machine's other work only ever adds to a frame);
// the report gives the median, the 99th percentile and the worst frame with
// its number, the worst frame that starts no scene (a scene's first frame
// loads its pictures) and the five slowest of those, and the whole
// playback's time against real time. The state hashes of every frame must be
// the same with and without drawing.
//
//   bench_frames [--repeat N] [--program PATH] [NAME...]
//
// NAME picks the runs whose name contains it. The work folder is
// bench-frames/ in the build folder.
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

// One recorded run per stage: an input script that starts at the logo and
// plays the stage through the game's menus. Add a stage's run here.
struct StageRun {
    const char* name;
    const char* script;  // relative to the source folder
    std::size_t frames;  // the script's first frames only; 0: all of it
};

constexpr StageRun kRuns[] = {
    // The whole-game run through the first stage, its report and into the second.
    {"first stage, EASY clear run", "tests/game/program/whole_game_input.txt", 15800},
};

constexpr double kFramesPerSecond = 60.0;

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
        const std::string command = "cd '" + d + "' && env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR='" +
                                    d + "' ./tolvarin --headless " + args + " > " + out + " 2> errors.txt";
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

struct Figures {
    std::size_t frames = 0;
    double median = 0, p99 = 0, worst = 0, worstInPlay = 0;  // milliseconds
    std::size_t worstFrame = 0, worstInPlayFrame = 0;        // counted from 1
    double frameSum = 0;                                     // seconds
    double wholeRun = 0;                                     // seconds, best of the repetitions
    std::vector<std::size_t> slowestInPlay;                  // the five slowest, slowest first
};

Figures Summarise(const std::vector<Frame>& frames, double wholeRun) {
    Figures f;
    f.frames = frames.size();
    f.wholeRun = wholeRun;
    if (frames.empty()) return f;
    std::vector<long long> sorted;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const double ms = static_cast<double>(frames[i].nanoseconds) / 1e6;
        sorted.push_back(frames[i].nanoseconds);
        f.frameSum += ms / 1e3;
        if (ms > f.worst) {
            f.worst = ms;
            f.worstFrame = i + 1;
        }
        if (!frames[i].sceneStart && ms > f.worstInPlay) {
            f.worstInPlay = ms;
            f.worstInPlayFrame = i + 1;
        }
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i].sceneStart) f.slowestInPlay.push_back(i);
    }
    const std::size_t shown = std::min<std::size_t>(5, f.slowestInPlay.size());
    std::partial_sort(f.slowestInPlay.begin(), f.slowestInPlay.begin() + static_cast<std::ptrdiff_t>(shown),
                      f.slowestInPlay.end(),
                      [&](std::size_t a, std::size_t b) { return frames[a].nanoseconds > frames[b].nanoseconds; });
    f.slowestInPlay.resize(shown);
    std::sort(sorted.begin(), sorted.end());
    f.median = static_cast<double>(sorted[sorted.size() / 2]) / 1e6;
    const std::size_t p99 = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(sorted.size()))) - 1;
    f.p99 = static_cast<double>(sorted[p99]) / 1e6;
    return f;
}

void PrintFigures(const char* mode, const Figures& f) {
    const double play = static_cast<double>(f.frames) / kFramesPerSecond;
    std::printf("  %-10s %8.3f %8.3f %9.2f (%6zu) %9.2f (%6zu) %9.2f s %9.2f s %7.1fx\n", mode, f.median, f.p99,
                f.worst, f.worstFrame, f.worstInPlay, f.worstInPlayFrame, f.frameSum, f.wholeRun,
                f.wholeRun > 0 ? play / f.wholeRun : 0.0);
}

bool Bench(const StageRun& run, const fs::path& program, const fs::path& work, int repeat) {
    std::printf("%s (%s)\n", run.name, run.script);
    std::fflush(stdout);
    std::vector<std::uint16_t> words;
    std::string error;
    if (!ParseInputScript(ReadText(fs::path(TOLVARIN_SOURCE_DIR) / run.script), words, error)) {
        std::fprintf(stderr, "bench_frames: %s: %s\n", run.script, error.c_str());
        return false;
    }
    if (run.frames != 0 && run.frames < words.size()) words.resize(run.frames);
    RunFolder folder(work, program);
    {
        const std::vector<u8> bytes = InputScriptBytes(words);
        std::ofstream out(folder.dir() / "script.bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    double seconds = 0;
    const int recorded = folder.Run("--no-draw --frames " + std::to_string(words.size()) +
                                        " --input script.bin --record run.rpl",
                                    "record.txt", seconds);
    if (recorded != 0) {
        std::fprintf(stderr, "bench_frames: recording the run failed (%d): %s\n", recorded, folder.Errors().c_str());
        return false;
    }
    std::string hashes[2];
    Figures figures[2];
    std::vector<Frame> best[2];
    for (int mode = 0; mode < 2; ++mode) {
        const bool noDraw = mode == 1;
        double bestRun = 0;
        for (int r = 0; r < repeat; ++r) {
            const std::string times = "times-" + std::to_string(mode) + "-" + std::to_string(r) + ".txt";
            const std::string out = "hashes-" + std::to_string(mode) + ".txt";
            const int code = folder.Run(std::string(noDraw ? "--no-draw " : "") +
                                            "--play run.rpl --hash-every 1 --frame-times " + times,
                                        out, seconds);
            if (code != 0) {
                std::fprintf(stderr, "bench_frames: playing the run back failed (%d): %s\n", code,
                             folder.Errors().c_str());
                return false;
            }
            const std::vector<Frame> frames = ReadFrameTimes(folder.dir() / times);
            if (r == 0) {
                best[mode] = frames;
                bestRun = seconds;
                hashes[mode] = ReadText(folder.dir() / out);
            } else if (frames.size() != best[mode].size() || ReadText(folder.dir() / out) != hashes[mode]) {
                std::fprintf(stderr, "bench_frames: the playbacks of one run differ\n");
                return false;
            }
            for (std::size_t i = 0; i < best[mode].size() && r > 0; ++i)
                best[mode][i].nanoseconds = std::min(best[mode][i].nanoseconds, frames[i].nanoseconds);
            bestRun = std::min(bestRun, seconds);
        }
        figures[mode] = Summarise(best[mode], bestRun);
    }
    if (hashes[0].empty() || hashes[0] != hashes[1]) {
        std::fprintf(stderr, "bench_frames: the state hashes differ with and without drawing\n");
        return false;
    }
    const std::size_t frames = figures[0].frames;
    std::printf("  %zu frames played back (%.1f s of play), least time of %d playbacks per frame;\n"
                "  state hashes of every frame the same with and without drawing\n",
                frames, static_cast<double>(frames) / kFramesPerSecond, repeat);
    std::printf("  %-10s %8s %8s %18s %18s %11s %11s %8s\n", "ms", "median", "p99", "worst (frame)",
                "worst in play", "frames", "whole run", "speed");
    PrintFigures("drawing", figures[0]);
    PrintFigures("--no-draw", figures[1]);
    std::printf("  slowest frames in play, drawing (and without):");
    for (std::size_t i : figures[0].slowestInPlay) {
        std::printf(" %zu %.2f (%.2f) ms", i + 1, static_cast<double>(best[0][i].nanoseconds) / 1e6,
                    static_cast<double>(best[1][i].nanoseconds) / 1e6);
    }
    std::printf("\n");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    fs::path program = TOLVARIN_PROGRAM;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc) {
            repeat = std::atoi(argv[++i]);
            if (repeat < 1) repeat = 1;
        } else if (a == "--program" && i + 1 < argc) {
            program = fs::absolute(argv[++i]);
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "usage: bench_frames [--repeat N] [--program PATH] [NAME...]\n");
            return 2;
        } else {
            names.push_back(a);
        }
    }
    bool ok = true;
    int index = 0;
    for (const StageRun& run : kRuns) {
        bool wanted = names.empty();
        for (const std::string& n : names) wanted = wanted || std::string(run.name).find(n) != std::string::npos;
        if (!wanted) continue;
        const fs::path work = fs::path(TOLVARIN_BUILD_DIR) / "bench-frames" / std::to_string(index++);
        ok = Bench(run, program, work, repeat) && ok;
    }
    return ok ? 0 : 1;
}
