// Weak stand-ins for the application state and the main window, so that the
// device layer links in this test program before (and whether or not) the
// real engine/core and platform window code is linked. A real definition
// always wins over these.
#include <cstdarg>
#include <cstdio>

#include "engine/core/application.h"
#include "platform/window.h"
#include "tests/engine/graphics/app_stand_in.h"

namespace {
ApplicationState g_state;
}

StandInCounters& StandIn() {
    static StandInCounters counters;
    return counters;
}

__attribute__((weak)) ApplicationState& App() {
    StandIn().active = true;
    return g_state;
}
__attribute__((weak)) void ResetApplicationState() { App() = ApplicationState{}; }
__attribute__((weak)) void SetWindowMode(i32 windowed) { App().windowed = windowed; }
__attribute__((weak)) void SetScreenSize(i32 width, i32 height) {
    App().clientWidth = width;
    App().clientHeight = height;
}
__attribute__((weak)) void GetScreenSize(i32* width, i32* height) {
    if (width) *width = App().clientWidth;
    if (height) *height = App().clientHeight;
}
__attribute__((weak)) i32 IsWindowMode() { return App().windowed; }
__attribute__((weak)) i32 IsThreadedInitialize() { return (App().SubsystemMask & kSubsystemThreadedStart) ? 1 : 0; }
__attribute__((weak)) void ApplicationExit() { App().exitRequested = 1; }
__attribute__((weak)) void AddFrameCount(i32 n) { App().frameCount += n; }
__attribute__((weak)) void AddPolygonCount(i32 n) { App().polygonCount += n; }
__attribute__((weak)) i32 ShowMessageBox(u32, const char* caption, const char*, ...) {
    ++StandIn().messageBoxes;
    StandIn().lastCaption = caption ? caption : "";
    return 1;
}
__attribute__((weak)) void LogPrintf(const char*, ...) {}

namespace platform {
__attribute__((weak)) void* NativeWindow() { return nullptr; }
__attribute__((weak)) bool HasMainWindow() { return false; }
__attribute__((weak)) void SetFullScreen(bool) {}
}  // namespace platform
