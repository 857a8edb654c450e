// The yardstick for start-up: the least a Qt Widgets program does to show a window and quit.

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(400, 300);
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
