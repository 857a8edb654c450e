#pragma once
// The one place that picks the platform the program runs on.

#include "app/LaunchOptions.h"

#include <string>

class QApplication;

namespace backend {

// True where this build can run on the machine itself rather than on a virtual Mac.
bool hasRealBackend();

// The script commands and state fields, for nightlid --help-script: needs no machine or window.
std::string scriptHelp();

// Builds the platform the options pick, runs the program on it and returns the exit code.
int runProgram(QApplication& app, const LaunchOptions& options);

} // namespace backend
