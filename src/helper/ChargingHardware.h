#pragma once
// What the helper needs of the charging hardware: the battery's charge and the adapter, and
// the two switches it sets. A Mac's system management controller is one; the virtual Mac's
// controller files are another.

#include "helper/HelperCore.h"

#include <optional>
#include <string>

namespace helper {

class ChargingHardware {
  public:
    virtual ~ChargingHardware() = default;
    // None while the battery cannot be read.
    virtual std::optional<BatteryReading> read() = 0;
    // Sets both switches; false with error when the hardware did not take them.
    virtual bool apply(const ChargeControl& control, std::string& error) = 0;
    // Why this machine's charging cannot be controlled; empty while it can. The program's card
    // then says so instead of promising a limit.
    virtual std::string whyNotControlled() const { return {}; }
    // When the helper stops: the battery charges and the adapter powers the machine, whatever
    // was decided before.
    virtual bool restoreNormalCharging(std::string& error) { return apply({}, error); }
};

} // namespace helper
