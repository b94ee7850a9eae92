#include "engine/app/run_options.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

RunOptions& Options() {
    static RunOptions options;
    return options;
}

bool NoDisplayAvailable() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) return true;
    return !(x && *x) && !(w && *w);
}

namespace {

bool ParseCount(const char* text, i64& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (*end != 0 || v < 0) return false;
    out = v;
    return true;
}

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
        if (a == "--headless") {
            out.headless = true;
        } else if (a == "--no-draw") {
            out.noDraw = true;
        } else if (a == "--frames") {
            const char* v = value("--frames");
            if (!v) return false;
            if (!ParseCount(v, out.frameLimit)) {
                error = "--frames takes a whole number of frames";
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
        } else if (a == "--hash-every") {
            const char* v = value("--hash-every");
            if (!v) return false;
            i64 n = 0;
            if (!ParseCount(v, n) || n == 0 || n > 0x7FFFFFFF) {
                error = "--hash-every takes a positive number of frames";
                return false;
            }
            out.hashEvery = static_cast<i32>(n);
        } else if (a == "--screenshot-at") {
            const char* v = value("--screenshot-at");
            if (!v) return false;
            std::stringstream ss(v);
            std::string item;
            while (std::getline(ss, item, ',')) {
                i64 n = 0;
                if (!ParseCount(item.c_str(), n)) {
                    error = "--screenshot-at takes frame numbers separated by commas";
                    return false;
                }
                out.screenshotAt.push_back(n);
            }
        } else {
            error = "unknown option " + a;
            return false;
        }
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
