#include "backend/HelperBackend.h"

#include "platform/sim/VirtualChargingHardware.h"
#include "platform/sim/VirtualOwnership.h"

#include <cstdio>
#include <cstdlib>

namespace backend {

namespace {

const char* const kHelperFolder = "/Library/Application Support/Nightlid";

} // namespace

// The tests and the virtual Mac read what the helper says on its standard error.
void writeHelperLog(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

// A virtual Mac's launchd names the machine's root folder, where its system folders and its
// charging controller live.
std::string helperSystemRoot(const std::function<void(const std::string&)>& log) {
    const char* root = std::getenv("NIGHTLID_SYSTEM_ROOT");
    if (root && *root) return root;
    log("nightlid-helper: started without a virtual Mac (NIGHTLID_SYSTEM_ROOT is not set)");
    return "";
}

HelperBackend makeHelperBackend(const std::function<void(const std::string&)>& log) {
    HelperBackend backend;
    const std::string root = helperSystemRoot(log);
    if (root.empty()) return backend;
    backend.root = root;
    backend.folder = kHelperFolder;
    backend.hardware = sim::makeVirtualChargingHardware(root, log);
    backend.access = sim::makeVirtualFolderAccess(root, kHelperFolder);
    return backend;
}

} // namespace backend
