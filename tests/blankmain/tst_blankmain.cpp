// The empty main window of blankmain: its class, its form, and the real program.

#include <QCoreApplication>
#include <QMenuBar>
#include <QMetaObject>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "mainwindow.h"
#include "recordingtranslator.h"
#include "ui_mainwindow.h"
#include "windowprobe.h"

namespace {

// Names and classes of a widget's direct children that carry a name, in child order.
QString namedChildWidgets(const QWidget &widget)
{
    QStringList parts;
    for (const QObject *child : widget.children()) {
        if (child->isWidgetType() && !child->objectName().isEmpty())
            parts << child->objectName() + QLatin1Char(':') + child->metaObject()->className();
    }
    return parts.join(QLatin1Char(','));
}

const char formParts[] =
    "menuBar:QMenuBar,mainToolBar:QToolBar,centralWidget:QWidget,statusBar:QStatusBar";

} // namespace

class TestBlankMain : public QObject
{
    Q_OBJECT

private slots:
    void metaObjectAddsNothingOfItsOwn();
    void parentIsPassedOn();
    void formBuildsTheFourParts();
    void partsAreEmpty();
    void windowOpensAt400x300TitledMainWindow();
    void formKeepsAnExistingObjectName_data();
    void formKeepsAnExistingObjectName();
    void titleIsTranslatedInContextMainWindow();
    void programEndsWithZeroWhenItsWindowIsClosed();
};

void TestBlankMain::metaObjectAddsNothingOfItsOwn()
{
    MainWindow window;
    const QMetaObject *meta = window.metaObject();
    QCOMPARE(meta, &MainWindow::staticMetaObject);
    QCOMPARE(meta->className(), "MainWindow");
    QCOMPARE(meta->superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta->methodOffset(), meta->methodCount());
    QCOMPARE(meta->propertyOffset(), meta->propertyCount());
    QCOMPARE(meta->enumeratorOffset(), meta->enumeratorCount());
    QCOMPARE(meta->classInfoOffset(), meta->classInfoCount());
    QCOMPARE(meta->constructorCount(), 0);
}

void TestBlankMain::parentIsPassedOn()
{
    QWidget parent;
    auto *window = new MainWindow(&parent);
    QCOMPARE(window->parentWidget(), &parent);
    // Default window flags: the same as those of a plain main window with that parent.
    QMainWindow plain(&parent);
    QCOMPARE(window->windowFlags(), plain.windowFlags());
    QCOMPARE(namedChildWidgets(*window), QString::fromLatin1(formParts));
}

void TestBlankMain::formBuildsTheFourParts()
{
    MainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(namedChildWidgets(window), QString::fromLatin1(formParts));

    // Each part is installed in its place in the main window.
    QCOMPARE(window.menuBar()->objectName(), QStringLiteral("menuBar"));
    QCOMPARE(window.centralWidget()->objectName(), QStringLiteral("centralWidget"));
    QCOMPARE(window.statusBar()->objectName(), QStringLiteral("statusBar"));
    const QList<QToolBar *> toolBars = window.findChildren<QToolBar *>();
    QCOMPARE(toolBars.size(), 1);
    QCOMPARE(toolBars.first()->objectName(), QStringLiteral("mainToolBar"));
    QCOMPARE(window.toolBarArea(toolBars.first()), Qt::TopToolBarArea);
    QCOMPARE(window.centralWidget()->windowType(), Qt::Widget);
}

void TestBlankMain::partsAreEmpty()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.menuBar()->actions().isEmpty());
    QVERIFY(window.findChild<QToolBar *>(QStringLiteral("mainToolBar"))->actions().isEmpty());
    QVERIFY(window.centralWidget()->children().isEmpty());
    QVERIFY(window.centralWidget()->layout() == nullptr);
    QCOMPARE(window.statusBar()->currentMessage(), QString());
}

void TestBlankMain::windowOpensAt400x300TitledMainWindow()
{
    MainWindow window;
    QCOMPARE(window.size(), QSize(400, 300));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(400, 300));
    QCOMPARE(window.windowTitle(), QStringLiteral("MainWindow"));
}

void TestBlankMain::formKeepsAnExistingObjectName_data()
{
    QTest::addColumn<QString>("nameBefore");
    QTest::addColumn<QString>("nameAfter");
    QTest::newRow("unnamed window gets the form's name") << QString() << QStringLiteral("MainWindow");
    QTest::newRow("named window keeps its name") << QStringLiteral("editorShell") << QStringLiteral("editorShell");
}

void TestBlankMain::formKeepsAnExistingObjectName()
{
    QFETCH(QString, nameBefore);
    QFETCH(QString, nameAfter);
    QMainWindow host;
    host.setObjectName(nameBefore);
    Ui::MainWindow form;
    form.setupUi(&host);
    QCOMPARE(host.objectName(), nameAfter);
    // The rest of the form is applied all the same.
    QCOMPARE(host.size(), QSize(400, 300));
    QCOMPARE(host.windowTitle(), QStringLiteral("MainWindow"));
    QCOMPARE(namedChildWidgets(host), QString::fromLatin1(formParts));
    QCOMPARE(form.menuBar, host.menuBar());
    QCOMPARE(form.centralWidget, host.centralWidget());
    QCOMPARE(form.statusBar, host.statusBar());
    QCOMPARE(form.mainToolBar->parentWidget(), &host);
}

void TestBlankMain::titleIsTranslatedInContextMainWindow()
{
    RecordingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("MainWindow|MainWindow|(none)"));
    }
    QVERIFY(QCoreApplication::removeTranslator(&translator));

    QMainWindow host;
    Ui::MainWindow form;
    form.setupUi(&host);
    host.setWindowTitle(QStringLiteral("something else"));
    form.retranslateUi(&host);
    QCOMPARE(host.windowTitle(), QStringLiteral("MainWindow"));
}

void TestBlankMain::programEndsWithZeroWhenItsWindowIsClosed()
{
    QTemporaryDir workingDirectory;
    QVERIFY(workingDirectory.isValid());
    const windowprobe::Run run =
        windowprobe::runAndClose(QStringLiteral(BLANKMAIN_PROGRAM), workingDirectory.path());
    QVERIFY2(run.finished, qPrintable(run.errorOutput));
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.windows.size(), 1);
    const windowprobe::Window &window = run.windows.first();
    QCOMPARE(window.value(QStringLiteral("class")), QStringLiteral("MainWindow"));
    QCOMPARE(window.value(QStringLiteral("super")), QStringLiteral("QMainWindow"));
    QCOMPARE(window.value(QStringLiteral("name")), QStringLiteral("MainWindow"));
    QCOMPARE(window.value(QStringLiteral("title")), QStringLiteral("MainWindow"));
    QCOMPARE(window.value(QStringLiteral("size")), QStringLiteral("400x300"));
    QCOMPARE(window.value(QStringLiteral("parts")), QString::fromLatin1(formParts));
}

QTEST_MAIN(TestBlankMain)
#include "tst_blankmain.moc"
