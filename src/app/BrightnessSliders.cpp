// What the brightness and volume sliders do, the two automatic-brightness checkboxes and the
// one-second timer that carries the panel's changes over to the monitors.

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/Slider.h"
#include "appkit/Window.h"
#include "blackout/RecoveryJournal.h"
#include "display/AudioController.h"
#include "display/DisplayEngine.h"
#include "platform/CoreBrightness.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/UserDefaults.h"

#include <QLabel>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr float kNearZero = 0.001f;
constexpr float kSyncThreshold = 0.005f;
constexpr float kProportionalFrom = 0.01f;
constexpr double kSyncInterval = 1.0;
constexpr int kPowerCardEvery = 5;

// The label colour when enabled, the tertiary one when not: the window's palette resolves both
// for its appearance, so the label follows a theme change.
void colourLabel(QLabel* label, bool enabled) {
    if (label) label->setEnabled(enabled);
}

std::string squeezed(const std::string& name) {
    std::string out;
    for (unsigned char ch : name)
        if (ch != ' ') out += char(std::tolower(ch));
    return out;
}

} // namespace

void BlackoutController::brightnessChanged(appkit::Slider& sender) {
    auto it = sliderDisplays.find(sender.tag());
    if (it == sliderDisplays.end()) return;
    const ControlledDisplay display = it->second;
    const float value = sender.floatValue();
    if (poweredOffBrightnesses.count(display.id)) {
        // Moving the slider of a switched-off display switches it on.
        poweredOffBrightnesses.erase(display.id);
        releaseDark(display.id, darkOff);
        if (!display.isBuiltIn) restoreDisplayViaGamma(display.id);
        updatePowerButton(display, false);
    }
    if (recoveryJournal->owesLight(display.id) && !isHeldDark(display.id)) {
        // Owed its light: the person's value is what brings it back now, and its record goes
        // once that value has landed.
        auto& owed = owedLights[display.id];
        owed.display = display;
        owed.value = value;
        owed.failures = 0;
        sendOwedLight(display.id);
    } else {
        displayEngine.setBrightness(value, display);
    }
    currentBrightnesses[display.id] = value;
    storeBrightness(brightnessPreferenceKey(display), display, value);
    if (value > kNearZero) {
        lastKnownBrightnesses[display.id] = value;
        storeBrightness(lastKnownBrightnessPreferenceKey(display), display, value);
    }
    updateBrightnessLabel(sender.tag(), value);
    // The baseline follows the panel's slider, so the sync sees no change of its own; a panel
    // dragged to 0 is no baseline.
    if (display.isBuiltIn) {
        if (value > kNearZero)
            lastBuiltInBrightness = value;
        else
            lastBuiltInBrightness.reset();
    }
}

void BlackoutController::updateVolumeLabel(int tag, float value) {
    auto it = volumeLabels.find(tag);
    if (it == volumeLabels.end() || !it->second) return;
    it->second->setText(QString("%1%").arg(std::lround(double(value) * 100.0)));
}

void BlackoutController::volumeChanged(appkit::Slider& sender) {
    auto it = volumeSliders.find(sender.tag());
    if (it == volumeSliders.end()) return;
    const ControlledDisplay display = it->second;
    const float value = sender.floatValue();
    updateVolumeLabel(sender.tag(), value);
    if (display.isBuiltIn)
        AudioController::setSystemVolume(value);
    else
        displayEngine.setVolume(value, display);
    platform::current().defaults->set(volumePreferenceKey(display), value);
}

void BlackoutController::loadVolumeValues() {
    for (const auto& [tag, display] : volumeSliders) {
        float value = display.isBuiltIn ? AudioController::getSystemVolume()
                                        : storedBrightness(volumePreferenceKey(display), 0.5f);
        auto apply = [tag = tag, value] {
            if (!hasShared()) return;
            auto& c = shared();
            auto* view = c.controlWindow ? c.controlWindow->contentView() : nullptr;
            if (auto* slider = appkit::viewWithTag<appkit::Slider>(view, tag))
                slider->setDoubleValue(value);
            c.updateVolumeLabel(tag, value);
        };
        platform::mainQueue().async(apply);
    }
    updateVolumeSlidersEnablement();
}

