#include "backend/scripting/commands/DisplayModeCommands.h"
#include "backend/scripting/CommandTable.h"

#include "app/BlackoutController.h"
#include "appkit/PopUpButton.h"
#include "appkit/ViewLookup.h"
#include "appkit/Window.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/Session.h"
#include "modes/ScalingOptionView.h"
#include "platform/sim/VirtualMac.h"

#include <QJsonArray>
#include <QLabel>

#include <sstream>

namespace scripting {

namespace {

QJsonObject modeJson(const platform::DisplayMode& m) {
    return QJsonObject{{"width", m.width},
                       {"height", m.height},
                       {"pixelWidth", m.pixelWidth},
                       {"pixelHeight", m.pixelHeight},
                       {"refresh", m.refreshRate}};
}

QWidget* controlContent() {
    if (!BlackoutController::hasShared()) return nullptr;
    auto& c = BlackoutController::shared();
    return c.controlWindow ? c.controlWindow->widget() : nullptr;
}

} // namespace

namespace {

bool scalingCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    std::istringstream in(rest);
    std::string idText, indexText, extra;
    in >> idText >> indexText >> extra;
    auto id = wholeArg(idText, 0xFFFFFFFF);
    auto index = wholeArg(indexText, 1000);
    if (!id || !index || !extra.empty()) {
        error = "scaling takes a display ID and an option index from 0, e.g. scaling 1 2";
        return false;
    }
    auto* content = controlContent();
    if (!content || !BlackoutController::shared().controlWindow->isVisible()) {
        error = "scaling needs the control window on screen";
        return false;
    }
    for (auto* option : appkit::subviews<modes::ScalingOptionView>(content))
        if (option->displayID == *id && option->optionIndex == int(*index))
            return clickControl(option, "scaling option " + indexText + " of display " + idText,
                                error);
    error = "display " + idText + " shows no scaling option " + indexText +
            " (a display with few modes or no HiDPI mode has a resolution pop-up)";
    return false;
}

bool configurationFailsCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    std::istringstream in(rest);
    std::string step, extra;
    in >> step >> extra;
    if ((step != "none" && step != "begin" && step != "configure" && step != "complete") ||
        !extra.empty()) {
        error = "configuration-fails takes none, begin, configure or complete";
        return false;
    }
    session.mac().setConfigurationFailsAt(step == "none" ? "" : step);
    return true;
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kDisplayModeCommands[] = {
    {"scaling", "ID INDEX",
     "clicks option INDEX (from 0) of a display's scaling picker with the mouse", scalingCommand},
    {"configuration-fails", "none|begin|configure|complete",
     "makes display configuration transactions fail at that step from now on",
     configurationFailsCommand},
};

} // namespace

void registerDisplayModeCommands(CommandTable& table) {
    for (const auto& command : kDisplayModeCommands)
        table.add(command);
}

void addDisplayModeState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    auto& displays = *mac.platform().displays;
    QJsonObject config;
    const auto main = displays.mainDisplayID();
    for (const auto& d : mac.description().displays) {
        if (!d.online) continue;
        auto mode = displays.copyDisplayMode(d.id);
        const auto b = displays.bounds(d.id);
        const auto master = displays.mirrorsDisplay(d.id);
        config[QString::number(d.id)] = QJsonObject{
            {"mode", mode ? QJsonValue(modeJson(*mode)) : QJsonValue(QJsonValue::Null)},
            {"origin", QJsonArray{b.x, b.y}},
            {"main", d.id == main},
            {"mirrorOf", master ? QJsonValue(qint64(master)) : QJsonValue(QJsonValue::Null)}};
    }
    state["displayConfig"] = config;
    QJsonArray transactions;
    for (const auto& t : mac.displayConfigurations())
        transactions.append(QString::fromStdString(t));
    state["displayConfigurations"] = transactions;

    auto* content = controlContent();
    if (!content) return;
    auto& c = BlackoutController::shared();
    QJsonObject pickers;
    for (auto* option : appkit::subviews<modes::ScalingOptionView>(content)) {
        auto key = QString::number(option->displayID);
        auto list = pickers.value(key).toArray();
        list.append(QJsonObject{{"mode", modeJson(option->mode)},
                                {"label", QString::fromStdString(option->labelText)},
                                {"selected", option->isSelected()},
                                {"enabled", option->isEnabled()},
                                {"level", option->densityLevel()}});
        pickers[key] = list;
    }
    QJsonObject popups;
    for (const auto& [tag, display] : c.resolutionDisplays)
        if (auto* p = appkit::viewWithTag<appkit::PopUpButton>(content, tag)) {
            QJsonArray items;
            for (const auto& title : p->itemTitles())
                items.append(QString::fromStdString(title));
            popups[QString::number(display.id)] =
                QJsonObject{{"tag", tag},
                            {"items", items},
                            {"selected", p->indexOfSelectedItem()},
                            {"enabled", p->isEnabled()}};
        }
    QJsonObject arrangement;
    for (const auto& [tag, display] : c.modeSegments)
        if (auto* p = appkit::viewWithTag<appkit::PopUpButton>(content, tag))
            arrangement[QString::number(display.id)] =
                QJsonObject{{"tag", tag},
                            {"selected", p->indexOfSelectedItem()},
                            {"title", QString::fromStdString(p->titleOfSelectedItem())}};
    state["resolution"] = QJsonObject{{"scaling", pickers}, {"popups", popups}};
    state["arrangement"] = arrangement;
}

} // namespace scripting
