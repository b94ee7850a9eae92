#include "platform/faults.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> g_faults[static_cast<int>(Fault::Count)];

}  // namespace

void SetFault(Fault fault, bool on) { g_faults[static_cast<int>(fault)].store(on); }

bool FaultSet(Fault fault) { return g_faults[static_cast<int>(fault)].load(); }

void ClearFaults() {
    for (auto& f : g_faults) f.store(false);
}

}  // namespace platform
