#pragma once
// Commands that drive the program's windows the way a person does, whatever the control.

#include <QJsonObject>

#include <functional>
#include <string>

namespace scripting {

class Session;

// Every control of every open window, the cards' collapse states and the front window's frame.
void addWindowState(QJsonObject& state);

} // namespace scripting
