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
