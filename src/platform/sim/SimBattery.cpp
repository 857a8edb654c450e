#include "platform/sim/SimBattery.h"

#include "platform/RunLoop.h"

#include <algorithm>

namespace sim {

using platform::Value;
using platform::ValueArray;
using platform::ValueDict;

SimBattery::SimBattery(std::optional<BatteryDescription> description, platform::RunLoop& loop,
                       std::function<void()> changed)
    : description_(std::move(description)), loop_(loop), changed_(std::move(changed)) {
    if (description_) percent_ = description_->percent;
    schedule();
}

bool SimBattery::adapterConnected() const {
    return description_ && description_->adapterConnected;
}

bool SimBattery::isDrawingFromAC() const {
    return adapterConnected() && !bypassed_;
}

bool SimBattery::isCharging() const {
    return isDrawingFromAC() && !inhibited_ && percent_ < 100;
}

int SimBattery::watts() const {
    return description_ ? description_->adapterWatts : 0;
}

double SimBattery::secondsPerPercent() const {
    if (!description_) return 0;
    double seconds = 0;
    if (isCharging())
        seconds = 3600.0 / std::max(1, watts()); // a 96 W adapter: 1% in 37.5 s
    else if (!isDrawingFromAC())
        seconds = bypassed_ ? 45 : 90; // on the battery; faster with the adapter bypassed
    else if (inhibited_)
        seconds = 600; // held on the charger: a slow natural drift
    if (seconds > 0 && percent_ <= 0 && !isCharging()) return 0;
    return seconds / scale_;
}

void SimBattery::setTimeScale(double scale) {
    scale_ = std::clamp(scale, 1.0, 1000.0);
    stateChanged(false);
}

void SimBattery::schedule() {
    const uint64_t generation = ++generation_;
    const double step = secondsPerPercent();
    if (step <= 0) return;
    loop_.asyncAfter(step, [this, generation] {
        if (generation != generation_) return;
        const bool wasCharging = isCharging();
        percent_ = std::clamp(percent_ + (isCharging() ? 1 : -1), 0, 100);
        stateChanged(isCharging() != wasCharging);
    });
}

void SimBattery::stateChanged(bool notify) {
    schedule();
    if (notify)
        for (const auto& observer : observers_)
            loop_.async(observer);
    if (changed_) changed_();
}

void SimBattery::setAdapterConnected(bool connected) {
    if (!description_ || description_->adapterConnected == connected) return;
    description_->adapterConnected = connected;
    stateChanged(true);
}

void SimBattery::setPercent(int percent) {
    if (!description_) return;
    const bool wasCharging = isCharging();
    percent_ = std::clamp(percent, 0, 100);
    stateChanged(isCharging() != wasCharging);
}

void SimBattery::setChargeControl(bool chargingInhibited, bool adapterBypassed) {
    if (inhibited_ == chargingInhibited && bypassed_ == adapterBypassed) return;
    const bool wasCharging = isCharging(), wasAC = isDrawingFromAC();
    inhibited_ = chargingInhibited;
    bypassed_ = adapterBypassed;
    stateChanged(isCharging() != wasCharging || isDrawingFromAC() != wasAC);
}

std::optional<std::vector<Value>> SimBattery::powerSourceDescriptions() {
    std::vector<Value> out;
    if (!description_) return out;
    Value d;
    d.set("Type", "InternalBattery");
    d.set("Name", "InternalBattery-0");
    d.set("Current Capacity", percent_);
    d.set("Max Capacity", 100);
    d.set("Is Charging", isCharging());
    d.set("Power Source State", isDrawingFromAC() ? "AC Power" : "Battery Power");
    out.push_back(d);
    return out;
}

std::optional<Value> SimBattery::registryProperties() const {
    if (!description_) return std::nullopt;
    const auto& b = *description_;
    Value p;
    p.set("ExternalConnected", b.adapterConnected);
    p.set("CycleCount", b.cycleCount);
    p.set("DesignCapacity", b.designCapacity);
    p.set("AppleRawMaxCapacity", b.rawMaxCapacity);
    p.set("CurrentCapacity", percent_);
    p.set("IsCharging", isCharging());
    p.set("PermanentFailureStatus", b.permanentFailureStatus);
    p.set("BatteryHealth", b.batteryHealth);
    if (b.adapterConnected && b.wattsFrom == "adapterDetails") {
        Value adapter;
        adapter.set("Watts", b.adapterWatts);
        adapter.set("Name", std::to_string(b.adapterWatts) + "W USB-C Power Adapter");
        p.set("AdapterDetails", adapter);
    }
    Value port;
    port.set("PortControllerMaxPower",
             b.adapterConnected && b.wattsFrom == "portController" ? b.adapterWatts * 1000 : 0);
    p.set("PortControllerInfo", ValueArray{port});
    Value fed;
    fed.set("FedExternalConnected", b.adapterConnected ? 1 : 0);
    p.set("FedDetails", ValueArray{fed});
    if (const auto* overrides = b.registryOverrides.dict()) {
        for (const auto& [key, value] : *overrides)
            p.set(key, value);
        auto* all = p.dict();
        std::erase_if(*all, [](const auto& entry) { return entry.second.isNull(); });
    }
    return p;
}

bool SimBattery::addPowerSourceNotification(std::function<void()> callback) {
    observers_.push_back(std::move(callback));
    return true;
}

int32_t SimBattery::createAssertion(const std::string& type, int level, const std::string& name,
                                    uint32_t& id) {
    id = nextAssertion_++;
    assertions_.push_back({id, type, level, name});
    if (changed_) changed_();
    return 0;
}

int32_t SimBattery::releaseAssertion(uint32_t id) {
    auto it = std::find_if(assertions_.begin(), assertions_.end(),
                           [id](const Assertion& a) { return a.id == id; });
    if (it == assertions_.end()) return int32_t(0xE00002C2); // kIOReturnBadArgument
    assertions_.erase(it);
    if (changed_) changed_();
    return 0;
}

} // namespace sim
