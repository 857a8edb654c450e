// Nightlid's entry function, run against the embedded virtual Mac (or another machine file).

#include "app/AppDelegate.h"
#include "scripting/ScriptDriver.h"
#include "scripting/Session.h"
#include "scripting/Tour.h"
#include "platform/sim/ScreensCanvas.h"
#include "platform/sim/SimAlerts.h"
#include "platform/sim/SimPrivileges.h"
#include "platform/sim/SimulatorWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <iostream>
#include <memory>
#include <optional>

namespace {

std::string defaultProfileDir() {
    auto base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return (base + "/nightlid/profile").toStdString();
}

// The offscreen platform cannot raise windows; saying so on every show is only noise.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains("does not support raise()")) return;
    qt_message_output(type, context, message);
}

// What the arguments say before Qt reads them: a run without a window, a help request, or a
// mistake named at once (exit code 2).
struct EarlyArguments {
    bool headless = false;
    bool help = false;
};

std::optional<int> readEarlyArguments(int argc, char** argv, EarlyArguments& early) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        early.headless |= a == "--script" || a == "--tour" || a == "--help-script";
        early.help |= a == "--help" || a == "-h" || a == "--help-all";
    }
    // An unknown option is named before anything else is said about the run.
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string name = a.substr(0, a.find('='));
        const bool withValue =
            name == "--machine" || name == "--profile" || name == "--script" || name == "--tour";
        if (withValue) {
            if (name == a) ++i; // its value follows
            continue;
        }
        if (name == "--log" || name == "--help-script" || early.help) continue;
        std::cerr << "nightlid: unknown option " << a << "; see nightlid --help\n";
        return 2;
    }
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (noDisplay && !early.headless && !early.help) {
        std::cerr << "nightlid: there is no display to show the simulator window on; run the "
                     "headless tour with --tour DIR or a script with --script FILE (make run "
                     "does this by itself)\n";
        return 2;
    }
    return std::nullopt;
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

// A script, the tour or the command reference, in virtual time without a window.
int runHeadless(scripting::Session& session, const std::optional<std::string>& script,
                const QString& tourFolder, bool helpScript) {
    // Built when a script first looks at it: most scripts never do.
    std::unique_ptr<sim::SimulatorWindow> simulator;
    auto window = [&]() -> sim::SimulatorWindow& {
        if (!simulator) simulator = std::make_unique<sim::SimulatorWindow>(session.mac());
        return *simulator;
    };
    scripting::ScriptDriver runner(session, std::cout, std::cerr);
    if (helpScript) {
        std::cout << runner.commands().help();
        return 0;
    }
    runner.setScreenshotter([&] { return window().snapshot(); });
    runner.setZoomer([&](uint32_t id) {
        window().canvas()->zoomTo(id ? std::optional<uint32_t>(id) : std::nullopt);
    });
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
    sim::SimulatorWindow simulator(session.mac());
    session.setOnTerminated([] { QApplication::quit(); });
    session.mac().alerts().setPresenter(&sim::SimulatorWindow::presentAlert);
    session.mac().privileges().setPromptPresenter(
        &sim::SimulatorWindow::presentAdministratorPrompt);
    // Top left, so the program's windows have room beside it.
    if (auto* screen = QGuiApplication::primaryScreen())
        simulator.move(screen->availableGeometry().topLeft());
    simulator.show();
    session.launch();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    EarlyArguments early;
    if (auto exit = readEarlyArguments(argc, argv, early)) return *exit;
    if ((early.headless || early.help) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nightlid");

    QCommandLineParser cli;
    cli.setApplicationDescription("Nightlid on a virtual Mac");
    cli.addHelpOption();
    QCommandLineOption machine("machine", "Machine description (JSON) to run on.", "FILE");
    QCommandLineOption profile("profile", "Profile folder (defaults, system files).", "DIR");
    QCommandLineOption script("script", "Run a script headless in virtual time.", "FILE");
    QCommandLineOption tour("tour", "Run the headless tour, saving screenshots to DIR.", "DIR");
    QCommandLineOption verbose("log", "Echo the system log to standard error.");
    QCommandLineOption helpScript("help-script", "Print the script commands and state fields.");
    cli.addOptions({machine, profile, script, tour, verbose, helpScript});
    cli.process(app);

    std::string error;
    auto description = cli.isSet(machine)
                           ? sim::VirtualMac::load(cli.value(machine).toStdString(), &error)
                           : std::optional(sim::VirtualMac::defaultDescription());
    if (!description) {
        std::cerr << "nightlid: " << error << "\n";
        return 2;
    }

    sim::VirtualMacOptions options;
    options.virtualTime = early.headless;
    options.echoLog = cli.isSet(verbose);
    // Scripts and the tour start from a fresh profile unless one is given.
    if (cli.isSet(profile))
        options.profileDir = cli.value(profile).toStdString();
    else if (!early.headless)
        options.profileDir = defaultProfileDir();
    if (!usableProfile(options.profileDir)) return 2;

    scripting::Session session(*description, options);
    if (!early.headless) return runInteractive(session, app);
    return runHeadless(
        session, cli.isSet(script) ? std::optional(cli.value(script).toStdString()) : std::nullopt,
        cli.value(tour), cli.isSet(helpScript));
}
