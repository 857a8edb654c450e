#pragma once
// Script commands and state for display modes, the scaling picker and the arrangement.

#include <QJsonObject>

#include <string>

namespace scripting {

class Session;

// displayConfig: each display's mode, origin, main flag and master; the transactions; the
// control window's resolution pop-ups, scaling pickers and arrangement pop-ups.
void addDisplayModeState(Session& session, QJsonObject& state);

} // namespace scripting
