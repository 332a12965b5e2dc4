#include "mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The same icon and name as the installed desktop entry, so that the desktop shell
    // shows the window under the entry's icon.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/glimmerix-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QApplication::setDesktopFileName("org.glimmerix.Glimmerix");
    MainWindow window;
    window.setWindowTitle("Glimmerix");
    window.show();
    return app.exec();
}
