#include "backend/scripting/commands/HotkeyCommands.h"
#include "backend/scripting/CommandTable.h"

#include "app/BlackoutController.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/Hands.h"
#include "backend/scripting/Session.h"
#include "display/DisplayEngine.h"
#include "hotkeys/HotkeyButton.h"
#include "platform/Hotkeys.h"
#include "platform/sim/HostKeys.h"
#include "platform/sim/SimHotkeys.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/VirtualMac.h"

#include <QJsonArray>

#include <sstream>

namespace scripting {

namespace {

constexpr uint32_t kModifierBits =
    platform::cmdKey | platform::shiftKey | platform::optionKey | platform::controlKey;
const char* kMaskHelp = "a Carbon modifier mask made of 256 (⌘), 512 (⇧), 2048 (⌥) and 4096 (⌃)";

std::optional<uint32_t> maskArg(const std::string& text) {
    auto mask = wholeArg(text, kModifierBits);
    if (!mask || (*mask & ~uint64_t(kModifierBits))) return std::nullopt;
    return uint32_t(*mask);
}

QString colorText(const QColor& c) {
    return c.name(QColor::HexArgb);
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

namespace {

bool hotkeyCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& input = session.mac().input();
    std::istringstream in(rest);
    std::string codeText, maskText, extra;
    in >> codeText >> maskText >> extra;
    auto code = wholeArg(codeText, 0xFFFF);
    auto mask = maskArg(maskText);
    if (!code || !mask || !extra.empty()) {
        error = std::string("hotkey takes a key code (0 to 65535) and ") + kMaskHelp +
                ", e.g. hotkey 18 6400";
        return false;
    }
    input.pressKeyInOtherApplication(uint16_t(*code), platform::modifierFlags(*mask));
    return true;
}

bool keyCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& input = session.mac().input();
    std::istringstream in(rest);
    std::string codeText, where, maskText, extra;
    in >> codeText >> where >> maskText >> extra;
    auto code = wholeArg(codeText, 0xFFFF);
    auto mask = maskText.empty() ? std::optional<uint32_t>(0) : maskArg(maskText);
    if (!code || (where != "local" && where != "global") || !mask || !extra.empty()) {
        error = std::string("key takes a key code, local or global, and optionally ") + kMaskHelp +
                ", e.g. key 53 global or key 40 local 768";
        return false;
    }
    const auto flags = platform::modifierFlags(*mask);
    if (where == "global") {
        input.pressKeyInOtherApplication(uint16_t(*code), flags);
        return true;
    }
    // In front: the open alert, else the front window, unless a screen-covering panel has the
    // keys; the window's focused view gets the key and the program's monitors see it first.
    QWidget* window = hands::openAlert();
    if (!window && !session.mac().windowServer().keyWindow())
        if (auto windows = programWindows(); !windows.empty()) window = windows.front()->widget();
    const auto key = sim::hostKey(uint16_t(*code), flags);
    if (window && key) {
        hands::pressKey(window, key->key, sim::hostModifiers(flags), key->text);
        return true;
    }
    input.pressKeyInApplication(uint16_t(*code), flags);
    return true;
}

bool flagsCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& input = session.mac().input();
    std::istringstream in(rest);
    std::string maskText, extra;
    in >> maskText >> extra;
    auto mask = maskArg(maskText);
    if (!mask || !extra.empty()) {
        error = std::string("flags takes ") + kMaskHelp + " (0: none held), e.g. flags 6144";
        return false;
    }
    input.changeFlags(platform::modifierFlags(*mask));
    return true;
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kHotkeyCommands[] = {
    {"hotkey", "CODE MASK",
     "presses a combination while another application is in front (`hotkey 18 6400` is ⌃⌥⌘1)",
     hotkeyCommand},
    {"key", "CODE local|global [MASK]",
     "presses and releases a key (Mac key code; 53 is Escape) with the modifiers of the Carbon "
     "mask MASK (256 ⌘, 512 ⇧, 2048 ⌥, 4096 ⌃, added): local, as key events with their text to "
     "the focused view of the open alert or the front window (the program's key monitors see it "
     "first; with no window, or a full-screen panel in front, the application gets it); global, "
     "in another application; a combination someone holds as a hotkey goes to its holder instead",
     keyCommand},
    {"flags", "MASK",
     "the modifiers held change while the program is in front (a flags-changed event; 0 releases "
     "them all)",
     flagsCommand},
};

} // namespace

void registerHotkeyCommands(CommandTable& table) {
    for (const auto& command : kHotkeyCommands)
        table.add(command);
}

void addHotkeyState(Session& session, QJsonObject& state) {
    auto& service = session.mac().hotkeys();
    QJsonArray registered;
    for (const auto& r : service.registrations()) {
        QJsonObject o{{"code", r.code},
                      {"modifiers", qint64(r.modifiers)},
                      {"text", text(BlackoutController::hotkeyString(r.code, r.modifiers))},
                      {"owner", text(r.owner)}};
        if (r.owner == sim::SimHotkeys::ownApplication) o["displayID"] = qint64(r.id.id);
        registered.append(o);
    }
    QJsonArray foreign;
    for (const auto& p : service.foreignPresses())
        foreign.append(text(p));
    QJsonObject hotkeys{{"registered", registered},
                        {"keyboardLayout", service.layoutName().empty()
                                               ? QJsonValue(QJsonValue::Null)
                                               : QJsonValue(text(service.layoutName()))},
                        {"pressesToOtherApplications", foreign}};
    if (BlackoutController::hasShared()) {
        auto& c = BlackoutController::shared();
        QJsonObject displays;
        for (const auto& d : c.displayEngine.displays) {
            // What the display holds; else what it would hold (refused or not registered yet).
            auto held = c.heldHotkeys.find(d.id);
            auto combination =
                held != c.heldHotkeys.end() ? std::optional(held->second) : c.hotkey(d);
            displays[QString::number(d.id)] =
                combination ? QJsonValue(text(BlackoutController::hotkeyString(
                                  combination->code, combination->modifiers)))
                            : QJsonValue(QJsonValue::Null);
        }
        QJsonObject buttons;
        for (const auto& [id, pointer] : c.hotkeyButtons) {
            auto* b = dynamic_cast<hotkeys::HotkeyButton*>(pointer.data());
            if (!b) continue;
            buttons[QString::number(id)] = QJsonObject{{"title", text(b->title())},
                                                       {"shown", text(b->shownTitle())},
                                                       {"tag", b->tag()},
                                                       {"textColor", colorText(b->titleColor())},
                                                       {"fill", colorText(b->fillColor())},
                                                       {"border", colorText(b->borderColor())},
                                                       {"isActive", b->isActive()},
                                                       {"isHovered", b->isHovered()},
                                                       {"isRecordingMode", b->isRecordingMode()},
                                                       {"width", b->width()},
                                                       {"height", b->height()}};
        }
        hotkeys["displays"] = displays;
        hotkeys["buttons"] = buttons;
        hotkeys["isRecordingHotkey"] = c.isRecordingHotkey;
        hotkeys["recordingDisplayID"] = c.recordingDisplayID
                                            ? QJsonValue(qint64(*c.recordingDisplayID))
                                            : QJsonValue(QJsonValue::Null);
        hotkeys["recordingMonitor"] = bool(c.hotkeyEventMonitor);
    }
    state["hotkeys"] = hotkeys;
}

} // namespace scripting
