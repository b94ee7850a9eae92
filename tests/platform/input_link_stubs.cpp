// Weak stand-ins for functions of the window layer that the input tests link
// against; the real definitions win whenever they are linked in.
#include "platform/window.h"

namespace platform {
__attribute__((weak)) bool WindowHasFocus() { return false; }
}  // namespace platform
