// Loaded by Qt into a program started with -testability: waits until the program
// shows its main window, reports it, and closes it the way a user closing the window
// would, so that the program ends through its own event loop. When no window shows
// within the time limit it ends the program with exit code 3.
//
// Environment (all optional):
//   GLIMMERIX_PROBE_TITLE    the window title to wait for (default "Glimmerix")
//   GLIMMERIX_PROBE_TIMEOUT  seconds to wait (default 30)

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

QString sizesOf(const QIcon &icon)
{
    QStringList sizes;
    for (const QSize &size : icon.availableSizes())
        sizes << QString::number(size.width());
    return sizes.isEmpty() ? QString("none") : sizes.join(',');
}

void startProbe()
{
    const QString title = qEnvironmentVariableIsSet("GLIMMERIX_PROBE_TITLE")
            ? qEnvironmentVariable("GLIMMERIX_PROBE_TITLE")
            : QString("Glimmerix");
    bool ok = false;
    int timeoutSeconds = qEnvironmentVariableIntValue("GLIMMERIX_PROBE_TIMEOUT", &ok);
    if (!ok || timeoutSeconds <= 0)
        timeoutSeconds = 30;

    QElapsedTimer clock;
    clock.start();
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, timer, [=]() {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            QWindow *window = widget->windowHandle();
            if (!widget->isVisible() || widget->windowTitle() != title || !window || !window->isExposed())
                continue;
            timer->stop();
            std::printf("window shown: title \"%s\", %dx%d, platform %s, window icon sizes %s, "
                        "desktop file name %s\n",
                        qPrintable(widget->windowTitle()), widget->width(), widget->height(),
                        qPrintable(QGuiApplication::platformName()),
                        qPrintable(sizesOf(widget->windowIcon())),
                        qPrintable(QGuiApplication::desktopFileName()));
            std::fflush(stdout);
            // As a click on the frame's close button: the program decides what follows.
            widget->close();
            return;
        }
        if (clock.elapsed() > timeoutSeconds * 1000LL) {
            timer->stop();
            std::printf("no window titled \"%s\" was shown within %d s\n", qPrintable(title),
                        timeoutSeconds);
            std::fflush(stdout);
            QCoreApplication::exit(3);
        }
    });
    timer->start();
}

} // namespace

extern "C" Q_DECL_EXPORT void qt_testability_init()
{
    // Called while the application object is being built; start once its event loop runs.
    QTimer::singleShot(0, QCoreApplication::instance(), &startProbe);
}
