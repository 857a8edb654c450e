#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "display/DisplayEngine.h"
#include "platform/Hotkeys.h"
#include "platform/Platform.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr uint32_t kDefaultModifiers =
    platform::controlKey | platform::optionKey | platform::cmdKey;
// The digit keys 1 to 9 and 0, by position in the default order.
constexpr std::array<uint16_t, 10> kDefaultKeyCodes = {18, 19, 20, 21, 23, 22, 26, 28, 25, 29};
constexpr uint32_t kSignature = platform::fourCharCode("NLID");

constexpr int64_t kAnyModifier =
    platform::cmdKey | platform::shiftKey | platform::optionKey | platform::controlKey;

// An integer as macOS reads one: also from a whole floating-point number (40.0).
std::optional<int64_t> storedInteger(const platform::UserDefaults& defaults,
                                     const std::string& key) {
    if (auto i = defaults.integer(key)) return i;
    if (auto d = defaults.doubleValue(key);
        d && std::isfinite(*d) && std::trunc(*d) == *d && std::fabs(*d) < 9e18)
        return int64_t(*d);
    return std::nullopt;
}

std::string codeKey(const ControlledDisplay& display) {
    return "hotkeyCode." + display.name;
}

std::string modifiersKey(const ControlledDisplay& display) {
    return "hotkeyModifiers." + display.name;
}

// A display's own keys: two monitors of one model share a name, never an ID.
std::string ownCodeKey(const ControlledDisplay& display) {
    return "hotkeyCode_" + std::to_string(display.id);
}

std::string ownModifiersKey(const ControlledDisplay& display) {
    return "hotkeyModifiers_" + std::to_string(display.id);
}

// A missing key, not 0, means nothing stored (0 is the A key). A pair that no key could have
// produced, or one without a modifier (a bare key held system-wide), counts as nothing stored.
std::optional<BlackoutController::Hotkey> storedHotkey(const std::string& codeName,
                                                       const std::string& modifiersName) {
    auto& defaults = *platform::current().defaults;
    const auto code = storedInteger(defaults, codeName);
    const auto modifiers = storedInteger(defaults, modifiersName);
    const bool fits = code && modifiers && *code >= 0 && *code <= 0xFFFF && *modifiers >= 0 &&
                      *modifiers <= 0xFFFFFFFF && (*modifiers & kAnyModifier) != 0;
    if (!fits) return std::nullopt;
    return BlackoutController::Hotkey{uint16_t(*code), uint32_t(*modifiers)};
}

} // namespace

std::optional<BlackoutController::Hotkey>
BlackoutController::hotkey(const ControlledDisplay& display) const {
    if (auto own = storedHotkey(ownCodeKey(display), ownModifiersKey(display))) return own;
    if (holdsNameHotkey(display))
        if (auto named = storedHotkey(codeKey(display), modifiersKey(display))) return named;
    return defaultHotkey(display);
}

bool BlackoutController::holdsNameHotkey(const ControlledDisplay& display) const {
    // The keys under a name (all there was before each display had its own) belong to the
    // connected display of that name with the lowest ID, so its twins keep their defaults.
    return std::none_of(displayEngine.displays.begin(), displayEngine.displays.end(),
                        [&](const ControlledDisplay& other) {
                            return other.name == display.name && other.id < display.id;
                        });
}

void BlackoutController::storeHotkey(const ControlledDisplay& display, Hotkey combination) {
    auto& defaults = *platform::current().defaults;
    defaults.set(ownCodeKey(display), int64_t(combination.code));
    defaults.set(ownModifiersKey(display), int64_t(combination.modifiers));
    // Also under the name when the name's keys are this display's: they follow it to another
    // port (a new ID), and an older build reads them.
    if (holdsNameHotkey(display)) {
        defaults.set(codeKey(display), int64_t(combination.code));
        defaults.set(modifiersKey(display), int64_t(combination.modifiers));
    }
    defaults.synchronize();
}

