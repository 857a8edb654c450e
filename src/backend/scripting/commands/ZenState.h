#pragma once
// The state of a Zen run, the sounds played and the application's activation policy.

#include <QJsonObject>

namespace scripting {

class Session;

void addZenState(Session& session, QJsonObject& state);

} // namespace scripting
