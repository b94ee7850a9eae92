#include "tests/support/program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <algorithm>
#include <map>
#include <sstream>

extern char** environ;

namespace testing_support {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The last `lines` lines of a stream, for messages that must stay readable.
std::string Tail(const std::string& text, int lines) {
    std::size_t at = text.size();
    if (at > 0 && text[at - 1] == '\n') --at;
    int seen = 0;
    while (at > 0) {
        if (text[at - 1] == '\n' && ++seen == lines) break;
        --at;
    }
    return (at > 0 ? "[...]\n" : "") + text.substr(at);
}

std::string Quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n'\"\\$") == std::string::npos) return arg;
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

// The environment of the child: the test's own with `extra` set on top.
std::vector<std::string> ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
    std::map<std::string, std::string> vars;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::size_t eq = entry.find('=');
        if (eq == std::string::npos) continue;
        vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : extra) vars[name] = value;
    std::vector<std::string> out;
    out.reserve(vars.size());
    for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
    return out;
}

void CloseBoth(int fds[2]) {
    for (int i = 0; i < 2; ++i) {
        if (fds[i] >= 0) close(fds[i]);
        fds[i] = -1;
    }
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const ProgramResult& r) {
    os << "\n$ " << r.command << "\n";
    if (!r.started) {
        os << "could not be started: " << r.err << "\n";
        return os;
    }
    if (r.timedOut) {
        os << "killed after its time limit of " << r.elapsed.count() << " ms\n";
    } else if (r.signal != 0) {
        os << "ended by signal " << r.signal << " (" << strsignal(r.signal) << ")\n";
    } else {
        os << "exit code " << r.exitCode << " after " << r.elapsed.count() << " ms\n";
    }
    os << "--- stderr ---\n" << Tail(r.err, 40) << "\n--- stdout ---\n" << Tail(r.out, 10) << "\n";
    return os;
}

RunningProgram::RunningProgram(const ProgramRun& run) {
    result_.command = Quoted(run.program.string());
    for (const std::string& a : run.args) result_.command += " " + Quoted(a);

    // Everything the child needs is made before fork: after it, the child only
    // calls what is safe there.
    std::vector<std::string> argStorage;
    argStorage.push_back(run.program.string());
    argStorage.insert(argStorage.end(), run.args.begin(), run.args.end());
    std::vector<char*> argv;
    for (std::string& a : argStorage) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStorage = ChildEnvironment(run.env);
    std::vector<char*> envp;
    for (std::string& e : envStorage) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string dir = run.workingDir.string();

    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        result_.err = std::string("pipe: ") + std::strerror(errno);
        CloseBoth(outPipe);
        CloseBoth(errPipe);
        return;
    }
    start_ = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        result_.err = std::string("fork: ") + std::strerror(errno);
        CloseBoth(outPipe);
        CloseBoth(errPipe);
        return;
    }
    if (pid == 0) {
        // Its own process group, so that the time limit ends anything it started.
        setpgid(0, 0);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, STDIN_FILENO);
        if (!dir.empty() && chdir(dir.c_str()) != 0) {
            const char message[] = "cannot enter the working folder\n";
            (void)!write(STDERR_FILENO, message, sizeof(message) - 1);
            _exit(127);
        }
        execve(argv[0], argv.data(), envp.data());
        const char message[] = "cannot start the program\n";
        (void)!write(STDERR_FILENO, message, sizeof(message) - 1);
        _exit(127);
    }
    setpgid(pid, pid);  // also from this side, so the kill below never misses
    pid_ = pid;
    result_.started = true;
    close(outPipe[1]);
    close(errPipe[1]);
    fds_[0] = outPipe[0];
    fds_[1] = errPipe[0];
    std::chrono::milliseconds limit = run.timeLimit;
#if defined(__SANITIZE_ADDRESS__)
    limit *= kSanitizerSlowdown;
#endif
    deadline_ = start_ + limit;
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0 && !finished_) {
        kill(-pid_, SIGKILL);
        Finish();
    }
    for (int& fd : fds_) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

bool RunningProgram::Pump(Clock::time_point until, const std::function<bool(const std::string&)>& done) {
    char buffer[65536];
    for (;;) {
        if (done && done(result_.out)) return true;
        if (fds_[0] < 0 && fds_[1] < 0) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fds[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(left));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        std::string* sinks[2] = {&result_.out, &result_.err};
        for (int i = 0; i < 2; ++i) {
            if (fds_[i] < 0 || fds[i].revents == 0) continue;
            const ssize_t n = read(fds_[i], buffer, sizeof(buffer));
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds_[i]);
                fds_[i] = -1;
            }
        }
    }
}

