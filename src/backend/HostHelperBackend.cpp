#include "backend/HelperBackend.h"

#include <optional>

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
};

} // namespace

HelperBackend makeHelperBackend(const std::function<void(const std::string&)>& log) {
    HelperBackend backend;
    backend.root = "/";
    backend.folder = kHelperFolder;
    backend.hardware = std::make_unique<NoChargingHardware>();
    backend.access = helper::makeHostFolderAccess(kHelperFolder);
    log("nightlid-helper: no charging controller on this system; nothing is enforced");
    return backend;
}

} // namespace backend
