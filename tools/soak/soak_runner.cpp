// The soak runner: the built game, headless, through every stage on every
// difficulty, each entered from the stage select (every stage unlocked) and
// flown with random input from a fixed seed. Meant for the sanitizer build;
// reports every finding: a sanitizer's report, a crash or other unexpected
// exit status, a run that stops making frames (a hang), a refused enemy part,
// and a run whose play state never moved (the menus did not reach the stage).
//
//   soak_runner [--frames N] [--stage S] [--difficulty D] [--seed N]
//               [--stall SECONDS] [--keep] PROGRAM
//
// Each run gets a folder of its own beside the program ("soak/"), removed
// afterwards unless it found something (or --keep). The status is 0 when no
// run found anything.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "game/shell/input.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;

struct Settings {
    long long frames = 10000;  // random frames after the menus
    int stage = -1;            // -1: every stage
    int difficulty = -1;       // -1: every difficulty
    unsigned seed = 1;
    double stall = 120.0;  // seconds without a new frame that count as a hang
    bool keep = false;
    fs::path program;
};

constexpr int kHashEvery = 100;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// From the logo to stage `stage` on difficulty `difficulty` through the stage
// select: the main menu's second entry, the difficulty, the stage.
std::string MenuScript(int stage, int difficulty) {
    std::string s = "150 -\n1 Z\n249 -\n1 Down\n29 -\n1 Z\n29 -\n";
    for (int d = 0; d < difficulty; ++d) s += "1 Down\n29 -\n";
    s += "1 Z\n29 -\n";
    for (int k = 0; k < stage; ++k) s += "1 Down\n29 -\n";
    s += "1 Z\n60 -\n";
    return s;
}

// Random keys held for 1 to 40 frames each, never the pause key (a pause
// would hold the stage still).
std::vector<u16> RandomInput(long long frames, unsigned seed) {
    std::vector<u16> words;
    words.reserve(static_cast<std::size_t>(frames));
    u32 state = seed * 2654435761u + 12345u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    while (static_cast<long long>(words.size()) < frames) {
        const u16 keys = static_cast<u16>(next() & (kInputBitsUsed & ~kInputT));
        const u32 hold = 1 + next() % 40;
        for (u32 i = 0; i < hold && static_cast<long long>(words.size()) < frames; ++i) words.push_back(keys);
    }
    return words;
}

struct Outcome {
    std::vector<std::string> findings;
    std::string said;  // standard error
    long long framesRun = 0;
};

// The "frame <n> <hash>" lines of the output.
std::vector<std::pair<long long, std::string>> Hashes(const std::string& out) {
    std::vector<std::pair<long long, std::string>> hashes;
    std::istringstream in(out);
    std::string word, hash;
    long long frame = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (fields >> word >> frame >> hash && word == "frame") hashes.emplace_back(frame, hash);
    }
    return hashes;
}

