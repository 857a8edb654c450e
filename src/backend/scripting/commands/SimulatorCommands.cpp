#include "backend/scripting/commands/SimulatorCommands.h"

#include "backend/scripting/CommandTable.h"

#include "backend/scripting/Arguments.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/Hands.h"
#include "backend/scripting/RunnerSupport.h"
#include "backend/scripting/Session.h"
#include "platform/sim/KeyPad.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimBrightness.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/SimulatorWindow.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

// The simulator window's own controls, worked with the mouse and keys as a person works them:
// the menu bar's status item and its menu, the display and sound choices, the machine's buttons
// and the keys row.

namespace scripting {

namespace {

sim::SimulatorWindow& shownSimulator(Session& session) {
    auto& window = session.simulator();
    if (!window.isVisible()) {
        window.show();
        // Laid out before a place in it is worked out.
        QCoreApplication::sendPostedEvents();
    }
    return window;
}

bool pressButton(Session& session, const QString& text, std::string& error) {
    auto* button = shownSimulator(session).button(text);
    if (!button) {
        error = "the simulator window has no button \"" + text.toStdString() + "\"";
        return false;
    }
    return clickControl(button, "the simulator's button \"" + text.toStdString() + "\"", error);
}

// The item of a simulator choice whose data or text is wanted.
bool choose(QComboBox* box, int index, const std::string& name, std::string& error) {
    if (box->currentIndex() == index && !box->view()->isVisible()) return true;
    return chooseItem(box, index, name, error);
}

bool plugCommand(CommandCall& call) {
    auto& mac = call.session.mac();
    auto id = displayIDArg(call.rest);
    if (!id) {
        call.error = call.cmd + " needs a display ID";
        return false;
    }
    const bool plug = call.cmd == "plug";
    const sim::DisplayDescription* described = nullptr;
    for (const auto& d : mac.description().displays)
        if (d.id == *id) described = &d;
    if (!described || described->online == plug) {
        call.error =
            "display " + call.rest + (plug ? " cannot be plugged in" : " is not plugged in");
        return false;
    }
    auto& window = shownSimulator(call.session);
    auto* choice = window.displayChoice();
    const int index = choice->findData(*id);
    return index >= 0 && choose(choice, index, "the simulator's display choice", call.error) &&
           pressButton(call.session, plug ? "Plug in" : "Unplug", call.error);
}

bool adapterCommand(CommandCall& call) {
    auto& battery = call.session.mac().battery();
    if (call.rest != "plug" && call.rest != "unplug") {
        call.error = "adapter takes plug or unplug";
        return false;
    }
    if (!battery.present()) {
        call.error = "this machine has no battery";
        return false;
    }
    if (battery.adapterConnected() == (call.rest == "plug")) return true;
    return pressButton(call.session, "Adapter", call.error);
}

bool reopenCommand(CommandCall& call) {
    return pressButton(call.session, "Open Nightlid", call.error);
}

bool systemAppearanceCommand(CommandCall& call) {
    if (call.rest != "dark" && call.rest != "light") {
        call.error = "system-appearance takes dark or light";
        return false;
    }
    // The user switching it in System Settings, not through the program.
    if (call.session.mac().appearance().isDark() == (call.rest == "dark")) return true;
    return pressButton(call.session, "Light / Dark", call.error);
}

bool blueLightCommand(CommandCall& call) {
    auto& b = call.session.mac().brightness();
    // Changed elsewhere, as in System Settings.
    if (call.rest == "on" || call.rest == "off") {
        if (b.blueLightOn() == (call.rest == "on")) return true;
        return pressButton(call.session, "Night Shift", call.error);
    }
    if (auto v = numberArg(call.rest, 0, 1)) {
        b.changeBlueLightElsewhere(b.blueLightOn(), float(*v));
        return true;
    }
    call.error = "blue-light takes on, off or a strength from 0 to 1";
    return false;
}

bool defaultOutputCommand(CommandCall& call) {
    const std::string name = unquoted(call.rest);
    auto* choice = shownSimulator(call.session).soundChoice();
    const int index = choice->findText(QString::fromStdString(name));
    if (name.empty() || index < 0) {
        call.error = "no sound output device is called \"" + name + "\"";
        return false;
    }
    return choose(choice, index, "the simulator's sound choice", call.error);
}

} // namespace

std::string whyStatusItemUnreachable(Session& session) {
    auto* canvas = shownSimulator(session).canvas();
    const auto place = canvas->statusItemPlace();
    if (!place) return "there is no status item";
    std::string why = hands::whyUnreachable(canvas, place->center(), "the status item");
    if (!why.empty()) return why;
    // The program's screen-covering windows lie above the menu bar: the click would land there.
    if (auto number = canvas->placedWindowAt(place->center())) {
        std::string kind = "a";
        for (const auto& w : session.mac().windowServer().windows())
            if (w.number == *number) kind = "the " + w.window.kind;
        return "the status item is covered by " + kind + " window";
    }
    return {};
}

namespace {

bool clickStatusItemCommand(CommandCall& call) {
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers;
    if (call.rest == "right")
        button = Qt::RightButton;
    else if (call.rest == "control")
        modifiers = Qt::ControlModifier;
    else if (call.rest != "left") {
        call.error = "click-status-item takes left, right or control";
        return false;
    }
    call.error = whyStatusItemUnreachable(call.session);
    if (!call.error.empty()) return false;
    auto* canvas = shownSimulator(call.session).canvas();
    hands::click(canvas, canvas->statusItemPlace()->center(), button, modifiers);
    return true;
}

bool menuCommand(CommandCall& call) {
    const std::string title = unquoted(call.rest);
    auto* canvas = shownSimulator(call.session).canvas();
    auto item = call.session.mac().statusItem();
    if (!item || !item->menuIsOpen() || !canvas->menuOpen()) {
        call.error = "no status menu is open (click-status-item right first)";
        return false;
    }
    const auto place = canvas->menuItemPlace(title);
    if (!place) {
        call.error = "the status menu has no item \"" + title + "\"";
        return false;
    }
    hands::click(canvas, place->center());
    return true;
}

bool zoomScreenCommand(CommandCall& call) {
    std::optional<platform::DisplayID> id;
    if (call.rest != "all") {
        id = displayIDArg(call.rest);
        if (!id) {
            call.error = "zoom-screen takes a display ID or all";
            return false;
        }
        const auto online = call.session.mac().onlineDisplays();
        if (std::find(online.begin(), online.end(), *id) == online.end()) {
            call.error = "zoom-screen: display " + call.rest + " is not connected";
            return false;
        }
    }
    shownSimulator(call.session).canvas()->zoomTo(id);
    return true;
}

bool screenshotCommand(CommandCall& call) {
    if (call.rest.empty()) {
        call.error = "screenshot needs a file name";
        return false;
    }
    const QImage image = shownSimulator(call.session).snapshot();
    return saveImage(image, call.rest, call.error);
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kSimulatorCommands[] = {
    {"click-status-item", "left|right|control",
     "clicks the status item in the simulator's menu bar with the mouse (control = left button "
     "with Control held)",
     clickStatusItemCommand},
    {"menu", "TITLE",
     "clicks an item of the open status menu by its title (quote a title with spaces)",
     menuCommand},
    {"plug", "ID",
     "chooses the display in the simulator's Display choice and clicks Plug in or Unplug",
     plugCommand},
    {"unplug", "ID",
     "chooses the display in the simulator's Display choice and clicks Plug in or Unplug",
     plugCommand},
    {"adapter", "plug|unplug",
     "plugs the power adapter in or pulls it out (the simulator's Adapter button, when that "
     "changes anything)",
     adapterCommand},
    {"reopen", "",
     "the person opens Nightlid again while it runs (the simulator's Open Nightlid button, as "
     "from Finder or the Dock): the delegate's reopen shows the control window",
     reopenCommand},
    {"system-appearance", "dark|light",
     "the user switching the system appearance in System Settings (the simulator's Light / Dark "
     "button, when that changes anything)",
     systemAppearanceCommand},
    {"blue-light", "on|off|STRENGTH",
     "the system's blue-light filter changed elsewhere: on and off through the simulator's Night "
     "Shift button, a strength (0 to 1) as System Settings sets it",
     blueLightCommand},
    {"default-output", "NAME",
     "the default sound output changed elsewhere (chosen in the simulator's Sound choice)",
     defaultOutputCommand},
    {"zoom-screen", "ID|all",
     "shows one connected screen alone in the simulator window, or all of them again",
     zoomScreenCommand},
    {"screenshot", "FILE", "saves the simulator window as PNG", screenshotCommand},
};

} // namespace

void registerSimulatorCommands(CommandTable& table) {
    for (const auto& command : kSimulatorCommands)
        table.add(command);
}

} // namespace scripting
