#include "platform/sim/VirtualChargingHardware.h"

#include "helper/SafeFiles.h"

#include <sstream>

namespace sim {

namespace {

constexpr const char* kControllerFolder = "/private/var/db/nightlid-charging";

class ControllerFiles : public helper::ChargingHardware {
  public:
    explicit ControllerFiles(std::string root) : root_(std::move(root)) {}

    std::optional<helper::BatteryReading> read() override {
        const helper::SafeDirectory controller(root_, kControllerFolder);
        std::string error;
        auto text = controller.read("battery", 64, error);
        if (!text) return std::nullopt;
        std::istringstream in(*text);
        helper::BatteryReading reading;
        int adapter = 0;
        if (!(in >> reading.percent >> adapter) || reading.percent < 0 || reading.percent > 100)
            return std::nullopt;
        reading.adapterConnected = adapter != 0;
        return reading;
    }

    bool apply(const helper::ChargeControl& control, std::string& error) override {
        const helper::SafeDirectory controller(root_, kControllerFolder);
        const std::string text = std::string(control.chargingInhibited ? "1" : "0") + " " +
                                 (control.adapterBypassed ? "1" : "0");
        return controller.write("control", text, error);
    }

  private:
    std::string root_;
};

} // namespace

std::unique_ptr<helper::ChargingHardware> makeVirtualChargingHardware(const std::string& root) {
    return std::make_unique<ControllerFiles>(root);
}

} // namespace sim
