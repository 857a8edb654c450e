#pragma once
// Darkens the built-in panel through DisplayServices while remembering its brightness, and
// holds the other displays' brightness while doing so.

#include "display/ControlledDisplay.h"
#include "platform/BuiltInBrightness.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class BrightnessController : public std::enable_shared_from_this<BrightnessController> {
  public:
    BrightnessController();

    void dim(DisplayID displayID, const std::vector<DisplayID>& externalDisplayIDs);
    void restore();

    platform::BuiltInBrightness::GetFunction getDisplayServicesBrightness;
    platform::BuiltInBrightness::SetFunction setDisplayServicesBrightness;
    std::optional<float> savedDisplayServicesBrightness;
    std::optional<DisplayID> savedDisplayServicesDisplayID;

    struct SavedDisplayBrightness {
        DisplayID displayID;
        float brightness;
    };
    std::vector<SavedDisplayBrightness> savedExternalBrightnesses;
    // The owner of what displays looked like before they were darkened, when there is one: it
    // records the panel before it goes dark (and answers the brightness to come back to), and
    // brings it back itself, keeping its record until the panel has its light again.
    std::function<float(DisplayID id, float brightnessNow)> holdPanel;
    std::function<void(DisplayID id, float brightness)> bringPanelBack;

  private:
    std::optional<float> readBrightness(DisplayID id) const;
    void reapplyExternalBrightnesses();
};
