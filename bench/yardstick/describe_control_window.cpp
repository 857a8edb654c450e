// Writes out (to the file named, or standard output) the control window as `nightlid --script`
// shows it when its script is `quit`: the default machine, a fresh profile, virtual time settled
// after launch. The start-up yardstick is built from this, so it shows the same texts, fonts, sizes
// and controls.

#include "WidgetTree.h"

#include "app/BlackoutController.h"
#include "appkit/Window.h"
#include "backend/scripting/Session.h"

#include <QApplication>
#include <QSaveFile>
#include <QWidget>

#include <iostream>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nightlid");
    sim::VirtualMacOptions options;
    options.virtualTime = true;
    scripting::Session session(sim::VirtualMac::defaultDescription(), options);
    session.launch();
    // What the script driver does before a script's first line.
    session.mac().settle();
    if (!BlackoutController::hasShared() || !BlackoutController::shared().controlWindow ||
        !BlackoutController::shared().controlWindow->isVisible()) {
        std::cerr << "describe_control_window: the control window did not open at launch\n";
        return 1;
    }
    QWidget* window = BlackoutController::shared().controlWindow->contentView()->window();
    const QByteArray description = yardstick::describe(window).toUtf8();
    if (argc < 2) {
        std::cout << description.toStdString();
        return 0;
    }
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(description) != description.size() ||
        !out.commit()) {
        std::cerr << "describe_control_window: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
