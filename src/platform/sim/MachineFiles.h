#pragma once
// The files a virtual Mac's system folders hold from the start: the application bundle with
// its helper, the system profiler tool, and the power-management preferences.

#include "platform/sim/MachineDescription.h"

namespace platform {
class SystemLog;
class SystemPaths;
} // namespace platform

namespace sim {

// Each file is written whole and never through a link; one that is not a regular file (a FIFO, a
// device, a folder, a link) is left as it is and said in the log. The bundle's helper is copied in
// when its path is first mapped.
void writeMachineFiles(const MachineDescription& description, platform::SystemPaths& paths,
                       platform::SystemLog& log, bool profileKept);

} // namespace sim
