#pragma once
// Commands that drive the program's windows the way a person does, whatever the control.

#include <QJsonObject>

#include <functional>
#include <string>

namespace driver {

class Session;

// Runs the command when it is one of these; false with error set when it is one and failed.
// Sets handled to false for a command that is not one of these. advance moves virtual time.
bool runWindowCommand(Session& session, const std::string& cmd, const std::string& rest,
                      const std::function<void(double)>& advance, bool& handled,
                      std::string& error);

// Every control of every open window, the cards' collapse states and the front window's frame.
void addWindowState(QJsonObject& state);

} // namespace driver
