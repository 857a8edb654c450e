#pragma once
// What the system's answers mean to the platform, kept apart from the calls that get them so
// they are tested where there is no Mac.

#include "platform/LoginItems.h"

#include <string>

namespace mac {

// SMAppService's status (0 not registered, 1 enabled, 2 requires approval, 3 not found); an
// unknown value is taken as not found, so nothing claims to launch at login.
platform::LoginItemStatus loginItemStatus(long status);

// Whether "launchctl print system/LABEL" describes a daemon that runs now.
bool launchdReportsRunning(const std::string& printOutput);

} // namespace mac
