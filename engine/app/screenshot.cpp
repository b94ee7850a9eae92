#include "engine/app/screenshot.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "engine/app/run_options.h"
#include "engine/graphics/device.h"
#include "platform/gfx/device.h"
#include "platform/gfx/present.h"

namespace {

std::set<i64>& SavedFrames() {
    static std::set<i64> saved;
    return saved;
}

}  // namespace

std::string ScreenshotPath(const std::string& folder, i64 frame) {
    char name[48];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
    return (std::filesystem::path(folder) / name).string();
}

void ResetScreenshots() { SavedFrames().clear(); }

bool SaveScreenshotAfterFrame(i64 framesRun) {
    const RunOptions& options = Options();
    if (framesRun <= 0 || options.screenshotAt.empty()) return true;
    if (std::find(options.screenshotAt.begin(), options.screenshotAt.end(), framesRun) == options.screenshotAt.end())
        return true;
    if (!SavedFrames().insert(framesRun).second) return true;
    const std::string path = ScreenshotPath(options.screenshotDir, framesRun);
    std::error_code ec;
    if (!options.screenshotDir.empty()) std::filesystem::create_directories(options.screenshotDir, ec);
    platform::gfx::Direct3DSurface8* back = nullptr;
    if (!GetBackBuffer(&back)) {
        std::fprintf(stderr, "tolvarin: no back buffer for the screenshot %s\n", path.c_str());
        return false;
    }
    const bool saved = platform::gfx::SaveSurfacePng(path, back);
    back->Release();
    if (!saved) std::fprintf(stderr, "tolvarin: cannot write the screenshot %s\n", path.c_str());
    return saved;
}
