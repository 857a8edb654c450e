#include "platform/sim/SimBrightness.h"

#include <algorithm>
#include <cmath>

namespace sim {

std::string GammaState::kind() const {
    bool black = std::all_of(red.begin(), red.end(), [](float v) { return v == 0; }) &&
                 std::all_of(green.begin(), green.end(), [](float v) { return v == 0; }) &&
                 std::all_of(blue.begin(), blue.end(), [](float v) { return v == 0; });
    if (black) return "black";
    size_t n = red.size();
    for (size_t i = 0; i < n; ++i) {
        float want = n > 1 ? float(i) / float(n - 1) : 1.0f;
        if (std::abs(red[i] - want) > 1e-6f || std::abs(green[i] - want) > 1e-6f ||
            std::abs(blue[i] - want) > 1e-6f)
            return "custom";
    }
    return "identity";
}

SimBrightness::SimBrightness(MachineDescription& machine, std::function<void()> changed)
    : machine_(machine), changed_(std::move(changed)) {}

DisplayDescription* SimBrightness::display(DisplayID id) {
    for (auto& d : machine_.displays)
        if (d.id == id) return &d;
    return nullptr;
}

GammaState SimBrightness::identity(uint32_t samples) const {
    GammaState g;
    for (uint32_t i = 0; i < samples; ++i) {
        float v = samples > 1 ? float(i) / float(samples - 1) : 1.0f;
        g.red.push_back(v), g.green.push_back(v), g.blue.push_back(v);
    }
    return g;
}

const GammaState& SimBrightness::gamma(DisplayID id) {
    auto it = gamma_.find(id);
    if (it == gamma_.end()) {
        auto d = display(id);
        it = gamma_.emplace(id, identity(d ? d->gammaSamples : 256)).first;
    }
    return it->second;
}

platform::CGError SimBrightness::getDisplayTransferByTable(DisplayID id, uint32_t capacity,
                                                           float* red, float* green, float* blue,
                                                           uint32_t* sampleCount) {
    auto d = display(id);
    if (!d || !d->online || d->gammaReadFails) return platform::kCGErrorFailure;
    const auto& g = gamma(id);
    uint32_t n = std::min<uint32_t>(capacity, uint32_t(g.red.size()));
    std::copy_n(g.red.begin(), n, red);
    std::copy_n(g.green.begin(), n, green);
    std::copy_n(g.blue.begin(), n, blue);
    *sampleCount = n;
    return platform::kCGErrorSuccess;
}

platform::CGError SimBrightness::setDisplayTransferByTable(DisplayID id, uint32_t tableSize,
                                                           const float* red, const float* green,
                                                           const float* blue) {
    auto d = display(id);
    if (!d || !d->online || d->gammaWriteFails) return platform::kCGErrorFailure;
    GammaState g;
    g.red.assign(red, red + tableSize);
    g.green.assign(green, green + tableSize);
    g.blue.assign(blue, blue + tableSize);
    gamma_[id] = std::move(g);
    changed();
    return platform::kCGErrorSuccess;
}

void SimBrightness::restoreColorSyncSettings() {
    ++colorSyncResets_;
    gamma_.clear();
    changed();
}

platform::BuiltInBrightness::GetFunction SimBrightness::lookupGetBrightness() {
    if (!machine_.hasDisplayServices) return {};
    return [this](DisplayID id, float* brightness) -> int32_t {
        std::lock_guard lock(panelMutex_);
        auto d = display(id);
        if (!d || !d->online || !d->builtIn) return 1;
        *brightness = d->brightness;
        return 0;
    };
}

platform::BuiltInBrightness::SetFunction SimBrightness::lookupSetBrightness() {
    if (!machine_.hasDisplayServices) return {};
    return [this](DisplayID id, float brightness) -> int32_t {
        {
            std::lock_guard lock(panelMutex_);
            auto d = display(id);
            if (!d || !d->online || !d->builtIn) return 1;
            d->brightness = std::clamp(brightness, 0.0f, 1.0f);
        }
        changed();
        return 0;
    };
}

bool SimBrightness::getDisplayAutoBrightnessEnabled(bool* enabled) {
    if (!machine_.hasCoreBrightness) return false;
    *enabled = machine_.autoBrightness;
    return true;
}

bool SimBrightness::setDisplayAutoBrightnessEnabled(bool enabled) {
    if (!machine_.hasCoreBrightness || machine_.autoBrightnessRefused) return false;
    machine_.autoBrightness = enabled;
    changed();
    return true;
}

void SimBrightness::ambientLightChanged(float level) {
    if (!machine_.autoBrightness) return;
    {
        std::lock_guard lock(panelMutex_);
        for (auto& d : machine_.displays)
            if (d.builtIn && d.online) d.brightness = std::clamp(level, 0.0f, 1.0f);
    }
    changed();
}

namespace {

class SimKeyboardClient : public platform::KeyboardBrightnessClient {
  public:
    explicit SimKeyboardClient(SimBrightness& owner) : owner_(owner) {}
    bool hasMethod(const std::string& selector) const override {
        return selector == "copyKeyboardBacklightIDs" || selector == "brightnessForKeyboard:" ||
               selector == "setBrightness:forKeyboard:";
    }
    platform::Value copyKeyboardBacklightIDs() override {
        platform::ValueArray ids(owner_.keyboards().size());
        for (size_t i = 0; i < ids.size(); ++i)
            ids[i] = int64_t(owner_.keyboards()[i].id);
        return ids;
    }
    float brightnessForKeyboard(uint64_t keyboardID) override {
        for (const auto& k : owner_.keyboards())
            if (k.id == keyboardID) return k.level;
        return 0;
    }
    void setBrightness(float level, uint64_t keyboardID) override {
        for (auto& k : owner_.keyboards())
            if (k.id == keyboardID) k.level = std::clamp(level, 0.0f, 1.0f);
        owner_.changed();
    }

