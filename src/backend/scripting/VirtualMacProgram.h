#pragma once
// The program on a virtual Mac: a script or the tour headless in virtual time, or the simulator
// window beside the program on the real clock.

#include "app/LaunchOptions.h"

class QApplication;

namespace sim {

// Exit codes as the script runner's: 2 for a machine or profile that cannot be used.
int runOnVirtualMac(QApplication& app, const LaunchOptions& options);

} // namespace sim
