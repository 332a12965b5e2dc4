// The document and the file commands, driven through the toolkit's real file
// dialogs and message boxes: Open (with its retry loop and the automatic
// resampling of wide images), Save, Save As, Exit, the question about unsaved
// changes, closing through the frame, and the guard of every effect.

#include "editortest.h"
#include "photofixtures.h"
#include "testimages.h"

#include "resample.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCryptographicHash>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTransform>

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

// What the pixmap's own loader makes of a file: the editor loads every file
// without an orientation tag exactly so.
QImage loadedAsTheEditorDoes(const QString &path)
{
    QPixmap pixmap;
    pixmap.load(path);
    return pixmap.toImage();
}

// Why the image reader cannot read a file, in its own words.
QString readerError(const QString &path)
{
    QImageReader reader(path);
    reader.read();
    return reader.errorString();
}

// The picture as stored in the file, before any orientation tag is applied.
QImage storedPixels(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read();
}

// Turns stored pixels upright by an EXIF orientation value (1 to 8).
QImage upright(const QImage &stored, int orientation)
{
    QTransform turn;
    switch (orientation) {
    case 2: return stored.mirrored(true, false);
    case 3: return stored.transformed(turn.rotate(180));
    case 4: return stored.mirrored(false, true);
    case 5: return stored.transformed(turn.rotate(90)).mirrored(true, false);
    case 6: return stored.transformed(turn.rotate(90));
    case 7: return stored.transformed(turn.rotate(270)).mirrored(true, false);
    case 8: return stored.transformed(turn.rotate(270));
    default: return stored;
    }
}

} // namespace

