#include "engine/app/screenshot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

bool g_failed = false;

bool Failed(const std::string& message) {
    std::fprintf(stderr, "tolvarin: %s\n", message.c_str());
    g_failed = true;
    return false;
}

}  // namespace

std::string ScreenshotPath(const std::string& folder, i64 frame) {
    char name[48];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
    return (std::filesystem::path(folder) / name).string();
}

void ResetScreenshots() {
    SavedFrames().clear();
    g_failed = false;
}

bool ScreenshotFailed() { return g_failed; }

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
    if (!GetBackBuffer(&back)) return Failed("no back buffer for the screenshot " + path);
    const bool saved = platform::gfx::SaveSurfacePng(path, back);
    back->Release();
    if (!saved) return Failed("cannot write the screenshot " + path + ": " + std::strerror(errno));
    return true;
}

void PrintPictureHashAfterFrame(i64 framesRun) {
    const i32 every = Options().pictureHashEvery;
    if (every <= 0 || framesRun <= 0 || framesRun % every != 0 || !FrameDrawn(Options(), framesRun)) return;
    platform::gfx::Direct3DSurface8* back = nullptr;
    if (!GetBackBuffer(&back)) return;
    const unsigned long long hash = platform::gfx::HashSurface(back);
    back->Release();
    std::printf("picture %lld %016llx\n", static_cast<long long>(framesRun), hash);
}
