#pragma once
// Charging switched through the system management controller's keys, as they are publicly
// reported for Apple-silicon laptops (docs/smc-keys.md): newer firmware stops charging with CHTE
// and takes the machine off its adapter with CHIE, older firmware uses CH0B and CH0C, and CH0I.
// Which set a machine has is found at start by asking for each key's size and type; a machine
// with neither is told, and nothing is written to it.

#include "helper/ChargingHardware.h"
#include "helper/SmcProtocol.h"

#include <functional>
#include <memory>
#include <string>

namespace helper {

// The battery's charge and the adapter, read apart from the controller (on a Mac, the battery's
// registry entry).
class BatteryGauge {
  public:
    virtual ~BatteryGauge() = default;
    virtual std::optional<BatteryReading> read() = 0;
};

class SmcChargingHardware : public ChargingHardware {
  public:
    using Log = std::function<void(const std::string&)>;
    enum class Keys { none, newer, older };

    // Finds the keys and the byte order, logs what was found, and leaves the battery charging
    // with the adapter in use.
    SmcChargingHardware(std::unique_ptr<smc::Transport> transport,
                        std::unique_ptr<BatteryGauge> gauge, Log log);

    std::optional<BatteryReading> read() override;
    bool apply(const ChargeControl& control, std::string& error) override;
    std::string whyNotControlled() const override { return notControlled_; }
    bool restoreNormalCharging(std::string& error) override;

    Keys keys() const { return keys_; }
    bool canBypassAdapter() const { return adapterKey_ != 0; }

  private:
    void detect();
    bool setCharging(bool inhibited, smc::Failure& failure);
    bool setAdapter(bool bypassed, smc::Failure& failure);
    bool writeNumber(smc::FourCC key, uint32_t number, smc::Failure& failure);

    std::unique_ptr<smc::Transport> transport_;
    std::unique_ptr<BatteryGauge> gauge_;
    smc::Client client_;
    Log log_;
    Keys keys_ = Keys::none;
    smc::FourCC adapterKey_ = 0;
    std::optional<smc::ByteOrder> order_;
    std::string notControlled_;
};

// A machine whose controller could not be reached at all: reads nothing and says why.
std::unique_ptr<ChargingHardware> makeUncontrolledCharging(std::string why);

} // namespace helper
