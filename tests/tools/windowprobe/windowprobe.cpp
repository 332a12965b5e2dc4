// A generic input plugin for the tests of the form programs. Loaded into a real program
// through QT_QPA_GENERIC_PLUGINS=windowprobe, it waits until the program's event loop
// runs and a window is shown, lets the work the program queued for its start run
// (a few turns of the event loop), prints one line describing every visible top-level
// window to standard output, and then asks each of those windows to close, the same
// close request that the window system sends when the user closes a window through its
// frame.

#include <QApplication>
#include <QCloseEvent>
#include <QGenericPlugin>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

#include "windowprobe.h"

namespace {

class WindowProbe : public QObject
{
public:
    WindowProbe()
    {
        // A queued call runs only once the program's event loop is running.
        QMetaObject::invokeMethod(this, &WindowProbe::look, Qt::QueuedConnection);
    }

private:
    void look()
    {
        QList<QWidget *> windows;
        const QList<QWidget *> topLevels = QApplication::topLevelWidgets();
        for (QWidget *widget : topLevels) {
            if (widget->isVisible())
                windows.append(widget);
        }
        if (windows.isEmpty()) {
            QTimer::singleShot(20, this, &WindowProbe::look);
            return;
        }
        // Calls that the program queued before its event loop began come first.
        if (turnsLeft > 0) {
            --turnsLeft;
            QMetaObject::invokeMethod(this, &WindowProbe::look, Qt::QueuedConnection);
            return;
        }
        for (QWidget *widget : std::as_const(windows)) {
            const QByteArray line = describe(widget).toUtf8();
            std::fprintf(stdout, "%s\n", line.constData());
        }
        std::fflush(stdout);
        for (QWidget *widget : std::as_const(windows)) {
            if (QWindow *handle = widget->windowHandle())
                QCoreApplication::postEvent(handle, new QCloseEvent);
            else
                std::fprintf(stderr, "windowprobe: a visible window has no native window\n");
        }
    }

    static QString describe(QWidget *widget)
    {
        QStringList parts;
        const QObjectList children = widget->children();
        for (QObject *child : children) {
            if (child->isWidgetType() && !child->objectName().isEmpty())
                parts << child->objectName() + QLatin1Char(':') + child->metaObject()->className();
        }
        QStringList fields;
        fields << QStringLiteral("window")
               << QStringLiteral("class=") + widget->metaObject()->className()
               << QStringLiteral("super=") + widget->metaObject()->superClass()->className()
               << QStringLiteral("name=") + widget->objectName()
               << QStringLiteral("title=") + widget->windowTitle()
               << QStringLiteral("size=") + windowprobe::sizeText(widget->size())
               << QStringLiteral("parts=") + parts.join(QLatin1Char(','));
        if (auto *label = qobject_cast<QLabel *>(widget))
            fields << QStringLiteral("pixmap=") + windowprobe::pixmapText(label->pixmap());
        if (auto *mainWindow = qobject_cast<QMainWindow *>(widget)) {
            fields << QStringLiteral("status=") + mainWindow->statusBar()->currentMessage();
            // The picture of the first label inside that shows one.
            for (const QLabel *label : widget->findChildren<QLabel *>()) {
                if (!label->pixmap().isNull()) {
                    fields << QStringLiteral("picture=") + windowprobe::pixmapText(label->pixmap());
                    break;
                }
            }
        }
        if (auto *box = qobject_cast<QMessageBox *>(widget)) {
            fields << QStringLiteral("text=") + box->text()
                   << QStringLiteral("informative=") + box->informativeText();
        }
        return fields.join(QLatin1Char('\t'));
    }

    int turnsLeft = 3;
};

} // namespace

class WindowProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "windowprobe.json")

public:
    QObject *create(const QString &key, const QString &) override
    {
        if (key.compare(QLatin1String("windowprobe"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new WindowProbe;
    }
};

#include "windowprobe.moc"