  private:
    SimBrightness& owner_;
};

} // namespace

namespace {

class SimBlueLightClient : public platform::BlueLightClient {
  public:
    explicit SimBlueLightClient(SimBrightness& owner)
        : owner_(owner), id_(owner.nextBlueLightClient_++) {}
    ~SimBlueLightClient() override { owner_.blueLightBlocks_.erase(id_); }
    void setStatusNotificationBlock(std::function<void()> block) override {
        owner_.blueLightBlocks_[id_] = std::move(block);
    }
    bool getBlueLightStatus(platform::BlueLightStatus* status) override {
        status->active = owner_.blueLightOn() ? 1 : 0;
        status->enabled = owner_.blueLightOn() ? 1 : 0;
        return true;
    }
    bool getStrength(float* strength) override {
        *strength = owner_.blueLightStrength();
        return true;
    }
    bool setEnabled(bool enabled) override {
        owner_.setBlueLight(enabled, owner_.blueLightStrength());
        return true;
    }
    bool setStrength(float strength, bool commit) override {
        if (commit) ++owner_.strengthCommits_;
        owner_.setBlueLight(owner_.blueLightOn(), std::clamp(strength, 0.0f, 1.0f));
        return true;
    }

  private:
    SimBrightness& owner_;
    int id_;
};

} // namespace

std::unique_ptr<platform::BlueLightClient> SimBrightness::createBlueLightClient() {
    if (!machine_.hasCoreBrightness) return nullptr;
    return std::make_unique<SimBlueLightClient>(*this);
}

void SimBrightness::setBlueLight(bool on, float strength) {
    const bool statusChanged = on != machine_.blueLightOn;
    machine_.blueLightOn = on;
    machine_.blueLightStrength = std::isfinite(strength) ? std::clamp(strength, 0.0f, 1.0f) : 0.5f;
    // The system reports status changes (on or off), as CoreBrightness does.
    if (statusChanged) blueLightChanged();
    changed();
}

void SimBrightness::changeBlueLightElsewhere(bool on, float strength) {
    const bool statusChanged = on != machine_.blueLightOn;
    setBlueLight(on, strength);
    if (!statusChanged) blueLightChanged();
}

void SimBrightness::blueLightChanged() {
    auto blocks = blueLightBlocks_;
    for (const auto& [id, block] : blocks)
        if (block) block();
}

std::unique_ptr<platform::KeyboardBrightnessClient> SimBrightness::openKeyboardBrightnessClient() {
    if (!machine_.hasCoreBrightness || !machine_.hasKeyboardClient) return nullptr;
    return std::make_unique<SimKeyboardClient>(*this);
}

} // namespace sim
