#pragma once
// The state of a Pomodoro run, its panels, break screen and start overlay, and the
// notifications delivered.

#include <QJsonObject>

namespace driver {

class Session;

void addPomodoroState(Session& session, QJsonObject& state);

} // namespace driver
