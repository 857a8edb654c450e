#pragma once
// Darkens the built-in panel through DisplayServices while remembering its brightness, and
// holds the other displays' brightness while doing so.

#include "display/ControlledDisplay.h"
#include "platform/BuiltInBrightness.h"

#include <memory>

class RecoveryJournal;
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
    // Where the dimmed panel is written down before it goes dark; may be absent.
    std::shared_ptr<RecoveryJournal> journal;

  private:
    std::optional<float> readBrightness(DisplayID id) const;
    void reapplyExternalBrightnesses();
};
