// The one owner of what displays looked like before the program darkened them: features hold a
// display and let it go, and a display's light comes back through here, its record kept until
// the light has landed.

#include "app/BlackoutController.h"
#include "blackout/RecoveryJournal.h"
#include "display/DisplayEngine.h"
#include "platform/CoreDisplayInfo.h"
#include "platform/Displays.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

#include <algorithm>

namespace {

constexpr uint32_t kMaxDisplays = 32;
constexpr int kLongestRetrySeconds = 60;

// 1, 2, 4 ... seconds, at most a minute.
int retryDelay(int failures) {
    const int doublings = std::clamp(failures - 1, 0, 6);
    return std::min(kLongestRetrySeconds, 1 << doublings);
}

} // namespace

float BlackoutController::holdDark(const ControlledDisplay& display, const char* reason,
                                   float brightnessNow) {
    // Whatever was on its way back is called off: the display is dark again.
    owedLights.erase(display.id);
    ++darkChanges[display.id];
    const bool link = !display.isBuiltIn && display.ddcService;
    // A monitor is lowered over its link only when what it holds is known (read, or a value it
    // acknowledged); the record says so before the first frame goes, so a kill at any instant
    // leaves what the next start needs. One whose value is a guess keeps its own brightness:
    // the overlay and the gamma table darken it, and nothing is guessed back onto it.
    bool mayTake;
    if (recoveryJournal->hasRecord(display.id))
        mayTake = recoveryJournal->mayHaveTakenDark(display.id);
    else
        mayTake =
            display.isBuiltIn || (link && displayEngine.knownBrightness(display.id).has_value());
    if (link && !mayTake) displayEngine.setLinkUntouched(display.id, true);
    RecoveryJournal::DarkDisplay entry{display.id,    display.name, display.isBuiltIn,
                                       brightnessNow, reason,       displayIdentity(display),
                                       mayTake};
    const auto known = displayEngine.linkKnowledge(display.id);
    entry.maximum = known.maximum;
    entry.readable = known.readable;
    entry.ambiguous =
        std::any_of(displayEngine.displays.begin(), displayEngine.displays.end(),
                    [&](const ControlledDisplay& d) {
                        return d.id != display.id && displayIdentity(d) == entry.identity;
                    });
    return recoveryJournal->recordDisplay(entry);
}

std::optional<float> BlackoutController::releaseDark(DisplayID id, const char* reason) {
    if (!recoveryJournal->holds(id, reason)) return std::nullopt;
    ++darkChanges[id];
    return recoveryJournal->releaseDisplay(id, reason);
}

bool BlackoutController::isHeldDark(DisplayID id) const {
    return recoveryJournal && recoveryJournal->isHeld(id);
}

bool BlackoutController::isDarkened(DisplayID id) const {
    return recoveryJournal && recoveryJournal->hasRecord(id);
}

uint64_t BlackoutController::darkChange(DisplayID id) const {
    auto it = darkChanges.find(id);
    return it == darkChanges.end() ? 0 : it->second;
}

float BlackoutController::brightnessBeforeDark(const ControlledDisplay& display) {
    if (isDarkened(display.id))
        if (auto before = recoveryJournal->preDarkBrightness(display.id); before && *before > 0)
            return *before;
    return startingBrightness(display);
}

std::string BlackoutController::displayIdentity(const ControlledDisplay& display) const {
    if (display.isBuiltIn) return "built-in";
    auto* core = platform::current().coreDisplay;
    auto info = core ? core->createInfoDictionary(display.id) : std::nullopt;
    auto number = [&](const char* key) -> std::string {
        const platform::Value* v = info ? info->find(key) : nullptr;
        auto n = v ? v->integer() : std::nullopt;
        return n ? std::to_string(*n) : std::string("?");
    };
    // The screen's name is not part of it: the system numbers same-named screens, and names
    // follow the language.
    if (!info) return display.name;
    return number("DisplayVendorID") + ":" + number("DisplayProductID") + ":" +
           number("DisplaySerialNumber");
}

std::string BlackoutController::sameIdentity(const std::string& identity) {
    // An earlier version put the screen's name first.
    const auto bar = identity.rfind('|');
    return bar == std::string::npos ? identity : identity.substr(bar + 1);
}

bool BlackoutController::identityTellsApart(const std::string& identity) {
    // Maker, model and a serial: many monitors report serial 0, and then twins look alike.
    const std::string id = sameIdentity(identity);
    const auto colon = id.rfind(':');
    if (colon == std::string::npos || id.find(':') == colon) return false;
    const std::string serial = id.substr(colon + 1);
    return !serial.empty() && serial != "?" && serial != "0";
}

bool BlackoutController::hasTwin(const ControlledDisplay& display) const {
    return std::any_of(
        displayEngine.displays.begin(), displayEngine.displays.end(),
        [&](const ControlledDisplay& d) { return d.id != display.id && d.name == display.name; });
}

