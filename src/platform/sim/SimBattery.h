#pragma once
// The virtual Mac's battery and power adapter in virtual time, the power-source service and
// its notification, the battery's registry entry, power assertions, and the charging switch
// that only the root helper reaches.

#include "platform/PowerSources.h"
#include "platform/sim/MachineDescription.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class RunLoop;
} // namespace platform

namespace sim {

class SimBattery : public platform::PowerSources, public platform::PowerAssertions {
  public:
    struct Assertion {
        uint32_t id;
        std::string type;
        int level;
        std::string name;
    };

    SimBattery(std::optional<BatteryDescription> description, platform::RunLoop& loop,
               std::function<void()> changed);

    std::optional<std::vector<platform::Value>> powerSourceDescriptions() override;
    bool addPowerSourceNotification(std::function<void()> callback) override;
    int32_t createAssertion(const std::string& type, int level, const std::string& name,
                            uint32_t& id) override;
    int32_t releaseAssertion(uint32_t id) override;

    bool present() const { return description_.has_value(); }
    // The charging keys of the machine's controller ("newer", "older", "none").
    std::string smcChargingKeys() const {
        return description_ ? description_->smcChargingKeys : "none";
    }
    // The "AppleSmartBattery" entry's properties; none without a battery.
    std::optional<platform::Value> registryProperties() const;

    void setAdapterConnected(bool connected);
    void setPercent(int percent);
    // The charging switch (the SMC's role). Only the helper calls this.
    void setChargeControl(bool chargingInhibited, bool adapterBypassed);

    int percent() const { return percent_; }
    bool adapterConnected() const;
    bool isCharging() const;
    bool isDrawingFromAC() const;
    bool chargingInhibited() const { return inhibited_; }
    bool adapterBypassed() const { return bypassed_; }
    int watts() const;
    const std::vector<Assertion>& assertions() const { return assertions_; }
    // Seconds of virtual time per percent in the current state; 0 while nothing changes.
    double secondsPerPercent() const;
    // Speeds the battery up (the simulator window's "fast battery"); 1 is real speed.
    void setTimeScale(double scale);
    double timeScale() const { return scale_; }

  private:
    void stateChanged(bool notify);
    void schedule();

    std::optional<BatteryDescription> description_;
    platform::RunLoop& loop_;
    std::function<void()> changed_;
    std::vector<std::function<void()>> observers_;
    std::vector<Assertion> assertions_;
    uint32_t nextAssertion_ = 1000;
    int percent_ = 100;
    bool inhibited_ = false;
    bool bypassed_ = false;
    double scale_ = 1;
    uint64_t generation_ = 0; // the scheduled step of an earlier state is dropped
};

} // namespace sim
