#include "engine/app/run_options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "platform/gfx/draw_list.h"

RunOptions& Options() {
    static RunOptions options;
    return options;
}

bool FrameDrawn(const RunOptions& options, i64 n) {
    if (options.noDraw) return false;
    if (options.drawFrames.empty()) return true;
    for (const auto& [first, last] : options.drawFrames) {
        if (n >= first && n <= last) return true;
    }
    return false;
}

i32 DefaultDrawThreads(bool headless, int processors) {
    if (headless) return 1;
    return std::clamp(processors / 2, 1, 4);
}

bool NoDisplayAvailable() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) return true;
    return !(x && *x) && !(w && *w);
}

namespace {

// A plain decimal number from `low` to kMaxRunFrames: digits only (no sign,
// no spaces), so nothing out of range is clamped or wrapped silently.
bool ParseCount(const char* text, i64 low, i64& out) {
    if (!text || !*text) return false;
    i64 v = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
        if (v > kMaxRunFrames) return false;
    }
    if (v < low) return false;
    out = v;
    return true;
}

std::string CountRange(i64 low) { return "from " + std::to_string(low) + " to " + std::to_string(kMaxRunFrames); }

}  // namespace

bool ParseRunOptions(int argc, char** argv, RunOptions& out, std::string& error) {
    out = RunOptions();
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--headless") {
            out.headless = true;
        } else if (a == "--no-draw") {
            out.noDraw = true;
        } else if (a == "--frames") {
            const char* v = value("--frames");
            if (!v) return false;
            if (!ParseCount(v, 0, out.frameLimit)) {
                error = "--frames takes a whole number of frames " + CountRange(0) + ", not \"" + v + "\"";
                return false;
            }
        } else if (a == "--input" || a == "--record" || a == "--play" || a == "--screenshot-dir" ||
                   a == "--frame-times") {
            const char* v = value(a.c_str());
            if (!v) return false;
            if (a == "--input") out.inputFile = v;
            if (a == "--record") out.recordFile = v;
            if (a == "--play") out.playFile = v;
            if (a == "--screenshot-dir") out.screenshotDir = v;
            if (a == "--frame-times") out.frameTimesFile = v;
        } else if (a == "--draw-frames") {
            const char* v = value("--draw-frames");
            if (!v) return false;
            std::stringstream ss(v);
            std::string item;
            while (std::getline(ss, item, ',')) {
                const std::size_t dash = item.find('-');
                i64 first = 0, last = 0;
                if (dash == std::string::npos || !ParseCount(item.substr(0, dash).c_str(), 1, first) ||
                    !ParseCount(item.substr(dash + 1).c_str(), first, last)) {
                    error = "--draw-frames takes ranges FIRST-LAST of frame numbers " + CountRange(1) +
                            " separated by commas, not \"" + v + "\"";
                    return false;
                }
                out.drawFrames.push_back({first, last});
            }
        } else if (a == "--draw-threads") {
            const char* v = value("--draw-threads");
            if (!v) return false;
            i64 n = 0;
            if (!ParseCount(v, 1, n) || n > platform::gfx::kMaxDrawThreads) {
                error = "--draw-threads takes a number of threads from 1 to " +
                        std::to_string(platform::gfx::kMaxDrawThreads) + ", not \"" + v + "\"";
                return false;
            }
            out.drawThreads = static_cast<i32>(n);
        } else if (a == "--hash-every" || a == "--hash-parts" || a == "--status-every" || a == "--picture-hash-every") {
            const char* v = value(a.c_str());
            if (!v) return false;
            i64 n = 0;
            if (!ParseCount(v, 1, n)) {
                error = a + " takes a number of frames " + CountRange(1) + ", not \"" + v + "\"";
                return false;
            }
            i32& every = a == "--hash-every"           ? out.hashEvery
                         : a == "--hash-parts"         ? out.hashPartsEvery
                         : a == "--picture-hash-every" ? out.pictureHashEvery
                                                       : out.statusEvery;
            every = static_cast<i32>(n);
        } else if (a == "--screenshot-at") {
            const char* v = value("--screenshot-at");
            if (!v) return false;
            std::stringstream ss(v);
            std::string item;
            while (std::getline(ss, item, ',')) {
                i64 n = 0;
                if (!ParseCount(item.c_str(), 0, n)) {
                    error = "--screenshot-at takes frame numbers " + CountRange(0) + " separated by commas, not \"" +
                            v + "\"";
                    return false;
                }
                out.screenshotAt.push_back(n);
            }
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (!out.drawFrames.empty() && !out.screenshotAt.empty()) {
        error = "--draw-frames and --screenshot-at cannot be used together";
        return false;
    }
    if (out.noDraw && !out.screenshotAt.empty()) {
        // A screenshot of a run that draws nothing would be an empty picture.
        error = "--no-draw and --screenshot-at cannot be used together";
        return false;
    }
    if (!out.screenshotAt.empty() && out.screenshotDir.empty()) out.screenshotDir = "screens";
    if (NoDisplayAvailable()) out.headless = true;
    return true;
}

const char* RunOptionsUsage() {
    return "usage: tolvarin [options]\n"
           "  --help                  print these options and exit\n"
           "  --headless              no window and no sound device; a virtual clock\n"
           "                          (chosen by itself when there is no display)\n"
           "  --frames N              end the run after N frames\n"
           "  --input FILE            scripted input: one little-endian 16-bit input word a frame\n"
           "  --record FILE           write the run's replay to FILE at the end\n"
           "  --play FILE             play the replay FILE back and end when its input is used up\n"
           "  --hash-every N          print \"frame <n> <hash>\" of the game state every N frames\n"
           "  --hash-parts N          print \"parts <n> player <hash> enemies <hash> ...\", the named\n"
           "                          parts of that hash, every N frames\n"
           "  --status-every N        print \"status <n> scene <s> stage <i> ...\" every N frames\n"
           "  --screenshot-at N[,N..] save the picture after these frames as PNG files\n"
           "  --screenshot-dir DIR    where the screenshots go (default: screens beside the program)\n"
           "  --no-draw               run without drawing anything (not with --screenshot-at)\n"
           "  --draw-frames A-B[,A-B..] draw only these frames (counted from 1); the others run as\n"
           "                          with --no-draw\n"
           "  --draw-threads N        draw each frame on N threads (1 to 16; the pixels are the same);\n"
           "                          by default 1 without a window, else half the processors up to 4\n"
           "  --picture-hash-every N  print \"picture <n> <hash>\", a hash of the picture's pixels, every N frames\n"
           "  --frame-times FILE      write each frame's update and drawing time to FILE at the end\n"
           "Frame numbers and counts go up to 2147483647.\n";
}
