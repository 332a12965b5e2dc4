// Bad files given to the Open command: every file of the corpus in
// tests/data/badinputs (empty, cut short, text in disguise, headers that claim
// absurd sizes, thousands of frames), special files (a character device, a
// named pipe, a folder) and a file the user may not read. Each is opened
// through the real file dialog over a document with unsaved changes: a file
// that does not load gives the failed-load path and leaves that document
// exactly as it was; a file that loads replaces it. Memory stays bounded.

#include "editortest.h"
#include "testimages.h"

#include "median.h"
#include "resample.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The highest resident memory of this process so far, in MiB: a high-water mark,
// so a process measures one case only when it runs that case alone.
qint64 peakMemoryMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) / 1024;
}

// Set in the environment of a copy of this test that runs one case on its own: as
// an unprivileged user ("unprivileged"), with little address space ("memory"), or
// one file of the corpus with its memory measured ("corpus").
constexpr char childVariable[] = "GLIMMERIX_TEST_CHILD";

QByteArray childKind() { return qgetenv(childVariable); }

} // namespace

class TestBadInputs : public EditorTest
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString corpus;

    QString good() const { return dir.filePath("good.png"); }
    QImage workingImage() const { return probe->curImage() ? *probe->curImage() : QImage(); }

    // The document every case starts from: a picture with a change not saved.
    void openModifiedDocument()
    {
        driver->chooseFile(good());
        probe->run("openIm");
        probe->run("grayworld");
        QVERIFY(probe->isModified());
        driver->seen.clear();
    }

    // Opens file over the modified document (the question is answered Discard).
    // A file that does not load must give the box and the dialog again, which is
    // cancelled; then the document must be as it was.
    void openAndExpectRefusal(const QString &file)
    {
        const QImage before = workingImage();
        driver->press(QMessageBox::Discard).chooseFile(file).press().cancelFile();
        probe->run("openIm");

        QCOMPARE(driver->seen.size(), 4);
        QCOMPARE(driver->seen[0].text, QString("The document has been modified."));
        QCOMPARE(driver->seen[1].kind, QString("file"));
        QCOMPARE(driver->seen[2].kind, QString("box"));
        QCOMPARE(driver->seen[2].text, QString("Damn! File is incorrect!"));
        QCOMPARE(driver->seen[2].statusWhileUp, QString("Image wasn't Opened!"));
        QCOMPARE(driver->seen[3].kind, QString("file"));

        QVERIFY(probe->isOpened());
        QVERIFY(probe->isModified());
        QCOMPARE(probe->curFile(), good());
        COMPARE_IMAGES(workingImage(), before);
        COMPARE_IMAGES(probe->image()->toImage(), before);
        QCOMPARE(probe->labelIm()->pixmap().size(), before.size());

        // The window goes on working on that document.
        probe->run("median");
        QCOMPARE(probe->status(), QString("Image was Medianed"));
        COMPARE_IMAGES(workingImage(), effects::median(before, 3));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(testimages::photoLikeImage(40, 30, 1).save(good()));
        if (childKind() == "unprivileged")
            return; // that copy runs one case, which needs no corpus (and may not read it)
        corpus = QDir(QFINDTESTDATA("../data/badinputs")).canonicalPath();
        QVERIFY2(!corpus.isEmpty(), "the corpus tests/data/badinputs is missing");
    }

    void init()
    {
        startEditor(Window::Shown);
        if (childKind().isEmpty())
            openModifiedDocument(); // a child's case opens its own
    }

    void cleanup()
    {
        finishEditor();
    }

    // opened: the size the picture has once open (after the automatic shrinking
    // of pictures wider than 768 pixels), or an empty size where it must not load.
    void corpusFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("opened");
        const QSize refused;
        const QList<QPair<const char *, QSize>> rows = {
            {"empty.png", refused},
            {"truncated-signature.png", refused},
            {"truncated-header.png", refused},
            {"truncated-data.png", refused},
            {"bomb-rgb.png", refused},          // claims 100000 x 100000
            {"bomb-mono.png", refused},
            {"bomb-mono-small.png", refused},   // 30000 x 30000 at one bit
            {"truncated-header.jpg", refused},
            {"truncated-data.jpg", QSize(16, 16)}, // the reader fills the missing blocks
            {"truncated-header.bmp", refused},
            {"truncated-data.bmp", QSize(16, 16)}, // the rows it has
            {"negative-height.bmp", QSize(16, 16)}, // a top-down bitmap, valid
            {"min-height.bmp", refused},
            {"absurd-height.bmp", refused},
            {"absurd-size.bmp", refused},
            {"negative-width.bmp", refused},
            {"bad-depth.bmp", refused},
            {"absurd-palette.bmp", refused},
            {"bomb-rle.bmp", QSize(720, 720)},  // 8000 x 8000 from a kilobyte, shrunk to 9 %
            {"bomb-wide.bmp", QSize(2097159, 49)}, // too wide to shrink: stays as loaded
            {"truncated-header.gif", refused},
            {"truncated-data.gif", QSize(16, 16)},
            {"many-frames.gif", QSize(1, 1)},   // the first of 3000 frames
            {"huge-screen.gif", refused},       // a 65535 x 65535 screen
            {"truncated-header.tif", refused},
            {"truncated-data.tif", refused},
            {"huge.tif", refused},
            {"xpm-text.png", refused},
        };
        for (const auto &row : rows)
            QTest::newRow(row.first) << QDir(corpus).filePath(row.first) << row.second;
        QTest::newRow("character device") << QString("/dev/zero") << refused;
    }
    void corpusFile()
    {
        QFETCH(QString, file);
        QFETCH(QSize, opened);
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        if (childKind().isEmpty()) {
            // Each file in a copy of this test of its own: the peak it reaches is
            // then this file's, whichever rows ran before.
            const QString row = QString::fromUtf8(QTest::currentDataTag());
            QProcess child;
            const QString output = runChild(child, "corpus", QCoreApplication::applicationFilePath(),
                                            {"corpusFile:" + row});
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     qPrintable(output));
            QVERIFY2(output.contains(QString("PASS   : TestBadInputs::corpusFile(%1)").arg(row)),
                     qPrintable(output));
            return;
        }
        openModifiedDocument();
        const qint64 peakBefore = peakMemoryMiB();

        if (!opened.isValid()) {
            openAndExpectRefusal(file);
        } else {
            // A picture wider than 768 pixels is shrunk to fit, unless no whole
            // percentage can do it: that refusal is told, and it stays as loaded.
            const QSize stored = QImageReader(file).size();
            const bool shrinkRefused = stored.width() > 768
                && !effects::resampleAllowed(stored, int(76800.0 / stored.width()));
            driver->press(QMessageBox::Discard).chooseFile(file);
            if (shrinkRefused)
                driver->press();
            probe->run("openIm");
            QCOMPARE(driver->seen.size(), shrinkRefused ? 3 : 2);
            if (shrinkRefused)
                QCOMPARE(driver->seen[2].text, QString("Damn! Image is too big or too small to Zoom!"));
            QCOMPARE(probe->curFile(), file);
            QCOMPARE(workingImage().size(), opened);
            // The label asks for room for the image, up to 16384 pixels either way.
            QCOMPARE(probe->labelIm()->minimumSize(), opened.boundedTo(QSize(16384, 16384)));
            QCOMPARE(probe->status(), QString("Image was Opened"));
            QCOMPARE(probe->isModified(), stored.width() > 768 && !shrinkRefused);
        }
        // The largest pictures here decode to 8000 x 8000 and 2097159 x 49 pixels:
        // 256 and 392 MiB as the working image. Nothing may take much more.
        const qint64 growth = peakMemoryMiB() - peakBefore;
        QVERIFY2(growth < 700, qPrintable(QString("memory grew by %1 MiB").arg(growth)));
    }

    // The file dialog does not hand a folder to Open: accepting a folder's name
    // enters the folder, and Open gets a name only when the user picks a file.
    void folderIsEnteredNotOpened()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString folderPath = folder.path() + "/looks-like.png";
        QVERIFY(QDir().mkpath(folderPath));
        const QImage before = workingImage();
        bool stayedOpen = false;
        QString shownFolder;
        driver->press(QMessageBox::Discard).then([&](QWidget *dialog) {
            auto *fileDialog = qobject_cast<QFileDialog *>(dialog);
            QVERIFY(fileDialog);
            fileDialog->findChild<QLineEdit *>("fileNameEdit")->setText(folderPath);
            static_cast<QDialog *>(fileDialog)->accept();
            stayedOpen = fileDialog->isVisible();
            shownFolder = fileDialog->directory().absolutePath();
            fileDialog->reject();
        });
        probe->run("openIm");
        QVERIFY(stayedOpen);
        QCOMPARE(shownFolder, QDir(folderPath).absolutePath());
        QCOMPARE(driver->seen.size(), 2);
        QCOMPARE(probe->curFile(), good());
        QVERIFY(probe->isModified());
        COMPARE_IMAGES(workingImage(), before);
    }

    // A named pipe may never deliver an end of file: reading one would hang the
    // editor for as long as nothing writes into it. Open must refuse it without
    // opening it. A thread here stands ready to write a few bytes and close the
    // pipe should the editor open it anyway, so a fault fails the test instead
    // of hanging it.
    void namedPipeIsNotRead()
    {
        const QString pipe = dir.filePath("pipe.png");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        std::atomic<bool> releasedByTest {false};
        std::atomic<bool> openedByEditor {false};
        std::thread writer([&] {
            const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY);
            if (fd < 0)
                return;
            if (!releasedByTest) {
                openedByEditor = true;
                const char junk[] = "not a picture";
                [[maybe_unused]] const ssize_t written = ::write(fd, junk, sizeof junk);
            }
            ::close(fd);
        });

        driver->press(QMessageBox::Discard).chooseFile(pipe).press().cancelFile();
        const QImage before = workingImage();
        probe->run("openIm");

        // Release the writer if the editor left the pipe alone.
        releasedByTest = true;
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
        writer.join();
        if (fd >= 0)
            ::close(fd);
        QFile::remove(pipe);

        QVERIFY2(!openedByEditor, "Open read from a named pipe");
        QCOMPARE(driver->seen.size(), 4);
        QCOMPARE(driver->seen[2].text, QString("Damn! File is incorrect!"));
        QCOMPARE(driver->seen[2].statusWhileUp, QString("Image wasn't Opened!"));
        QCOMPARE(probe->curFile(), good());
        COMPARE_IMAGES(workingImage(), before);
    }

    // A valid picture that the user may not read. Run as root, the test runs
    // this case again in a copy of itself as the user nobody (through setpriv),
    // since root reads every file.
    void unreadableFile()
    {
        const bool child = childKind() == "unprivileged";
        if (geteuid() == 0 && !child) {
            runAsUnprivilegedUser("unreadableFile");
            return;
        }
        if (child)
            openModifiedDocument();
        QTemporaryDir own;
        QVERIFY(own.isValid());
        const QString file = own.filePath("secret.png");
        QVERIFY(testimages::photoLikeImage(12, 10, 2).save(file));
        QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
        QFile check(file);
        if (check.open(QIODevice::ReadOnly))
            QSKIP("this user can read a file without read permission");
        openAndExpectRefusal(file);
    }

    // An icon file of 187 bytes whose header gives one entry a length of 2.7 GB:
    // the toolkit's ICNS reader asks for that much memory at once. Where memory
    // is short, the allocation fails; Open must then refuse the file, not end the
    // program. Run in a copy of this test limited to 2 GiB of address space.
    void hugeLengthWithLittleMemory()
    {
        const QString file = QDir(corpus).filePath("icns-huge-length.icns");
        if (childKind() == "memory") {
            openModifiedDocument();
            openAndExpectRefusal(file);
            return;
        }
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer cannot run within a limited address space");
#endif
        QProcess child;
        child.setChildProcessModifier([] {
            const rlimit limit {rlim_t(2) << 30, rlim_t(2) << 30};
            setrlimit(RLIMIT_AS, &limit);
        });
        const QString output = runChild(child, "memory", QCoreApplication::applicationFilePath(),
                                        {"hugeLengthWithLittleMemory"});
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(output));
        QVERIFY2(output.contains("PASS   : TestBadInputs::hugeLengthWithLittleMemory()"),
                 qPrintable(output));
    }

