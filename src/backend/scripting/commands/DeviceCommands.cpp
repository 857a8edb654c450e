#include "backend/scripting/CommandTable.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/SegmentedControl.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/Session.h"
#include "display/BrightnessController.h"
#include "display/DisplayEngine.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimWindowServer.h"

#include <QPushButton>

#include <optional>
#include <sstream>

namespace scripting {

namespace {

// "ID VALUE" with the display looked up in a fresh registry.
bool displayAndValue(const std::string& cmd, const std::string& rest, ControlledDisplay& display,
                     float& value, std::string& error) {
    std::istringstream in(rest);
    std::string idText, valueText, extra;
    in >> idText >> valueText >> extra;
    auto id = displayIDArg(idText);
    auto v = numberArg(valueText, 0, 1);
    if (!id || !v || !extra.empty()) {
        error = cmd + " takes a display ID and a value from 0 to 1, e.g. " + cmd + " 2 0.5";
        return false;
    }
    auto& engine = DisplayEngine::shared();
    engine.refreshDisplays();
    for (const auto& d : engine.displays)
        if (d.id == *id) {
            display = d;
            value = float(*v);
            return true;
        }
    error = "display " + idText + " is not online";
    return false;
}

bool onlineDisplay(Session& session, const std::string& cmd, const std::string& rest, uint32_t& id,
                   std::string& error) {
    auto parsed = displayIDArg(rest);
    if (!parsed) {
        error = cmd + " needs a display ID";
        return false;
    }
    for (auto online : session.mac().onlineDisplays())
        if (online == *parsed) {
            id = *parsed;
            return true;
        }
    error = "display " + rest + " is not online";
    return false;
}

} // namespace

namespace {

bool brightnessCommand(CommandCall& call) {
    const std::string& cmd = call.cmd;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    ControlledDisplay display;
    float value = 0;
    if (!displayAndValue(cmd, rest, display, value, error)) return false;
    if (cmd == "brightness")
        DisplayEngine::shared().setBrightness(value, display);
    else
        DisplayEngine::shared().setVolume(value, display);
    DisplayEngine::shared().drainDDC();
    return true;
}

bool gammaBlackoutCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& cmd = call.cmd;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    uint32_t id = 0;
    if (!onlineDisplay(session, cmd, rest, id, error)) return false;
    auto& c = BlackoutController::shared();
    if (cmd == "gamma-blackout")
        c.blackoutDisplayViaGamma(id);
    else
        c.restoreDisplayViaGamma(id);
    return true;
}

bool ambientCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session.mac();
    auto level = numberArg(rest, 0, 1);
    if (!level) {
        error = "ambient takes a light level from 0 to 1";
        return false;
    }
    mac.brightness().ambientLightChanged(float(*level));
    return true;
}

bool keyboardBacklightCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& c = BlackoutController::shared();
    if (rest == "off")
        c.turnOffKeyboardBacklight();
    else if (rest == "restore")
        c.restoreKeyboardBacklight();
    else {
        error = "keyboard-backlight takes off or restore";
        return false;
    }
    return true;
}

bool dimBuiltInCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& c = BlackoutController::shared();
    if (rest == "on") {
        auto& engine = DisplayEngine::shared();
        engine.refreshDisplays();
        auto builtIn = engine.builtInDisplay();
        if (!builtIn) {
            error = "there is no built-in display";
            return false;
        }
        c.brightnessController->dim(builtIn->id, c.externalDisplayIDs());
    } else if (rest == "off") {
        c.brightnessController->restore();
    } else {
        error = "dim-built-in takes on or off";
        return false;
    }
    return true;
}

bool systemThemeCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    if (rest != "dark" && rest != "light") {
        error = "system-theme takes dark or light";
        return false;
    }
    auto& c = BlackoutController::shared();
    if (!c.systemThemeSegmentedControl) {
        error = "the macOS theme control is not shown (open the control window first)";
        return false;
    }
    const std::string label = c.systemThemeSegmentedControl->label(rest == "dark" ? 1 : 0);
    for (auto* segment : c.systemThemeSegmentedControl->findChildren<QPushButton*>())
        if (segment->text().toStdString() == label)
            return clickControl(segment, "the macOS theme segment \"" + label + "\"", error);
    error = "the macOS theme control has no segment \"" + label + "\"";
    return false;
}

bool themeButtonCommand(CommandCall& call) {
    std::string& error = call.error;
    auto& c = BlackoutController::shared();
    if (!c.appearanceButton) {
        error = "the theme button is not shown (open the control window first)";
        return false;
    }
    return clickControl(c.appearanceButton, "the theme button", error);
}

