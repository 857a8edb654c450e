#pragma once
// The virtual Mac's gamma tables, DisplayServices brightness and CoreBrightness.

#include "platform/BuiltInBrightness.h"
#include "platform/CoreBrightness.h"
#include "platform/TransferTables.h"
#include "platform/sim/MachineDescription.h"

#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace sim {

struct GammaState {
    std::vector<float> red, green, blue;
    // "identity", "black" or "custom"
    std::string kind() const;
};

class SimBrightness : public platform::TransferTables,
                      public platform::BuiltInBrightness,
                      public platform::CoreBrightness {
  public:
    SimBrightness(MachineDescription& machine, std::function<void()> changed);

    // Transfer tables
    platform::CGError getDisplayTransferByTable(DisplayID id, uint32_t capacity, float* red,
                                                float* green, float* blue,
                                                uint32_t* sampleCount) override;
    platform::CGError setDisplayTransferByTable(DisplayID id, uint32_t tableSize, const float* red,
                                                const float* green, const float* blue) override;
    void restoreColorSyncSettings() override;
    const GammaState& gamma(DisplayID id);
    int colorSyncResets() const { return colorSyncResets_; }

    // DisplayServices
    GetFunction lookupGetBrightness() override;
    SetFunction lookupSetBrightness() override;

    // CoreBrightness
    bool getDisplayAutoBrightnessEnabled(bool* enabled) override;
    bool setDisplayAutoBrightnessEnabled(bool enabled) override;
    std::unique_ptr<platform::KeyboardBrightnessClient> openKeyboardBrightnessClient() override;
    std::unique_ptr<platform::BlueLightClient> createBlueLightClient() override;

    // The filter changed elsewhere (System Settings, a schedule): every client hears of it.
    void setBlueLight(bool on, float strength);
    // Changed elsewhere: the clients are told even when only the strength moved.
    void changeBlueLightElsewhere(bool on, float strength);
    bool blueLightOn() const { return machine_.blueLightOn; }
    float blueLightStrength() const { return machine_.blueLightStrength; }
    // What the clients were told to do, and the notification blocks of the live clients.
    int blueLightStrengthCommits() const { return strengthCommits_; }
    void blueLightChanged();
    std::map<int, std::function<void()>> blueLightBlocks_;
    int nextBlueLightClient_ = 1;
    int strengthCommits_ = 0;

    // Ambient light moves the panel while automatic brightness is on.
    void ambientLightChanged(float level);
    std::vector<KeyboardBacklightDescription>& keyboards() { return machine_.keyboardBacklights; }
    void changed() {
        if (changed_) changed_();
    }

  private:
    DisplayDescription* display(DisplayID id);
    GammaState identity(uint32_t samples) const;

    MachineDescription& machine_;
    std::function<void()> changed_;
    std::map<DisplayID, GammaState> gamma_;
    int colorSyncResets_ = 0;
    // The panel's brightness is read off the main thread when sliders are filled.
    std::mutex panelMutex_;
};

} // namespace sim
