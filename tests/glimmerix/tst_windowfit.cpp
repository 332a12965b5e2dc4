// The window on a small screen: it grows to show the whole picture where the
// screen has room and scrolls the picture where it has not, so the tabs, their
// Apply buttons and the status bar always stay on the screen. The offscreen
// platform is given the screen size of a small laptop (or the one named by
// GLIMMERIX_TEST_SCREEN, as WIDTHxHEIGHT) through its configuration file.

#include "editortest.h"
#include "testimages.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QSize testScreenSize()
{
    const QByteArray named = qgetenv("GLIMMERIX_TEST_SCREEN");
    const QList<QByteArray> sides = named.split('x');
    if (sides.size() == 2 && sides[0].toInt() > 0 && sides[1].toInt() > 0)
        return QSize(sides[0].toInt(), sides[1].toInt());
    return QSize(1366, 768);
}

// Where a widget lies in its window.
QRect inWindow(const QWidget *widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

} // namespace

class TestWindowFit : public EditorTest
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QRect available() const { return window->screen()->availableGeometry(); }

    QString picture(int width, int height)
    {
        const QString file = dir.filePath(QString("picture-%1x%2.png").arg(width).arg(height));
        if (!QFileInfo::exists(file) && !testimages::photoLikeImage(width, height, 1).save(file))
            qFatal("cannot write the fixture %s", qPrintable(file));
        return file;
    }

    // Lets the window settle after a change of its size.
    void settle() { QTest::qWait(50); }

    // The window lies inside the screen's available area, and the controls lie
    // inside the window: every tab title, the Apply buttons of the tab on top and
    // the status bar.
    void checkControlsOnScreen()
    {
        settle();
        QVERIFY2(available().contains(window->frameGeometry()),
                 qPrintable(QString("window %1x%2 at %3,%4 on a screen of %5x%6")
                                .arg(window->frameGeometry().width()).arg(window->frameGeometry().height())
                                .arg(window->frameGeometry().x()).arg(window->frameGeometry().y())
                                .arg(available().width()).arg(available().height())));
        const QRect inside = window->rect();
        QVERIFY(inside.contains(inWindow(window->statusBar())));
        QVERIFY(window->statusBar()->isVisible());
        QTabWidget *tabs = probe->tabWidget();
        QVERIFY(inside.contains(inWindow(tabs)));
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            for (QPushButton *apply : tabs->currentWidget()->findChildren<QPushButton *>()) {
                QVERIFY(apply->isVisible());
                QVERIFY(inside.contains(inWindow(apply)));
            }
        }
        tabs->setCurrentIndex(0);
    }

    bool everyTabTitleShows() const
    {
        const QTabBar *bar = probe->tabWidget()->tabBar();
        for (const QToolButton *arrow : bar->findChildren<QToolButton *>())
            if (arrow->isVisible())
                return false;
        for (int tab = 0; tab < bar->count(); ++tab)
            if (!bar->rect().contains(bar->tabRect(tab)))
                return false;
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCOMPARE(screen, testScreenSize());
    }

    void init()
    {
        startEditor(Window::Shown);
    }

    void cleanup()
    {
        finishEditor();
    }

    void startShowsEveryTabTitle()
    {
        settle();
        QVERIFY(everyTabTitleShows());
        checkControlsOnScreen();
    }

    // Pictures the window cannot show whole: the window stays on the screen and
    // the picture scrolls; the label still asks for the whole picture.
    void bigPictureScrolls_data()
    {
        QTest::addColumn<QSize>("file");
        QTest::addColumn<double>("zoom"); // resampling after opening, in percent
        QTest::addColumn<QSize>("picture");
        QTest::newRow("portrait photo") << QSize(4000, 6000) << 0.0 << QSize(760, 1140);
        QTest::newRow("square photo") << QSize(3000, 3000) << 0.0 << QSize(750, 750);
        QTest::newRow("tall narrow picture") << QSize(700, 2400) << 0.0 << QSize(700, 2400);
        QTest::newRow("small picture at 400 %") << QSize(600, 450) << 400.0 << QSize(2400, 1800);
    }
    void bigPictureScrolls()
    {
        QFETCH(QSize, file);
        QFETCH(double, zoom);
        QFETCH(QSize, picture);
        openDiscarding(this->picture(file.width(), file.height()));
        if (zoom > 0) {
            qobject_cast<QDoubleSpinBox *>(probe->spinBox("spinBoxG"))->setValue(zoom);
            probe->run("zoom2");
        }
        QCOMPARE(probe->curImage()->size(), picture);
        QCOMPARE(probe->labelIm()->minimumSize(), picture);
        checkControlsOnScreen();
        QVERIFY(everyTabTitleShows());
        const auto *area = window->findChild<QScrollArea *>();
        QVERIFY(area);
        const bool tooTall = picture.height() > area->viewport()->height();
        const bool tooWide = picture.width() > area->viewport()->width();
        QVERIFY(tooTall || tooWide);
        QCOMPARE(area->verticalScrollBar()->isVisible(), tooTall);
        QCOMPARE(area->horizontalScrollBar()->isVisible(), tooWide);
    }

    // A picture that fits is shown whole, without scroll bars; the window grows
    // for it and shrinks again when the picture does, down to its first size.
    void windowFollowsThePicture()
    {
        const QSize first = window->size();
        openDiscarding(picture(500, 400));
        settle();
        const auto *area = window->findChild<QScrollArea *>();
        QVERIFY(area->viewport()->width() >= 500);
        QVERIFY(area->viewport()->height() >= 400);
        QVERIFY(!area->verticalScrollBar()->isVisible());
        QVERIFY(!area->horizontalScrollBar()->isVisible());
        const QSize grown = window->size();
        QVERIFY(grown.height() > first.height());

        qobject_cast<QDoubleSpinBox *>(probe->spinBox("spinBoxG"))->setValue(50.0);
        probe->run("zoom2");
        settle();
        QVERIFY(window->height() < grown.height());
        QVERIFY(area->viewport()->height() >= 200);

        openDiscarding(picture(20, 10));
        settle();
        QCOMPARE(window->size(), first);
        checkControlsOnScreen();
    }

    // A size the user gives the window by hand is the least it shrinks to.
    void userSizeIsKept()
    {
        const QSize byHand = window->size() + QSize(40, 60);
        window->resize(byHand);
        settle();
        QCOMPARE(window->size(), byHand);
        openDiscarding(picture(600, 500));
        settle();
        QVERIFY(window->height() > byHand.height());
        openDiscarding(picture(20, 10));
        settle();
        QCOMPARE(window->size(), byHand);
    }
};

// The screen is set before the application starts: the offscreen platform reads
// it from a configuration file.
int main(int argc, char *argv[])
{
    QTemporaryDir configDir;
    const QSize screen = testScreenSize();
    const QString config = configDir.filePath("screen.json");
    QFile file(config);
    if (!configDir.isValid() || !file.open(QIODevice::WriteOnly))
        qFatal("cannot write the offscreen platform's configuration");
    file.write(QString(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1, "height": %2,
                           "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(screen.width()).arg(screen.height()).toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    TestWindowFit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowfit.moc"
