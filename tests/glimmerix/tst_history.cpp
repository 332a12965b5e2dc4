// Undo and redo through the real window: the Edit menu's two entries, each effect
// command one named step, every state given back bit for bit with its zoom and
// rotation totals, the modified flag following the saved state, a new history at
// every Open, and the memory the history may keep.

#include "editortest.h"
#include "testimages.h"

#include "effecthistory.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

namespace {

// Everything an undo must give back, as the window holds it.
struct Snapshot
{
    QImage picture;
    QImage shown;
    QSize labelMinimum;
    double koefp = 0;
    double koefg = 0;
};

} // namespace

class TestHistory : public EditorTest
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString picture(const QString &name, int width, int height, quint32 seed)
    {
        const QString file = dir.filePath(name);
        if (!testimages::photoLikeImage(width, height, seed).save(file))
            qFatal("cannot write the fixture %s", qPrintable(file));
        return file;
    }

    QUndoStack *history() const { return window->findChild<QUndoStack *>(); }

    QAction *editAction(int position) const
    {
        const QList<QAction *> menus = window->menuBar()->actions();
        return menus[1]->menu()->actions().value(position);
    }
    QAction *undoAction() const { return editAction(0); }
    QAction *redoAction() const { return editAction(1); }

    void setBox(const char *name, double value)
    {
        QAbstractSpinBox *box = probe->spinBox(name);
        if (auto *doubleBox = qobject_cast<QDoubleSpinBox *>(box))
            doubleBox->setValue(value);
        else
            qobject_cast<QSpinBox *>(box)->setValue(int(value));
    }

    Snapshot snapshot() const
    {
        return {*probe->curImage(), probe->labelIm()->pixmap().toImage(),
                probe->labelIm()->minimumSize(), probe->koefp(), probe->koefg()};
    }

    void compareWith(const Snapshot &expected)
    {
        const Snapshot now = snapshot();
        QCOMPARE(now.picture.format(), expected.picture.format());
        COMPARE_IMAGES(now.picture, expected.picture);
        QCOMPARE(testimages::wordsOf(now.picture), testimages::wordsOf(expected.picture));
        COMPARE_IMAGES(now.shown, expected.shown);
        QCOMPARE(now.labelMinimum, expected.labelMinimum);
        QCOMPARE(now.koefp, expected.koefp);
        QCOMPARE(now.koefg, expected.koefg);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void init()
    {
        startEditor();
    }

    void cleanup()
    {
        finishEditor();
    }

    // "&Edit" sits between "&File" and "&Effects" with Undo and Redo, the
    // platform's shortcuts, both disabled while there is nothing to do.
    void editMenu()
    {
        const QList<QAction *> menus = window->menuBar()->actions();
        QCOMPARE(menus[0]->text(), QString("&File"));
        QCOMPARE(menus[1]->text(), QString("&Edit"));
        QCOMPARE(menus[2]->text(), QString("&Effects"));
        QCOMPARE(menus[1]->menu()->actions().size(), 2);
        QCOMPARE(undoAction()->shortcuts(), QKeySequence::keyBindings(QKeySequence::Undo));
        QCOMPARE(redoAction()->shortcuts(), QKeySequence::keyBindings(QKeySequence::Redo));
        QVERIFY(!undoAction()->isEnabled());
        QVERIFY(!redoAction()->isEnabled());

        openDiscarding(picture("menu.png", 20, 16, 1));
        QVERIFY(!undoAction()->isEnabled());
        probe->button("butF1")->click();
        QVERIFY(undoAction()->isEnabled());
        QCOMPARE(undoAction()->text(), QString("&Undo Gauss"));
        QVERIFY(!redoAction()->isEnabled());
        undoAction()->trigger();
        QVERIFY(!undoAction()->isEnabled());
        QCOMPARE(redoAction()->text(), QString("&Redo Gauss"));
    }

    // A chain of every effect, undone and redone step by step: each state comes
    // back bit for bit, with its display, label size and totals, and each step
    // carries its command's name. The parameters stay as the user set them.
    void chainUndoneAndRedone()
    {
        openDiscarding(picture("chain.png", 48, 36, 2));
        setBox("spinBoxW1", 10.0);
        setBox("spinBoxW2", 3.0);
        setBox("spinBoxH", 1.5);
        setBox("spinBoxM", 5);
        const QList<QPair<QString, std::function<void()>>> steps = {
            {"Gauss", [&] { probe->button("butF1")->click(); }},
            {"Median", [&] { probe->button("butM")->click(); }},
            {"Rotation", [&] { setBox("spinBoxG1", 30.0); probe->button("butG1")->click(); }},
            {"Zoom", [&] { setBox("spinBoxG2", 150.0); probe->button("butG2")->click(); }},
            {"Resample", [&] { setBox("spinBoxG", 50.0); probe->button("butG")->click(); }},
            {"Harshness", [&] { probe->button("butH")->click(); }},
            {"Waves", [&] { probe->button("butW")->click(); }},
            {"Linear", [&] { probe->run("linear"); }},
            {"Channel", [&] { probe->run("inchannel"); }},
            {"Gray World", [&] { probe->run("grayworld"); }},
        };
        QList<Snapshot> states = {snapshot()};
        for (const auto &step : steps) {
            step.second();
            QCOMPARE(undoAction()->text(), "&Undo " + step.first);
            states.append(snapshot());
        }
        QCOMPARE(history()->count(), steps.size());
        const double zooBefore = probe->zoo();
        const double gauBefore = probe->gau();

        for (int i = steps.size() - 1; i >= 0; --i) {
            QCOMPARE(undoAction()->text(), "&Undo " + steps[i].first);
            undoAction()->trigger();
            compareWith(states[i]);
            QCOMPARE(redoAction()->text(), "&Redo " + steps[i].first);
        }
        QVERIFY(!undoAction()->isEnabled());
        for (int i = 0; i < steps.size(); ++i) {
            redoAction()->trigger();
            compareWith(states[i + 1]);
        }
        QVERIFY(!redoAction()->isEnabled());
        QCOMPARE(probe->zoo(), zooBefore);
        QCOMPARE(probe->gau(), gauBefore);
        QCOMPARE(qobject_cast<QDoubleSpinBox *>(probe->spinBox("spinBoxG1"))->value(), 30.0);
    }

    // Zoom and rotation go on from the totals given back: the same command after
    // an undo gives exactly the picture it gave the first time.
    void totalsGoOnFromUndoneState_data()
    {
        QTest::addColumn<QByteArray>("box");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::newRow("zoom") << QByteArray("spinBoxG2") << QByteArray("butG2") << 200.0 << 300.0;
        QTest::newRow("rotation") << QByteArray("spinBoxG1") << QByteArray("butG1") << 30.0 << 45.0;
    }
    void totalsGoOnFromUndoneState()
    {
        QFETCH(QByteArray, box);
        QFETCH(QByteArray, button);
        QFETCH(double, first);
        QFETCH(double, second);
        openDiscarding(picture("totals.png", 40, 30, 3));
        setBox(box.constData(), first);
        probe->button(button)->click();
        const Snapshot afterFirst = snapshot();
        setBox(box.constData(), second);
        probe->button(button)->click();
        const Snapshot afterSecond = snapshot();
        undoAction()->trigger();
        compareWith(afterFirst);
        probe->button(button)->click();
        compareWith(afterSecond);
        QCOMPARE(history()->count(), 2);
    }

    // A refused command adds no step; a new step after undoing drops the steps
    // that could have been redone.
    void refusedCommandsAndNewSteps()
    {
        openDiscarding(picture("refused.png", 30, 20, 4));
        driver->press(); // wave length 0
        probe->button("butW")->click();
        setBox("spinBoxG", 1.0);
        driver->press(); // 1 % of 30 x 20 is nothing
        probe->button("butG")->click();
        QCOMPARE(history()->count(), 0);
        QVERIFY(!probe->isModified());

        probe->button("butF1")->click();
        probe->button("butM")->click();
        undoAction()->trigger();
        QVERIFY(redoAction()->isEnabled());
        probe->run("linear");
        QCOMPARE(history()->count(), 2);
        QVERIFY(!redoAction()->isEnabled());
        QCOMPARE(undoAction()->text(), QString("&Undo Linear"));
        undoAction()->trigger();
        QCOMPARE(undoAction()->text(), QString("&Undo Gauss"));
    }

    // The document is modified exactly when the history stands elsewhere than
    // at the state last saved; at that state Exit asks nothing.
    void modifiedFollowsSavedState()
    {
        const QString file = picture("saved.png", 24, 18, 5);
        openDiscarding(file);
        QVERIFY(!probe->isModified());
        probe->run("grayworld");
        QVERIFY(probe->isModified());
        undoAction()->trigger();
        QVERIFY(!probe->isModified()); // back at the state opened
        redoAction()->trigger();
        QVERIFY(probe->runForResult("saveIm"));
        QVERIFY(!probe->isModified());
        probe->run("linear");
        QVERIFY(probe->isModified());
        undoAction()->trigger();
        QVERIFY(!probe->isModified());
        undoAction()->trigger();
        QVERIFY(probe->isModified()); // before the state saved
        redoAction()->trigger();
        QVERIFY(!probe->isModified());

        window->show();
        driver->press(); // the farewell only: no question
        probe->run("exit");
        QCOMPARE(driver->lastSeen().title, QString("Exit"));
        QVERIFY(!window->isVisible());
    }

    // A photo reduced on opening has no saved state until it is saved.
    void reducedPhotoHasNoSavedState()
    {
        openDiscarding(picture("wide.png", 1536, 100, 6));
        QVERIFY(probe->isModified());
        QCOMPARE(history()->count(), 0); // the reduction is part of the opening
        probe->run("grayworld");
        undoAction()->trigger();
        QVERIFY(probe->isModified());
        QCOMPARE(probe->curImage()->size(), QSize(768, 50));
    }

    // Open starts a new, empty history; an Open that fails or is cancelled keeps it.
    void openStartsNewHistory()
    {
        openDiscarding(picture("first.png", 20, 20, 7));
        probe->run("grayworld");
        probe->run("linear");
        QFile text(dir.filePath("text.png"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
        text.close();
        driver->press(QMessageBox::Discard).chooseFile(dir.filePath("text.png")).press().cancelFile();
        probe->run("openIm");
        QCOMPARE(history()->count(), 2);
        driver->press(QMessageBox::Discard).cancelFile();
        probe->run("openIm");
        QCOMPARE(history()->count(), 2);
        QVERIFY(undoAction()->isEnabled());

        openDiscarding(picture("second.png", 16, 16, 8));
        QCOMPARE(history()->count(), 0);
        QVERIFY(!undoAction()->isEnabled());
        QVERIFY(!redoAction()->isEnabled());
        QVERIFY(!probe->isModified());
    }

    // The history keeps its pictures up to 512 MiB together, dropping the oldest
    // steps; the newest is always kept, even for the largest picture there is.
    void memoryBound_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<int>("kept");
        // 512 x 512 resampled to 8192 x 8192 (256 MiB) and to 16384 x 16384 (1 GiB).
        QTest::newRow("256 MiB pictures") << 1600.0 << 2;
        QTest::newRow("1 GiB pictures") << 3200.0 << 1;
    }
    void memoryBound()
    {
        QFETCH(double, percent);
        QFETCH(int, kept);
        openDiscarding(picture("big.png", 512, 512, 9));
        setBox("spinBoxG", percent);
        probe->button("butG")->click();
        QCOMPARE(probe->curImage()->width(), 512 * int(percent) / 100);
        QImage afterFirstStretch;
        for (int i = 0; i < 3; ++i) {
            probe->run(i % 2 ? "linear" : "inchannel");
            if (i == 0)
                afterFirstStretch = *probe->curImage();
        }
        QCOMPARE(history()->count(), kept);
        qint64 keptBytes = 0;
        for (int i = 0; i < history()->count(); ++i)
            keptBytes += static_cast<const EffectStep *>(history()->command(i))->keptBytes();
        QVERIFY(kept == 1 || keptBytes <= historyPictureLimit);
        for (int i = 0; i < kept; ++i)
            undoAction()->trigger();
        QVERIFY(!undoAction()->isEnabled());
        if (kept == 2)
            QVERIFY(*probe->curImage() == afterFirstStretch);
        QVERIFY(probe->isModified());
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
