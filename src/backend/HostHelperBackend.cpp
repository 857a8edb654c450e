#include "backend/HelperBackend.h"

#ifdef NIGHTLID_MAC_BACKEND
#include "platform/mac/MacSmc.h"

#include <os/log.h>
#endif

#include <cstdio>
#include <optional>

namespace backend {

namespace {

const char* const kHelperFolder = "/Library/Application Support/Nightlid";

#ifndef NIGHTLID_MAC_BACKEND
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
#endif

} // namespace

void writeHelperLog(const std::string& line) {
#ifdef NIGHTLID_MAC_BACKEND
    static os_log_t log = os_log_create("com.nightlid.helper", "charging");
    os_log_with_type(log, OS_LOG_TYPE_DEFAULT, "%{public}s", line.c_str());
#endif
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

std::string helperSystemRoot(const std::function<void(const std::string&)>&) {
    return "/";
}

HelperBackend makeHelperBackend(const std::function<void(const std::string&)>& log) {
    HelperBackend backend;
    backend.root = "/";
    backend.folder = kHelperFolder;
#ifdef NIGHTLID_MAC_BACKEND
    backend.hardware = mac::makeSmcChargingHardware(log);
#else
    backend.hardware = std::make_unique<NoChargingHardware>();
    log("nightlid-helper: no charging controller on this system; nothing is enforced");
#endif
    backend.access = helper::makeHostFolderAccess(kHelperFolder);
    return backend;
}

} // namespace backend
