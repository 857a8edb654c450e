// The start-up yardstick: a plain Qt Widgets program that opens a window with the control
// window's content at launch (the same texts, fonts, sizes and controls, written out from the
// program at build time and compiled in), draws it once and quits, as `nightlid --script` with a
// `quit` script does. With --describe it prints what it shows instead, in the same form, so a test
// can hold it to the description.

#include "WidgetTree.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <iostream>

extern const char* const kControlWindowDescription;

namespace {

// Quits once its first frame is drawn: quitting before the window is exposed would leave the
// drawing, and the memory to draw into, out of the yardstick.
class Window : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        if (!drawn_) QTimer::singleShot(0, qApp, &QApplication::quit);
        drawn_ = true;
    }

  private:
    bool drawn_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const bool describe = argc > 1 && std::strcmp(argv[1], "--describe") == 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nightlid");
    Window window;
    QString error;
    if (!yardstick::build(QString::fromUtf8(kControlWindowDescription), &window, &error)) {
        std::cerr << "startup_yardstick: the control window's description is damaged: "
                  << error.toStdString() << "\n";
        return 3;
    }
    window.show();
    if (!describe) return app.exec();
    QApplication::processEvents();
    std::cout << yardstick::describe(&window).toStdString();
    return 0;
}
