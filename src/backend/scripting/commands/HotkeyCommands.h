#pragma once
// Script commands for the keyboard: keys with modifiers, flag changes and held combinations.

#include <QJsonObject>

#include <string>

namespace scripting {

class Session;

// The held combinations and their owners, each display's hotkey, the recording and the buttons.
void addHotkeyState(Session& session, QJsonObject& state);

} // namespace scripting
