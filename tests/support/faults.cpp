#include "tests/support/faults.h"

#include <atomic>

namespace testing_support {
namespace {

std::atomic<bool> g_faults[static_cast<int>(platform::Fault::Count)];

bool FaultOn(platform::Fault fault) { return g_faults[static_cast<int>(fault)].load(); }

}  // namespace

void SetFault(platform::Fault fault, bool on) {
    g_faults[static_cast<int>(fault)].store(on);
    platform::InstallFaultSwitch(&FaultOn);
}

void ClearFaults() {
    for (auto& f : g_faults) f.store(false);
}

}  // namespace testing_support
