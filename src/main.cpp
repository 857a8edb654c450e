// Nightlid's entry function: reads the command line, then runs on the backend it picks.

#include "app/LaunchOptions.h"
#include "backend/ProgramBackend.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

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
    bool helpScript = false;
};

std::optional<int> readEarlyArguments(int argc, char** argv, EarlyArguments& early) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        early.headless |= a == "--script" || a == "--tour";
        early.help |= a == "--help" || a == "-h" || a == "--help-all";
        early.helpScript |= a == "--help-script";
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
    if (noDisplay && !early.headless && !early.help && !early.helpScript &&
        !backend::hasRealBackend()) {
        std::cerr << "nightlid: there is no display to show the simulator window on; run the "
                     "headless tour with --tour DIR or a script with --script FILE (make run "
                     "does this by itself)\n";
        return 2;
    }
    return std::nullopt;
}

// The options Qt reads, with their help.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption machine{"machine", "Machine description (JSON) of a virtual Mac to run on.",
                               "FILE"};
    QCommandLineOption profile{"profile", "Profile folder (defaults, system files).", "DIR"};
    QCommandLineOption script{"script", "Run a script headless in virtual time.", "FILE"};
    QCommandLineOption tour{"tour", "Run the headless tour, saving screenshots to DIR.", "DIR"};
    QCommandLineOption verbose{"log", "Echo the system log to standard error."};
    QCommandLineOption helpScript{"help-script", "Print the script commands and state fields."};
    QCommandLineOption virtualMac{"virtual-mac", "Run on the embedded virtual Mac."};
    QCommandLineOption realTime{"real-time",
                                "Run the script or the tour on the real clock: the virtual "
                                "devices take their real times, as in the simulator window."};

    CommandLine() {
        parser.setApplicationDescription(backend::hasRealBackend() ? "Nightlid"
                                                                   : "Nightlid on a virtual Mac");
        parser.addHelpOption();
        parser.addOptions(
            {machine, profile, script, tour, verbose, helpScript, virtualMac, realTime});
    }
};

} // namespace

int main(int argc, char** argv) {
    EarlyArguments early;
    if (auto exit = readEarlyArguments(argc, argv, early)) return *exit;
    // Help needs no window system: a bundle carries only its desktop's platform plug-in, and Qt
    // aborts when asked for one it cannot find.
    if (early.help || early.helpScript) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName("Nightlid");
        CommandLine cli;
        cli.parser.process(core); // --help prints and exits here
        std::cout << backend::scriptHelp();
        return 0;
    }
    // No window to show; where the offscreen plug-in is not at hand (a Mac's bundle), the
    // desktop's own, which Qt tries next.
    if (early.headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", backend::hasRealBackend() ? "offscreen;cocoa" : "offscreen");

    qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nightlid");
    CommandLine cli;
    cli.parser.process(app);

    LaunchOptions options;
    auto value = [&](const QCommandLineOption& option) {
        return cli.parser.isSet(option) ? std::optional(cli.parser.value(option).toStdString())
                                        : std::nullopt;
    };
    options.machineFile = value(cli.machine);
    options.profileFolder = value(cli.profile);
    options.scriptFile = value(cli.script);
    options.tourFolder = value(cli.tour);
    options.echoLog = cli.parser.isSet(cli.verbose);
    options.virtualMac = cli.parser.isSet(cli.virtualMac);
    options.realTime = cli.parser.isSet(cli.realTime);
    return backend::runProgram(app, options);
}
