// Bringing back what an earlier run left dark when it crashed or was killed.

#include "app/BlackoutController.h"
#include "display/DisplayEngine.h"
#include "display/RecoveryJournal.h"
#include "platform/CoreBrightness.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"

#include <algorithm>
#include <map>

void BlackoutController::recoverFromUncleanExit() {
    if (!recoveryJournal || recoveryJournal->empty()) return;
    std::map<DisplayID, float> dark;
    for (const auto& entry : recoveryJournal->displays()) {
        if (!recoveryPending.count(entry.id) && !recoveringAtLaunch) continue;
        auto& target = dark[entry.id];
        target = std::max(target, entry.brightness);
    }
    displayEngine.refreshDisplays();
    for (const auto& [id, brightness] : dark) {
        auto online = std::find_if(displayEngine.displays.begin(), displayEngine.displays.end(),
                                   [id = id](const ControlledDisplay& d) { return d.id == id; });
        if (online == displayEngine.displays.end()) {
            // Kept for when it is plugged in again.
            recoveryPending.insert(id);
            continue;
        }
        const ControlledDisplay display = *online;
        displayEngine.setBrightness(brightness, display);
        recoveryJournal->clearDisplay(id);
        recoveryPending.erase(id);
        platform::logf("Recovery: display %s brought back to %.2f after an unclean exit",
                       display.name.c_str(), double(brightness));
    }

    if (recoveringAtLaunch && !recoveryJournal->keyboards().empty()) {
        auto* core = platform::current().coreBrightness;
        auto client = core ? core->openKeyboardBrightnessClient() : nullptr;
        if (client && client->hasMethod("setBrightness:forKeyboard:")) {
            for (const auto& [id, level] : recoveryJournal->keyboards())
                client->setBrightness(level, id);
            recoveryJournal->clearKeyboards();
            platform::logf("Recovery: keyboard backlight brought back after an unclean exit");
        }
    }
    recoveringAtLaunch = false;
}
