// The empty form widget shared by blankform and agebox, and the blankform program.

#include <QCoreApplication>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTest>

#include "recordingtranslator.h"
#include "ui_widget.h"
#include "widget.h"
#include "windowprobe.h"

class TestBlankForm : public QObject
{
    Q_OBJECT

private slots:
    void metaObjectAddsNothingOfItsOwn();
    void parentIsPassedOn();
    void formOpensAnEmpty400x300WindowTitledWidget();
    void formKeepsAnExistingObjectName_data();
    void formKeepsAnExistingObjectName();
    void titleIsTranslatedInContextWidget();
    void programEndsWithZeroWhenItsWindowIsClosed();
};

void TestBlankForm::metaObjectAddsNothingOfItsOwn()
{
    Widget widget;
    const QMetaObject *meta = widget.metaObject();
    QCOMPARE(meta, &Widget::staticMetaObject);
    QCOMPARE(meta->className(), "Widget");
    QCOMPARE(meta->superClass(), &QWidget::staticMetaObject);
    QCOMPARE(meta->methodOffset(), meta->methodCount());
    QCOMPARE(meta->propertyOffset(), meta->propertyCount());
    QCOMPARE(meta->enumeratorOffset(), meta->enumeratorCount());
    QCOMPARE(meta->classInfoOffset(), meta->classInfoCount());
    QCOMPARE(meta->constructorCount(), 0);

    QCOMPARE(widget.qt_metacast("Widget"), static_cast<void *>(&widget));
    QCOMPARE(widget.qt_metacast("QWidget"), static_cast<void *>(static_cast<QWidget *>(&widget)));
    QCOMPARE(widget.qt_metacast("QObject"), static_cast<void *>(static_cast<QObject *>(&widget)));
    QVERIFY(widget.qt_metacast(nullptr) == nullptr);
    QVERIFY(widget.qt_metacast("MainWindow") == nullptr);
}

void TestBlankForm::parentIsPassedOn()
{
    QWidget parent;
    auto *widget = new Widget(&parent);
    QCOMPARE(widget->parentWidget(), &parent);
    // Default window flags: with a parent it is a child widget, not a window of its own.
    QVERIFY(!widget->isWindow());
    QCOMPARE(widget->windowType(), Qt::Widget);
    QCOMPARE(widget->size(), QSize(400, 300));
}

void TestBlankForm::formOpensAnEmpty400x300WindowTitledWidget()
{
    Widget widget;
    QCOMPARE(widget.objectName(), QStringLiteral("Widget"));
    QCOMPARE(widget.size(), QSize(400, 300));
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCOMPARE(widget.size(), QSize(400, 300));
    QCOMPARE(widget.windowTitle(), QStringLiteral("Widget"));
    // The form adds nothing to the widget.
    QVERIFY(widget.children().isEmpty());
    QVERIFY(widget.layout() == nullptr);
}

void TestBlankForm::formKeepsAnExistingObjectName_data()
{
    QTest::addColumn<QString>("nameBefore");
    QTest::addColumn<QString>("nameAfter");
    QTest::newRow("unnamed widget gets the form's name") << QString() << QStringLiteral("Widget");
    QTest::newRow("named widget keeps its name") << QStringLiteral("agePrompt") << QStringLiteral("agePrompt");
}

void TestBlankForm::formKeepsAnExistingObjectName()
{
    QFETCH(QString, nameBefore);
    QFETCH(QString, nameAfter);
    QWidget host;
    host.setObjectName(nameBefore);
    Ui::Widget form;
    form.setupUi(&host);
    QCOMPARE(host.objectName(), nameAfter);
    // The rest of the form is applied all the same.
    QCOMPARE(host.size(), QSize(400, 300));
    QCOMPARE(host.windowTitle(), QStringLiteral("Widget"));
    QVERIFY(host.children().isEmpty());
}

void TestBlankForm::titleIsTranslatedInContextWidget()
{
    RecordingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    {
        Widget widget;
        QCOMPARE(widget.windowTitle(), QStringLiteral("Widget|Widget|(none)"));
    }
    QVERIFY(QCoreApplication::removeTranslator(&translator));

    QWidget host;
    Ui::Widget form;
    form.setupUi(&host);
    host.setWindowTitle(QStringLiteral("something else"));
    form.retranslateUi(&host);
    QCOMPARE(host.windowTitle(), QStringLiteral("Widget"));
}

void TestBlankForm::programEndsWithZeroWhenItsWindowIsClosed()
{
    QTemporaryDir workingDirectory;
    QVERIFY(workingDirectory.isValid());
    const windowprobe::Run run =
        windowprobe::runAndClose(QStringLiteral(BLANKFORM_PROGRAM), workingDirectory.path());
    QVERIFY2(run.finished, qPrintable(run.errorOutput));
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.windows.size(), 1);
    const windowprobe::Window &window = run.windows.first();
    QCOMPARE(window.value(QStringLiteral("class")), QStringLiteral("Widget"));
    QCOMPARE(window.value(QStringLiteral("super")), QStringLiteral("QWidget"));
    QCOMPARE(window.value(QStringLiteral("name")), QStringLiteral("Widget"));
    QCOMPARE(window.value(QStringLiteral("title")), QStringLiteral("Widget"));
    QCOMPARE(window.value(QStringLiteral("size")), QStringLiteral("400x300"));
    QCOMPARE(window.value(QStringLiteral("parts")), QString());
}

QTEST_MAIN(TestBlankForm)
#include "tst_blankform.moc"
