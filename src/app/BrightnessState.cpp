#include "app/BlackoutController.h"
#include "appkit/Colors.h"
#include "appkit/Slider.h"
#include "appkit/Window.h"
#include "blackout/RecoveryJournal.h"
#include "display/DisplayEngine.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/UserDefaults.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kNearZero = 0.001f;

float valueOr(const std::map<DisplayID, float>& map, DisplayID id, float fallback) {
    auto it = map.find(id);
    return it == map.end() ? fallback : it->second;
}

} // namespace

float BlackoutController::storedBrightness(const std::string& key, float fallback) {
    // A file edited by hand may hold anything: it is read as a fraction or not at all.
    auto stored = platform::current().defaults->number(key);
    if (!stored || !std::isfinite(*stored)) return fallback;
    return float(std::clamp(*stored, 0.0, 1.0));
}

std::string BlackoutController::brightnessPreferenceKey(const ControlledDisplay& display) {
    return "displayBrightness." + display.name;
}

std::string BlackoutController::lastKnownBrightnessPreferenceKey(const ControlledDisplay& display) {
    return "lastKnownDisplayBrightness." + display.name;
}

std::string BlackoutController::ownBrightnessKey(const std::string& key,
                                                 const ControlledDisplay& display) const {
    return key + "@" + std::to_string(display.id) + "|" + displayIdentity(display);
}

void BlackoutController::storeBrightness(const std::string& key, const ControlledDisplay& display,
                                         float value) {
    auto& defaults = *platform::current().defaults;
    defaults.set(key, value);
    defaults.set(ownBrightnessKey(key, display), value);
}

float BlackoutController::ownStoredBrightness(const std::string& key,
                                              const ControlledDisplay& display, float fallback) {
    auto& defaults = *platform::current().defaults;
    const std::string own = ownBrightnessKey(key, display);
    if (defaults.number(own)) return storedBrightness(own, fallback);
    // The name's key is shared by twins: it speaks for this display only while no twin is
    // connected and no other monitor of the name ever kept a value of its own.
    if (hasTwin(display)) return fallback;
    for (const auto& [name, value] : defaults.all())
        if (name.rfind(key + "@", 0) == 0) return fallback;
    return storedBrightness(key, fallback);
}

std::string BlackoutController::volumePreferenceKey(const ControlledDisplay& display) {
    return "volume_" + std::to_string(display.id);
}

void BlackoutController::updateBrightnessLabel(int tag, float value) {
    auto it = brightnessLabels.find(tag);
    if (it == brightnessLabels.end() || !it->second) return;
    it->second->setText(QString("%1%").arg(std::lround(double(value) * 100.0)));
}

float BlackoutController::startingBrightness(const ControlledDisplay& display) {
    if (!display.isBuiltIn && display.ddcService) {
        // What the monitor holds, never a value it was asked for and may have refused (or
        // acknowledged without taking): read now, else what it last told.
        auto held = displayEngine.brightness(display);
        if (!held) held = displayEngine.knownBrightness(display.id);
        if (held) {
            // The value last set, where the monitor holds it (within a step of its scale): the
            // slider comes back where it was.
            const auto set = currentBrightnesses.find(display.id);
            const uint16_t maximum = displayEngine.linkKnowledge(display.id).maximum;
            const float step = 1.0f / float(maximum > 0 ? maximum : 100);
            if (set != currentBrightnesses.end() && std::fabs(set->second - *held) <= step)
                return set->second;
            return *held;
        }
    }
    if (auto it = currentBrightnesses.find(display.id); it != currentBrightnesses.end())
        return it->second;
    if (display.isBuiltIn)
        if (auto read = displayEngine.brightness(display)) return *read;
    return ownStoredBrightness(brightnessPreferenceKey(display), display, 0.5f);
}

void BlackoutController::updateSlider(const ControlledDisplay& display, float value) {
    std::optional<int> tag;
    for (const auto& [t, d] : sliderDisplays)
        if (d.id == display.id) {
            tag = t;
            break;
        }
    if (!tag) return;
    auto* content = controlWindow ? controlWindow->contentView() : nullptr;
    if (auto* slider = appkit::viewWithTag<appkit::Slider>(content, *tag)) {
        const bool enabled = poweredOffBrightnesses.count(display.id) == 0;
        slider->setEnabled(enabled);
        slider->setDoubleValue(value);
        // The window's palette gives the tertiary label colour to a disabled label.
        if (auto it = brightnessLabels.find(*tag); it != brightnessLabels.end() && it->second)
            it->second->setEnabled(enabled);
    }
    currentBrightnesses[display.id] = value;
    // A value some feature darkened the display to is not one to come back to.
    if (value > kNearZero && !isDarkened(display.id)) {
        lastKnownBrightnesses[display.id] = value;
        storeBrightness(lastKnownBrightnessPreferenceKey(display), display, value);
    }
    updateBrightnessLabel(*tag, value);
}