void BlackoutController::updateVolumeSlidersEnablement() {
    const auto defaultDevice = AudioController::getDefaultOutputDevice();
    const auto devices = AudioController::listOutputDevices();
    const auto speakers = AudioController::getBuiltInSpeakerDeviceID();
    std::optional<std::string> defaultName;
    for (const auto& d : devices)
        if (defaultDevice && d.id == *defaultDevice) defaultName = d.name;

    platform::mainQueue().async([defaultDevice, speakers, defaultName] {
        if (!hasShared()) return;
        auto& c = shared();
        auto* view = c.controlWindow ? c.controlWindow->contentView() : nullptr;
        for (const auto& [tag, display] : c.volumeSliders) {
            bool matches;
            if (display.isBuiltIn) {
                std::string lower = defaultName.value_or("");
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char ch) { return char(std::tolower(ch)); });
                matches = defaultDevice == speakers || lower.find("speaker") != std::string::npos ||
                          lower.find("스피커") != std::string::npos ||
                          lower.find("built-in") != std::string::npos ||
                          lower.find("macbook") != std::string::npos;
            } else {
                const auto a = squeezed(defaultName.value_or(""));
                const auto b = squeezed(display.name);
                matches = defaultName &&
                          (a.find(b) != std::string::npos || b.find(a) != std::string::npos);
            }
            const bool enabled = matches && (display.isBuiltIn || display.ddcService) &&
                                 !c.poweredOffBrightnesses.count(display.id);
            if (auto* slider = appkit::viewWithTag<appkit::Slider>(view, tag))
                slider->setEnabled(enabled);
            if (auto it = c.volumeLabels.find(tag); it != c.volumeLabels.end())
                colourLabel(it->second, enabled);
        }
    });
}

void BlackoutController::autoBrightnessChanged(appkit::Button& sender) {
    const bool wanted = sender.state() == appkit::ControlState::on;
    auto* core = platform::current().coreBrightness;
    if (core && core->setDisplayAutoBrightnessEnabled(wanted)) {
        if (autoSyncButton) autoSyncButton->setEnabled(syncCheckboxUsable(wanted));
        return;
    }
    bool reported = false;
    if (core && core->getDisplayAutoBrightnessEnabled(&reported))
        sender.setState(reported ? appkit::ControlState::on : appkit::ControlState::off);
    else
        sender.setState(wanted ? appkit::ControlState::off : appkit::ControlState::on);
}

void BlackoutController::autoSyncChanged(appkit::Button& sender) {
    platform::current().defaults->set("automaticBrightnessSync",
                                      sender.state() == appkit::ControlState::on);
    refreshBuiltInBaseline();
}

void BlackoutController::startSyncTimer() {
    if (syncTimer) syncTimer->invalidate();
    refreshBuiltInBaseline();
    timerTickCount = 0;
    syncTimer = platform::mainQueue().scheduleRepeating(kSyncInterval, [](platform::Timer&) {
        if (!hasShared()) return;
        auto& c = shared();
        c.syncBrightnessIfNeeded();
        ++c.timerTickCount;
        if (c.timerTickCount % kPowerCardEvery == 0) c.updatePowerStatusUI();
    });
}

void BlackoutController::syncBrightnessIfNeeded() {
    if (isProtecting) return;
    if (!autoSyncButton || autoSyncButton->state() != appkit::ControlState::on) return;
    auto builtIn = displayEngine.builtInDisplay();
    if (!builtIn || poweredOffBrightnesses.count(builtIn->id)) return;
    // A panel some feature darkened does not drag the monitors down with it; the baseline is
    // taken afresh once it is back.
    if (isDarkened(builtIn->id)) {
        lastBuiltInBrightness.reset();
        return;
    }
    auto read = displayEngine.brightness(*builtIn);
    // A dark panel moves nothing: the monitors never follow it to 0, and a baseline of 0 would
    // turn the next change into a jump. The baseline from before stays.
    if (!read || *read <= kNearZero) return;
    const float b = *read;
    if (!lastBuiltInBrightness || *lastBuiltInBrightness <= kNearZero) {
        lastBuiltInBrightness = b;
        return;
    }
    const float baseline = *lastBuiltInBrightness;
    if (std::fabs(b - baseline) < kSyncThreshold) return;
    lastBuiltInBrightness = b;
    updateSlider(*builtIn, b);
    applyRelativeBrightnessChange(baseline, b);
}

void BlackoutController::applyRelativeBrightnessChange(float from, float to) {
    const bool proportional = from > kProportionalFrom;
    const std::vector<ControlledDisplay> externals = displayEngine.externalDisplays();
    for (const auto& display : externals) {
        if (!display.ddcService || poweredOffBrightnesses.count(display.id) ||
            isDarkened(display.id))
            continue;
        auto it = currentBrightnesses.find(display.id);
        const float base = it != currentBrightnesses.end() ? it->second : 0.5f;
        const float target =
            std::clamp(proportional ? base * (to / from) : base + (to - from), 0.0f, 1.0f);
        displayEngine.setBrightness(target, display);
        storeBrightness(brightnessPreferenceKey(display), display, target);
        updateSlider(display, target);
    }
}
