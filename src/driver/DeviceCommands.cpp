#include "driver/DeviceCommands.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "appkit/SegmentedControl.h"
#include "display/BrightnessController.h"
#include "display/DisplayEngine.h"
#include "driver/Arguments.h"
#include "driver/Session.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimWindowServer.h"

#include <optional>
#include <sstream>

namespace driver {

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

bool runDeviceCommand(Session& session, const std::string& cmd, const std::string& rest,
                      bool& handled, std::string& error) {
    handled = true;
    auto& mac = session.mac();
    if (cmd == "brightness" || cmd == "volume") {
        ControlledDisplay display;
        float value = 0;
        if (!displayAndValue(cmd, rest, display, value, error)) return false;
        if (cmd == "brightness")
            DisplayEngine::shared().setBrightness(value, display);
        else
            DisplayEngine::shared().setVolume(value, display);
        DisplayEngine::shared().ddcQueue.drain();
    } else if (cmd == "gamma-blackout" || cmd == "gamma-restore") {
        uint32_t id = 0;
        if (!onlineDisplay(session, cmd, rest, id, error)) return false;
        auto& c = BlackoutController::shared();
        if (cmd == "gamma-blackout")
            c.blackoutDisplayViaGamma(id);
        else
            c.restoreDisplayViaGamma(id);
    } else if (cmd == "ambient") {
        auto level = numberArg(rest, 0, 1);
        if (!level) {
            error = "ambient takes a light level from 0 to 1";
            return false;
        }
        mac.brightness().ambientLightChanged(float(*level));
    } else if (cmd == "keyboard-backlight") {
        auto& c = BlackoutController::shared();
        if (rest == "off")
            c.turnOffKeyboardBacklight();
        else if (rest == "restore")
            c.restoreKeyboardBacklight();
        else {
            error = "keyboard-backlight takes off or restore";
            return false;
        }
    } else if (cmd == "dim-built-in") {
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
    } else if (cmd == "system-appearance") {
        if (rest != "dark" && rest != "light") {
            error = "system-appearance takes dark or light";
            return false;
        }
        // The user switching it in System Settings, not through the program.
        mac.appearance().setDark(rest == "dark");
    } else if (cmd == "system-theme") {
        if (rest != "dark" && rest != "light") {
            error = "system-theme takes dark or light";
            return false;
        }
        auto& c = BlackoutController::shared();
        if (!c.systemThemeSegmentedControl) {
            error = "the macOS theme control is not shown (open the control window first)";
            return false;
        }
        c.systemThemeSegmentedControl->performClick(rest == "dark" ? 1 : 0);
    } else if (cmd == "theme-button") {
        auto& c = BlackoutController::shared();
        if (!c.appearanceButton) {
            error = "the theme button is not shown (open the control window first)";
            return false;
        }
        c.appearanceButton->performClick();
    } else if (cmd == "power-toggle") {
        // What a display's hotkey does.
        uint32_t id = 0;
        if (!knownDisplay(session, cmd, rest, id, error)) return false;
        BlackoutController::shared().toggleDisplayPowerByID(id);
    } else if (cmd == "power-tile") {
        auto id = displayIDArg(rest);
        auto& c = BlackoutController::shared();
        auto button = id ? c.powerButtons.find(*id) : c.powerButtons.end();
        if (button == c.powerButtons.end() || !button->second) {
            error = "display " + rest + " has no power tile (open the control window first)";
            return false;
        }
        button->second->performClick();
    } else if (cmd == "mouse-click") {
        // A click delivered to another application: by a person, or by remote-control software.
        if (rest != "physical" && rest != "remote") {
            error = "mouse-click takes physical or remote";
            return false;
        }
        mac.input().clickInOtherApplication(
            rest == "physical" ? 0 : mac.description().remoteControlProcessID);
    } else if (cmd == "mouse-move") {
        mac.input().moveMouse();
    } else if (cmd == "blue-light") {
        // Changed elsewhere, as in System Settings.
        auto& b = mac.brightness();
        if (rest == "on" || rest == "off") {
            b.changeBlueLightElsewhere(rest == "on", b.blueLightStrength());
        } else if (auto v = numberArg(rest, 0, 1)) {
            b.changeBlueLightElsewhere(b.blueLightOn(), float(*v));
        } else {
            error = "blue-light takes on, off or a strength from 0 to 1";
            return false;
        }
    } else if (cmd == "click-window" || cmd == "scroll-window" || cmd == "move-mouse-window") {
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
        // Every window of the kind: a Zen run's view is on one screen, black on the others.
        for (const auto& w : windows)
            mac.windowServer().sendEvent(w.number, event);
    } else {
        handled = false;
    }
    return true;
}

} // namespace driver
