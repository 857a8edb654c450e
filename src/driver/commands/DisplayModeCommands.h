#pragma once
// Script commands and state for display modes, the scaling picker and the arrangement.

#include <QJsonObject>

#include <string>

namespace driver {

class Session;

// Runs the command when it is one of these; false with error set when it is one and failed.
// Sets handled to false for a command that is not one of these.
bool runDisplayModeCommand(Session& session, const std::string& cmd, const std::string& rest,
                           bool& handled, std::string& error);

// displayConfig: each display's mode, origin, main flag and master; the transactions; the
// control window's resolution pop-ups, scaling pickers and arrangement pop-ups.
void addDisplayModeState(Session& session, QJsonObject& state);

} // namespace driver
