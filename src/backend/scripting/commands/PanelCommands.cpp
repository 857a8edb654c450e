// Steps of the Zen and Pomodoro panels that `click TITLE` cannot single out: their buttons share
// titles with the pills of the full-screen Zen and break views, which `click` finds first.

#include "app/BlackoutController.h"
#include "backend/scripting/CommandTable.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/Session.h"
#include "pomodoro/PomodoroStatusPanel.h"
#include "ui/CapsuleButtons.h"

namespace scripting {

namespace {

bool pomodoroPanelCommand(CommandCall& call) {
    if (call.rest != "pause" && call.rest != "stop") {
        call.error = "pomodoro-panel takes pause or stop";
        return false;
    }
    auto panel = BlackoutController::hasShared() ? BlackoutController::shared().pomodoroStatusPanel
                                                 : nullptr;
    if (!panel || !panel->isVisible()) {
        call.error = "the Pomodoro status panel is not open (during a run, the toolbar's 🍅 button "
                     "opens it)";
        return false;
    }
    auto* button = call.rest == "pause" ? panel->pauseButton() : panel->stopButton();
    if (!button || !button->isEnabled()) {
        call.error = "the status panel's " + call.rest + " button cannot be clicked now";
        return false;
    }
    return clickControl(button, "the status panel's " + call.rest + " button", call.error);
}

const Command kPanelCommands[] = {
    {"pomodoro-panel", "pause|stop",
     "clicks the Pomodoro status panel's Pause (or Resume) or Stop button, also while a break "
     "screen or Zen shows pills of the same titles",
     pomodoroPanelCommand},
};

} // namespace

void registerPanelCommands(CommandTable& table) {
    for (const auto& command : kPanelCommands)
        table.add(command);
}

} // namespace scripting
