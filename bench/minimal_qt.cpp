// The least a Qt Widgets program does to show a window: an empty one, drawn once, then it quits.
// Timed beside the start-up yardstick, for scale.

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

// Quits once its first frame is drawn: quitting before the window is exposed would leave the
// drawing, and the memory to draw into, out of the figure.
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
    window.show();
    return app.exec();
}