bool powerToggleCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& cmd = call.cmd;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    // What a display's hotkey does.
    uint32_t id = 0;
    if (!knownDisplay(session, cmd, rest, id, error)) return false;
    BlackoutController::shared().toggleDisplayPowerByID(id);
    return true;
}

bool powerTileCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto id = displayIDArg(rest);
    auto& c = BlackoutController::shared();
    auto button = id ? c.powerButtons.find(*id) : c.powerButtons.end();
    if (button == c.powerButtons.end() || !button->second) {
        error = "display " + rest + " has no power tile (open the control window first)";
        return false;
    }
    return clickControl(button->second, "the power toggle of display " + rest, error);
}

bool mouseClickCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session.mac();
    // A click delivered to another application: by a person, or by remote-control software.
    if (rest != "physical" && rest != "remote") {
        error = "mouse-click takes physical or remote";
        return false;
    }
    mac.input().clickInOtherApplication(
        rest == "physical" ? 0 : mac.description().remoteControlProcessID);
    return true;
}

bool mouseMoveCommand(CommandCall& call) {
    auto& session = call.session;
    auto& mac = session.mac();
    mac.input().moveMouse();
    return true;
}

bool clickWindowCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& cmd = call.cmd;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session.mac();
    std::istringstream in(rest);
    std::string kind, button;
    in >> kind >> button;
    auto windows = mac.windowServer().windowsOfKind(kind);
    if (kind.empty() || windows.empty()) {
        error = "no " + (kind.empty() ? std::string("such") : kind) + " window is shown";
        return false;
    }
    platform::Event event;
    if (cmd == "scroll-window")
        event.type = platform::EventType::scrollWheel;
    else if (cmd == "move-mouse-window")
        event.type = platform::EventType::mouseMoved;
    else if (button.empty() || button == "left")
        event.type = platform::EventType::leftMouseDown;
    else if (button == "right")
        event.type = platform::EventType::rightMouseDown;
    else if (button == "other")
        event.type = platform::EventType::otherMouseDown;
    else {
        error = "click-window takes a window kind and left, right or other";
        return false;
    }
    // Every window of the kind (a Zen run's view is on one screen, black on the others), at the
    // middle of its screen: where the pointer is when a person clicks or moves it there.
    for (const auto& w : windows) {
        event.location = platform::Point{w.window.frame.width / 2, w.window.frame.height / 2};
        mac.windowServer().sendEvent(w.number, event);
    }
    return true;
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kDeviceCommands[] = {
    {"brightness", "ID VALUE",
     "sets a display's brightness (0 to 1) through the display commands: DDC luminance for a "
     "monitor, with the software overlay below 0.1; DisplayServices for the panel",
     brightnessCommand},
    {"volume", "ID VALUE", "sets a monitor's speaker volume (0 to 1) over DDC", brightnessCommand},
    {"gamma-blackout", "ID",
     "loads a black gamma table on a display, or brings back the one saved before",
     gammaBlackoutCommand},
    {"gamma-restore", "ID",
     "loads a black gamma table on a display, or brings back the one saved before",
     gammaBlackoutCommand},
    {"ambient", "LEVEL",
     "an ambient-light change (0 to 1); moves the panel while automatic brightness is on",
     ambientCommand},
    {"keyboard-backlight", "off|restore",
     "turns the keyboard backlights off, or back to their saved levels", keyboardBacklightCommand},
    {"dim-built-in", "on|off", "darkens the panel through DisplayServices, or restores it",
     dimBuiltInCommand},
    {"system-theme", "dark|light", "clicks a segment of the control window's macOS theme control",
     systemThemeCommand},
    {"theme-button", "", "clicks the control window's theme button", themeButtonCommand},
    {"power-toggle", "ID", "switches a display off or back on, as its hotkey does",
     powerToggleCommand},
    {"power-tile", "ID",
     "clicks the toggle of the display's power tile in the control window with the mouse",
     powerTileCommand},
    {"mouse-click", "physical|remote",
     "a click delivered to another application: by a person (source process 0, local input), or "
     "synthesised by remote-control software (its process ID, no input)",
     mouseClickCommand},
    {"mouse-move", "", "the mouse moved by a person (local input; the idle time starts again)",
     mouseMoveCommand},
    {"click-window", "KIND [left|right|other]",
     "clicks the middle of the program's screen-covering windows of that kind (`protector`, "
     "`overlay`, `zen`)",
     clickWindowCommand},
    {"scroll-window", "KIND", "scrolls, or moves the mouse to the middle of, that window",
     clickWindowCommand},
    {"move-mouse-window", "KIND", "scrolls, or moves the mouse to the middle of, that window",
     clickWindowCommand},
};

} // namespace

void registerDeviceCommands(CommandTable& table) {
    for (const auto& command : kDeviceCommands)
        table.add(command);
}

} // namespace scripting
