// Nightlid's entry function: reads the command line, then runs on the backend it picks.

#include "app/LaunchOptions.h"
#include "backend/ProgramBackend.h"

#include <QApplication>
#include <QCommandLineParser>

#include <iostream>
#include <optional>

namespace {

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
            if (name != a) continue;
            // Its value follows; a missing one is our usage error, not Qt's.
            if (i + 1 >= argc) {
                std::cerr << "nightlid: " << a << " needs a value; see nightlid --help\n";
                return 2;
            }
            ++i;
            continue;
        }
        if (name == "--log" || name == "--help-script" || name == "--virtual-mac" ||
            name == "--real-time" || early.help)
            continue;
        std::cerr << "nightlid: unknown option " << a << "; see nightlid --help\n";
        return 2;
    }
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    // Only the simulator window needs an X or Wayland display; a Mac always has its own.
    if (noDisplay && !early.headless && !early.help && !backend::hasRealBackend()) {
        std::cerr << "nightlid: there is no display to show the simulator window on; run the "
                     "headless tour with --tour DIR or a script with --script FILE (make run "
                     "does this by itself)\n";
        return 2;
    }
    return std::nullopt;
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
    cli.setApplicationDescription(backend::hasRealBackend() ? "Nightlid"
                                                            : "Nightlid on a virtual Mac");
    cli.addHelpOption();
    QCommandLineOption machine("machine", "Machine description (JSON) of a virtual Mac to run on.",
                               "FILE");
    QCommandLineOption profile("profile", "Profile folder (defaults, system files).", "DIR");
    QCommandLineOption script("script", "Run a script headless in virtual time.", "FILE");
    QCommandLineOption tour("tour", "Run the headless tour, saving screenshots to DIR.", "DIR");
    QCommandLineOption verbose("log", "Echo the system log to standard error.");
    QCommandLineOption helpScript("help-script", "Print the script commands and state fields.");
    QCommandLineOption virtualMac("virtual-mac", "Run on the embedded virtual Mac.");
    QCommandLineOption realTime("real-time",
                                "Run the script or the tour on the real clock: the virtual "
                                "devices take their real times, as in the simulator window.");
    cli.addOptions({machine, profile, script, tour, verbose, helpScript, virtualMac, realTime});
    cli.process(app);

    LaunchOptions options;
    auto value = [&](const QCommandLineOption& option) {
        return cli.isSet(option) ? std::optional(cli.value(option).toStdString()) : std::nullopt;
    };
    options.machineFile = value(machine);
    options.profileFolder = value(profile);
    options.scriptFile = value(script);
    options.tourFolder = value(tour);
    options.helpScript = cli.isSet(helpScript);
    options.echoLog = cli.isSet(verbose);
    options.virtualMac = cli.isSet(virtualMac);
    options.realTime = cli.isSet(realTime);
    return backend::runProgram(app, options);
}
