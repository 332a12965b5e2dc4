// The real editor program: it starts with its one window titled "Glimmerix", and
// closing that window through the frame ends it with exit code 0. A file named on
// the command line opens as Open would open it; --help and --version answer as Qt
// programs do.

#include "testimages.h"
#include "windowprobe.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The editor's windows in a run, by class.
QList<windowprobe::Window> windowsOf(const windowprobe::Run &run, const QString &className)
{
    QList<windowprobe::Window> found;
    for (const windowprobe::Window &window : run.windows)
        if (window.value("class") == className)
            found.append(window);
    return found;
}

} // namespace

class TestMain : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    windowprobe::Run run(const QStringList &arguments = QStringList())
    {
        return windowprobe::runAndClose(QStringLiteral(GLIMMERIX_PROGRAM), dir.path(), arguments);
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void startsAndClosesWithZero()
    {
        const windowprobe::Run run = this->run();
        QVERIFY2(run.finished, qPrintable(run.errorOutput));
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.windows.size(), 1);
        const windowprobe::Window &window = run.windows.first();
        QCOMPARE(window.value("class"), QString("MainWindow"));
        QCOMPARE(window.value("super"), QString("QMainWindow"));
        QCOMPARE(window.value("title"), QString("Glimmerix"));
        QCOMPARE(window.value("status"), QString("Ready"));
        QVERIFY(!window.contains("picture"));
    }

    // A picture named on the command line opens at start; with two names, the
    // first. (A photo reduced on opening would leave the window asking about its
    // changes when the probe closes it: the reduction is tested in the window's
    // own tests.)
    void opensFileArgument_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("a picture") << QStringList{"small.png"};
        QTest::newRow("two pictures") << QStringList{"small.png", "wide.png"};
    }
    void opensFileArgument()
    {
        QFETCH(QStringList, names);
        const QImage small = testimages::photoLikeImage(40, 30, 1);
        QVERIFY(small.save(dir.filePath("small.png")));
        QVERIFY(testimages::photoLikeImage(1536, 480, 2).save(dir.filePath("wide.png")));

        const windowprobe::Run run = this->run(names);
        QVERIFY2(run.finished, qPrintable(run.errorOutput));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.windows.size(), 1);
        const windowprobe::Window window = run.windows.first();
        QCOMPARE(window.value("status"), QString("Image was Opened"));
        QCOMPARE(window.value("picture"), windowprobe::imageText(small));
    }

    // A file that does not load: the status and the box with the reason; the
    // window stays empty and no file dialog follows.
    void badFileArgument_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("not a picture") << "text.png";
        QTest::newRow("missing") << "missing.png";
    }
    void badFileArgument()
    {
        QFETCH(QString, name);
        QFile text(dir.filePath("text.png"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a picture\n");
        text.close();

        const windowprobe::Run run = this->run({name});
        QVERIFY2(run.finished, qPrintable(run.errorOutput));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.windows.size(), 2);
        const QList<windowprobe::Window> mains = windowsOf(run, "MainWindow");
        const QList<windowprobe::Window> boxes = windowsOf(run, "QMessageBox");
        QCOMPARE(mains.size(), 1);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(mains[0].value("status"), QString("Image wasn't Opened!"));
        QVERIFY(!mains[0].contains("picture"));
        QCOMPARE(boxes[0].value("text"), QString("Damn! File is incorrect!"));
        QVERIFY(!boxes[0].value("informative").isEmpty());
        if (name == "text.png") {
            QImageReader reader(dir.filePath(name));
            reader.read();
            QCOMPARE(boxes[0].value("informative"), reader.errorString());
        } else {
            QVERIFY(boxes[0].value("informative").contains(name));
        }
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("answer");
        QTest::newRow("version") << "--version" << "glimmerix " GLIMMERIX_VERSION;
        QTest::newRow("help") << "--help" << "Usage: ";
    }
    void helpAndVersion()
    {
        QFETCH(QString, option);
        QFETCH(QString, answer);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(GLIMMERIX_PROGRAM), {option});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(output.startsWith(answer), qPrintable(output));
        if (option == "--help")
            QVERIFY(output.contains("[file]"));
    }
};

QTEST_GUILESS_MAIN(TestMain)
#include "tst_main.moc"