private:
    // Runs program (this test again, or a wrapper that starts it) with the test
    // functions given, as a child of the kind given; returns what it printed.
    QString runChild(QProcess &child, const QByteArray &kind, const QString &program,
                     const QStringList &arguments, const QString &home = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(childVariable, QString::fromLatin1(kind));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        if (!home.isEmpty()) {
            environment.insert("HOME", home);
            environment.insert("TMPDIR", home);
            environment.insert("XDG_CONFIG_HOME", home + "/.config");
            environment.insert("XDG_RUNTIME_DIR", home + "/runtime");
        }
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(program, arguments);
        if (!child.waitForFinished(300000))
            child.kill();
        return QString::fromLocal8Bit(child.readAll());
    }

    void runAsUnprivilegedUser(const char *testFunction)
    {
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty())
            QSKIP("running as root and setpriv is not installed: cannot drop to an unprivileged user");
        // The child needs a home and a temporary folder of its own that it may write.
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QVERIFY(chmod(QFile::encodeName(home.path()).constData(), 0777) == 0);

        const QStringList dropPrivileges = {"--reuid=65534", "--regid=65534", "--clear-groups"};
        const QString self = QCoreApplication::applicationFilePath();
        if (QProcess::execute(setpriv, dropPrivileges + QStringList{"test", "-x", self}) != 0)
            QSKIP("the user nobody may not run this test's executable (its folder is closed to "
                  "other users): the unreadable-file case is not run");

        QProcess child;
        const QString output = runChild(child, "unprivileged", setpriv,
                                        dropPrivileges + QStringList{self, testFunction}, home.path());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(output));
        QVERIFY2(output.contains(QString("PASS   : TestBadInputs::%1()").arg(testFunction)),
                 qPrintable(output));
    }
};

QTEST_MAIN(TestBadInputs)
#include "tst_badinputs.moc"
