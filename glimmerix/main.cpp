#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMetaObject>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("glimmerix");
    QApplication::setApplicationVersion(GLIMMERIX_VERSION);
    // The same icon and name as the installed desktop entry, so that the desktop shell
    // shows the window under the entry's icon.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/glimmerix-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QApplication::setDesktopFileName("org.glimmerix.Glimmerix");

    // The toolkit has taken its own arguments (-style, -platform ...) already.
    QCommandLineParser parser;
    parser.setApplicationDescription("Glimmerix, a small image editor.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("file", "The picture to open.", "[file]");
    parser.process(app);
    const QStringList files = parser.positionalArguments();

    MainWindow window;
    window.setWindowTitle("Glimmerix");
    window.show();
    // Opened once the window is up and the event loop runs, so that a file that
    // does not load is told over the window.
    if (!files.isEmpty()) {
        const QString file = files.first();
        QMetaObject::invokeMethod(&window, [&window, file] { window.openFromOutside(file); },
                                  Qt::QueuedConnection);
    }
    return app.exec();
}