void BlackoutController::bringBack(const ControlledDisplay& display, float value,
                                   std::string landedLog) {
    if (!recoveryJournal || isHeldDark(display.id) ||
        (!recoveryJournal->hasRecord(display.id) && landedLog.empty())) {
        // Nothing owed (or another feature still holds it and will bring it back).
        displayEngine.setBrightness(value, display);
        return;
    }
    const bool hadRecord = recoveryJournal->hasRecord(display.id);
    if (auto record = recoveryJournal->record(display.id))
        displayEngine.rememberLink(display.id, {uint16_t(record->maximum), record->readable});
    // Nothing of it went over its link: the overlay and the gamma table were all there was, and
    // its own brightness is not written over with a guess.
    if (hadRecord && !display.isBuiltIn && display.ddcService &&
        !recoveryJournal->mayHaveTakenDark(display.id)) {
        displayEngine.setLinkUntouched(display.id, true);
        landedLog.clear();
    }
    recoveryJournal->owe({display.id, display.name, display.isBuiltIn, value,
                          RecoveryJournal::restoreReason, displayIdentity(display),
                          !hadRecord || recoveryJournal->mayHaveTakenDark(display.id)});
    // What the program last set, also for a display without a slider (unplugged meanwhile): a
    // value some feature dimmed it to is not what it shows from now on.
    currentBrightnesses[display.id] = value;
    auto& owed = owedLights[display.id];
    owed.display = display;
    owed.value = value;
    owed.failures = 0;
    if (!landedLog.empty() || owed.landedLog.empty() || displayEngine.isLinkUntouched(display.id))
        owed.landedLog = std::move(landedLog);
    sendOwedLight(display.id);
}

void BlackoutController::sendOwedLight(DisplayID id) {
    auto it = owedLights.find(id);
    if (it == owedLights.end()) return;
    const uint64_t attempt = ++lightAttempts;
    it->second.attempt = attempt;
    displayEngine.setBrightness(it->second.value, it->second.display, [id, attempt](bool landed) {
        if (hasShared()) shared().lightLanded(id, attempt, landed);
    });
}

void BlackoutController::lightLanded(DisplayID id, uint64_t attempt, bool landed) {
    auto it = owedLights.find(id);
    // A later attempt, a newer value or a new darkening has taken over.
    if (it == owedLights.end() || it->second.attempt != attempt) return;
    OwedLight& owed = it->second;
    const std::string name = owed.display.name;
    const float value = owed.value;
    if (landed) {
        const bool builtIn = owed.display.isBuiltIn;
        const std::string log = owed.landedLog;
        owedLights.erase(it);
        if (recoveryJournal->landed(id)) ++darkChanges[id];
        if (!recoveryJournal->hasRecord(id)) displayEngine.setLinkUntouched(id, false);
        if (!log.empty()) platform::logf(log.c_str(), name.c_str(), double(value));
        // The panel was just read back: the sync takes its baseline from there.
        if (builtIn && !isDarkened(id) && value > 0.001f) lastBuiltInBrightness = value;
        return;
    }
    ++owed.failures;
    const int delay = retryDelay(owed.failures);
    platform::logf("Recovery: display %s did not take %.2f; trying again in %d s", name.c_str(),
                   double(value), delay);
    platform::mainQueue().asyncAfter(delay, [id, attempt] {
        if (!hasShared()) return;
        auto& c = shared();
        auto now = c.owedLights.find(id);
        if (now == c.owedLights.end() || now->second.attempt != attempt) return;
        // Unplugged meanwhile: plugging it in tries again.
        if (!c.isConnected(id)) return;
        c.sendOwedLight(id);
    });
}

void BlackoutController::retryOwedLight() {
    for (auto& [id, owed] : owedLights) {
        if (!isConnected(id)) continue;
        owed.failures = 0;
        sendOwedLight(id);
    }
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
    // The journal keeps what is owed; plugging it in brings it back.
    for (const char* reason : reasons)
        releaseDark(id, reason);
    owedLights.erase(id);
}

void BlackoutController::releaseUnpluggedOffDisplays(
    std::initializer_list<const char*> alsoReasons) {
    const auto off = poweredOffBrightnesses;
    for (const auto& [id, value] : off) {
        if (isConnected(id)) continue;
        poweredOffBrightnesses.erase(id);
        releaseDark(id, darkOff);
        for (const char* reason : alsoReasons)
            releaseDark(id, reason);
        owedLights.erase(id);
        // An off display the journal lost track of is still owed its light.
        if (!isHeldDark(id)) {
            ControlledDisplay d;
            d.id = id;
            if (auto it = cachedDisplaysByID.find(id); it != cachedDisplaysByID.end())
                d = it->second;
            recoveryJournal->owe({id, d.name, d.isBuiltIn,
                                  recoveryJournal->preDarkBrightness(id).value_or(value),
                                  RecoveryJournal::restoreReason, recoveryJournal->identity(id)});
        }
    }
}

void BlackoutController::settleRestores() {
    // The queues' work ends first: frames queued and their read-backs.
    displayEngine.drainDDC();
    displayEngine.deliverLandings();
}