class TestDocument : public EditorTest
{
    Q_OBJECT

private:
    QTemporaryDir dir;

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
        startEditor();
    }

    void cleanup()
    {
        finishEditor();
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
        QCOMPARE(box.informativeText, readerError(path("text.png")));
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

    // Save As moves the document to the name chosen: later Saves write there and
    // leave the opened file alone.
    void saveAsThenSave()
    {
        const QString file = writeImage("first.png", testimages::photoLikeImage(30, 20, 6));
        const QString copy = path("copy.bmp");
        const QByteArray originalBefore = fileHash(file);
        open(file);
        modify();
        driver->chooseFile(copy);
        QVERIFY(probe->runForResult("saveImAs"));
        QCOMPARE(probe->status(), QString("Image was Saved Ass"));
        QVERIFY(!probe->isModified());
        QCOMPARE(probe->curFile(), copy);
        COMPARE_IMAGES(QImage(copy), workingImage());
        QCOMPARE(QImageReader(copy).format(), QByteArray("bmp"));

        probe->run("linear");
        QVERIFY(probe->runForResult("saveIm"));
        QCOMPARE(driver->seen.size(), 2); // no dialog for the Save
        QCOMPARE(probe->status(), QString("Image was Saved"));
        COMPARE_IMAGES(QImage(copy), workingImage());
        QCOMPARE(fileHash(file), originalBefore);
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

    // The opened file's folder has gone: Save asks for a name, and a name in a
    // folder that does not exist is refused with the reason.
    void saveIntoVanishedFolder()
    {
        QTemporaryDir openDir;
        const QString file = openDir.filePath("opened.png");
        QVERIFY(testimages::photoLikeImage(20, 10, 7).save(file));
        open(file);
        modify();
        QVERIFY(openDir.remove());
        driver->chooseFile(file).press();
        QVERIFY(!probe->runForResult("saveIm"));
        QCOMPARE(driver->seen[1].kind, QString("file"));
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image wasn't Saved!"));
        QVERIFY(driver->lastSeen().informativeText.contains(file));
        QCOMPARE(probe->status(), QString("Image wasn't Saved Ass"));
        QVERIFY(probe->isModified());
        QVERIFY(!QFileInfo::exists(openDir.path()));
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

    // Answering Save when nothing is saved keeps the work: the question answers
    // no, so Open shows no file dialog of its own and the document stays modified.
    void questionWithFailedSave()
    {
        QTemporaryDir openDir;
        const QString file = openDir.filePath("opened.png");
        QVERIFY(testimages::photoLikeImage(20, 10, 9).save(file));
        open(file);
        modify();
        QVERIFY(openDir.remove());
        driver->press(QMessageBox::Save).cancelFile(); // Save asks for a name: the file has gone
        probe->run("openIm");
        QCOMPARE(driver->seen.size(), 3);
        QCOMPARE(driver->seen[2].kind, QString("file"));
        QCOMPARE(QFileInfo(driver->seen[2].proposedFile).fileName(), QString("opened.png"));
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
        driver->press(QMessageBox::Save).cancelFile();
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

    // A picture reduced on opening is never written over its original by Save:
    // Save, from the menu or as the answer to the question, asks for a name, in
    // the original's folder, proposing a name of its own.
    void reducedPhotoSaveAsksForName_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("touched");
        QTest::newRow("save") << QByteArray("saveIm") << true;
        QTest::newRow("save, untouched") << QByteArray("saveIm") << false;
        QTest::newRow("exit, question answered save") << QByteArray("exit") << false;
    }
    void reducedPhotoSaveAsksForName()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, touched);
        const QString file = writeImage("holiday.png", testimages::photoLikeImage(1536, 1024, 12));
        const QByteArray before = fileHash(file);
        window->show();
        open(file);
        QVERIFY(probe->isModified()); // the reduction counts as a change
        if (touched)
            probe->run("gauss");
        driver->seen.clear();
        if (command == "exit")
            driver->press(QMessageBox::Save);
        driver->cancelFile();
        probe->run(command.constData());

        const SeenDialog dialog = driver->lastSeen();
        QCOMPARE(dialog.kind, QString("file"));
        QCOMPARE(dialog.proposedFile, path("holiday-768x512.png"));
        QCOMPARE(fileHash(file), before);
        QVERIFY(probe->isModified());
        QCOMPARE(probe->curFile(), file);
        QVERIFY(window->isVisible()); // Exit went no further
    }

    // The name chosen then is the document's file: later Saves write it, without
    // a dialog. Choosing the original's name takes the dialog's own "replace?".
    void reducedPhotoSavedUnderChosenName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("the proposed name") << "holiday-768x512.png";
        QTest::newRow("the original's name, replacing it") << "holiday.png";
    }
    void reducedPhotoSavedUnderChosenName()
    {
        QFETCH(QString, chosen);
        const QString file = writeImage("holiday.png", testimages::photoLikeImage(1536, 1024, 13));
        const QByteArray before = fileHash(file);
        open(file);
        driver->chooseFile(path(chosen));
        if (chosen == "holiday.png")
            driver->press(QMessageBox::Yes);
        QVERIFY(probe->runForResult("saveIm"));
        QCOMPARE(probe->status(), QString("Image was Saved Ass"));
        QCOMPARE(probe->curFile(), path(chosen));
        COMPARE_IMAGES(QImage(path(chosen)), workingImage());
        if (chosen != "holiday.png")
            QCOMPARE(fileHash(file), before);

        const int dialogs = driver->seen.size();
        probe->run("linear");
        QVERIFY(probe->runForResult("saveIm"));
        QCOMPARE(driver->seen.size(), dialogs);
        QCOMPARE(probe->status(), QString("Image was Saved"));
        COMPARE_IMAGES(QImage(path(chosen)), workingImage());
        QFile::remove(path("holiday-768x512.png"));
    }

    // A file whose format has no writer: Save asks for a name, proposing a PNG.
    void saveOfFormatWithoutWriterAsksForName()
    {
        const QString gif = path("animation.gif");
        QFile::remove(gif);
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/badinputs/many-frames.gif"), gif));
        const QByteArray before = fileHash(gif);
        open(gif);
        modify();
        driver->chooseFile(path("animation.png"));
        QVERIFY(probe->runForResult("saveIm"));
        QCOMPARE(driver->seen[1].proposedFile, path("animation.png"));
        QCOMPARE(probe->curFile(), path("animation.png"));
        COMPARE_IMAGES(QImage(path("animation.png")), workingImage());
        QCOMPARE(fileHash(gif), before);
        QFile::remove(path("animation.png"));
    }

    // Save writes only to the file it opened or last wrote. A name that now
    // stands for another file (a link to someone else's file, another file moved
    // there) or for none makes Save ask for a name; cancelling writes nothing.
    void saveOfSwappedFileAsksForName_data()
    {
        QTest::addColumn<QString>("swap");
        QTest::newRow("replaced by a link to another file") << "link";
        QTest::newRow("replaced by another file") << "file";
        QTest::newRow("removed") << "removed";
        QTest::newRow("saved before, then replaced") << "file after a save";
    }
    void saveOfSwappedFileAsksForName()
    {
        QFETCH(QString, swap);
        QTemporaryDir shared;
        const QString picture = shared.filePath("pic.png");
        const QString secret = shared.filePath("secret.conf");
        QVERIFY(testimages::photoLikeImage(20, 16, 14).save(picture));
        QFile secretFile(secret);
        QVERIFY(secretFile.open(QIODevice::WriteOnly));
        secretFile.write("password = hunter2\n");
        secretFile.close();
        QVERIFY(secretFile.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QByteArray secretBefore = fileHash(secret);

        open(picture);
        modify();
        if (swap == "file after a save") {
            QVERIFY(probe->runForResult("saveIm"));
            modify();
        }
        QVERIFY(QFile::remove(picture));
        if (swap == "link")
            QVERIFY(QFile::link(secret, picture));
        else if (swap != "removed")
            QVERIFY(testimages::photoLikeImage(8, 8, 15).save(picture));
        const QByteArray pictureBefore = fileHash(picture);

        driver->seen.clear();
        driver->cancelFile();
        QVERIFY(!probe->runForResult("saveIm"));
        QCOMPARE(driver->seen.size(), 1);
        QCOMPARE(driver->seen[0].kind, QString("file"));
        QCOMPARE(driver->seen[0].proposedFile, picture);
        QCOMPARE(fileHash(secret), secretBefore);
        QCOMPARE(fileHash(picture), pictureBefore);
        QCOMPARE(QFileInfo(picture).isSymLink(), swap == "link");
        QVERIFY(probe->isModified());
    }

    // A link that leads nowhere is not written through: Save As refuses it.
    void saveAsOntoDanglingLinkRefused()
    {
        QTemporaryDir target;
        const QString link = target.filePath("link.png");
        const QString nowhere = target.filePath("nowhere/else.png");
        QVERIFY(QFile::link(nowhere, link));
        open(path("small.png"));
        modify();
        driver->chooseFile(link).press();
        QVERIFY(!probe->runForResult("saveImAs"));
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image wasn't Saved!"));
        QVERIFY(driver->lastSeen().informativeText.contains(link));
        QCOMPARE(probe->status(), QString("Image wasn't Saved Ass"));
        QVERIFY(probe->isModified());
        QVERIFY(!QFileInfo::exists(target.filePath("nowhere")));
        QVERIFY(QFileInfo(link).isSymLink());
    }

    // Every failed load says why, in the reader's words.
    void failedLoadSaysWhy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("not a picture") << path("text.png");
        QTest::newRow("truncated") << QFINDTESTDATA("../data/badinputs/truncated-header.jpg");
        QTest::newRow("too big to decode") << QFINDTESTDATA("../data/badinputs/bomb-rgb.png");
    }
    void failedLoadSaysWhy()
    {
        QFETCH(QString, file);
        QVERIFY(QFileInfo::exists(file));
        driver->chooseFile(file).press().cancelFile();
        probe->run("openIm");
        const SeenDialog box = driver->seen[1];
        QCOMPARE(box.text, QString("Damn! File is incorrect!"));
        QVERIFY(!box.informativeText.isEmpty());
        QCOMPARE(box.informativeText, readerError(file));
        QVERIFY(!probe->isOpened());
    }

    // Photos open upright: the orientation tag is applied before the width test,
    // so a portrait photo stored sideways is reduced by its upright width.
    void photosOpenUpright_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("opened");
        for (int orientation = 1; orientation <= 8; ++orientation)
            QTest::addRow("orientation %d", orientation) << orientation << QSize(40, 24)
                                                         << (orientation >= 5 ? QSize(24, 40) : QSize(40, 24));
        QTest::newRow("portrait stored landscape, not reduced") << 6 << QSize(1000, 600) << QSize(600, 1000);
        QTest::newRow("landscape stored portrait, reduced") << 8 << QSize(600, 1000) << QSize(760, 456);
    }
    void photosOpenUpright()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, stored);
        QFETCH(QSize, opened);
        const QString file = path("phone.jpg");
        photofixtures::CameraData camera;
        camera.orientation = orientation;
        QVERIFY(photofixtures::writePhoto(file, testimages::photoLikeImage(stored.width(), stored.height(), 16), camera));
        const QImage pixels = storedPixels(file);
        QCOMPARE(pixels.size(), stored);
        open(file);
        QCOMPARE(probe->status(), QString("Image was Opened"));
        QCOMPARE(workingImage().size(), opened);
        const QImage turned = upright(pixels, orientation);
        if (turned.width() <= 768)
            COMPARE_IMAGES(workingImage(), turned);
        else
            COMPARE_IMAGES(workingImage(), effects::resample(turned, 76800 / turned.width()));
    }

    // A file without an orientation tag loads exactly as the pixmap's own loader
    // loads it, in every format the effects are tested from.
    void filesWithoutOrientationLoadAsBefore_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("picture");
        const QImage photo = testimages::photoLikeImage(33, 21, 17);
        QTest::newRow("png") << "plain.png" << photo;
        QTest::newRow("png with alpha") << "alpha.png" << testimages::randomAlphaImage(17, 9, 18);
        QTest::newRow("png, gray") << "gray.png" << photo.convertToFormat(QImage::Format_Grayscale8);
        QTest::newRow("png, 16 bit") << "deep.png" << photo.convertToFormat(QImage::Format_RGBA64);
        QTest::newRow("png, indexed") << "indexed.png" << photo.convertToFormat(QImage::Format_Indexed8);
        QTest::newRow("png, one bit") << "mono.png" << photo.convertToFormat(QImage::Format_Mono);
        QTest::newRow("bmp") << "plain.bmp" << photo;
        QTest::newRow("jpeg") << "plain.jpg" << photo;
        QTest::newRow("tiff") << "plain.tif" << photo;
        QTest::newRow("webp") << "plain.webp" << photo;
        QTest::newRow("ppm") << "plain.ppm" << photo;
    }
    void filesWithoutOrientationLoadAsBefore()
    {
        QFETCH(QString, name);
        QFETCH(QImage, picture);
        const QString file = writeImage(name, picture);
        open(file);
        const QImage expected = loadedAsTheEditorDoes(file);
        QCOMPARE(workingImage().format(), expected.format());
        COMPARE_IMAGES(workingImage(), expected);
        QCOMPARE(testimages::wordsOf(workingImage()), testimages::wordsOf(expected));
    }

    // Save and Save As carry the photo's EXIF, XMP and IPTC data into every
    // format that holds them, with the orientation upright and the new size.
    void saveKeepsMetadata_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<bool>("holdsIptc");
        QTest::newRow("jpeg") << "jpg" << true;
        QTest::newRow("png") << "png" << true;
        QTest::newRow("tiff") << "tif" << true;
        QTest::newRow("webp") << "webp" << false;
    }
    void saveKeepsMetadata()
    {
        QFETCH(QString, suffix);
        QFETCH(bool, holdsIptc);
        const QString file = path("camera.jpg");
        photofixtures::CameraData camera;
        camera.orientation = 6;
        QVERIFY(photofixtures::writePhoto(file, testimages::photoLikeImage(40, 24, 19), camera));
        open(file);
        probe->run("grayworld");
        const QString saved = path("camera-edited." + suffix);
        QFile::remove(saved);
        driver->chooseFile(saved);
        QVERIFY(probe->runForResult("saveImAs"));
        QCOMPARE(probe->status(), QString("Image was Saved Ass"));

        const photofixtures::ReadBack data = photofixtures::readBack(saved);
        QVERIFY(data.readable);
        QCOMPARE(data.exifText("Exif.Image.Make"), camera.make);
        QCOMPARE(data.exifText("Exif.Image.Model"), camera.model);
        QCOMPARE(data.exifText("Exif.Photo.DateTimeOriginal"), camera.dateTaken);
        QCOMPARE(data.exifText("Exif.GPSInfo.GPSLatitudeRef"), QString("N"));
        QCOMPARE(data.exifNumber("Exif.Image.Orientation"), 1L);
        QCOMPARE(data.exifNumber("Exif.Photo.PixelXDimension"), 24L);
        QCOMPARE(data.exifNumber("Exif.Photo.PixelYDimension"), 40L);
        QCOMPARE(data.xmpText("Xmp.dc.title"), QString("lang=\"x-default\" ") + camera.title);
        if (holdsIptc)
            QCOMPARE(data.iptcText("Iptc.Application2.Caption"), camera.caption);

        // The picture reads back upright, as it was saved, in every viewer.
        QImageReader reader(saved);
        reader.setAutoTransform(true);
        const QImage reread = reader.read();
        QCOMPARE(reread.size(), QSize(24, 40));
        if (suffix == "png" || suffix == "tif")
            COMPARE_IMAGES(reread, workingImage());
        QFile::remove(saved);
    }

    // The opened file's colour profile stays with the picture through the effects
    // and is written with it.
    void saveKeepsColourProfile_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("png") << "png";
        QTest::newRow("jpeg") << "jpg";
        QTest::newRow("tiff") << "tif";
    }
    void saveKeepsColourProfile()
    {
        QFETCH(QString, suffix);
        QImage wideGamut = testimages::photoLikeImage(30, 20, 20);
        wideGamut.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
        const QString file = writeImage("p3.png", wideGamut);
        open(file);
        for (const char *effect : {"grayworld", "median", "rotate", "zoom2"})
            probe->run(effect);
        QCOMPARE(workingImage().colorSpace(), QColorSpace(QColorSpace::DisplayP3));
        const QString saved = path("p3-edited." + suffix);
        driver->chooseFile(saved);
        QVERIFY(probe->runForResult("saveImAs"));
        QCOMPARE(QImage(saved).colorSpace(), QColorSpace(QColorSpace::DisplayP3));
        QFile::remove(saved);
    }

    // Metadata that cannot be read never cost the save: the pixels are written
    // without them, and the status bar says so.
    void unreadableMetadataStillSaves()
    {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(testimages::photoLikeImage(30, 20, 21).save(&buffer, "jpg"));
        const QByteArray exif = QByteArray("Exif\0\0", 6) + "garbage, not a TIFF header";
        QByteArray segment("\xff\xe1", 2);
        segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xff)).append(exif);
        jpeg.insert(2, segment); // right after the start-of-image marker
        const QString file = path("broken-exif.jpg");
        QFile broken(file);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(jpeg);
        broken.close();

        open(file);
        QCOMPARE(probe->status(), QString("Image was Opened"));
        modify();
        const QString saved = path("broken-exif-edited.png");
        driver->chooseFile(saved);
        QVERIFY(probe->runForResult("saveImAs"));
        QVERIFY2(probe->status().startsWith("Image was Saved Ass without its metadata: "),
                 qPrintable(probe->status()));
        QVERIFY(!probe->isModified());
        COMPARE_IMAGES(QImage(saved), workingImage());
        QFile::remove(saved);
    }

    // A file named from outside (the command line) opens as Open opens a chosen
    // one: a relative name is taken from the working folder, a wide photo is
    // reduced; one that does not load is told, with no file dialog after it.
    void openFromOutside()
    {
        writeImage("outside.png", testimages::photoLikeImage(1000, 50, 22));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        window->openFromOutside("outside.png");
        QDir::setCurrent(before);
        QCOMPARE(probe->curFile(), path("outside.png"));
        QCOMPARE(workingImage().size(), QSize(760, 38));
        QVERIFY(probe->isModified());
        QCOMPARE(probe->status(), QString("Image was Opened"));

        driver->press();
        window->openFromOutside(path("missing.png"));
        QCOMPARE(driver->seen.size(), 1);
        QCOMPARE(driver->seen[0].text, QString("Damn! File is incorrect!"));
        QVERIFY(driver->seen[0].informativeText.contains("missing.png"));
        QCOMPARE(driver->seen[0].statusWhileUp, QString("Image wasn't Opened!"));
        QCOMPARE(probe->curFile(), path("outside.png"));
    }

    // Dropping a local picture file opens it as Open does; of several files the
    // first; anything else is refused at once.
    void dropOpensPicture_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        const QUrl small = QUrl::fromLocalFile(path("small.png"));
        const QUrl other = QUrl::fromLocalFile(path("other.png"));
        QTest::newRow("a picture") << QList<QUrl>{small} << QString() << true;
        QTest::newRow("two pictures") << QList<QUrl>{other, small} << QString() << true;
        QTest::newRow("a file that is no picture") << QList<QUrl>{QUrl::fromLocalFile(path("text.png"))} << QString() << false;
        QTest::newRow("a folder") << QList<QUrl>{QUrl::fromLocalFile(dir.path())} << QString() << false;
        QTest::newRow("a remote picture") << QList<QUrl>{QUrl("https://example.org/small.png")} << QString() << false;
        QTest::newRow("text") << QList<QUrl>() << path("small.png") << false;
    }
    void dropOpensPicture()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(bool, taken);
        QVERIFY(window->acceptDrops());
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        const QPointF where(10, 10);
        QDragEnterEvent enter(where.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QCOMPARE(enter.isAccepted(), taken);
        if (!taken)
            return;
        QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_VERIFY(probe->isOpened());
        QCOMPARE(probe->curFile(), urls.first().toLocalFile());
        QCOMPARE(probe->status(), QString("Image was Opened"));
        QVERIFY(driver->seen.isEmpty());
    }

    // A drop on a modified picture asks about the changes first; Cancel keeps all.
    void dropAsksAboutChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel") << int(QMessageBox::Cancel);
        QTest::newRow("discard") << int(QMessageBox::Discard);
    }
    void dropAsksAboutChanges()
    {
        QFETCH(int, answer);
        open(path("small.png"));
        modify();
        const QImage edited = workingImage();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path("other.png"))});
        driver->press(QMessageBox::StandardButton(answer));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        QTRY_COMPARE(driver->seen.size(), 2);
        QTRY_COMPARE(driver->pendingAnswers(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(driver->lastSeen().text, QString("The document has been modified."));
        if (answer == QMessageBox::Cancel) {
            QCOMPARE(probe->curFile(), path("small.png"));
            COMPARE_IMAGES(workingImage(), edited);
            QVERIFY(probe->isModified());
        } else {
            QTRY_COMPARE(probe->curFile(), path("other.png"));
            QVERIFY(!probe->isModified());
        }
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
