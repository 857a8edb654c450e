#pragma once
// Script commands for the battery and the adapter, and the state of power and the helper.

#include <QJsonObject>

#include <string>

namespace scripting {

class Session;

// `power`, `files`, `helper` and `assertions`.
void addPowerState(Session& session, QJsonObject& state);

} // namespace scripting
