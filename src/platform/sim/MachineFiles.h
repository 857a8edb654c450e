#pragma once
// The files a virtual Mac's system folders hold from the start: the application bundle with
// its helper, the system profiler tool, and the power-management preferences.

#include "platform/sim/MachineDescription.h"

namespace platform {
class SystemPaths;
}

namespace sim {

void writeMachineFiles(const MachineDescription& description, const platform::SystemPaths& paths);

} // namespace sim
