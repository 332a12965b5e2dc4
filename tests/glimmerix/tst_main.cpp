// The real editor program: it starts with its one window titled "Glimmerix", and
// closing that window through the frame ends it with exit code 0.

#include "windowprobe.h"

#include <QTemporaryDir>
#include <QTest>

class TestMain : public QObject
{
    Q_OBJECT

private slots:
    void startsAndClosesWithZero()
    {
        QTemporaryDir workingDirectory;
        const windowprobe::Run run =
            windowprobe::runAndClose(QStringLiteral(GLIMMERIX_PROGRAM), workingDirectory.path());
        QVERIFY2(run.finished, qPrintable(run.errorOutput));
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.windows.size(), 1);
        const windowprobe::Window &window = run.windows.first();
        QCOMPARE(window.value("class"), QString("MainWindow"));
        QCOMPARE(window.value("super"), QString("QMainWindow"));
        QCOMPARE(window.value("title"), QString("Glimmerix"));
    }
};

QTEST_GUILESS_MAIN(TestMain)
#include "tst_main.moc"
