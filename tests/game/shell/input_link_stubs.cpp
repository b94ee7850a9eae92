// Weak stand-ins for the application, settings and window symbols that the
// input tests link against; the real definitions win whenever they are
// linked in.
#include "engine/core/application.h"
#include "game/shell/save_files.h"
#include "platform/window.h"

__attribute__((weak)) ConfigData g_ConfigData;

__attribute__((weak)) ApplicationState& App() {
    static ApplicationState state;
    return state;
}
__attribute__((weak)) i32 IsApplicationActive() { return App().active; }
__attribute__((weak)) i32 ShowMessageBox(u32, const char*, const char*, ...) { return 1; }
__attribute__((weak)) void LogPrintf(const char*, ...) {}

namespace platform {
__attribute__((weak)) bool WindowHasFocus() { return false; }
}  // namespace platform
