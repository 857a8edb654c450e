#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "blackout/BlackoutWindow.h"
#include "blackout/RecoveryJournal.h"
#include "display/DisplayEngine.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/TransferTables.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kNearZero = 0.001f;
constexpr double kSecondSend = 0.15;
constexpr double kSliderReload = 0.35;
constexpr float kFallbackRestore = 0.5f;

} // namespace

void BlackoutController::powerOffDisplay(const ControlledDisplay& display) {
    float restoreTo;
    if (isDarkened(display.id)) {
        // Already darkened by another feature: what it shows now is not what to come back to.
        restoreTo = brightnessBeforeDark(display);
    } else {
        // What it holds (for a monitor: known from its link, or read now), else what it was
        // last known at.
        restoreTo = startingBrightness(display);
        if (restoreTo <= kNearZero) {
            auto known = lastKnownBrightnesses.find(display.id);
            restoreTo =
                known != lastKnownBrightnesses.end() && known->second > kNearZero
                    ? known->second
                    : ownStoredBrightness(lastKnownBrightnessPreferenceKey(display), display, 0.0f);
        }
    }
    // Nothing known (a monitor that never answers, a panel already at 0): switching it on must
    // still bring light back, never a black screen that counts as on.
    if (restoreTo <= kNearZero) {
        const float stored = ownStoredBrightness(brightnessPreferenceKey(display), display, 0.0f);
        restoreTo = stored > kNearZero ? std::min(stored, 1.0f) : kFallbackRestore;
    }
    poweredOffBrightnesses[display.id] = holdDark(display, darkOff, restoreTo);

    displayEngine.setBrightness(0.0f, display);
    if (!display.isBuiltIn) {
        blackoutDisplayViaGamma(display.id);
        updateSlider(display, 0.0f);
        updatePowerButton(display, true);
        currentBrightnesses[display.id] = 0.0f;
    } else {
        updateSlider(display, 0.0f);
        updatePowerButton(display, true);
        // A dark panel is no baseline for the sync: the monitors would follow it to 0.
        lastBuiltInBrightness.reset();
    }
}

void BlackoutController::restorePoweredOffDisplay(const ControlledDisplay& display,
                                                  std::optional<float> toBrightness) {
    std::optional<float> target = toBrightness;
    if (!target)
        if (auto it = poweredOffBrightnesses.find(display.id); it != poweredOffBrightnesses.end())
            target = it->second;
    if (!target) {
        updatePowerButton(display, false);
        return;
    }
    const float value = *target;
    if (!isConnected(display.id)) {
        // Unplugged (the list it came from is older): it is lit when it comes back.
        poweredOffBrightnesses.erase(display.id);
        releaseWhileUnplugged(display.id, {darkOff});
        updatePowerButton(display, false);
        // It was listed only because it was off: the window drops its tile and card now.
        platform::mainQueue().async([] {
            if (hasShared()) shared().rebuildShownControlWindow();
        });
        return;
    }
    poweredOffBrightnesses.erase(display.id);
    releaseDark(display.id, darkOff);
    if (!display.isBuiltIn) {
        restoreDisplayViaGamma(display.id);
        // Its record stays until the monitor has the value.
        bringBack(display, value);
        // Nothing went over its link (its own value was not known): nothing to send again.
        const bool overLink = !displayEngine.isLinkUntouched(display.id);
        // The first write may land while the monitor is still settling.
        platform::mainQueue().asyncAfter(kSecondSend, [display, value, overLink] {
            if (!hasShared() || !overLink) return;
            auto& c = shared();
            // Not over a switch-off or a dimming that came since, nor over a newer value.
            auto now = c.currentBrightnesses.find(display.id);
            if (c.poweredOffBrightnesses.count(display.id) || c.isHeldDark(display.id) ||
                now == c.currentBrightnesses.end() || now->second != value)
                return;
            c.displayEngine.setBrightness(value, display);
        });
        currentBrightnesses[display.id] = value;
        storeBrightness(brightnessPreferenceKey(display), display, value);
        updateSlider(display, value);
        updatePowerButton(display, false);
        platform::mainQueue().asyncAfter(kSliderReload, [] {
            if (hasShared()) shared().loadBrightnessValues();
        });
    } else {
        bringBack(display, value);
        updateSlider(display, value);
        updatePowerButton(display, false);
    }
}

void BlackoutController::toggleDisplayPowerByID(DisplayID displayID) {
    const bool off = poweredOffBrightnesses.count(displayID) > 0;
    std::optional<ControlledDisplay> display;
    if (auto it = cachedDisplaysByID.find(displayID); it != cachedDisplaysByID.end())
        display = it->second;
    else
        for (const auto& d : displayEngine.displays)
            if (d.id == displayID) {
                display = d;
                break;
            }
    if (!display) return;
    if (off)
        restorePoweredOffDisplay(*display);
    else
        powerOffDisplay(*display);
}

void BlackoutController::displayPowerChanged(appkit::Button& sender) {
    auto it = powerButtonDisplays.find(sender.tag());
    if (it == powerButtonDisplays.end()) return;
    const ControlledDisplay display = it->second;
    if (poweredOffBrightnesses.count(display.id))
        restorePoweredOffDisplay(display);
    else
        powerOffDisplay(display);
}

void BlackoutController::restorePoweredOffDisplays() {
    const std::vector<ControlledDisplay> registry = displayEngine.displays;
    for (const auto& d : registry)
        if (poweredOffBrightnesses.count(d.id)) restorePoweredOffDisplay(d);
    if (auto* tables = platform::current().transferTables) tables->restoreColorSyncSettings();
}

bool BlackoutController::hasActiveOffMode() const {
    return window != nullptr || !poweredOffBrightnesses.empty();
}
