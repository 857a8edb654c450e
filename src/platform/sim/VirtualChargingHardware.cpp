#include "platform/sim/VirtualChargingHardware.h"

#include "helper/SafeFiles.h"
#include "helper/SmcChargingHardware.h"
#include "platform/sim/VirtualSmc.h"

#include <sstream>

namespace sim {

namespace {

class BatteryFile : public helper::BatteryGauge {
  public:
    explicit BatteryFile(std::string root) : root_(std::move(root)) {}

    std::optional<helper::BatteryReading> read() override {
        const helper::SafeDirectory controller(root_, kChargingControllerFolder);
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

  private:
    std::string root_;
};

} // namespace

std::unique_ptr<helper::ChargingHardware>
makeVirtualChargingHardware(const std::string& root,
                            const std::function<void(const std::string&)>& log) {
    const helper::SafeDirectory controller(root, kChargingControllerFolder);
    std::string error;
    const auto keys = controller.read("keys", 16, error);
    const auto firmware = smcFirmwareNamed(keys ? *keys : "").value_or(SmcFirmware::newer);
    auto smc = std::make_unique<VirtualSmc>(firmware, [root](bool inhibited, bool bypassed) {
        const helper::SafeDirectory folder(root, kChargingControllerFolder);
        std::string ignored;
        folder.write("control", std::string(inhibited ? "1" : "0") + " " + (bypassed ? "1" : "0"),
                     ignored);
    });
    return std::make_unique<helper::SmcChargingHardware>(std::move(smc),
                                                         std::make_unique<BatteryFile>(root), log);
}

} // namespace sim