std::optional<BlackoutController::Hotkey>
BlackoutController::defaultHotkey(const ControlledDisplay& display) const {
    auto ordered = displayEngine.displays;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const ControlledDisplay& a, const ControlledDisplay& b) {
                         if (a.isBuiltIn != b.isBuiltIn) return a.isBuiltIn;
                         return a.id < b.id;
                     });
    for (size_t i = 0; i < ordered.size() && i < kDefaultKeyCodes.size(); ++i)
        if (ordered[i].id == display.id) return Hotkey{kDefaultKeyCodes[i], kDefaultModifiers};
    return std::nullopt;
}

void BlackoutController::registerAllGlobalHotkeys() {
    unregisterAllGlobalHotkeys();
    displayEngine.refreshDisplays();
    auto* service = platform::current().hotkeys;
    if (!service) return;
    for (const auto& display : displayEngine.displays) {
        auto combination = hotkey(display);
        if (!combination) continue;
        // Displays of one name share the stored keys: the second one keeps its own default
        // rather than lose its hotkey to the first.
        const bool taken =
            std::any_of(heldHotkeys.begin(), heldHotkeys.end(),
                        [&](const auto& held) { return held.second == *combination; });
        if (taken)
            if (auto own = defaultHotkey(display)) combination = own;
        platform::EventHotKeyRef ref = 0;
        const auto status =
            service->registerEventHotKey(combination->code, combination->modifiers,
                                         platform::EventHotKeyID{kSignature, display.id}, 0, ref);
        if (status == platform::noErr && ref != 0) {
            hotKeyRefs[display.id] = ref;
            heldHotkeys[display.id] = *combination;
        } else {
            refusedHotkeys[display.id] = {*combination, status};
            platform::current().log->write("Failed to register global hotkey for " + display.name +
                                           ", error: " + std::to_string(status));
        }
    }
    refreshHotkeyPills();
}

std::string BlackoutController::hotkeyPillTitle(const ControlledDisplay& display) const {
    if (auto held = heldHotkeys.find(display.id); held != heldHotkeys.end())
        return hotkeyString(held->second.code, held->second.modifiers);
    if (auto refused = refusedHotkeys.find(display.id); refused != refusedHotkeys.end())
        return "⚠ " + hotkeyString(refused->second.first.code, refused->second.first.modifiers);
    auto combination = hotkey(display);
    return combination ? hotkeyString(combination->code, combination->modifiers)
                       : t("단축키", "Shortcut");
}

void BlackoutController::refreshHotkeyPills() {
    for (const auto& [id, button] : hotkeyButtons)
        if (auto display = cachedDisplaysByID.find(id); display != cachedDisplaysByID.end())
            drawHotkeyPill(display->second);
}

void BlackoutController::drawHotkeyPill(const ControlledDisplay& display) {
    auto it = hotkeyButtons.find(display.id);
    // While a combination is recorded its pill shows the recording.
    if (it == hotkeyButtons.end() || !it->second ||
        (isRecordingHotkey && recordingDisplayID == display.id))
        return;
    it->second->setTitle(hotkeyPillTitle(display));
    auto refused = refusedHotkeys.find(display.id);
    const std::string status =
        refused == refusedHotkeys.end() ? "" : std::to_string(refused->second.second);
    it->second->setToolTip(
        status.empty()
            ? QString()
            : QString::fromStdString(
                  t("이 단축키는 다른 곳에서 사용 중이라 작동하지 않습니다 (오류 " + status + ")",
                    "This shortcut is held elsewhere and does not work (error " + status + ")")));
}

void BlackoutController::unregisterAllGlobalHotkeys() {
    if (auto* service = platform::current().hotkeys)
        for (const auto& [id, ref] : hotKeyRefs)
            service->unregisterEventHotKey(ref);
    hotKeyRefs.clear();
    heldHotkeys.clear();
    refusedHotkeys.clear();
}

void BlackoutController::installHotkeyPressedHandler() {
    auto* service = platform::current().hotkeys;
    if (!service) return;
    const uint64_t ref = service->installHotKeyPressedHandler([](const auto& event) {
        platform::EventHotKeyID id;
        if (event.directObject(id) != platform::noErr) return platform::noErr;
        const DisplayID displayID = id.id;
        platform::mainQueue().async([displayID] {
            if (hasShared()) shared().toggleDisplayPowerByID(displayID);
        });
        return platform::noErr;
    });
    if (ref != 0) hotkeyHandlerRef = ref;
}