Outcome RunOne(const Settings& settings, int stage, int difficulty, const fs::path& dir) {
    Outcome o;
    fs::remove_all(dir);
    fs::create_directories(dir / "system");
    std::error_code ec;
    fs::create_hard_link(settings.program, dir / "tolvarin", ec);
    if (ec) fs::copy_file(settings.program, dir / "tolvarin");
    for (const auto& entry : fs::directory_iterator(settings.program.parent_path())) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("vsk", 0) == 0 && entry.path().extension() == ".dat") {
            fs::create_symlink(entry.path(), dir / file, ec);
        }
    }
    ConfigData config = DefaultConfigData();
    config.fullScreen = 0;
    config.showBootDialog = 0;
    WriteBytes(dir / "config.dat", EncodeConfigData(config));
    SystemData progress = DefaultSystemData();
    for (auto& row : progress.StageProgress)
        for (u8& unlocked : row) unlocked = 1;
    WriteBytes(dir / "system" / "system.dat", EncodeSystemData(progress));

    std::vector<u16> words;
    std::string error;
    if (!ParseInputScript(MenuScript(stage, difficulty), words, error)) {
        o.findings.push_back("menu script: " + error);
        return o;
    }
    const long long menuFrames = static_cast<long long>(words.size());
    const std::vector<u16> random = RandomInput(settings.frames, settings.seed * 97 + stage * 3 + difficulty);
    words.insert(words.end(), random.begin(), random.end());
    WriteBytes(dir / "input.bin", InputScriptBytes(words));

    const std::string command = "cd '" + dir.string() +
                                "' && exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                                "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 "
                                "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ./tolvarin --headless --frames " +
                                std::to_string(words.size()) + " --input input.bin --hash-every " +
                                std::to_string(kHashEvery) + " > out.txt 2> err.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Watch the frames go by; a run that prints none for `stall` seconds hangs.
    int status = 0;
    std::size_t seen = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    bool hung = false;
    for (;;) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        const std::size_t size = static_cast<std::size_t>(fs::file_size(dir / "out.txt", ec));
        if (!ec && size != seen) {
            seen = size;
            lastProgress = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastProgress > std::chrono::duration<double>(settings.stall)) {
            hung = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const auto hashes = Hashes(ReadText(dir / "out.txt"));
    o.framesRun = hashes.empty() ? 0 : hashes.back().first;
    o.said = ReadText(dir / "err.txt");
    if (hung) {
        o.findings.push_back("hang: no frame for " + std::to_string(static_cast<int>(settings.stall)) +
                             " seconds after frame " + std::to_string(o.framesRun));
    } else if (WIFSIGNALED(status)) {
        o.findings.push_back(std::string("ended by signal ") + strsignal(WTERMSIG(status)));
    } else if (WEXITSTATUS(status) != 0) {
        o.findings.push_back("exit status " + std::to_string(WEXITSTATUS(status)));
    }
    for (const char* report : {"AddressSanitizer", "LeakSanitizer", "runtime error:", "part pool"}) {
        if (o.said.find(report) != std::string::npos) o.findings.push_back(std::string("said \"") + report + "\"");
    }
    // In the stage the play state moves nearly every frame; on the menus it
    // stands still.
    std::set<std::string> inPlay;
    for (const auto& [frame, hash] : hashes) {
        if (frame > menuFrames + 100) inPlay.insert(hash);
    }
    if (!hung && o.framesRun > menuFrames + 10 * kHashEvery && inPlay.size() < 3) {
        o.findings.push_back("the play state never moved: the menus did not reach the stage");
    }
    return o;
}

bool ParseArguments(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool value = i + 1 < argc;
        if (a == "--frames" && value) {
            s.frames = std::atoll(argv[++i]);
        } else if (a == "--stage" && value) {
            s.stage = std::atoi(argv[++i]);
        } else if (a == "--difficulty" && value) {
            s.difficulty = std::atoi(argv[++i]);
        } else if (a == "--seed" && value) {
            s.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--stall" && value) {
            s.stall = std::atof(argv[++i]);
        } else if (a == "--keep") {
            s.keep = true;
        } else if (!a.empty() && a[0] != '-' && s.program.empty()) {
            s.program = fs::absolute(a);
        } else {
            return false;
        }
    }
    return !s.program.empty() && s.frames > 0 && s.stage < kPlayableStages && s.difficulty < kDifficultyCount &&
           s.stall > 0;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseArguments(argc, argv, settings)) {
        std::fprintf(stderr,
                     "usage: soak_runner [--frames N] [--stage 0-4] [--difficulty 0-2] [--seed N] "
                     "[--stall SECONDS] [--keep] PROGRAM\n");
        return 2;
    }
    if (!fs::exists(settings.program)) {
        std::fprintf(stderr, "soak_runner: no program at %s\n", settings.program.c_str());
        return 2;
    }
    int runs = 0;
    int failed = 0;
    for (int stage = 0; stage < kPlayableStages; ++stage) {
        if (settings.stage >= 0 && stage != settings.stage) continue;
        for (int difficulty = 0; difficulty < kDifficultyCount; ++difficulty) {
            if (settings.difficulty >= 0 && difficulty != settings.difficulty) continue;
            const fs::path dir = settings.program.parent_path() / "soak" /
                                 ("stage" + std::to_string(stage) + "-difficulty" + std::to_string(difficulty) + "." +
                                  std::to_string(getpid()));
            const auto start = std::chrono::steady_clock::now();
            const Outcome o = RunOne(settings, stage, difficulty, dir);
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ++runs;
            std::printf("stage %d, difficulty %d: %lld frames in %.0f s: %s\n", stage, difficulty, o.framesRun, seconds,
                        o.findings.empty() ? "nothing found" : "FOUND");
            for (const std::string& f : o.findings) std::printf("  %s\n", f.c_str());
            if (!o.findings.empty()) {
                ++failed;
                if (!o.said.empty()) std::printf("  standard error:\n%s\n", o.said.c_str());
                std::printf("  the run's folder is kept: %s\n", dir.c_str());
            } else if (!settings.keep) {
                std::error_code ec;
                fs::remove_all(dir, ec);
            }
            std::fflush(stdout);
        }
    }
    std::printf("%d runs, %d with findings\n", runs, failed);
    return failed == 0 ? 0 : 1;
}
