#pragma once
// Fault injection for tests: switches for the platform's fault points
// (platform/fault_points.h). Every fault is off unless a test sets it.
#include "platform/fault_points.h"

namespace testing_support {

void SetFault(platform::Fault fault, bool on = true);
void ClearFaults();

}  // namespace testing_support