void BlackoutController::loadBrightnessValues() {
    for (const auto& entry : sliderDisplays) {
        // Named copies: a lambda below captures them.
        const int tag = entry.first;
        const ControlledDisplay display = entry.second;
        // The name's stored value belongs to this display only while no twin is connected, and
        // only stands in for nothing known of its own (a twin unplugged meanwhile may have
        // written it last).
        const bool ownKnown = valueOr(lastKnownBrightnesses, display.id, 0.0f) > kNearZero;
        const float stored =
            ownKnown
                ? 0.0f
                : ownStoredBrightness(lastKnownBrightnessPreferenceKey(display), display, 0.0f);
        auto* content = controlWindow ? controlWindow->contentView() : nullptr;

        if (poweredOffBrightnesses.count(display.id)) {
            if (auto* slider = appkit::viewWithTag<appkit::Slider>(content, tag))
                slider->setDoubleValue(0.0);
            currentBrightnesses[display.id] = 0.0f;
            if (stored > kNearZero) lastKnownBrightnesses[display.id] = stored;
            updateBrightnessLabel(tag, 0.0f);
            continue;
        }

        // A reading taken across a change of the display's dark state (a hold that began or
        // ended while a slow monitor answered) is of neither state: it is not used.
        const uint64_t darkState = darkChange(display.id);
        // A DDC read may take a while: it runs off the main thread.
        auto apply = [tag, display, stored, darkState](std::optional<float> reading) {
            if (!hasShared()) return;
            auto& c = shared();
            const bool read = reading && c.darkChange(display.id) == darkState;
            const float readValue = reading.value_or(0.0f);
            auto* view = c.controlWindow ? c.controlWindow->contentView() : nullptr;
            auto* slider = appkit::viewWithTag<appkit::Slider>(view, tag);
            const float current = valueOr(c.currentBrightnesses, display.id, 0.0f);
            const float known = valueOr(c.lastKnownBrightnesses, display.id, 0.0f);
            // Its own record of the brightness to come back to, when something darkened it.
            const float recorded =
                c.isDarkened(display.id)
                    ? c.recoveryJournal->preDarkBrightness(display.id).value_or(0.0f)
                    : 0.0f;
            const float fallback = std::max({current, known, stored, recorded});
            float value;
            // Nothing of this display's own is known: the slider shows a guess, and a guess is
            // not taken for what the display shows (a switch-off reads the monitor instead).
            bool guess = false;
            // On its way back from dark: the monitor may not show it yet (its write is paced),
            // and what it shows meanwhile is ours, not a value to keep.
            const auto owed = c.owedLights.find(display.id);
            if (owed != c.owedLights.end() && !c.isHeldDark(display.id) &&
                owed->second.value > kNearZero) {
                if (!slider) return;
                value = owed->second.value;
            } else if (read) {
                if (!slider) return;
                value = readValue > kNearZero ? readValue : fallback;
            } else if (fallback > kNearZero) {
                value = fallback;
            } else {
                value = c.ownStoredBrightness(brightnessPreferenceKey(display), display, -1.0f);
                if (value < 0) {
                    value = 0.5f;
                    guess = true;
                }
            }
            if (slider) slider->setDoubleValue(value);
            if (guess) {
                c.updateBrightnessLabel(tag, value);
                return;
            }
            c.currentBrightnesses[display.id] = value;
            if (value > kNearZero && !c.isDarkened(display.id)) {
                c.lastKnownBrightnesses[display.id] = value;
                c.storeBrightness(lastKnownBrightnessPreferenceKey(display), display, value);
            } else if (stored > kNearZero) {
                c.lastKnownBrightnesses[display.id] = stored;
            }
            c.updateBrightnessLabel(tag, value);
            // The sync's baseline is the panel as read, never a remembered value, and never a
            // dark panel.
            if (read && readValue > kNearZero && display.isBuiltIn && !c.isDarkened(display.id))
                c.lastBuiltInBrightness = readValue;
        };
        auto* global = platform::current().globalQueue;
        // What the worker needs is taken here: it must not look up process-wide state.
        std::weak_ptr<DisplayEngine> engine = displayEngine.weak_from_this();
        auto* main = &platform::mainQueue();
        auto read = [display, apply, engine, main] {
            auto self = engine.lock();
            if (!self) return;
            auto value = self->brightness(display);
            main->async([apply, value] { apply(value); });
        };
        // A monitor is read on its own DDC queue, so one that does not answer delays no other.
        if (!display.isBuiltIn && display.ddcService)
            displayEngine.ddcQueue(display.id).async(read);
        else if (global)
            global->async(read);
        else
            read();
    }
}

void BlackoutController::refreshBuiltInBaseline() {
    auto builtIn = displayEngine.builtInDisplay();
    // A darkened panel is no baseline: the monitors would follow it back up many times over;
    // nor is a panel at 0.
    if (!builtIn || isDarkened(builtIn->id)) {
        lastBuiltInBrightness.reset();
        return;
    }
    lastBuiltInBrightness = displayEngine.brightness(*builtIn);
    if (lastBuiltInBrightness && *lastBuiltInBrightness <= kNearZero) lastBuiltInBrightness.reset();
}
