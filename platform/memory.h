#pragma once
// Physical memory figures of the machine (the engine's global memory status).
#include <cstdint>

namespace platform {

struct MemoryStatus {
    std::uint64_t totalPhysical = 0;      // bytes
    std::uint64_t availablePhysical = 0;  // bytes
};

// Zeros when the system does not report them.
MemoryStatus GlobalMemoryStatus();

}  // namespace platform
