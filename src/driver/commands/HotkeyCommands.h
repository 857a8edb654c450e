#pragma once
// Script commands for the keyboard: keys with modifiers, flag changes and held combinations.

#include <QJsonObject>

#include <string>

namespace driver {

class Session;

// Runs the command when it is one of these; false with error set when it is one and failed.
// Sets handled to false for a command that is not one of these.
bool runHotkeyCommand(Session& session, const std::string& cmd, const std::string& rest,
                      bool& handled, std::string& error);

// The held combinations and their owners, each display's hotkey, the recording and the buttons.
void addHotkeyState(Session& session, QJsonObject& state);

} // namespace driver
