#include "app/BlackoutController.h"
#include "appkit/Colors.h"
#include "appkit/Slider.h"
#include "appkit/Window.h"
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

std::string BlackoutController::volumePreferenceKey(const ControlledDisplay& display) {
    return "volume_" + std::to_string(display.id);
}

void BlackoutController::updateBrightnessLabel(int tag, float value) {
    auto it = brightnessLabels.find(tag);
    if (it == brightnessLabels.end() || !it->second) return;
    it->second->setText(QString("%1%").arg(std::lround(double(value) * 100.0)));
}

float BlackoutController::startingBrightness(const ControlledDisplay& display) {
    if (auto it = currentBrightnesses.find(display.id); it != currentBrightnesses.end())
        return it->second;
    if (auto read = displayEngine.brightness(display)) return *read;
    return storedBrightness(brightnessPreferenceKey(display), 0.5f);
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
    if (value > kNearZero && !isHeldDark(display.id)) {
        lastKnownBrightnesses[display.id] = value;
        platform::current().defaults->set(lastKnownBrightnessPreferenceKey(display), value);
    }
    updateBrightnessLabel(*tag, value);
}

void BlackoutController::loadBrightnessValues() {
    for (const auto& entry : sliderDisplays) {
        // Named copies: a lambda below captures them.
        const int tag = entry.first;
        const ControlledDisplay display = entry.second;
        const float stored = storedBrightness(lastKnownBrightnessPreferenceKey(display), 0.0f);
        const float current = valueOr(currentBrightnesses, display.id, 0.0f);
        const float known = valueOr(lastKnownBrightnesses, display.id, 0.0f);
        auto* content = controlWindow ? controlWindow->contentView() : nullptr;

        if (poweredOffBrightnesses.count(display.id)) {
            if (auto* slider = appkit::viewWithTag<appkit::Slider>(content, tag))
                slider->setDoubleValue(0.0);
            currentBrightnesses[display.id] = 0.0f;
            if (stored > kNearZero) lastKnownBrightnesses[display.id] = stored;
            updateBrightnessLabel(tag, 0.0f);
            continue;
        }

        // A DDC read may take a while: it runs off the main thread.
        auto apply = [tag, display, stored, current, known](std::optional<float> read) {
            if (!hasShared()) return;
            auto& c = shared();
            auto* view = c.controlWindow ? c.controlWindow->contentView() : nullptr;
            auto* slider = appkit::viewWithTag<appkit::Slider>(view, tag);
            const float fallback = std::max({current, known, stored});
            float value;
            if (read) {
                if (!slider) return;
                value = *read > kNearZero ? *read : fallback;
            } else {
                value = fallback > kNearZero
                            ? fallback
                            : storedBrightness(brightnessPreferenceKey(display), 0.5f);
            }
            if (slider) slider->setDoubleValue(value);
            c.currentBrightnesses[display.id] = value;
            if (value > kNearZero && !c.isHeldDark(display.id)) {
                c.lastKnownBrightnesses[display.id] = value;
                platform::current().defaults->set(lastKnownBrightnessPreferenceKey(display), value);
            } else if (stored > kNearZero) {
                c.lastKnownBrightnesses[display.id] = stored;
            }
            c.updateBrightnessLabel(tag, value);
            if (read && display.isBuiltIn && !c.isHeldDark(display.id))
                c.lastBuiltInBrightness = value;
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
        if (global)
            global->async(read);
        else
            read();
    }
}

void BlackoutController::refreshBuiltInBaseline() {
    auto builtIn = displayEngine.builtInDisplay();
    // A darkened panel is no baseline: the monitors would follow it back up many times over.
    if (!builtIn || isHeldDark(builtIn->id)) {
        lastBuiltInBrightness.reset();
        return;
    }
    lastBuiltInBrightness = displayEngine.brightness(*builtIn);
}
