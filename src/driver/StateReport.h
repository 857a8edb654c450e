#pragma once
// The program's and the machine's observable state as one JSON object.

#include <QJsonObject>

namespace driver {

class Session;

QJsonObject stateReport(Session& session);

} // namespace driver
