#include "display/Arm64DDC.h"
#include "display/DimmerOverlayWindow.h"
#include "display/DisplayEngine.h"
#include "platform/BuiltInBrightness.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint8_t kLuminance = 0x10;
constexpr uint8_t kSpeakerVolume = 0x62;
constexpr uint8_t kPowerMode = 0xD6;
constexpr float kSoftwareRange = 0.1f;
constexpr float kDeepestOverlay = 0.95f;
// How far a panel may read from what was set and still have taken it.
constexpr float kPanelStep = 0.011f;

// NaN has no place in a range: it counts as the bottom of it.
float clampFraction(float value) {
    return std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
}

} // namespace

ControlledDisplay DisplayEngine::resolve(const ControlledDisplay& passed) {
    // A copy first: the caller's record may live in the list the refresh replaces.
    const ControlledDisplay display = passed;
    refreshDisplays();
    for (const auto& d : displays)
        if (d.id == display.id) return d;
    return display;
}

std::optional<float> DisplayEngine::brightness(const ControlledDisplay& display) {
    if (display.isBuiltIn) {
        auto* services = platform::current().builtInBrightness;
        auto get = services ? services->lookupGetBrightness() : nullptr;
        float value = 0;
        if (!get || get(display.id, &value) != 0) return std::nullopt;
        return value;
    }
    if (!display.ddcService) return std::nullopt;
    std::optional<Arm64DDC::VCPReply> reply;
    auto service = display.ddcService;
    ddcQueue(display.id).sync([&] {
        Arm64DDC::DDCSettings settings;
        settings.numOfRetryAttemps = 2;
        reply = Arm64DDC::read(service, kLuminance, settings);
    });
    if (!reply || reply->max == 0) return std::nullopt;
    {
        // Writes go out on the scale reads come back on.
        std::lock_guard lock(monitorsMutex_);
        maxima_[display.id] = reply->max;
        readable_.insert(display.id);
    }
    knowValue(display.id, float(reply->current) / float(reply->max));
    answered(display.id);
    const float ddcFraction = std::clamp(float(reply->current) / float(reply->max), 0.0f, 1.0f);
    // Read back on the scale it was set on, or every off/on or reload would lower it a step.
    if (ddcFraction <= 0.0f) {
        std::lock_guard lock(softwareDimmingMutex_);
        if (auto it = softwareDimming_.find(display.id); it != softwareDimming_.end())
            return it->second;
    }
    return kSoftwareRange + ddcFraction * (1.0f - kSoftwareRange);
}

void DisplayEngine::setBrightness(float value, const ControlledDisplay& passed,
                                  LandingHandler onLanded) {
    value = clampFraction(value);
    const ControlledDisplay display = resolve(passed);

    if (display.isBuiltIn) {
        auto* services = platform::current().builtInBrightness;
        auto set = services ? services->lookupSetBrightness() : nullptr;
        const bool taken = set && set(display.id, value) == 0;
        if (onLanded) {
            // The panel has its light back when it reads back what was set.
            auto get = services ? services->lookupGetBrightness() : nullptr;
            float now = -1;
            const bool landed =
                taken && get && get(display.id, &now) == 0 && std::fabs(now - value) <= kPanelStep;
            tellLanding({std::move(onLanded)}, landed);
        }
        return;
    }

    {
        std::lock_guard lock(softwareDimmingMutex_);
        if (value < kSoftwareRange)
            softwareDimming_[display.id] = value;
        else
            softwareDimming_.erase(display.id);
    }

    float ddcFraction = 0, alpha = 0;
    if (value < kSoftwareRange)
        alpha = ((kSoftwareRange - value) / kSoftwareRange) * kDeepestOverlay;
    else
        ddcFraction = (value - kSoftwareRange) / (1.0f - kSoftwareRange);

    if (display.ddcService && !isLinkUntouched(display.id))
        queueWrite(display, kLuminance, ddcFraction, true, std::move(onLanded));
    else if (onLanded)
        // Nothing to send: the overlay below, on the main queue, is all there is of it.
        tellLanding({std::move(onLanded)}, true);

    std::weak_ptr<DisplayEngine> weak = weak_from_this();
    platform::mainQueue().async([weak, id = display.id, alpha] {
        if (auto self = weak.lock()) self->applyOverlay(id, alpha);
    });
}

void DisplayEngine::applyOverlay(DisplayID id, float alpha) {
    auto it = overlayWindows.find(id);
    if (alpha <= 0) {
        if (it != overlayWindows.end()) {
            it->second->orderOut();
            overlayWindows.erase(it);
        }
        return;
    }
    if (it == overlayWindows.end()) {
        auto target = screen(id);
        if (!target) return;
        auto overlay = std::make_shared<DimmerOverlayWindow>(*target);
        it = overlayWindows.emplace(id, overlay).first;
        overlay->orderFrontRegardless();
    }
    it->second->setAlphaValue(alpha);
}

void DisplayEngine::removeOverlaysNotIn(const std::vector<DisplayID>& online) {
    for (auto it = overlayWindows.begin(); it != overlayWindows.end();) {
        if (std::find(online.begin(), online.end(), it->first) == online.end()) {
            it->second->orderOut();
            it = overlayWindows.erase(it);
        } else {
            ++it;
        }
    }
}

void DisplayEngine::setVolume(float value, const ControlledDisplay& passed) {
    value = clampFraction(value);
    const ControlledDisplay display = resolve(passed);
    if (!display.ddcService) return;
    queueWrite(display, kSpeakerVolume, value, false, nullptr);
}

bool DisplayEngine::setPowerState(uint16_t value, const ControlledDisplay& passed) {
    const ControlledDisplay display = resolve(passed);
    if (display.isBuiltIn || !display.ddcService) return false;
    bool ok = false;
    ddcQueue(display.id).sync([&] {
        ok = Arm64DDC::write(display.ddcService, kPowerMode, value);
        platform::logf("DisplayEngine DDC power write display=%s value=%d success=%d",
                       display.name.c_str(), int(value), ok ? 1 : 0);
    });
    return ok;
}
