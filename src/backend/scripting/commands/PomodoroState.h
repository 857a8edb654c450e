#pragma once
// The state of a Pomodoro run, its panels, break screen and start overlay, and the
// notifications delivered.

#include <QJsonObject>

namespace scripting {

class Session;

void addPomodoroState(Session& session, QJsonObject& state);

} // namespace scripting
