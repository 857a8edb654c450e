#pragma once
// Script commands for the battery and the adapter, and the state of power and the helper.

#include <QJsonObject>

#include <string>

namespace driver {

class Session;

// Runs the command when it is one of these; false with error set when it is one and failed.
// Sets handled to false for a command that is not one of these.
bool runPowerCommand(Session& session, const std::string& cmd, const std::string& rest,
                     bool& handled, std::string& error);

// `power`, `files`, `helper` and `assertions`.
void addPowerState(Session& session, QJsonObject& state);

} // namespace driver
