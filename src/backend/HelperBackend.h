#pragma once
// Where the charge-limit helper finds its charging controller and the folder it guards. Each
// helper executable links one definition: the shipped nightlid-helper the system's
// (HostHelperBackend.cpp), the virtual Mac's helper the machine's (VirtualHelperBackend.cpp).

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

// Where this helper's system folders start ("/" on a real system); empty, and log told why, when
// it cannot tell.
std::string helperSystemRoot(const std::function<void(const std::string&)>& log);

// One line of the helper's log, where this system keeps it: a Mac's unified log (launchd throws
// a daemon's standard error away) and standard error, for a helper started by hand.
void writeHelperLog(const std::string& line);

// log receives a line when nothing can be enforced. Empty hardware: the helper cannot run.
HelperBackend makeHelperBackend(const std::function<void(const std::string&)>& log);

} // namespace backend
