#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "blackout/BlackoutWindow.h"
#include "display/DisplayEngine.h"
#include "blackout/RecoveryJournal.h"
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
    if (isHeldDark(display.id)) {
        // Already darkened by another feature: what it shows now is not what to come back to.
        restoreTo = brightnessBeforeDark(display);
    } else {
        float current;
        if (auto it = currentBrightnesses.find(display.id); it != currentBrightnesses.end())
            current = it->second;
        else if (auto read = displayEngine.brightness(display))
            current = *read;
        else
            current = storedBrightness(brightnessPreferenceKey(display), 0.0f);
        auto known = lastKnownBrightnesses.find(display.id);
        const float rememberedLastKnown =
            known != lastKnownBrightnesses.end() ? known->second : 0.0f;
        // The stored key is shared by monitors of the same name: it speaks for this display
        // only when nothing is remembered for it (after a restart).
        const float storedLastKnown =
            rememberedLastKnown > kNearZero
                ? 0.0f
                : storedBrightness(lastKnownBrightnessPreferenceKey(display), 0.0f);
        const float currentAboveZero = current > kNearZero ? current : 0.0f;
        restoreTo = std::max({storedLastKnown, rememberedLastKnown, currentAboveZero});
    }
    // Nothing known (a monitor that never answers, a panel already at 0): switching it on must
    // still bring light back, never a black screen that counts as on.
    if (restoreTo <= kNearZero) {
        const float stored = storedBrightness(brightnessPreferenceKey(display), 0.0f);
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
        lastBuiltInBrightness = 0.0f;
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
        return;
    }
    if (!display.isBuiltIn) {
        restoreDisplayViaGamma(display.id);
        displayEngine.setBrightness(value, display);
        // The first write may land while the monitor is still settling.
        platform::mainQueue().asyncAfter(kSecondSend, [display, value] {
            if (!hasShared()) return;
            auto& c = shared();
            // Not over a switch-off or a dimming that came since, nor over a newer value.
            auto now = c.currentBrightnesses.find(display.id);
            if (c.poweredOffBrightnesses.count(display.id) || c.isHeldDark(display.id) ||
                now == c.currentBrightnesses.end() || now->second != value)
                return;
            c.displayEngine.setBrightness(value, display);
        });
        poweredOffBrightnesses.erase(display.id);
        releaseDark(display.id, darkOff);
        currentBrightnesses[display.id] = value;
        platform::current().defaults->set(brightnessPreferenceKey(display), value);
        updateSlider(display, value);
        updatePowerButton(display, false);
        platform::mainQueue().asyncAfter(kSliderReload, [] {
            if (hasShared()) shared().loadBrightnessValues();
        });
    } else {
        poweredOffBrightnesses.erase(display.id);
        displayEngine.setBrightness(value, display);
        releaseDark(display.id, darkOff);
        updateSlider(display, value);
        updatePowerButton(display, false);
        lastBuiltInBrightness = value;
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
