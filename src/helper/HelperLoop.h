#pragma once
// The helper's schedule: every poll reads the battery, lets the core decide and tells the
// hardware what changed. After a gap (the Mac slept) the decision is applied again whatever it
// was, since the controller may have been reset meanwhile.

#include "helper/ChargingHardware.h"
#include "helper/HelperCore.h"

#include <cstdint>
#include <optional>

namespace helper {

class HelperLoop {
  public:
    static constexpr int pollSeconds = 2;
    // Longer than this between two polls counts as a wake.
    static constexpr int64_t wakeGapSeconds = 30;

    HelperLoop(HelperCore& core, ChargingHardware& hardware, HelperCore::Log log)
        : core_(core), hardware_(hardware), log_(std::move(log)) {}
    // One poll at the given time (seconds since 1970).
    void poll(int64_t now);
    const std::optional<ChargeControl>& applied() const { return applied_; }

  private:
    HelperCore& core_;
    ChargingHardware& hardware_;
    HelperCore::Log log_;
    std::optional<ChargeControl> applied_;
    int64_t lastPoll_ = 0;
};

} // namespace helper
