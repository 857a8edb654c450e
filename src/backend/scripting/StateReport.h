#pragma once
// The program's and the machine's observable state as one JSON object.

#include <QJsonObject>

namespace scripting {

class Session;

QJsonObject stateReport(Session& session);

} // namespace scripting
