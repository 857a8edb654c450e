#include "backend/scripting/commands/PowerCommands.h"
#include "backend/scripting/CommandTable.h"

#include "app/BlackoutController.h"
#include "appkit/Button.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/Session.h"
#include "helper/HelperFileFormat.h"
#include "platform/OutsideFiles.h"
#include "platform/SystemPaths.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/VirtualMac.h"
#include "platform/sim/VirtualOwnership.h"

#include <QDir>
#include <QFileInfo>

#include <QFile>
#include <QJsonArray>
#include <QLabel>

namespace scripting {

namespace {

// Read as the helper reads it: never through a link, never waiting on a FIFO, a few KiB.
QJsonValue fileText(Session& session, const std::string& path) {
    const auto slash = path.find_last_of('/');
    const helper::SafeDirectory folder(session.mac().platform().paths->root(),
                                       path.substr(0, slash));
    std::string error;
    const auto text = folder.read(path.substr(slash + 1), helper::kMaxHelperFileBytes, error);
    if (!text) return QJsonValue(QJsonValue::Null);
    return QString::fromUtf8(QByteArray::fromStdString(*text));
}

// The charge limit as its card shows it: the switch and the value beside it ("on 80%", "off 꺼짐").
QJsonValue limitShown() {
    auto& c = BlackoutController::shared();
    if (!c.chargeLimitCheckbox || !c.chargeLimitValueLabel) return QJsonValue::Null;
    const bool on = c.chargeLimitCheckbox->state() == appkit::ControlState::on;
    return QString(on ? "on " : "off ") + c.chargeLimitValueLabel->text();
}

QJsonValue fileOwner(Session& session, const std::string& path) {
    auto& paths = *session.mac().platform().paths;
    // Whatever is at the name, a link too (dangling or not): never the file it points at.
    const QFileInfo at(QString::fromStdString(paths.map(path)));
    if (!at.exists() && !at.isSymLink()) return QJsonValue(QJsonValue::Null);
    return sim::OwnershipTable(paths.root()).ownerOf(path).root ? "root" : "user";
}

// system-file "PATH" TEXT|--remove: root (an administrator, another program) edits a file.
bool writeSystemFile(Session& session, const std::string& rest, std::string& error) {
    const std::string usage =
        "system-file takes a quoted absolute path and a text or --remove, "
        "e.g. system-file \"/Library/Application Support/Nightlid/limit.txt\" 30";
    if (rest.size() < 2 || rest[0] != '"') {
        error = usage;
        return false;
    }
    const auto end = rest.find('"', 1);
    if (end == std::string::npos) {
        error = usage;
        return false;
    }
    const std::string path = rest.substr(1, end - 1);
    std::string text = rest.substr(end + 1);
    while (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    if (path.empty() || path[0] != '/' || path.find("/..") != std::string::npos) {
        error = "system-file: " + path + " is not an absolute path inside the system";
        return false;
    }
    const QString real = QString::fromStdString(session.mac().platform().paths->map(path));
    if (text == "--remove") {
        QFile::remove(real);
        return true;
    }
    QDir().mkpath(QFileInfo(real).absolutePath());
    // As root writes it: whole, never through a link nor into a FIFO.
    std::string why;
    if (!platform::writeOutsideFile(real.toStdString(), text, why, 0644)) {
        error = "system-file: " + path + " cannot be written: " + why;
        return false;
    }
    return true;
}

} // namespace

namespace {

bool batteryCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& battery = session.mac().battery();
    auto percent = wholeArg(rest, 100);
    if (!percent) {
        error = "battery takes a charge from 0 to 100, e.g. battery 80";
        return false;
    }
    if (!battery.present()) {
        error = "this machine has no battery";
        return false;
    }
    battery.setPercent(int(*percent));
    return true;
}

bool systemFileCommand(CommandCall& call) {
    auto& session = call.session;
    const std::string& rest = call.rest;
    std::string& error = call.error;
    return writeSystemFile(session, rest, error);
}

// The commands of this file: name, arguments, help (the README's driver table), handler.
const Command kPowerCommands[] = {
    {"battery", "PERCENT", "sets the battery's charge (0 to 100)", batteryCommand},
    {"system-file", "\"PATH\" TEXT|--remove",
     "root (an administrator, another program) writes or removes a system file, creating its "
     "folders",
     systemFileCommand},
};

} // namespace

void registerPowerCommands(CommandTable& table) {
    for (const auto& command : kPowerCommands)
        table.add(command);
}

void addPowerState(Session& session, QJsonObject& state) {
    auto& mac = session.mac();
    auto& battery = mac.battery();
    if (BlackoutController::hasShared()) {
        const PowerStatus s = BlackoutController::shared().fetchPowerStatus();
        state["power"] = QJsonObject{
            {"isConnected", s.isConnected},
            {"isDrawingFromAC", s.isDrawingFromAC},
            {"watts", s.watts ? QJsonValue(*s.watts) : QJsonValue(QJsonValue::Null)},
            {"isCharging", s.isCharging},
            {"percent", s.percent},
            {"cycleCount", s.cycleCount},
            {"condition", QString::fromStdString(s.condition)},
            {"healthPercent", s.healthPercent},
            {"chargingInhibited", battery.chargingInhibited()},
            {"adapterBypassed", battery.adapterBypassed()},
            {"appliedLimit", BlackoutController::shared().appliedLimit},
            {"limitShown", limitShown()},
            {"sleepAssertionID", qint64(BlackoutController::shared().sleepAssertionID)}};
    }
    state["files"] = QJsonObject{
        {"limit", fileText(session, "/Library/Application Support/Nightlid/limit.txt")},
        {"calibration", fileText(session, "/Library/Application Support/Nightlid/calibration.txt")},
        {"limitOwner", fileOwner(session, "/Library/Application Support/Nightlid/limit.txt")},
        {"calibrationOwner",
         fileOwner(session, "/Library/Application Support/Nightlid/calibration.txt")}};
    auto& privileges = mac.privileges();
    const auto limit = privileges.helperLimit();
    QJsonArray commands;
    for (const auto& c : privileges.commandsRun())
        commands.append(QString::fromStdString(c));
    state["helper"] = QJsonObject{
        {"installed", QFile::exists(QString::fromStdString(mac.platform().paths->map(
                          "/Library/PrivilegedHelperTools/nightlid-helper")))},
        {"running", privileges.helperRunning()},
        {"chargingControl",
         fileText(session, "/Library/Application Support/Nightlid/charging-control.txt")},
        {"limit", limit ? QJsonValue(*limit) : QJsonValue(QJsonValue::Null)},
        {"prompts", privileges.promptsShown()},
        {"commandsRun", commands}};
    QJsonArray assertions;
    for (const auto& a : battery.assertions())
        assertions.append(QJsonObject{{"name", QString::fromStdString(a.name)},
                                      {"type", QString::fromStdString(a.type)},
                                      {"level", a.level}});
    state["assertions"] = assertions;
}

} // namespace scripting
