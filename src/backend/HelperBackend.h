#pragma once
// Where the charge-limit helper finds its charging controller and the folder it guards.

#include "helper/ChargingHardware.h"
#include "helper/FolderAccess.h"

#include <functional>
#include <memory>
#include <string>

namespace backend {

struct HelperBackend {
    std::string root;   // where the system's folders start for this process
    std::string folder; // the helper's folder beneath root
    std::unique_ptr<helper::ChargingHardware> hardware;
    std::unique_ptr<helper::FolderAccess> access;
};

// rootFolder is the system root a virtual Mac's launchd hands its helper (empty on a real
// system); log receives a line when nothing can be enforced.
HelperBackend makeHelperBackend(const std::string& rootFolder,
                                const std::function<void(const std::string&)>& log);

} // namespace backend
