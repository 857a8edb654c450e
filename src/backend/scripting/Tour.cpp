#include "backend/scripting/Tour.h"

#include <QFile>

// Lives in the simulator's resources with the bundled machines.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace scripting {

std::optional<std::string> tourScript() {
    initResources();
    QFile file(":/tour.nls");
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll().toStdString();
}

} // namespace scripting
