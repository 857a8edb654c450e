// Bringing back what an earlier run left dark when it crashed or was killed, and what is still
// owed its light when a display is plugged in or comes online.

#include "app/BlackoutController.h"
#include "blackout/RecoveryJournal.h"
#include "display/DisplayEngine.h"
#include "platform/CoreBrightness.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

constexpr float kNearZero = 0.001f;
constexpr DisplayID kSetAsideIDs = 0xFFFF0000u;
constexpr float kFallback = 0.5f;
constexpr float kOverlayTop = 0.1f;
// Below the value to come back to by more than a step of the monitor's range: dimmed.
constexpr float kDimmedBy = 0.011f;

constexpr const char* kAfterUncleanExit =
    "Recovery: display %s brought back to %.2f after an unclean exit";
constexpr const char* kAfterPlugIn = "Recovery: display %s brought back to %.2f after it was "
                                     "plugged in";

} // namespace

void BlackoutController::followMonitorsToTheirIDs(bool atLaunch) {
    if (recoveryJournal->empty()) return;
    displayEngine.refreshDisplays();
    const std::vector<ControlledDisplay> connected = displayEngine.displays;
    auto identityAt = [&](DisplayID id) -> std::optional<std::string> {
        for (const auto& d : connected)
            if (d.id == id) return displayIdentity(d);
        return std::nullopt;
    };
    std::vector<DisplayID> ids;
    for (const auto& e : recoveryJournal->displays())
        if (std::find(ids.begin(), ids.end(), e.id) == ids.end()) ids.push_back(e.id);
    for (const DisplayID id : ids) {
        const auto record = recoveryJournal->record(id);
        // Later on, a display held by a feature under way stays that feature's.
        if (!record || (!atLaunch && recoveryJournal->isHeld(id))) continue;
        const std::string identity = sameIdentity(record->identity);
        const auto here = identityAt(id);
        if (identity.empty() || (here && *here == identity)) continue;
        if (record->home && !recoveryJournal->hasRecord(record->home) &&
            identityAt(record->home) == identity) {
            // Set aside while another monitor had its ID, and back on it.
            recoveryJournal->moveDisplay(id, record->home);
            if (recoveryPending.erase(id)) recoveryPending.insert(record->home);
            continue;
        }
        // Only an identity that tells its monitor from any twin is followed, and only to the one
        // display that has it; a look-alike is never taken for it.
        if (!identityTellsApart(identity) || record->ambiguous) continue;
        std::vector<DisplayID> same;
        for (const auto& d : connected)
            if (displayIdentity(d) == identity) same.push_back(d.id);
        if (same.size() != 1) continue;
        const DisplayID to = same[0];
        const auto theirs = recoveryJournal->record(to);
        if (theirs && (sameIdentity(theirs->identity) == identity ||
                       (!atLaunch && recoveryJournal->isHeld(to))))
            continue;
        // Its own ID is free, or holds the record of another monitor (twins that traded IDs).
        recoveryJournal->swapDisplays(id, to);
        const bool pendingHere = recoveryPending.erase(id) > 0;
        if (recoveryPending.erase(to)) recoveryPending.insert(id);
        if (pendingHere) recoveryPending.insert(to);
    }
}

