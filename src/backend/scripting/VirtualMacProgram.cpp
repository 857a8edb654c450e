#include "backend/scripting/VirtualMacProgram.h"

#include "backend/scripting/ProfileOwner.h"
#include "backend/scripting/ScriptDriver.h"
#include "backend/scripting/Session.h"
#include "backend/scripting/Tour.h"
#include "platform/SystemLog.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimMonitor.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimulatorWindow.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <iostream>
#include <memory>
#include <optional>

namespace sim {

namespace {

std::string defaultProfileDir() {
    auto base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return (base + "/nightlid/profile").toStdString();
}

// Settings written to a folder that cannot hold them would be lost without a word.
bool usableProfile(const std::string& folder) {
    if (folder.empty()) return true;
    const QString dir = QString::fromStdString(folder);
    QTemporaryFile probe(dir + "/.nightlid-probe-XXXXXX");
    if (QDir().mkpath(dir) && probe.open()) return true;
    std::cerr << "nightlid: the profile folder " << folder
              << " cannot be used: it is not a folder this user can write to\n";
    return false;
}

// A script or the tour, in virtual time without a window.
int runHeadless(scripting::Session& session, const std::optional<std::string>& script,
                const QString& tourFolder) {
    scripting::ScriptDriver runner(session, std::cout, std::cerr);
    session.launch();
    if (script) return runner.runFile(*script);
    auto out = QDir(tourFolder).absolutePath().toStdString();
    runner.setVariable("OUT", out);
    const auto tour = scripting::tourScript();
    if (!tour) {
        std::cerr << "nightlid: the tour script is missing from the program's resources\n";
        return 1;
    }
    int rc = runner.runText(*tour, "tour");
    if (rc == 0) std::cout << "Tour screenshots saved in " << out << "\n";
    return rc;
}

// The simulator window beside the program's own, on Qt's event loop and the real clock.
int runInteractive(scripting::Session& session, QApplication& app) {
    // Here the machine's records are read only by the simulator's log view (its last 2000 lines)
    // and its frames-a-second figures: kept short, a session that runs for days keeps its size.
    session.mac().log().setLimit(kLogLinesShown);
    for (const auto& d : session.mac().description().displays)
        if (auto* monitor = session.mac().monitor(d.id)) monitor->setHistoryLimit(512);
    SimulatorWindow& simulator = session.simulator(true);
    session.setOnTerminated([] { QApplication::quit(); });
    session.mac().alerts().setPresenter(&SimulatorWindow::presentAlert);
    session.mac().privileges().setPromptPresenter(&SimulatorWindow::presentAdministratorPrompt);
    // Top left, so the program's windows have room beside it.
    if (auto* screen = QGuiApplication::primaryScreen())
        simulator.move(screen->availableGeometry().topLeft());
    simulator.show();
    session.launch();
    return app.exec();
}

} // namespace

int runOnVirtualMac(QApplication& app, const LaunchOptions& options) {
    std::string error;
    auto description = options.machineFile ? VirtualMac::load(*options.machineFile, &error)
                                           : std::optional(VirtualMac::defaultDescription());
    if (!description) {
        std::cerr << "nightlid: " << error << "\n";
        return 2;
    }
    const bool headless = options.headless();
    VirtualMacOptions machine;
    machine.virtualTime = headless && !options.realTime;
    machine.echoLog = options.echoLog;
    // Scripts and the tour start from a fresh profile unless one is given.
    if (options.profileFolder)
        machine.profileDir = *options.profileFolder;
    else if (!headless)
        machine.profileDir = defaultProfileDir();
    if (!usableProfile(machine.profileDir)) return 2;

    // A second start on a profile in use brings the running program forward instead.
    std::unique_ptr<ProfileOwner> owner;
    if (!headless && !machine.profileDir.empty()) {
        owner = std::make_unique<ProfileOwner>(QString::fromStdString(machine.profileDir));
        auto start = ProfileOwner::Start::first;
        std::string ownerError;
        const bool started = owner->start(start, ownerError);
        if (!owner->note().empty()) std::cerr << "nightlid: " << owner->note() << "\n";
        if (!started) {
            std::cerr << "nightlid: " << ownerError << "\n";
            return 1;
        }
        if (start == ProfileOwner::Start::handedOver) {
            std::cout << "Nightlid already runs on this profile: its control window is shown\n";
            return 0;
        }
    }

    scripting::Session session(*description, machine);
    if (owner)
        owner->setOnReopen([&session] {
            session.mac().platform().log->write(
                "Nightlid: started again on this profile; the running program reopens");
            session.mac().reopen();
        });
    if (!headless) return runInteractive(session, app);
    return runHeadless(session, options.scriptFile,
                       QString::fromStdString(options.tourFolder.value_or("")));
}

} // namespace sim
