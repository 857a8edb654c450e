#pragma once
// The one place that picks the platform the program runs on.

#include "app/LaunchOptions.h"

class QApplication;

namespace backend {

// True where this build can run on the machine itself rather than on a virtual Mac.
bool hasRealBackend();

// Builds the platform the options pick, runs the program on it and returns the exit code.
int runProgram(QApplication& app, const LaunchOptions& options);

} // namespace backend
