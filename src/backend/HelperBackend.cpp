#include "backend/HelperBackend.h"

#include "platform/sim/VirtualChargingHardware.h"
#include "platform/sim/VirtualOwnership.h"

#ifdef NIGHTLID_MAC_BACKEND
#include "platform/mac/MacSmc.h"
#endif

namespace backend {

namespace {

const char* const kHelperFolder = "/Library/Application Support/Nightlid";

// No charging controller this build can reach: nothing is read, so nothing is decided.
class NoChargingHardware : public helper::ChargingHardware {
  public:
    std::optional<helper::BatteryReading> read() override { return std::nullopt; }
    bool apply(const helper::ChargeControl&, std::string& error) override {
        error = "no charging controller on this system";
        return false;
    }
    std::string whyNotControlled() const override {
        return "no charging controller on this system";
    }
    bool restoreNormalCharging(std::string&) override { return true; }
};

} // namespace

HelperBackend makeHelperBackend(const std::string& rootFolder,
                                const std::function<void(const std::string&)>& log) {
    HelperBackend backend;
    // A real system's folders are walked from /; a virtual Mac's from its root folder.
    backend.root = rootFolder.empty() ? "/" : rootFolder;
    backend.folder = kHelperFolder;
    if (rootFolder.empty()) {
#ifdef NIGHTLID_MAC_BACKEND
        backend.hardware = mac::makeSmcChargingHardware(log);
#else
        backend.hardware = std::make_unique<NoChargingHardware>();
        log("nightlid-helper: no charging controller on this system; nothing is enforced");
#endif
        backend.access = helper::makeHostFolderAccess(kHelperFolder);
    } else {
        backend.hardware = sim::makeVirtualChargingHardware(rootFolder, log);
        backend.access = sim::makeVirtualFolderAccess(rootFolder, kHelperFolder);
    }
    return backend;
}

} // namespace backend