bool RunningProgram::WaitForOutput(const std::function<bool(const std::string& out)>& done,
                                   std::chrono::milliseconds limit) {
    if (!result_.started || finished_) return false;
    return Pump(std::min(deadline_, Clock::now() + limit), done);
}

void RunningProgram::Signal(int signal) {
    if (pid_ > 0 && !finished_) kill(pid_, signal);
}

ProgramResult RunningProgram::Finish() {
    if (!result_.started || finished_) return result_;
    Pump(deadline_, nullptr);
    result_.timedOut = fds_[0] >= 0 || fds_[1] >= 0;
    if (result_.timedOut) kill(-pid_, SIGKILL);
    for (int& fd : fds_) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    // Anything the program left running in its group goes with it.
    kill(-pid_, SIGKILL);
    finished_ = true;
    result_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
    if (!result_.timedOut) {
        if (WIFEXITED(status)) result_.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
    }
    return result_;
}

ProgramResult RunProgram(const ProgramRun& run) { return RunningProgram(run).Finish(); }

std::vector<FrameHash> ParseFrameHashes(const std::string& out) {
    std::vector<FrameHash> hashes;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        FrameHash h;
        if (!(fields >> word >> h.frame)) continue;
        if (word == "frame" && fields >> h.hash && h.hash.size() == 16) hashes.push_back(h);
        if (word == "parts" && !hashes.empty() && hashes.back().frame == h.frame) {
            std::getline(fields >> std::ws, hashes.back().parts);
        }
    }
    return hashes;
}

std::vector<RunStatus> ParseStatusLines(const std::string& out) {
    std::vector<RunStatus> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        RunStatus s;
        if (!(fields >> word >> s.frame) || word != "status") continue;
        // clang-format off
        const std::pair<const char*, int*> named[] = {
            {"scene", &s.scene}, {"stage", &s.stage}, {"stage-frame", &s.stageFrame},
            {"phase", &s.phase}, {"script-frame", &s.scriptFrame}, {"lives", &s.lives},
            {"points", &s.points}, {"score", &s.score}};
        // clang-format on
        bool complete = true;
        for (const auto& [name, value] : named) {
            if (!(fields >> word >> *value) || word != name) complete = false;
        }
        if (complete) lines.push_back(s);
    }
    return lines;
}

void WriteInputWords(const fs::path& path, const std::vector<std::uint16_t>& words) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    for (std::uint16_t w : words) {
        const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
        f.write(bytes, 2);
    }
}

namespace {

void Link(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_hard_link(from, to, ec);
    if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

}  // namespace

ProgramFolder::ProgramFolder(const std::vector<std::string>& extraFiles) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-a-test";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    const fs::path build(TOLVARIN_BUILD_DIR);
    dir_ = build / "program-tests" / (name + "." + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Link(build / "tolvarin", dir_ / "tolvarin");
    for (const auto& entry : fs::directory_iterator(build)) {
        const std::string file = entry.path().filename().string();
        const bool archive = file.rfind("vsk", 0) == 0 && entry.path().extension() == ".dat";
        bool extra = false;
        for (const std::string& e : extraFiles) extra = extra || file == e;
        if (archive || extra) Link(entry.path(), dir_ / file);
    }
}

ProgramFolder::~ProgramFolder() {
    std::error_code ec;
    if (!::testing::Test::HasFailure()) fs::remove_all(dir_, ec);
}

ProgramResult ProgramFolder::Run(const std::vector<std::string>& args, std::chrono::milliseconds timeLimit) const {
    return RunProgram(HeadlessRun(args, timeLimit));
}

ProgramRun ProgramFolder::HeadlessRun(const std::vector<std::string>& args, std::chrono::milliseconds timeLimit) const {
    ProgramRun run;
    run.program = dir_ / "tolvarin";
    run.args.push_back("--headless");
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.workingDir = dir_;
    run.env = {{"SDL_VIDEODRIVER", "dummy"},
               {"SDL_AUDIODRIVER", "dummy"},
               {"XDG_RUNTIME_DIR", dir_.string()},
               {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}};
    run.timeLimit = timeLimit;
    return run;
}

}  // namespace testing_support
