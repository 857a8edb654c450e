#include "driver/commands/PowerCommands.h"

#include "app/BlackoutController.h"
#include "driver/Arguments.h"
#include "driver/Session.h"
#include "platform/SystemPaths.h"
#include "platform/sim/SimBattery.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/VirtualMac.h"

#include <QFile>
#include <QJsonArray>

namespace driver {

namespace {

QJsonValue fileText(Session& session, const std::string& path) {
    QFile file(QString::fromStdString(session.mac().platform().paths->map(path)));
    if (!file.open(QIODevice::ReadOnly)) return QJsonValue(QJsonValue::Null);
    return QString::fromUtf8(file.read(4096));
}

} // namespace

bool runPowerCommand(Session& session, const std::string& cmd, const std::string& rest,
                     bool& handled, std::string& error) {
    handled = true;
    auto& battery = session.mac().battery();
    if (cmd == "adapter") {
        if (rest != "plug" && rest != "unplug") {
            error = "adapter takes plug or unplug";
            return false;
        }
        if (!battery.present()) {
            error = "this machine has no battery";
            return false;
        }
        battery.setAdapterConnected(rest == "plug");
    } else if (cmd == "battery") {
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
    } else {
        handled = false;
    }
    return true;
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
            {"sleepAssertionID", qint64(BlackoutController::shared().sleepAssertionID)}};
    }
    state["files"] =
        QJsonObject{{"limit", fileText(session, "/Library/Application Support/Nightlid/limit.txt")},
                    {"calibration",
                     fileText(session, "/Library/Application Support/Nightlid/calibration.txt")}};
    auto& privileges = mac.privileges();
    const auto limit = privileges.helperLimit();
    QJsonArray commands;
    for (const auto& c : privileges.commandsRun())
        commands.append(QString::fromStdString(c));
    state["helper"] =
        QJsonObject{{"installed", QFile::exists(QString::fromStdString(mac.platform().paths->map(
                                      "/Library/PrivilegedHelperTools/nightlid-helper")))},
                    {"running", privileges.helperRunning()},
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

} // namespace driver
