// The yardstick for start-up: the least a Qt Widgets program does to show a window and quit.
// With the argument "text" the window holds one line of text, so the font set-up every program
// that shows text pays (fontconfig, FreeType, HarfBuzz) is in the yardstick too.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(400, 300);
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel("Brightness 밝기", &window));
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
