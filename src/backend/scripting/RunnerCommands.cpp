#include "backend/scripting/ScriptDriver.h"

#include "app/BlackoutController.h"
#include "appkit/SegmentedControl.h"
#include "appkit/Window.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/CommandTable.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/RunnerSupport.h"
#include "backend/scripting/Session.h"
#include "backend/scripting/StateReport.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/ManualRunLoop.h"
#include "platform/RunLoop.h"
#include "platform/SerialQueue.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimStatusItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>

// The runner's own commands: time, the status item and menus, plugging, state and checks,
// defaults, screenshots, language, alerts and prompts, the crash, help and quit.

namespace scripting {

bool ScriptDriver::advanceCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto parsed = numberArg(rest, 0, kMaxAdvance);
    if (!parsed) {
        error = "advance takes a number of seconds from 0 to 86400 (a day), not \"" + rest + "\"";
        return false;
    }
    advance(*parsed);
    return true;
}

bool ScriptDriver::stateCommand(CommandCall&) {
    auto state = stateReport(session_);
    state["log"] = logSinceLastState(&logShown_);
    out_ << QJsonDocument(state).toJson(QJsonDocument::Compact).toStdString() << std::endl;
    return true;
}

bool ScriptDriver::expectCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    // A path with spaces is written in quotes.
    auto [path, literal] = splitQuotedWord(rest);
    if (path.empty() || literal.empty()) {
        error = "expect takes a state path and a value, e.g. expect /statusItem/toolTip "
                "\"Night Lid\"";
        return false;
    }
    auto report = stateReport(session_);
    // The lines the next state would print: written since the previous one.
    report["log"] = logSinceLastState();
    auto state = QJsonValue(report);
    auto actual = lookup(state, path);
    auto wanted = parseLiteral(literal);
    if (!actual) {
        error = "expectation failed: " + path + " is not in the state";
        return false;
    }
    if (*actual != wanted) {
        error = "expectation failed: " + path + " is " + compact(*actual) + ", expected " +
                compact(wanted);
        return false;
    }
    return true;
}

bool ScriptDriver::expectLogCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session_.mac();
    const std::string wanted = unquoted(rest);
    if (wanted.empty()) {
        error = "expect-log takes the text a log line holds";
        return false;
    }
    const auto lines = mac.log().lines();
    if (std::none_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(wanted) != std::string::npos;
        })) {
        error = "expectation failed: no log line holds \"" + wanted + "\"";
        return false;
    }
    return true;
}

bool ScriptDriver::defaultCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    auto& mac = session_.mac();
    // A key with spaces ("hotkeyCode.LG TV SSCR2") is written in quotes.
    auto [key, literal] = splitQuotedWord(rest);
    if (key.empty() || literal.empty()) {
        error = "default takes a key and a JSON value";
        return false;
    }
    auto v = parseLiteral(literal);
    auto& d = *mac.platform().defaults;
    const double n = v.toDouble();
    // An integer when written whole and inside the 64-bit range (checked before the cast).
    const bool whole = v.isDouble() && std::isfinite(n) && std::floor(n) == n &&
                       std::fabs(n) < 9.2e18 && literal.find_first_of(".eE") == std::string::npos;
    // A number too large for JSON arrives as a bare word: refuse it rather than keep text.
    const bool unreadableNumber =
        v.isString() && !literal.empty() && literal[0] != '"' &&
        literal.find_first_not_of("+-.0123456789eE") == std::string::npos &&
        literal.find_first_of("0123456789") != std::string::npos;
    if ((v.isDouble() && !std::isfinite(n)) || unreadableNumber) {
        error = "default takes a finite number";
        return false;
    } else if (v.isBool())
        d.set(key, v.toBool());
    else if (whole)
        d.set(key, int64_t(n));
    else if (v.isDouble())
        d.set(key, n);
    else if (v.isString())
        d.set(key, v.toString().toStdString());
    else if (v.isNull())
        d.remove(key);
    else {
        error = "default takes a Bool, a number, a string or null";
        return false;
    }
    return true;
}

bool ScriptDriver::screenshotCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    if (rest.empty()) {
        error = call.cmd + " needs a file name";
        return false;
    }
    if (!BlackoutController::hasShared() || !BlackoutController::shared().controlWindow) {
        error = "there is no control window";
        return false;
    }
    const QImage image = BlackoutController::shared().controlWindow->snapshot();
    return saveImage(image, rest, error);
}

bool ScriptDriver::languageCommand(CommandCall& call) {
    const std::string& rest = call.rest;
    std::string& error = call.error;
    if (rest != "ko" && rest != "en") {
        error = "language takes ko or en";
        return false;
    }
    // The control window's KO/EN segment, clicked; without the window, what it does.
    const std::string segment = rest == "en" ? "EN" : "KO";
    for (auto* window : programWindows())
        for (auto* control : appkit::subviews<appkit::SegmentedControl>(window->widget()))
            for (int i = 0; i < control->segmentCount(); ++i)
                if (control->label(i) == segment && shownInWindow(control)) {
                    for (auto* b : control->findChildren<QPushButton*>())
                        if (b->text().toStdString() == segment)
                            return clickControl(b, "the segment " + segment, error);
                }
    BlackoutController::shared().languageChanged(rest == "en" ? 1 : 0);
    return true;
}

bool ScriptDriver::adminPromptCommand(CommandCall& call) {
    std::string& error = call.error;
    error = "no administrator prompt is open to answer";
    return false;
}

bool ScriptDriver::alertCommand(CommandCall& call) {
    std::string& error = call.error;
    error = "no alert is open to answer";
    return false;
}

bool ScriptDriver::crashCommand(CommandCall& call) {
    std::optional<double> after;
    if (!call.rest.empty()) {
        after = numberArg(call.rest, 0, kMaxAdvance);
        if (!after) {
            call.error = "crash takes nothing, or a number of seconds from 0 to 86400";
            return false;
        }
    }
    auto* mac = &session_.mac();
    // As a crash would: nothing of the program's own shut-down runs, queued frames never reach
    // their monitors and settings not yet saved are lost. The hardware keeps what it holds.
    auto kill = [this, mac] {
        mac->keepHardware();
        out_.flush();
        err_.flush();
        std::cout.flush();
        std::cerr.flush();
        ::raise(SIGKILL);
    };
    if (!after || *after <= 0) {
        kill();
        return true;
    }
    mac->platform().runLoop->asyncAfter(*after, kill);
    return true;
}

bool ScriptDriver::helpCommand(CommandCall&) {
    out_ << table_.help() << std::flush;
    return true;
}

bool ScriptDriver::quitCommand(CommandCall&) {
    auto& mac = session_.mac();
    mac.platform().applications->terminate();
    return true;
}

} // namespace scripting
