#include "platform/sim/SimSharedFiles.h"

#include "platform/SystemPaths.h"
#include "platform/sim/VirtualOwnership.h"

namespace sim {

bool SimSharedFiles::write(const std::string& systemPath, const std::string& text,
                           std::string& error) {
    const OwnershipTable table(paths_.root());
    const auto slash = systemPath.find_last_of('/');
    const std::string folder = slash == 0 ? "/" : systemPath.substr(0, slash);
    if (!table.userMayWriteFile(systemPath)) {
        error = "Permission denied";
        return false;
    }
    return platform::writeSharedFile(paths_.map(systemPath), text, error,
                                     table.userMayWriteFolder(folder));
}

} // namespace sim