void BlackoutController::recoverFromUncleanExit() {
    if (!recoveryJournal) return;
    const bool atLaunch = recoveringAtLaunch;
    recoveringAtLaunch = false;
    followMonitorsToTheirIDs(atLaunch);
    std::map<DisplayID, float> owed;
    for (const auto& entry : recoveryJournal->displays()) {
        // Later on, a display held by a feature under way is that feature's to bring back.
        if (!atLaunch && recoveryJournal->isHeld(entry.id)) continue;
        owed[entry.id] = std::max(owed[entry.id], entry.brightness);
    }
    // A black table belongs to a switch-off alone: a display that went away switched off and is
    // back, no longer off, gets its own table again, whatever feature still holds it dark.
    std::vector<DisplayID> blackened;
    for (const auto& [id, table] : originalGammaTables)
        if (!poweredOffBrightnesses.count(id) && isConnected(id)) blackened.push_back(id);
    for (auto id : blackened)
        restoreDisplayViaGamma(id);
    const bool damaged = atLaunch && recoveryJournal->wasDamaged();
    if (damaged) damagedJournalFallback = true;
    const bool keyboards = atLaunch && !recoveryJournal->keyboards().empty();
    if (owed.empty() && !damagedJournalFallback && !keyboards) return;

    displayEngine.refreshDisplays();
    const std::vector<ControlledDisplay> connected = displayEngine.displays;
    for (const auto& [id, brightness] : owed) {
        // Nothing of this run holds what an earlier run darkened.
        if (atLaunch) recoveryJournal->releaseAll(id);
        auto online = std::find_if(connected.begin(), connected.end(),
                                   [id = id](const ControlledDisplay& d) { return d.id == id; });
        const std::string identity = sameIdentity(recoveryJournal->identity(id));
        DisplayID waiting = id;
        if (online != connected.end() && !identity.empty() &&
            displayIdentity(*online) != identity) {
            // Another monitor has this ID now: the record waits for its own, set aside under an
            // ID no display has, so nothing done to this one joins or spends it.
            waiting = kSetAsideIDs;
            while (recoveryJournal->hasRecord(waiting))
                ++waiting;
            recoveryJournal->moveDisplay(id, waiting, id);
            if (recoveryPending.erase(id) || atLaunch) recoveryPending.insert(waiting);
            online = connected.end();
        }
        if (online == connected.end()) {
            // Kept for when it is plugged in again.
            if (atLaunch) recoveryPending.insert(waiting);
            owedLights.erase(id);
            continue;
        }
        const ControlledDisplay display = *online;
        // A display that went away blacked out may come back with that table still loaded.
        if (!display.isBuiltIn && originalGammaTables.count(display.id))
            restoreDisplayViaGamma(display.id);
        const bool fromEarlierRun = atLaunch || recoveryPending.erase(display.id) > 0;
        if (!atLaunch && owedLights.count(display.id)) {
            // Already on its way back: plugging it in is a reason to try again at once.
            owedLights[display.id].display = display;
            continue;
        }
        bringBack(display, brightness, fromEarlierRun ? kAfterUncleanExit : kAfterPlugIn);
        updateSlider(display, brightness);
    }
    // Plugged in or come online: whatever is still owed is tried again at once.
    if (!atLaunch) retryOwedLight();

    if (damagedJournalFallback) recoverWithoutJournal(connected);

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

void BlackoutController::recoverWithoutJournal(const std::vector<ControlledDisplay>& displays) {
    for (const auto& d : displays) {
        // Each display once, when it is first seen (at launch, or plugged in later) and read.
        if (damageChecked.count(d.id) || recoveryJournal->hasRecord(d.id)) continue;
        const auto now = displayEngine.brightness(d);
        // Not answering now: looked at again when displays change or it is plugged in.
        if (!now) continue;
        damageChecked.insert(d.id);
        // Only this display's own stored values: a twin's would light it at another brightness.
        const float lastKnown = ownStoredBrightness(lastKnownBrightnessPreferenceKey(d), d, 0.0f);
        // A monitor's luminance 0 reads as the top of the overlay's range.
        const float darkAt = d.isBuiltIn ? kNearZero : kOverlayTop + kNearZero;
        float back = 0;
        const char* how = nullptr;
        if (lastKnown > kNearZero && *now + kDimmedBy < lastKnown) {
            back = lastKnown;
            how = *now > darkAt ? "dimmed" : "dark";
        } else if (*now <= darkAt) {
            back = ownStoredBrightness(brightnessPreferenceKey(d), d, 0.0f);
            if (back <= kNearZero) back = kFallback;
            how = "dark";
        }
        if (!how) continue;
        const std::string log = std::string("Recovery: display %s was ") + how +
                                " with nothing readable in the journal; brought back to %.2f";
        bringBack(d, back, log);
        updateSlider(d, back);
    }
}
