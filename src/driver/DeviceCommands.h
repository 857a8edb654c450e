#pragma once
// Script commands that act on displays, gamma tables, backlights and the appearance.

#include <string>

namespace driver {

class Session;

// Runs the command when it is one of these; false with error set when it is one and failed.
// Sets handled to false for a command that is not one of these.
bool runDeviceCommand(Session& session, const std::string& cmd, const std::string& rest,
                      bool& handled, std::string& error);

} // namespace driver
