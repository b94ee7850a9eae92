// Stand-ins for the engine and window functions the services call, used only
// while the test program has no other definition of them. The tests install
// sinks, so none of these is expected to run.
#include <string>

#include "engine/core/application.h"
#include "platform/system.h"
#include "platform/window.h"

__attribute__((weak)) void LogPrintf(const char*, ...) {}
__attribute__((weak)) i32 ShowMessageBox(u32, const char*, const char*, ...) { return 1; }

namespace platform {
__attribute__((weak)) std::string Utf8ToSjis(const std::string& utf8) { return utf8; }
__attribute__((weak)) void PostAppMessage(std::uint32_t, std::uintptr_t, std::intptr_t) {}
}  // namespace platform
