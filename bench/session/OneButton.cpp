// The floor for the game's start-up: the least a Qt 6 Widgets program does to
// show a window, one push button with a caption, at the size of the game's
// main window so that both put the same number of pixels on the screen.
#include <QApplication>
#include <QPushButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPushButton button(QStringLiteral("Start"));
    button.resize(329, 323);
    button.show();
    return QApplication::exec();
}
