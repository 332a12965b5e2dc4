#ifndef GLIMMERIX_TESTS_EDITORTEST_H
#define GLIMMERIX_TESTS_EDITORTEST_H

// The base of the tests that drive the editor's window: each test function gets a
// window of its own, a probe of its state and a driver that answers its dialogs.
// At the end every dialog must have been expected and answered, none shown under
// the wait cursor, and the wait cursor must be gone.

#include "mainwindowprobe.h"
#include "modaldriver.h"

#include <QApplication>
#include <QObject>
#include <QTest>

class EditorTest : public QObject
{
protected:
    enum class Window { Hidden, Shown };

    MainWindow *window = nullptr;
    MainWindowProbe *probe = nullptr;
    ModalDriver *driver = nullptr;

    // For init().
    void startEditor(Window shown = Window::Hidden)
    {
        window = new MainWindow;
        window->setWindowTitle("Glimmerix");
        probe = new MainWindowProbe(*window);
        driver = new ModalDriver(window->statusBar());
        if (shown == Window::Shown) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }
    }

    // Opens a file through the File menu's command, discarding unsaved changes.
    void openDiscarding(const QString &file)
    {
        if (probe->isModified())
            driver->press(QMessageBox::Discard);
        driver->chooseFile(file);
        probe->run("openIm");
        QCOMPARE(probe->curFile(), file);
    }

    // For cleanup().
    void finishEditor()
    {
        const int unexpected = driver->unexpected;
        const int pending = driver->pendingAnswers();
        QStringList underWaitCursor;
        for (const SeenDialog &dialog : driver->seen)
            if (dialog.waitCursorWhileUp)
                underWaitCursor << dialog.text;
        const bool waitCursorLeft = QApplication::overrideCursor() != nullptr;
        delete driver;
        delete probe;
        delete window;
        driver = nullptr;
        probe = nullptr;
        window = nullptr;
        QCOMPARE(unexpected, 0);
        QCOMPARE(pending, 0);
        QVERIFY2(underWaitCursor.isEmpty(), qPrintable(underWaitCursor.join(", ")));
        QVERIFY(!waitCursorLeft);
    }
};

#endif
