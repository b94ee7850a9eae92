#include "platform/fault_points.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<FaultSwitch> g_switch{nullptr};

}  // namespace

void InstallFaultSwitch(FaultSwitch faultSwitch) { g_switch.store(faultSwitch); }

bool FaultSet(Fault fault) {
    const FaultSwitch s = g_switch.load();
    return s != nullptr && s(fault);
}

}  // namespace platform
