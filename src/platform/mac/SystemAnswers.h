#pragma once
// What the system's answers mean to the platform, kept apart from the calls that get them so
// they are tested where there is no Mac.

#include "platform/LoginItems.h"
#include "platform/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mac {

// SMAppService's status (0 not registered, 1 enabled, 2 requires approval, 3 not found); an
// unknown value is taken as not found, so nothing claims to launch at login.
platform::LoginItemStatus loginItemStatus(long status);

// Whether "launchctl print system/LABEL" describes a daemon that runs now.
bool launchdReportsRunning(const std::string& printOutput);

// copyKeyboardBacklightIDs' answer as the platform hands it on, from its items (each one's
// unsigned value when it is a number): the IDs in order, each 64-bit ID kept whole (read back as
// unsigned); the text "not a number" when any item is none, so no caller takes part of the list
// for all of it; null when there was no array.
platform::Value
keyboardBacklightIDs(const std::optional<std::vector<std::optional<uint64_t>>>& items);

} // namespace mac
