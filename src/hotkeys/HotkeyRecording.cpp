#include "app/BlackoutController.h"
#include "display/DisplayEngine.h"
#include "hotkeys/HotkeyButton.h"
#include "hotkeys/KeyNames.h"
#include "platform/Hotkeys.h"
#include "platform/InputActivity.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

namespace {

constexpr uint16_t kEscapeKeyCode = 53;

hotkeys::HotkeyButton* hotkeyButtonOf(BlackoutController& c, DisplayID id) {
    auto it = c.hotkeyButtons.find(id);
    if (it == c.hotkeyButtons.end() || !it->second) return nullptr;
    return dynamic_cast<hotkeys::HotkeyButton*>(it->second.data());
}

std::string waitingTitle() {
    return t("입력 대기...", "Press keys...");
}

} // namespace

// The display being recorded: the registry first, then the cache.
static std::optional<ControlledDisplay> findDisplay(BlackoutController& c, DisplayID id) {
    for (const auto& d : c.displayEngine.displays)
        if (d.id == id) return d;
    if (auto it = c.cachedDisplaysByID.find(id); it != c.cachedDisplaysByID.end())
        return it->second;
    return std::nullopt;
}

void BlackoutController::hotkeyButtonClicked(appkit::Button& sender) {
    auto it = hotkeyButtonDisplays.find(sender.tag());
    if (it == hotkeyButtonDisplays.end()) return;
    const ControlledDisplay display = it->second;
    if (isRecordingHotkey) {
        const bool same = recordingDisplayID == display.id;
        exitHotkeyRecording(true);
        if (same) return;
    }
    enterHotkeyRecording(display);
}

void BlackoutController::enterHotkeyRecording(const ControlledDisplay& display) {
    if (isRecordingHotkey) return;
    isRecordingHotkey = true;
    recordingDisplayID = display.id;
    unregisterAllGlobalHotkeys();
    if (auto* button = hotkeyButtonOf(*this, display.id)) {
        button->setRecordingMode(true);
        button->setTitle(waitingTitle());
        button->setTextColor(appkit::color(appkit::SystemColor::systemBlue));
    }
    auto* input = platform::current().inputActivity;
    if (!input) return;
    hotkeyEventMonitor = input->addLocalMonitorForEvents(
        platform::kKeyDownMask | platform::kFlagsChangedMask,
        [](const platform::Event& event) -> std::optional<platform::Event> {
            if (!hasShared()) return event;
            return shared().handleHotkeyRecordingEvent(event);
        });
}

std::optional<platform::Event>
BlackoutController::handleHotkeyRecordingEvent(const platform::Event& event) {
    if (!recordingDisplayID) {
        exitHotkeyRecording(true);
        return event;
    }
    auto display = findDisplay(*this, *recordingDisplayID);
    if (!display) {
        exitHotkeyRecording(true);
        return event;
    }
    const auto& held = event.modifiers;
    if (event.type == platform::EventType::keyDown) {
        if (event.keyCode == kEscapeKeyCode) {
            exitHotkeyRecording(true);
            return std::nullopt;
        }
        if (held.command || held.option || held.control || held.shift) {
            uint32_t mask = 0;
            if (held.command) mask += 256;
            if (held.option) mask += 2048;
            if (held.control) mask += 4096;
            if (held.shift) mask += 512;
            storeHotkey(*display, Hotkey{event.keyCode, mask});
            exitHotkeyRecording(false);
        }
        return std::nullopt;
    }
    if (event.type == platform::EventType::flagsChanged) {
        const std::string symbols = hotkeys::modifierSymbols(platform::carbonModifiers(held));
        if (auto* button = hotkeyButtonOf(*this, display->id))
            button->setTitle(symbols.empty() ? waitingTitle() : symbols + "...");
        return std::nullopt;
    }
    return event;
}

void BlackoutController::exitHotkeyRecording(bool /*cancelled*/) {
    if (!isRecordingHotkey || !recordingDisplayID) return;
    const DisplayID id = *recordingDisplayID;
    isRecordingHotkey = false;
    recordingDisplayID.reset();
    if (hotkeyEventMonitor) {
        if (auto* input = platform::current().inputActivity)
            input->removeMonitor(*hotkeyEventMonitor);
        hotkeyEventMonitor.reset();
    }
    registerAllGlobalHotkeys();
    auto* button = hotkeyButtonOf(*this, id);
    if (button) button->setRecordingMode(false);
    auto display = findDisplay(*this, id);
    if (!display) return;
    refreshHotkeyPills();
    updatePowerButton(*display, poweredOffBrightnesses.count(id) > 0);
}
