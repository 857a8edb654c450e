// The yardstick for start-up: the least a Qt Widgets program does to show a window, draw it once
// and quit. With the argument "text" the window holds one line of text, so the font set-up every
// program that shows text pays (fontconfig, FreeType, HarfBuzz) is in the yardstick too.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

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
    QApplication app(argc, argv);
    Window window;
    window.resize(400, 300);
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel("Brightness 밝기", &window));
    window.show();
    return app.exec();
}
