#include "platform/memory.h"

#include <unistd.h>

namespace platform {

MemoryStatus GlobalMemoryStatus() {
    MemoryStatus status;
    const long pageSize = sysconf(_SC_PAGESIZE);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long freePages = sysconf(_SC_AVPHYS_PAGES);
    if (pageSize > 0 && pages > 0) {
        status.totalPhysical = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    }
    if (pageSize > 0 && freePages > 0) {
        status.availablePhysical = static_cast<std::uint64_t>(freePages) * static_cast<std::uint64_t>(pageSize);
    }
    return status;
}

}  // namespace platform
