// The document and the file commands, driven through the toolkit's real file
// dialogs and message boxes: Open (with its retry loop and the automatic
// resampling of wide images), Save, Save As, Exit, the question about unsaved
// changes, closing through the frame, and the guard of every effect.

#include "mainwindowprobe.h"
#include "modaldriver.h"
#include "testimages.h"

#include "resample.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The names in a folder that are neither "." nor "..", sorted.
QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QImage loadedAsTheEditorDoes(const QString &path)
{
    QPixmap pixmap;
    pixmap.load(path);
    return pixmap.toImage();
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    MainWindow *window = nullptr;
    MainWindowProbe *probe = nullptr;
    ModalDriver *driver = nullptr;

    QString path(const QString &name) const { return dir.filePath(name); }

    QString writeImage(const QString &name, const QImage &image)
    {
        const QString file = path(name);
        if (!image.save(file))
            qFatal("cannot write the fixture %s", qPrintable(file));
        return file;
    }

    // Opens a file through the File menu's command; the driver answers the dialog.
    void open(const QString &file)
    {
        driver->chooseFile(file);
        probe->run("openIm");
    }

    // Gives the open document a change that is not saved.
    void modify()
    {
        probe->run("grayworld");
        QVERIFY(probe->isModified());
    }

    QImage workingImage() const { return probe->curImage() ? *probe->curImage() : QImage(); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        writeImage("small.png", testimages::photoLikeImage(40, 30, 1));
        writeImage("other.png", testimages::photoLikeImage(24, 18, 2));
        QFile text(path("text.png"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a picture\n");
    }

    void init()
    {
        window = new MainWindow;
        window->setWindowTitle("Glimmerix");
        probe = new MainWindowProbe(*window);
        driver = new ModalDriver(window->statusBar());
    }

    void cleanup()
    {
        QCOMPARE(driver->unexpected, 0);
        QCOMPARE(driver->pendingAnswers(), 0);
        for (const SeenDialog &dialog : driver->seen)
            QVERIFY2(!dialog.waitCursorWhileUp, qPrintable(dialog.text));
        QVERIFY(!QApplication::overrideCursor());
        delete driver;
        delete probe;
        delete window;
    }

    void openShowsTheImage()
    {
        const QString file = path("small.png");
        open(file);
        QVERIFY(probe->isOpened());
        QVERIFY(!probe->isModified());
        QCOMPARE(probe->curFile(), file);
        QCOMPARE(probe->status(), QString("Image was Opened"));
        COMPARE_IMAGES(workingImage(), loadedAsTheEditorDoes(file));
        QCOMPARE(probe->labelIm()->pixmap().size(), QSize(40, 30));
        QCOMPARE(probe->labelIm()->minimumSize(), QSize(40, 30));
        QCOMPARE(probe->koefp(), 100.0);
        QCOMPARE(probe->koefg(), 0.0);
        QCOMPARE(driver->seen.size(), 1);
        QCOMPARE(driver->seen[0].kind, QString("file"));
    }

    void openCancelledChangesNothing()
    {
        driver->cancelFile();
        probe->run("openIm");
        QVERIFY(!probe->isOpened());
        QCOMPARE(probe->status(), QString("Ready"));
    }

    // A file that does not load: status, box, the dialog again; cancelling that
    // dialog ends Open with the previous document exactly as it was.
    void badFileThenCancelKeepsDocument()
    {
        const QString good = path("small.png");
        open(good);
        modify();
        const QImage before = workingImage();

        driver->seen.clear();
        driver->press(QMessageBox::Discard).chooseFile(path("text.png")).press().cancelFile();
        probe->run("openIm");

        QCOMPARE(driver->seen.size(), 4);
        const SeenDialog &box = driver->seen[2];
        QCOMPARE(box.kind, QString("box"));
        QCOMPARE(box.text, QString("Damn! File is incorrect!"));
        QVERIFY(box.informativeText.isEmpty());
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QCOMPARE(box.statusWhileUp, QString("Image wasn't Opened!"));
        QCOMPARE(driver->seen[3].kind, QString("file"));

        QVERIFY(probe->isOpened());
        QVERIFY(probe->isModified());
        QCOMPARE(probe->curFile(), good);
        COMPARE_IMAGES(workingImage(), before);
        COMPARE_IMAGES(probe->image()->toImage(), before);
    }

    void badFileThenGoodFile()
    {
        driver->chooseFile(path("text.png")).press().chooseFile(path("other.png"));
        probe->run("openIm");
        QCOMPARE(probe->curFile(), path("other.png"));
        QCOMPARE(workingImage().size(), QSize(24, 18));
        QCOMPARE(probe->status(), QString("Image was Opened"));
    }

    void openReplacesDocument()
    {
        open(path("small.png"));
        open(path("other.png"));
        QCOMPARE(probe->curFile(), path("other.png"));
        QCOMPARE(probe->labelIm()->minimumSize(), QSize(24, 18));
        COMPARE_IMAGES(workingImage(), loadedAsTheEditorDoes(path("other.png")));
    }

    // Images wider than 768 pixels are resampled to fit; 768 itself is left alone.
    void wideImagesShrinkOnOpen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("zoo");
        QTest::addColumn<QSize>("opened");
        QTest::newRow("768 stays") << QSize(768, 20) << 100.0 << QSize(768, 20);
        QTest::newRow("769 at 99%") << QSize(769, 20) << 76800.0 / 769 << QSize(761, 19);
        QTest::newRow("1000 at 76%") << QSize(1000, 50) << 76.8 << QSize(760, 38);
        QTest::newRow("1536 at 50%") << QSize(1536, 40) << 50.0 << QSize(768, 20);
    }
    void wideImagesShrinkOnOpen()
    {
        QFETCH(QSize, size);
        QFETCH(double, zoo);
        QFETCH(QSize, opened);
        const QString file = writeImage("wide.png", testimages::photoLikeImage(size.width(), size.height(), 3));
        open(file);
        const bool resampled = size != opened;
        QCOMPARE(workingImage().size(), opened);
        QCOMPARE(probe->labelIm()->minimumSize(), opened);
        QCOMPARE(probe->isModified(), resampled);
        QCOMPARE(probe->zoo(), zoo);
        QCOMPARE(probe->koefp(), 100.0);
        QCOMPARE(probe->status(), QString("Image was Opened"));
        QCOMPARE(qobject_cast<QDoubleSpinBox *>(probe->spinBox("spinBoxG2"))->text(), QString("100.00%"));
        if (resampled)
            COMPARE_IMAGES(workingImage(), effects::resample(loadedAsTheEditorDoes(file), int(zoo)));
    }

    // An image so wide that the percentage comes out 0 cannot be resampled: it
    // stays as loaded, and the document stays clean.
    void tooWideToShrinkStaysAsLoaded()
    {
        const QString file = writeImage("verywide.png", testimages::photoLikeImage(76801, 2, 4));
        driver->chooseFile(file).press();
        probe->run("openIm");
        QCOMPARE(driver->seen.size(), 2);
        QCOMPARE(driver->seen[1].text, QString("Damn! Image is too big or too small to Zoom!"));
        QCOMPARE(workingImage().size(), QSize(76801, 2));
        // The window makes room for at most 16384 pixels of it, not 76801.
        QCOMPARE(probe->labelIm()->minimumSize(), QSize(16384, 2));
        QVERIFY(probe->labelIm()->window()->minimumSizeHint().width() < 16384 + 100);
        QVERIFY(!probe->isModified());
        QCOMPARE(probe->status(), QString("Image was Opened"));
    }

    // The reader accepts images of up to 1 GiB decoded; a 48-megapixel photo opens.
    void bigPhotoOpens()
    {
        QCOMPARE(QImageReader::allocationLimit(), 1024);
        QImage big(8000, 6000, QImage::Format_RGB32);
        big.fill(qRgb(10, 120, 200));
        const QString file = writeImage("big.png", big);
        big = QImage();
        open(file);
        QVERIFY(probe->isOpened());
        QCOMPARE(workingImage().size(), QSize(720, 540));
        QCOMPARE(workingImage().pixel(719, 539), qRgb(10, 120, 200));
        QFile::remove(file);
    }

    void saveWithoutImage_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("status");
        QTest::newRow("save") << QByteArray("saveIm") << "Image wasn't Saved";
        QTest::newRow("save as") << QByteArray("saveImAs") << "Image wasn't Saved Ass";
    }
    void saveWithoutImage()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, status);
        driver->press();
        QVERIFY(!probe->runForResult(command.constData()));
        QCOMPARE(driver->seen.size(), 1);
        QCOMPARE(driver->seen[0].text, QString("Damn! You forgot to open Image!!!"));
        QCOMPARE(probe->status(), status);
    }

    void saveWritesTheOpenedFile()
    {
        const QString file = writeImage("edited.png", testimages::photoLikeImage(30, 20, 5));
        open(file);
        modify();
        QVERIFY(probe->runForResult("saveIm"));
        QCOMPARE(probe->status(), QString("Image was Saved"));
        QVERIFY(!probe->isModified());
        COMPARE_IMAGES(QImage(file), workingImage());
        QCOMPARE(folderEntries(dir.path()).filter("edited"), QStringList{"edited.png"});
    }

    // Save As writes the new name but keeps the opened one as the target of Save.
    void saveAsThenSave()
    {
        const QString file = writeImage("first.png", testimages::photoLikeImage(30, 20, 6));
        const QString copy = path("copy.bmp");
        open(file);
        modify();
        driver->chooseFile(copy);
        QVERIFY(probe->runForResult("saveImAs"));
        QCOMPARE(probe->status(), QString("Image was Saved Ass"));
        QVERIFY(!probe->isModified());
        QCOMPARE(probe->curFile(), file);
        COMPARE_IMAGES(QImage(copy), workingImage());
        QCOMPARE(QImageReader(copy).format(), QByteArray("bmp"));

        const QByteArray copyBefore = fileHash(copy);
        probe->run("linear");
        QVERIFY(probe->runForResult("saveIm"));
        COMPARE_IMAGES(QImage(file), workingImage());
        QCOMPARE(fileHash(copy), copyBefore);
    }

    void saveAsCancelled()
    {
        open(path("small.png"));
        modify();
        driver->cancelFile();
        QVERIFY(!probe->runForResult("saveImAs"));
        QVERIFY(probe->isModified());
        QCOMPARE(probe->status(), QString("Image was Gray Worlded"));
    }

    // A write that fails is told, leaves any old file as it was and no temporary
    // file behind, and keeps the document modified.
    void failedSaveAs_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("suffix without a writer") << "picture.gif";
        QTest::newRow("no suffix") << "picture";
        QTest::newRow("unknown suffix, file exists") << "existing.xyz";
    }
    void failedSaveAs()
    {
        QFETCH(QString, target);
        QTemporaryDir saveDir;
        const QString file = saveDir.filePath(target);
        const bool exists = target.startsWith("existing");
        if (exists) {
            QFile existing(file);
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("old contents");
        }
        const QStringList entriesBefore = folderEntries(saveDir.path());
        const QByteArray hashBefore = fileHash(file);

        open(path("small.png"));
        modify();
        driver->seen.clear();
        driver->chooseFile(file);
        if (exists)
            driver->press(QMessageBox::Yes); // the file dialog's own "replace it?"
        driver->press();
        QVERIFY(!probe->runForResult("saveImAs"));

        QCOMPARE(driver->seen.size(), exists ? 3 : 2);
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image wasn't Saved!"));
        QCOMPARE(driver->lastSeen().informativeText, QString("Unsupported image format"));
        QCOMPARE(probe->status(), QString("Image wasn't Saved Ass"));
        QVERIFY(probe->isModified());
        QCOMPARE(folderEntries(saveDir.path()), entriesBefore);
        QCOMPARE(fileHash(file), hashBefore);
    }

    // The opened file's folder has gone: Save cannot write there.
    void failedSave()
    {
        QTemporaryDir openDir;
        const QString file = openDir.filePath("opened.png");
        QVERIFY(testimages::photoLikeImage(20, 10, 7).save(file));
        open(file);
        modify();
        QVERIFY(openDir.remove());
        driver->press();
        QVERIFY(!probe->runForResult("saveIm"));
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image wasn't Saved!"));
        QVERIFY(!driver->lastSeen().informativeText.isEmpty());
        QCOMPARE(probe->status(), QString("Image wasn't Saved"));
        QVERIFY(probe->isModified());
    }

    void failedSaveIntoReadOnlyFolder()
    {
        QTemporaryDir saveDir;
        QFile::setPermissions(saveDir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile probeFile(saveDir.filePath("probe"));
        if (probeFile.open(QIODevice::WriteOnly)) {
            probeFile.remove();
            QFile::setPermissions(saveDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner);
            QSKIP("this user can write into read-only folders (running as root)");
        }
        open(path("small.png"));
        modify();
        driver->chooseFile(saveDir.filePath("picture.png")).press();
        QVERIFY(!probe->runForResult("saveImAs"));
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image wasn't Saved!"));
        QVERIFY(probe->isModified());
        QFile::setPermissions(saveDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                  | QFileDevice::ExeOwner);
        QVERIFY(folderEntries(saveDir.path()).isEmpty());
    }

    // The question about unsaved changes, asked by Open. Its answer decides
    // whether Open goes on to its file dialog (which is cancelled here).
    void questionAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAsName"); // for Save All: empty cancels the dialog
        QTest::addColumn<bool>("openGoesOn");
        QTest::addColumn<bool>("modifiedAfter");
        QTest::addColumn<bool>("openedFileWritten");

        QTest::newRow("save") << int(QMessageBox::Save) << "" << true << false << true;
        QTest::newRow("save all, saved") << int(QMessageBox::SaveAll) << "saved-as.png" << true << false << false;
        QTest::newRow("save all, cancelled") << int(QMessageBox::SaveAll) << "" << false << true << false;
        QTest::newRow("discard") << int(QMessageBox::Discard) << "" << true << true << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << "" << false << true << false;
        QTest::newRow("escape") << -1 << "" << false << true << false;
    }
    void questionAnswers()
    {
        QFETCH(int, answer);
        QFETCH(QString, saveAsName);
        QFETCH(bool, openGoesOn);
        QFETCH(bool, modifiedAfter);
        QFETCH(bool, openedFileWritten);

        const QString file = writeImage("asked.png", testimages::photoLikeImage(30, 20, 8));
        const QByteArray hashBefore = fileHash(file);
        open(file);
        modify();
        const QImage edited = workingImage();

        if (answer < 0)
            driver->escape();
        else
            driver->press(QMessageBox::StandardButton(answer));
        if (answer == QMessageBox::SaveAll) {
            if (saveAsName.isEmpty())
                driver->cancelFile();
            else
                driver->chooseFile(path(saveAsName));
        }
        if (openGoesOn)
            driver->cancelFile();
        const int dialogsBefore = driver->seen.size();
        probe->run("openIm");

        const SeenDialog &question = driver->seen[dialogsBefore];
        QCOMPARE(question.text, QString("The document has been modified."));
        QCOMPARE(question.informativeText, QString("Do you want to save your changes?"));
        QList<QMessageBox::StandardButton> buttons = question.buttons;
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(buttons, (QList<QMessageBox::StandardButton>{ // in the order of their values
                              QMessageBox::Save, QMessageBox::SaveAll,
                              QMessageBox::Cancel, QMessageBox::Discard}));
        QCOMPARE(question.defaultButton, QMessageBox::Save);

        const int fileDialogs = driver->seen.size() - dialogsBefore - 1;
        QCOMPARE(fileDialogs, int(openGoesOn) + int(answer == QMessageBox::SaveAll));
        QCOMPARE(probe->isModified(), modifiedAfter);
        QCOMPARE(fileHash(file) != hashBefore, openedFileWritten);
        if (openedFileWritten)
            COMPARE_IMAGES(QImage(file), edited);
        if (!saveAsName.isEmpty()) {
            COMPARE_IMAGES(QImage(path(saveAsName)), edited);
            QFile::remove(path(saveAsName));
        }
        COMPARE_IMAGES(workingImage(), edited);
    }

    // Answering Save when the save fails keeps the work: the question answers
    // no, so Open shows no file dialog and the document stays modified.
    void questionWithFailedSave()
    {
        QTemporaryDir openDir;
        const QString file = openDir.filePath("opened.png");
        QVERIFY(testimages::photoLikeImage(20, 10, 9).save(file));
        open(file);
        modify();
        QVERIFY(openDir.remove());
        driver->press(QMessageBox::Save).press();
        probe->run("openIm");
        QCOMPARE(driver->seen.size(), 3);
        QCOMPARE(driver->seen[2].text, QString("Damn! Image wasn't Saved!"));
        QVERIFY(probe->isModified());
        QCOMPARE(probe->curFile(), file);
    }

    void exitCommand_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("no changes") << false << int(QMessageBox::NoButton) << true;
        QTest::newRow("changes, discard") << true << int(QMessageBox::Discard) << true;
        QTest::newRow("changes, cancel") << true << int(QMessageBox::Cancel) << false;
    }
    void exitCommand()
    {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        window->show();
        open(path("small.png"));
        if (modified) {
            modify();
            driver->press(QMessageBox::StandardButton(answer));
        }
        if (ends)
            driver->press();
        const int before = driver->seen.size();
        probe->run("exit");

        QCOMPARE(driver->seen.size() - before, int(modified) + int(ends));
        if (ends) {
            const SeenDialog farewell = driver->lastSeen();
            QCOMPARE(farewell.title, QString("Exit"));
            QCOMPARE(farewell.text, QString("Thank you for using my Program)) Goodbye!!"));
            QCOMPARE(farewell.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        }
        QCOMPARE(window->isVisible(), !ends);
    }

    // Closing through the window frame asks about unsaved changes, never says
    // goodbye, and keeps the window when the answer is Cancel or the save fails.
    void closeThroughFrame_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no changes") << false << int(QMessageBox::NoButton) << true;
        QTest::newRow("discard") << true << int(QMessageBox::Discard) << true;
        QTest::newRow("cancel") << true << int(QMessageBox::Cancel) << false;
        QTest::newRow("save") << true << int(QMessageBox::Save) << true;
    }
    void closeThroughFrame()
    {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        const QString file = writeImage("closing.png", testimages::photoLikeImage(16, 16, 10));
        window->show();
        open(file);
        if (modified) {
            modify();
            driver->press(QMessageBox::StandardButton(answer));
        }
        const int before = driver->seen.size();
        QCOMPARE(window->close(), closes);
        QCOMPARE(driver->seen.size() - before, int(modified));
        QCOMPARE(window->isVisible(), !closes);
        if (answer == QMessageBox::Save)
            COMPARE_IMAGES(QImage(file), workingImage());
    }

    void closeWithFailedSaveStaysOpen()
    {
        QTemporaryDir openDir;
        const QString file = openDir.filePath("opened.png");
        QVERIFY(testimages::photoLikeImage(20, 10, 11).save(file));
        window->show();
        open(file);
        modify();
        QVERIFY(openDir.remove());
        driver->press(QMessageBox::Save).press();
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QVERIFY(probe->isModified());
    }

    // Closing the last window ends the event loop with exit code 0.
    void closingEndsEventLoopWithZero()
    {
        QApplication::setQuitOnLastWindowClosed(true);
        window->show();
        open(path("small.png"));
        modify();
        driver->press(QMessageBox::Discard);
        QTimer::singleShot(0, window, &QWidget::close);
        const int code = QApplication::exec();
        QApplication::setQuitOnLastWindowClosed(false);
        QCOMPARE(code, 0);
        QVERIFY(!window->isVisible());
    }

    // Every effect refuses before the first Open, with its box and then the
    // reproach in the status bar; nothing else changes.
    void effectGuards_data()
    {
        QTest::addColumn<QByteArray>("command");
        for (const char *command : {"zoom", "zoom2", "rotate", "gauss", "median", "grayworld",
                                    "harshnes", "waves", "linear", "inchannel"})
            QTest::newRow(command) << QByteArray(command);
    }
    void effectGuards()
    {
        QFETCH(QByteArray, command);
        driver->press();
        probe->run(command.constData());
        QCOMPARE(driver->seen.size(), 1);
        QCOMPARE(driver->seen[0].text, QString("Damn! You forgot to open an Image!!!"));
        QVERIFY(driver->seen[0].title.isEmpty() || driver->seen[0].title == QApplication::applicationDisplayName());
        QCOMPARE(driver->seen[0].statusWhileUp, QString("Ready"));
        QCOMPARE(probe->status(), QString("You are so Inaccuratly..."));
        QVERIFY(!probe->isModified());
        QVERIFY(!probe->isOpened());
        QVERIFY(!probe->curImage());
        QCOMPARE(probe->gau(), 1.0);
        QCOMPARE(probe->zoo(), 100.0);
        // Exit then asks no question.
        driver->press();
        probe->run("exit");
        QCOMPARE(driver->lastSeen().title, QString("Exit"));
    }
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
