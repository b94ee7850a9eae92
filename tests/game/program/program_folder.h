#pragma once
// Running the built game program in a folder of its own: links to the program
// and the archives, runs that are waited for or started and ended from the
// test, and the "frame <n> <hash>" lines of a run's output.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/types.h"
#include "game/shell/replay.h"
#include "tools/sampledata/input_script.h"

namespace program_test {

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<u8> ReadBytes(const fs::path& p) {
    const std::string text = ReadText(p);
    return std::vector<u8>(text.begin(), text.end());
}

inline void WriteBytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct FrameHash {
    long long frame = 0;
    std::string hash;
};

// The "frame <n> <16 hex>" lines of a run's output.
inline std::vector<FrameHash> ParseHashes(const std::string& out) {
    std::vector<FrameHash> hashes;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        FrameHash h;
        if (fields >> word >> h.frame >> h.hash && word == "frame" && h.hash.size() == 16) hashes.push_back(h);
    }
    return hashes;
}

struct RunResult {
    int exitCode = -1;  // -1 when the program did not exit by itself
    std::string out;
    std::string err;
};

// The environment of a headless run: SDL's dummy drivers.
inline constexpr char kHeadlessEnvironment[] = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy";

// A program folder of its own for one test: links to the built program and the
// archives (the game writes its settings, progress and replays beside itself,
// and the folder is its single-copy guard, so tests running at the same time
// must not share a folder).
class ProgramFolder {
public:
    explicit ProgramFolder(bool withDemo, const std::string& suffix = "") {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        dir_ = fs::path(TOLVARIN_BUILD_DIR) / "program-tests" / (name + "." + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const fs::path program(TOLVARIN_PROGRAM);
        Link(program, dir_ / "tolvarin");
        for (const auto& entry : fs::directory_iterator(program.parent_path())) {
            const std::string file = entry.path().filename().string();
            const bool archive = file.rfind("vsk", 0) == 0 && entry.path().extension() == ".dat";
            if (archive || (withDemo && file == kDemoReplayFile)) Link(entry.path(), dir_ / file);
        }
    }
    ~ProgramFolder() {
        std::error_code ec;
        if (!::testing::Test::HasFailure()) fs::remove_all(dir_, ec);
    }
    const fs::path& dir() const { return dir_; }

    // Runs the program headless with `args` and waits for it.
    RunResult Run(const std::string& args) const { return Wait(Start("--headless " + args), 0); }

    // Starts the program with `args` in `environment` (variables as for
    // env(1); "-u NAME" removes one) without waiting. Output goes to
    // out.txt and err.txt, or to `<tag>-out.txt` and `<tag>-err.txt`.
    pid_t Start(const std::string& args, const std::string& environment = kHeadlessEnvironment,
                const std::string& tag = "") const {
        const std::string prefix = tag.empty() ? "" : tag + "-";
        const std::string command = "cd '" + dir_.string() + "' && exec env " + environment +
                                    " ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 ./tolvarin " + args + " > " +
                                    prefix + "out.txt 2> " + prefix + "err.txt";
        const pid_t pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }

    // Waits for a started program: at most `seconds` (0: without end), after
    // which it is killed and the result's exit code is -1.
    RunResult Wait(pid_t pid, double seconds, const std::string& tag = "") const {
        RunResult r;
        int status = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (;;) {
            const pid_t done = waitpid(pid, &status, seconds > 0 ? WNOHANG : 0);
            if (done == pid) {
                r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (done < 0) break;
            if (std::chrono::steady_clock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const std::string prefix = tag.empty() ? "" : tag + "-";
        r.out = ReadText(dir_ / (prefix + "out.txt"));
        r.err = ReadText(dir_ / (prefix + "err.txt"));
        return r;
    }

    // Waits (at most `seconds`) until a started program has printed a state
    // hash, so it is known to be running its frames.
    bool WaitForFrames(double seconds, const std::string& tag = "") const {
        const std::string file = (tag.empty() ? "" : tag + "-") + std::string("out.txt");
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until) {
            if (!ParseHashes(ReadText(dir_ / file)).empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Writes a text input script as the program's input words; returns the
    // frame count.
    std::size_t WriteScript(const std::string& name, const std::string& text) const {
        std::vector<u16> words;
        std::string error;
        EXPECT_TRUE(ParseInputScript(text, words, error)) << error;
        WriteBytes(dir_ / name, InputScriptBytes(words));
        return words.size();
    }

private:
    static void Link(const fs::path& from, const fs::path& to) {
        std::error_code ec;
        fs::create_hard_link(from, to, ec);
        if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
    fs::path dir_;
};

}  // namespace program_test
