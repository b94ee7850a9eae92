#include "engine/core/application.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/system.h"
#include "platform/window.h"

namespace {

ApplicationState g_app;
std::string g_logFileName;

}  // namespace

ApplicationState& App() { return g_app; }

void ResetApplicationState() { g_app = ApplicationState(); }

void SetApplicationName(const char* name) {
    std::strncpy(g_app.applicationName, name, sizeof g_app.applicationName - 1);
    g_app.applicationName[sizeof g_app.applicationName - 1] = 0;
}

void SetScreenSize(i32 width, i32 height) {
    g_app.clientWidth = width;
    g_app.clientHeight = height;
}

void SetDrawStartupLog(i32 flag) { g_app.drawStartupText = flag; }
void SetFrameRate(i32 fps) { g_app.frameRate = fps; }
void SetWindowMode(i32 windowed) { g_app.windowed = windowed; }
void SetShowCursor(i32 show) { g_app.showCursor = show; }
void SetUseSubsystems(i32 mask) { g_app.SubsystemMask = static_cast<u32>(mask) | kSubsystemGraphics; }

i32 AddMessageHook(u32 message, MessageHookFn callback) {
    if (g_app.hookCount >= kMaxMessageHooks) return 0;
    g_app.hooks[g_app.hookCount].message = message;
    g_app.hooks[g_app.hookCount].callback = callback;
    ++g_app.hookCount;
    return 1;
}

void ApplicationExit() {
    g_app.exitRequested = 1;
    if (platform::HasMainWindow()) platform::PostAppMessage(platform::WM_CLOSE);
}

i32 ResetCurrentDirectory() { return platform::SetCurrentFolder(g_app.applicationFolder) ? 1 : 0; }

const char* GetApplicationDirectory() {
    std::memcpy(g_app.folderCopy, g_app.applicationFolder, sizeof g_app.folderCopy);
    return g_app.folderCopy;
}

void GetScreenSize(i32* width, i32* height) {
    if (width) *width = g_app.clientWidth;
    if (height) *height = g_app.clientHeight;
}

i32 IsWindowMode() { return g_app.windowed; }
i32 IsApplicationActive() { return g_app.active; }
i32 IsThreadedInitialize() { return (g_app.SubsystemMask & kSubsystemThreadedStart) ? 1 : 0; }
bool HasWindow() { return g_app.hasWindow; }

i32 ShowMessageBox(u32 type, const char* caption, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return platform::MessageBox(type, caption ? caption : "", text);
}

void SetLogFileName(const char* path) { g_logFileName = path ? path : ""; }

void LogPrintf(const char* format, ...) {
    if (g_logFileName.empty()) return;
    std::FILE* f = std::fopen(g_logFileName.c_str(), "at");
    if (!f) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fclose(f);
}

i32 IsSjisLeadByte(u8 byte) { return ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFE)) ? 1 : 0; }

void AddFrameCount(i32 n) { g_app.frameCount += n; }
void AddPolygonCount(i32 n) { g_app.polygonCount += n; }
