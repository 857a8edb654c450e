#include "backend/scripting/ScriptDriver.h"

#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "backend/scripting/Arguments.h"
#include "backend/scripting/CommandTable.h"
#include "backend/scripting/Controls.h"
#include "backend/scripting/RunnerSupport.h"
#include "backend/scripting/Session.h"
#include "backend/scripting/StateReport.h"
#include "backend/scripting/commands/DisplayModeCommands.h"
#include "backend/scripting/commands/HotkeyCommands.h"
#include "backend/scripting/commands/PowerCommands.h"
#include "backend/scripting/commands/WindowCommands.h"
#include "display/DisplayEngine.h"
#include "platform/Applications.h"
#include "platform/ManualRunLoop.h"
#include "platform/OutsideFiles.h"
#include "platform/SerialQueue.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"
#include "platform/sim/AlertDialog.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimStatusItem.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <iostream>
#include <ostream>
#include <sstream>
#include <tuple>

namespace scripting {

namespace {

// The runner's own commands: name, arguments, help (the README's driver table), handler.
struct OwnCommand {
    const char* name;
    const char* syntax;
    const char* help;
    bool (ScriptDriver::*run)(CommandCall&);
};

// Text from a script as a terminal may show it: control characters escaped (an escape sequence
// would retitle or clear it), at most maxBytes shown, cut on a character's boundary.
std::string shownSafely(const std::string& text, size_t maxBytes) {
    std::string out;
    size_t i = 0;
    for (; i < text.size() && out.size() < maxBytes; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    // Not in the middle of a character's bytes.
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80 &&
           !out.empty()) {
        out.pop_back();
        --i;
    }
    if (i < text.size()) out += "... (" + std::to_string(text.size()) + " bytes in all)";
    return out;
}

constexpr size_t kShownLineBytes = 200;
constexpr size_t kShownErrorBytes = 2000;

} // namespace

// Defined in the class's scope: the handlers are private.
struct OwnCommands {
    static const OwnCommand table[];
};

const OwnCommand OwnCommands::table[] = {
    {"advance", "SECONDS", "runs everything due in that much virtual time",
     &ScriptDriver::advanceCommand},
    {"state", "",
     "prints the state as one JSON line: the fields listed under \"State fields\" below",
     &ScriptDriver::stateCommand},
    {"expect", "PATH VALUE",
     "fails unless the state at PATH (like `/statusItem/toolTip` or `/registry/0/name`; a "
     "negative index counts from the end, `/log/-1` is the last line; quote a path with spaces) "
     "equals VALUE (JSON; a bare word is a string)",
     &ScriptDriver::expectCommand},
    {"expect-log", "TEXT",
     "fails unless a log line written since the program started holds TEXT (quotes around it are "
     "dropped)",
     &ScriptDriver::expectLogCommand},
    {"default", "KEY VALUE", "stores a user default (JSON value; `null` removes it)",
     &ScriptDriver::defaultCommand},
    {"screenshot-control-window", "FILE", "saves the control window as PNG",
     &ScriptDriver::screenshotCommand},
    {"language", "ko|en",
     "clicks the KO or EN segment of the control window's language control (without the window "
     "shown, switches the language as that control does)",
     &ScriptDriver::languageCommand},
    {"admin-prompt", "accept|cancel",
     "clicks Allow or Cancel in the system's administrator (password) prompt; like `alert`, it is "
     "the line after the one that opened the prompt",
     &ScriptDriver::adminPromptCommand},
    {"alert", "BUTTON",
     "clicks that button of the open alert (before it, `popup ITEM` and `click TITLE` work the "
     "alert's pop-up and checkbox the same way): an alert runs a nested loop in which the script "
     "goes on, so the line after the one that opened it answers it; a script that ends with an "
     "alert open fails",
     &ScriptDriver::alertCommand},
    {"crash", "[SECONDS]",
     "kills the process with SIGKILL, as a crash would, at once or SECONDS of virtual time later "
     "(while later lines run, wherever the program is then: frames on their way to a monitor, "
     "settings not yet saved); what the script printed is flushed first, and nothing is settled "
     "or saved (run with `--profile DIR`, the next run on `DIR` starts on the same hardware)",
     &ScriptDriver::crashCommand},
    {"quit", "",
     "quits the program as the status menu's Quit does; nothing of the program runs after it, so "
     "only `state`, `expect` and `screenshot` may follow",
     &ScriptDriver::quitCommand},
    {"help", "",
     "prints every command with its arguments, and every field of `state` (also `nightlid "
     "--help-script`)",
     &ScriptDriver::helpCommand},
};

ScriptDriver::ScriptDriver(Session& session, std::ostream& out, std::ostream& err)
    : table_(commandTable(this)), session_(session), out_(out), err_(err) {}

CommandTable ScriptDriver::commandTable(ScriptDriver* driver) {
    CommandTable table;
    for (const auto& own : OwnCommands::table) {
        std::function<bool(CommandCall&)> run;
        if (driver)
            run = [driver, run = own.run](CommandCall& call) { return (driver->*run)(call); };
        table.add({own.name, own.syntax, own.help, std::move(run)});
    }
    registerDeviceCommands(table);
    registerHotkeyCommands(table);
    registerPowerCommands(table);
    registerDisplayModeCommands(table);
    registerWindowCommands(table);
    registerMachineEventCommands(table);
    registerPanelCommands(table);
    registerSimulatorCommands(table);
    registerStateFields(table);
    return table;
}

std::string ScriptDriver::helpText() {
    return commandTable(nullptr).help();
}

int ScriptDriver::runFile(const std::string& path) {
    // No further than the limit, never waiting on a device, and a pipe (--script <(...)) only
    // as long as it sends. Refused: bad input, as an unreadable machine file is.
    platform::OutsideFileRules rules;
    rules.maxBytes = 4 * 1024 * 1024;
    rules.pipeSeconds = platform::kPipeSeconds;
    auto file = platform::readOutsideFile(path, rules);
    if (!file.ok()) {
        if (file.status == platform::OutsideFile::Status::missing)
            err_ << "nightlid: cannot read script " << path << ": no such file\n";
        else
            err_ << "nightlid: script " << path << " " << file.problem << "\n";
        return 2;
    }
    return runText(file.bytes, path);
}

int ScriptDriver::runText(const std::string& text, const std::string& sourceName) {
    lines_.clear();
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines_.push_back(line);
    next_ = 0;
    source_ = sourceName;
    status_ = 0;
    over_ = false;
    session_.mac().alerts().setPresenter(
        [this](platform::AlertRequest& request) { return answerAlert(request); });
    session_.mac().privileges().setPromptPresenter(
        [this](const std::string& message) { return answerAdminPrompt(message); });
    while (step()) {
    }
    session_.mac().alerts().setPresenter(nullptr);
    session_.mac().privileges().setPromptPresenter(nullptr);
    return status_;
}

void ScriptDriver::fail(const std::string& error) {
    const size_t number = next_; // the line just run, counted from 1
    err_ << source_ << ":" << number << ": " << shownSafely(error, kShownErrorBytes) << "\n    "
         << shownSafely(number > 0 && number <= lines_.size() ? trim(lines_[number - 1])
                                                              : std::string(),
                        kShownLineBytes)
         << "\n";
    status_ = 1;
    over_ = true;
}

bool ScriptDriver::step() {
    // What is already due runs first: an alert it opens is answered by the line that follows.
    if (!session_.terminated()) settle(session_.mac());
    while (!over_ && next_ < lines_.size()) {
        auto cmd = trim(lines_[next_++]);
        if (cmd.empty() || cmd[0] == '#') continue;
        std::string error;
        if (!execute(expand(cmd), error)) fail(error);
        return !over_;
    }
    return false;
}

bool ScriptDriver::runUntilAnswered(
    const std::string& what,
    const std::function<bool(const std::string&, const std::string&)>& answers) {
    while (!over_ && next_ < lines_.size()) {
        auto line = trim(expand(lines_[next_]));
        if (line.empty() || line[0] == '#') {
            ++next_;
            continue;
        }
        auto [cmd, rest] = splitWord(line);
        const size_t before = next_;
        if (answers(cmd, unquoted(rest))) return !over_;
        // A line taken inside (the alert's pop-up or checkbox): the next is read here too.
        if (next_ != before) continue;
        step();
    }
    if (!over_) {
        next_ = lines_.size();
        fail("the script ended with " + what + " open");
    }
    return false;
}

int ScriptDriver::answerAlert(platform::AlertRequest& request) {
    // The alert as a dialog in front of the program's windows: its pop-up, checkbox and buttons
    // are worked with the mouse and keys like any other control.
    sim::AlertDialog dialog(request);
    dialog.show();
    QCoreApplication::sendPostedEvents();
    const std::string title = request.messageText;
    runUntilAnswered(
        "the alert \"" + title + "\"", [&](const std::string& cmd, const std::string& named) {
            std::string error;
            if (cmd == "popup" && dialog.popUp()) {
                const int index = dialog.popUp()->findText(QString::fromStdString(named));
                if (index >= 0) {
                    ++next_;
                    if (!chooseItem(dialog.popUp(), index, "the alert's pop-up", error))
                        fail(error);
                    return false;
                }
            }
            if (cmd == "click" && dialog.checkbox() &&
                dialog.checkbox()->text().toStdString() == named) {
                ++next_;
                if (!clickControl(dialog.checkbox(), "the alert's checkbox", error)) fail(error);
                return false;
            }
            if (cmd != "alert") return false;
            ++next_;
            const auto& buttons = dialog.buttons();
            QAbstractButton* chosen = nullptr;
            for (auto* b : buttons)
                if (b->text().toStdString() == named) chosen = b;
            // The system's own button answers to its English name in any language.
            if (!chosen && buttons.size() == 1 && buttons[0]->text() == "확인" && named == "OK")
                chosen = buttons[0];
            if (!chosen) {
                std::string offered;
                for (auto* b : buttons)
                    offered += (offered.empty() ? "\"" : ", \"") + b->text().toStdString() + "\"";
                fail("the alert \"" + title + "\" has no button \"" + named + "\" (it has " +
                     offered + ")");
                return true;
            }
            if (!clickControl(chosen, "the alert's button \"" + named + "\"", error))
                fail(error);
            else if (!dialog.answer())
                fail("the click on \"" + named + "\" did not answer the alert \"" + title + "\"");
            return true;
        });
    dialog.writeBack(request);
    return dialog.answer().value_or(0);
}

bool ScriptDriver::answerAdminPrompt(const std::string& message) {
    sim::AdministratorPrompt prompt(message);
    prompt.show();
    QCoreApplication::sendPostedEvents();
    runUntilAnswered("the administrator prompt", [&](const std::string& cmd,
                                                     const std::string& answer) {
        if (cmd != "admin-prompt") return false;
        ++next_;
        if (answer != "accept" && answer != "cancel") {
            fail("admin-prompt takes accept or cancel");
            return true;
        }
        std::string error;
        auto* button = answer == "accept" ? prompt.allowButton() : prompt.cancelButton();
        if (!clickControl(button, "the prompt's button \"" + button->text().toStdString() + "\"",
                          error))
            fail(error);
        return true;
    });
    return prompt.allowed();
}

void ScriptDriver::advance(double seconds) {
    // Timers, posted work and device exchanges in time order; idle time is skipped at once.
    passTime(session_.mac(), seconds);
    settle(session_.mac());
}

std::string ScriptDriver::expand(const std::string& line) const {
    std::string out = line;
    for (const auto& [k, v] : vars_) {
        std::string key = "${" + k + "}";
        for (size_t p = out.find(key); p != std::string::npos; p = out.find(key, p + v.size()))
            out.replace(p, key.size(), v);
    }
    return out;
}

QJsonArray ScriptDriver::logSinceLastState(uint64_t* writtenNow) {
    QJsonArray log;
    for (const auto& line : session_.mac().log().linesAfter(logShown_, writtenNow))
        log.append(QString::fromStdString(line));
    return log;
}

bool ScriptDriver::execute(const std::string& line, std::string& error) {
    auto [cmd, rest] = splitWord(line);
    auto& mac = session_.mac();

    // A program that quit runs nothing more: no timer of it may fire after its end.
    if (session_.terminated() && cmd != "state" && cmd != "expect" && cmd != "screenshot") {
        error = "the program has quit: only state, expect and screenshot may follow quit, not \"" +
                cmd + "\"";
        return false;
    }
    const Command* command = table_.find(cmd);
    if (!command) {
        error = "unknown command \"" + cmd + "\"";
        return false;
    }
    if (command->syntax.empty() && !rest.empty()) {
        error = cmd + " takes no argument, not \"" + rest + "\"";
        return false;
    }
    // advance moves time itself; everything else acts on what is already due, as a user would
    // after a moment, and lets what it started settle.
    // A crash takes the program as it is: nothing is settled first.
    const bool timed = cmd == "advance" || cmd == "crash";
    if (!timed && !session_.terminated()) settle(mac);
    CommandCall call{session_, cmd, rest, error,
                     // Between a drag's values the queues go on in their own time.
                     [&mac](double s) { passTime(mac, s); }};
    if (!command->run(call)) return false;
    if (!timed && !session_.terminated()) settle(mac);
    return true;
}

} // namespace scripting
