#include "platform/mac/PendingServices.h"

namespace mac {

namespace {

// Owed by the charge helper's step: reading the battery and switching charging through the
// system management controller's keys.
class PendingSmcChargingHardware : public helper::ChargingHardware {
  public:
    std::optional<helper::BatteryReading> read() override { return std::nullopt; }
    bool apply(const helper::ChargeControl&, std::string& error) override {
        error = "charging control through the system management controller comes with the "
                "charge helper's next step";
        return false;
    }
};

} // namespace

std::unique_ptr<helper::ChargingHardware> makePendingSmcChargingHardware() {
    return std::make_unique<PendingSmcChargingHardware>();
}

} // namespace mac
