// The records of what the program darkened, and bringing back what an earlier run left dark
// when it crashed or was killed.

#include "app/BlackoutController.h"
#include "display/DisplayEngine.h"
#include "blackout/RecoveryJournal.h"
#include "platform/CoreBrightness.h"
#include "platform/Displays.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"

#include <algorithm>
#include <map>

namespace {

constexpr float kNearZero = 0.001f;
constexpr float kFallback = 0.5f;
constexpr float kOverlayTop = 0.1f;
constexpr uint32_t kMaxDisplays = 32;

} // namespace

float BlackoutController::holdDark(const ControlledDisplay& display, const char* reason,
                                   float brightnessNow) {
    return recoveryJournal->recordDisplay(
        {display.id, display.name, display.isBuiltIn, brightnessNow, reason});
}

std::optional<float> BlackoutController::releaseDark(DisplayID id, const char* reason) {
    if (!recoveryJournal->holds(id, reason)) return std::nullopt;
    return recoveryJournal->releaseDisplay(id, reason);
}

bool BlackoutController::isHeldDark(DisplayID id) const {
    return recoveryJournal && recoveryJournal->isHeld(id);
}

float BlackoutController::brightnessBeforeDark(const ControlledDisplay& display) {
    if (isHeldDark(display.id))
        if (auto before = recoveryJournal->preDarkBrightness(display.id); before && *before > 0)
            return *before;
    return startingBrightness(display);
}

bool BlackoutController::isConnected(DisplayID id) const {
    // Asked of the system: the engine's list is not refreshed while protector mode is on.
    auto* displays = platform::current().displays;
    std::vector<DisplayID> online;
    if (!displays || displays->getOnlineDisplayList(kMaxDisplays, online) != 0)
        return std::any_of(displayEngine.displays.begin(), displayEngine.displays.end(),
                           [id](const ControlledDisplay& d) { return d.id == id; });
    return std::find(online.begin(), online.end(), id) != online.end();
}

void BlackoutController::refreshDisplaysIfStale() {
    auto* displays = platform::current().displays;
    std::vector<DisplayID> online;
    if (!displays || displays->getOnlineDisplayList(kMaxDisplays, online) != 0) return;
    std::vector<DisplayID> listed;
    for (const auto& d : displayEngine.displays)
        listed.push_back(d.id);
    std::sort(online.begin(), online.end());
    std::sort(listed.begin(), listed.end());
    if (online != listed) displayEngine.refreshDisplays();
}

void BlackoutController::releaseWhileUnplugged(DisplayID id,
                                               std::initializer_list<const char*> reasons) {
    std::optional<float> back;
    for (const char* reason : reasons)
        if (auto b = releaseDark(id, reason)) back = b;
    if (back && !isHeldDark(id))
        recoveryJournal->recordDisplay({id, {}, false, *back, RecoveryJournal::awayReason});
}

void BlackoutController::releaseUnpluggedOffDisplays(
    std::initializer_list<const char*> alsoReasons) {
    const auto off = poweredOffBrightnesses;
    for (const auto& [id, value] : off) {
        if (isConnected(id)) continue;
        poweredOffBrightnesses.erase(id);
        std::optional<float> back = releaseDark(id, darkOff);
        for (const char* reason : alsoReasons)
            if (auto b = releaseDark(id, reason)) back = b;
        if (!isHeldDark(id))
            recoveryJournal->recordDisplay(
                {id, {}, false, back.value_or(value), RecoveryJournal::awayReason});
    }
}

void BlackoutController::recoverFromUncleanExit() {
    if (!recoveryJournal) return;
    const bool atLaunch = recoveringAtLaunch;
    recoveringAtLaunch = false;
    std::map<DisplayID, float> dark;
    for (const auto& entry : recoveryJournal->displays()) {
        // Later on, a display held by a feature under way is that feature's to bring back.
        if (!atLaunch && !recoveryPending.count(entry.id) && recoveryJournal->isHeld(entry.id))
            continue;
        auto& target = dark[entry.id];
        target = std::max(target, entry.brightness);
    }
    const bool damaged = atLaunch && recoveryJournal->wasDamaged();
    if (dark.empty() && !damaged && (!atLaunch || recoveryJournal->keyboards().empty())) return;

    displayEngine.refreshDisplays();
    for (const auto& [id, brightness] : dark) {
        auto online = std::find_if(displayEngine.displays.begin(), displayEngine.displays.end(),
                                   [id = id](const ControlledDisplay& d) { return d.id == id; });
        if (online == displayEngine.displays.end()) {
            // Kept for when it is plugged in again.
            if (atLaunch) recoveryPending.insert(id);
            continue;
        }
        const ControlledDisplay display = *online;
        // A display that went away blacked out may come back with that table still loaded.
        if (!display.isBuiltIn && originalGammaTables.count(id)) restoreDisplayViaGamma(id);
        displayEngine.setBrightness(brightness, display);
        recoveryJournal->clearDisplay(id);
        updateSlider(display, brightness);
        const bool fromEarlierRun = recoveryPending.erase(id) > 0;
        platform::logf(atLaunch || fromEarlierRun
                           ? "Recovery: display %s brought back to %.2f after an unclean exit"
                           : "Recovery: display %s brought back to %.2f after it was plugged in",
                       display.name.c_str(), double(brightness));
    }

    // What a damaged journal no longer says: a display found dark gets its stored brightness.
    if (damaged) {
        const std::vector<ControlledDisplay> displays = displayEngine.displays;
        for (const auto& d : displays) {
            if (dark.count(d.id)) continue;
            const auto now = displayEngine.brightness(d);
            // A monitor's luminance 0 reads as the top of the overlay's range.
            const float darkAt = d.isBuiltIn ? kNearZero : kOverlayTop + kNearZero;
            if (!now || *now > darkAt) continue;
            float back = storedBrightness(lastKnownBrightnessPreferenceKey(d), 0.0f);
            if (back <= kNearZero) back = storedBrightness(brightnessPreferenceKey(d), 0.0f);
            if (back <= kNearZero) back = kFallback;
            displayEngine.setBrightness(back, d);
            platform::logf("Recovery: display %s was dark with nothing readable in the journal; "
                           "brought back to %.2f",
                           d.name.c_str(), double(back));
        }
    }

    if (!atLaunch) return;
    auto* core = platform::current().coreBrightness;
    auto client = core ? core->openKeyboardBrightnessClient() : nullptr;
    if (!client || !client->hasMethod("setBrightness:forKeyboard:")) return;
    if (!recoveryJournal->keyboards().empty()) {
        for (const auto& [id, level] : recoveryJournal->keyboards())
            client->setBrightness(level, id);
        recoveryJournal->clearKeyboards();
        platform::logf("Recovery: keyboard backlight brought back after an unclean exit");
    } else if (damaged && client->hasMethod("copyKeyboardBacklightIDs") &&
               client->hasMethod("brightnessForKeyboard:")) {
        const auto ids = client->copyKeyboardBacklightIDs();
        if (const auto* list = ids.array())
            for (const auto& v : *list)
                if (auto n = v.integer(); n && client->brightnessForKeyboard(uint64_t(*n)) <= 0)
                    client->setBrightness(kFallback, uint64_t(*n));
    }
}
