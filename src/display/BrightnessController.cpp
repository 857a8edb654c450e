#include "display/BrightnessController.h"

#include "platform/Platform.h"
#include "platform/RunLoop.h"

BrightnessController::BrightnessController() {
    if (auto* services = platform::current().builtInBrightness) {
        getDisplayServicesBrightness = services->lookupGetBrightness();
        setDisplayServicesBrightness = services->lookupSetBrightness();
    }
}

std::optional<float> BrightnessController::readBrightness(DisplayID id) const {
    if (!getDisplayServicesBrightness) return std::nullopt;
    float value = 1.0f;
    if (getDisplayServicesBrightness(id, &value) != 0) return std::nullopt;
    return value;
}

void BrightnessController::reapplyExternalBrightnesses() {
    if (!setDisplayServicesBrightness) return;
    for (const auto& saved : savedExternalBrightnesses)
        setDisplayServicesBrightness(saved.displayID, saved.brightness);
}

void BrightnessController::dim(DisplayID displayID,
                               const std::vector<DisplayID>& externalDisplayIDs) {
    if (savedDisplayServicesBrightness) return;

    savedExternalBrightnesses.clear();
    for (auto id : externalDisplayIDs)
        if (auto b = readBrightness(id)) savedExternalBrightnesses.push_back({id, *b});

    if (getDisplayServicesBrightness && setDisplayServicesBrightness) {
        if (auto current = readBrightness(displayID)) {
            // A panel another feature darkened comes back to what it had before that.
            savedDisplayServicesBrightness = holdPanel ? holdPanel(displayID, *current) : *current;
            savedDisplayServicesDisplayID = displayID;
            setDisplayServicesBrightness(displayID, 0.0f);
        }
    }

    reapplyExternalBrightnesses();
    // The system may drag the other displays down a moment later; hold them once more.
    std::weak_ptr<BrightnessController> weak = weak_from_this();
    platform::mainQueue().asyncAfter(0.15, [weak] {
        if (auto self = weak.lock()) self->reapplyExternalBrightnesses();
    });
}

void BrightnessController::restore() {
    if (setDisplayServicesBrightness && savedDisplayServicesBrightness &&
        savedDisplayServicesDisplayID) {
        if (bringPanelBack)
            bringPanelBack(*savedDisplayServicesDisplayID, *savedDisplayServicesBrightness);
        else
            setDisplayServicesBrightness(*savedDisplayServicesDisplayID,
                                         *savedDisplayServicesBrightness);
        savedDisplayServicesBrightness.reset();
        savedDisplayServicesDisplayID.reset();
    }
    reapplyExternalBrightnesses();
    savedExternalBrightnesses.clear();
}
